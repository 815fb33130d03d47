// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration window from the main window's command and from the "calibrate" option of a run
// with windows: each "Применить" writes its own register with the text typed beside it, and the
// outcome comes as a box.

#include "dialog_fixture.h"

#include "app/app_texts.h"
#include "app/chlb5_app.h"
#include "device/device_texts.h"
#include "ui/calibration_dialog.h"
#include "ui/qt_front.h"

#include <QLineEdit>
#include <QPushButton>

namespace zr740::testing {
namespace {

constexpr int calibration_command = 32824;

using DialogsCalibrationTest = DialogFixture;

TEST_F(DialogsCalibrationTest, EachButtonWritesItsOwnGroupsValue)
{
    ASSERT_TRUE(frame->action(calibration_command)->isEnabled());
    ASSERT_TRUE(with_window<ui::CPageUstirovka>(calibration_command, [&](ui::CPageUstirovka& dialog) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Юстировка прибора");
        EXPECT_TRUE(dialog.offset_edit()->text().isEmpty());
        EXPECT_TRUE(dialog.range_edit()->text().isEmpty());

        dialog.offset_edit()->setText("0,0");
        dialog.range_edit()->setText("12,5");
        dialog.range_button()->click();
        EXPECT_EQ(simulator->registers(0x0036, 2), (std::vector<std::uint16_t>{0x4148, 0x0000})); // 12.5
        EXPECT_EQ(simulator->registers(0x0034, 2), (std::vector<std::uint16_t>{0, 0}));

        simulator->set_register(0x0034, 0x1234);
        dialog.offset_button()->click();
        EXPECT_EQ(simulator->register_value(0x0034), 0x1234); // "0,0" refused
        dialog.offset_edit()->setText("0");
        dialog.offset_button()->click();
        EXPECT_EQ(simulator->register_value(0x0034), 0);
        // The edit boxes keep their text.
        EXPECT_EQ(dialog.range_edit()->text(), "12,5");
        dialog.close_button()->click();
    }));

    const auto shown = shell.shown_boxes();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].caption, texts::calibration_done_caption);
    EXPECT_EQ(shown[0].text, texts::calibration_done);
    EXPECT_EQ(shown[1].caption, texts::calibration_bad_input_caption);
    EXPECT_EQ(shown[1].text, texts::calibration_bad_input);
    EXPECT_EQ(shown[2].caption, texts::calibration_done_caption);
    EXPECT_EQ(shown[2].icon, Icon::warning);
}

// The option opens the window over the main window instead of saying that only a window can do it.
TEST_F(DialogsCalibrationTest, TheCalibrateOptionOpensTheWindow)
{
    frame.reset();
    document.reset();
    shell.clear_shown_boxes();
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* window = qobject_cast<ui::CPageUstirovka*>(QApplication::activeModalWidget());
        if (!window)
            return;
        poll.stop();
        seen = true;
        window->range_edit()->setText("20");
        window->range_button()->click();
        window->close_button()->click();
    });
    poll.start(20);
    ui::QtFront front(shell, memory);
    CHLB5App app(context, shell, memory, {}, front);
    app.run({"-calibrate/0x0007:" + std::to_string(address) + "/port:" + simulator->port_path()});

    EXPECT_TRUE(seen);
    EXPECT_EQ(simulator->registers(0x0036, 2), (std::vector<std::uint16_t>{0x41A0, 0x0000})); // 20.0
    for (const auto& box : shell.shown_boxes())
        EXPECT_NE(box.text, texts::calibration_needs_window);
    EXPECT_EQ(boxes(texts::calibration_done_caption).size(), 1u);
}

} // namespace
} // namespace zr740::testing
