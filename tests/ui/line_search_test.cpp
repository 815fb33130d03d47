// SPDX-License-Identifier: GPL-3.0-or-later
// "Поиск приборов" against a simulated line of three instruments: the rows fill as they answer,
// a stop ends the search at once, and connecting to a row makes it the program's link.

#include "frame_fixture.h"

#include "model/network_names.h"
#include "ui/line_search_dialog.h"

#include <QLabel>
#include <QTableWidget>

namespace zr740::testing {
namespace {

class LineSearchWindow : public FrameFixture {
protected:
    void SetUp() override
    {
        sim::SimulatorOptions options;
        options.extra_addresses = {3, 40};
        start(options);
    }

    std::string link_value(std::string_view name)
    {
        auto& settings = document->link().link_settings();
        std::lock_guard lock(settings.values_lock());
        return settings.find(name)->value_text;
    }
};

TEST_F(LineSearchWindow, ListsTheInstrumentsAndConnectsToTheOnePicked)
{
    EXPECT_NE(frame->action(ui::Command::line_search), nullptr);
    ui::LineSearchDialog search(document->link(), frame.get());
    search.set_range(1, 45);
    EXPECT_GE(search.chosen_rates().size(), 9u); // the description's rates, all ticked
    // A pseudo-terminal answers at any rate: one is enough here.
    search.choose_rates({9600});
    ASSERT_EQ(search.chosen_rates(), std::vector<int>{9600});
    search.start();
    search.wait_until_finished();
    ASSERT_EQ(search.table()->rowCount(), 3);
    EXPECT_EQ(search.table()->item(0, 0)->text(), "3");
    EXPECT_EQ(search.table()->item(0, 3)->text(), "ZR740_RS");
    EXPECT_EQ(search.table()->item(0, 5)->text(), "SIM00003");
    EXPECT_EQ(search.table()->item(1, 0)->text(), "5");
    EXPECT_TRUE(search.status()->text().startsWith("Поиск закончен")) << search.status()->text().toStdString();

    ASSERT_TRUE(search.connect_to(2));
    search.stop(); // as closing the window does: the search has ended, the link must not notice
    EXPECT_EQ(link_value(network_names::address), "40");
    EXPECT_EQ(link_value(network_names::baud_rate), std::to_string(search.found()[2].baud_rate));
    // The program now talks to the instrument at 40.
    auto& own = at("0x0007");
    ASSERT_EQ(document->link().read_registers(own, false), 0) << own.status_text;
    EXPECT_EQ(own.value_text, "40");
}

TEST_F(LineSearchWindow, AStopEndsTheSearchAtOnce)
{
    simulator->inject(sim::Fault::no_reply(-1));
    ui::LineSearchDialog search(document->link(), frame.get());
    search.start();
    QTest::qWait(200);
    ASSERT_TRUE(search.running());
    const auto stopped = std::chrono::steady_clock::now();
    search.stop();
    search.wait_until_finished();
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::milliseconds(1000));
    EXPECT_TRUE(search.status()->text().startsWith("Поиск остановлен")) << search.status()->text().toStdString();
    // The line is back at the program's own settings and answers.
    simulator->clear_faults();
    auto& own = at("0x0007");
    EXPECT_EQ(document->link().read_registers(own, false), 0) << own.status_text;
}

} // namespace
} // namespace zr740::testing
