// SPDX-License-Identifier: GPL-3.0-or-later
// The apply window against the simulator: what it shows, the boxes, and what OK and "Отмена" send.

#include "dialog_fixture.h"

#include "device/device_texts.h"
#include "link/device.h"
#include "ui/apply_dialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace zr740::testing {
namespace {

constexpr int apply_command = 265;

using DialogsApplyTest = DialogFixture;

TEST_F(DialogsApplyTest, UnknownValuesAreNotCopiedButThePortReopensAndTheCommandGoesOut)
{
    // The program's settings change without the port being reopened: only a reopen takes them up.
    NetRS485prg& settings = document->link().link_settings();
    settings.set_value_by_name("0x0009", "19200");
    ASSERT_NE(document->link().sio().baud_rate, 19200);
    const auto before = simulator->stats();

    ASSERT_TRUE(with_window<ui::CApply>(apply_command, [&](ui::CApply& dialog) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Перевод прибора на новый режим работы");
        EXPECT_EQ(dialog.settings_label()->text().toStdString(),
                  "Скорость: Нет данных\nЧетность: Нет данных\nКол-во стоп-бит: Нет данных\nАдрес: Нет данных");
        EXPECT_EQ(dialog.broadcast_box()->text().toStdString(),
                  "Поcлать широковещательную команду \"Применить параметры\"");
        EXPECT_EQ(dialog.broadcast_box()->text().at(2).unicode(), 0x63);
        EXPECT_EQ(dialog.three_times_box()->text().at(2).unicode(), 0x63);
        EXPECT_TRUE(dialog.change_program_box()->isChecked());
        EXPECT_FALSE(dialog.broadcast_box()->isChecked());
        EXPECT_TRUE(dialog.three_times_box()->isChecked());
        EXPECT_FALSE(dialog.three_times_box()->isEnabled());
        dialog.broadcast_box()->click();
        EXPECT_TRUE(dialog.three_times_box()->isEnabled());
        dialog.broadcast_box()->click();
        EXPECT_FALSE(dialog.three_times_box()->isEnabled());
        dialog.ok_button()->click();
    }));

    EXPECT_EQ(settings.value_by_name("0x0007"), std::to_string(address));
    EXPECT_EQ(settings.value_by_name("0x0009"), "19200");
    EXPECT_EQ(document->link().sio().baud_rate, 19200);
    // The instrument carried out one apply command: 129 arrived in 0x000F.
    EXPECT_EQ(simulator->wait_for_commands(before.commands + 1).commands, before.commands + 1);
    EXPECT_TRUE(shell.shown_boxes().empty());
}

TEST_F(DialogsApplyTest, ABroadcastReachesTheInstrumentWithoutAReply)
{
    const auto before = simulator->stats();
    ASSERT_TRUE(with_window<ui::CApply>(apply_command, [&](ui::CApply& dialog) {
        dialog.broadcast_box()->click();
        dialog.ok_button()->click();
    }));
    for (int wait = 0; wait < 500 && simulator->stats().commands < before.commands + 4; ++wait)
        QTest::qWait(10);
    const auto after = simulator->stats();
    // Three broadcasts besides the answered apply write and check read.
    EXPECT_EQ(after.requests - before.requests, 5u);
    EXPECT_EQ(after.replies - before.replies, 2u);
    EXPECT_EQ(after.commands - before.commands, 4u);
    EXPECT_EQ(document->device()->apply_parameter(false).scanner_channel, 0);
    EXPECT_TRUE(shell.shown_boxes().empty());
}

TEST_F(DialogsApplyTest, CancelSendsNothing)
{
    const auto before = simulator->stats().requests;
    ASSERT_TRUE(with_window<ui::CApply>(apply_command, [](ui::CApply& dialog) { dialog.cancel_button()->click(); }));
    EXPECT_EQ(simulator->stats().requests, before);
}

} // namespace
} // namespace zr740::testing
