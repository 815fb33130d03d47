// SPDX-License-Identifier: GPL-3.0-or-later
// "Пусконаладка серии приборов" against the simulator: one instrument is commissioned while the
// window stays responsive, its verdict is shown in large letters, and a stop ends the run.

#include "frame_fixture.h"

#include "app/commission_report.h"
#include "platform/temp_dir.h"
#include "support/program_run.h"
#include "ui/commission_dialog.h"

#include <QLabel>
#include <QTableWidget>

namespace zr740::testing {
namespace {

class CommissionWindow : public FrameFixture {
protected:
    void SetUp() override
    {
        sim::SimulatorOptions options;
        options.serial = "SN0042";
        start(options);
    }
    ::zr740::testing::TempDir dir;
};

TEST_F(CommissionWindow, ShowsTheInstrumentsVerdictAndStops)
{
    EXPECT_NE(frame->action(ui::Command::commission), nullptr);
    ASSERT_EQ(at("0x0018").set_value_from_input("7.25", false), 1);
    ui::CommissionDialog window(*document, shell, frame.get());
    window.show();
    // Without a report nothing starts.
    EXPECT_FALSE(window.start());
    EXPECT_FALSE(window.running());
    const QString report = QString::fromStdString((dir.path() / "line.csv").string());
    window.set_report_path(report);
    ASSERT_TRUE(window.start());
    // The window thread keeps turning its loop while the instrument is commissioned.
    ASSERT_TRUE(window.wait_for_instruments(1, 20000));
    EXPECT_EQ(window.verdict()->text(), "№ SN0042 — ГОДЕН");
    EXPECT_EQ(window.counts()->text(), "Годных: 1    С ошибками: 0");
    ASSERT_EQ(window.table()->rowCount(), 1);
    EXPECT_EQ(window.table()->item(0, 1)->text(), "SN0042");
    EXPECT_EQ(window.table()->item(0, 4)->text(), "годен");
    EXPECT_EQ(simulator->value(0x0018), "7.250");
    // The same instrument stays attached: the run waits for the next one.
    QTest::qWait(1500);
    EXPECT_EQ(window.table()->rowCount(), 1);
    EXPECT_TRUE(window.running());

    const auto asked = std::chrono::steady_clock::now();
    window.stop();
    window.wait_until_finished();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(1000));
    EXPECT_EQ(window.status()->text(), "Пусконаладка остановлена.");
    const std::string written = file_text(report.toStdString());
    EXPECT_EQ(written.rfind(commission_report_header() + "\n", 0), 0u) << written;
    EXPECT_NE(written.find(",SN0042,1.5,5,ok,1,1,0,"), std::string::npos) << written;
}

} // namespace
} // namespace zr740::testing
