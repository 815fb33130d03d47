// SPDX-License-Identifier: GPL-3.0-or-later
// The connection setup window against the simulated instrument: scanning, stopping a scan,
// connecting, the way offline and the window opened from the menu.

#include "setup_fixture.h"

#include "ui/line_search_dialog.h"
#include "ui/select_device_dlg.h"

#include <QTreeWidget>

namespace zr740::testing {
namespace {

class SetupCarrierTest : public SetupFixture {};

constexpr int ok = 1, exit_button = 2, offline = 3, scan = 4, connect_button = 5, search = 7;

TEST_F(SetupCarrierTest, ScanFindsTheInstrumentAtAnotherRateAndLeavesItInTheList)
{
    start(4800, 5, 9600);
    open(true);
    EXPECT_EQ(shown_value("0x0009"), "9600");
    click(scan);
    ASSERT_TRUE(wait_finished());
    EXPECT_EQ(*finished, QDialog::Accepted);
    EXPECT_EQ(shown_value("0x0009"), "4800");
    EXPECT_EQ(document->link().link_settings().value_by_name("0x0009"), "4800");
    EXPECT_FALSE(dialog->went_offline());
}

TEST_F(SetupCarrierTest, ExitDuringAScanRestoresTheRateAndShowsNoFailure)
{
    start(9600, 7, 4800); // nobody answers address 7
    open(true);
    click(scan);
    ASSERT_TRUE(wait_status("Идет сканирование на скорости 2400..."));
    EXPECT_FALSE(dialog->list()->isEnabled());
    click(exit_button);
    EXPECT_EQ(dialog->status()->text(), "Прерывание операции...");
    EXPECT_FALSE(finished.has_value()); // not while the attempt runs
    ASSERT_TRUE(wait_finished());
    EXPECT_EQ(*finished, QDialog::Rejected);
    QApplication::processEvents();
    EXPECT_EQ(shown_value("0x0009"), "4800");
    EXPECT_EQ(document->link().link_settings().value_by_name("0x0009"), "4800");
    EXPECT_FALSE(dialog->status_is_error());
    EXPECT_TRUE(shell.shown_boxes().empty());
}

TEST_F(SetupCarrierTest, ConnectClosesOnlyAfterItsMessageBox)
{
    start(9600, 5, 9600);
    open(true);
    click(connect_button);
    EXPECT_EQ(dialog->status()->text(), "Идет сканирование...");
    ASSERT_TRUE(wait_finished());
    EXPECT_EQ(*finished, QDialog::Accepted);
    const auto boxes = shell.shown_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes_at_finish, 1u);
    EXPECT_EQ(boxes[0].text, "Связь с прибором установлена!");
    EXPECT_EQ(boxes[0].caption, "ЗР740");
    EXPECT_EQ(boxes[0].icon, Icon::information);
}

TEST_F(SetupCarrierTest, SearchFindsTheInstrumentAtAnUnknownAddressAndConnectsToIt)
{
    start(9600, 7, 9600); // the instrument is at 5, the program looks for it at 7
    open(true);
    click(connect_button);
    // The search needs the line: not while the worker tries the settings.
    EXPECT_FALSE(dialog->button(search)->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->button(search)->isEnabled(); }, wait_ms));
    EXPECT_TRUE(dialog->status_is_error());

    bool picked = false;
    when_shown<ui::LineSearchDialog>([&](ui::LineSearchDialog& found) {
        found.set_range(1, 8);
        found.choose_rates({9600});
        found.start();
        found.wait_until_finished();
        ASSERT_EQ(found.table()->rowCount(), 1);
        EXPECT_TRUE(found.table()->item(0, 3)->font().bold()); // a ZR740 stands out
        picked = found.connect_to(0);
    });
    click(search);
    ASSERT_TRUE(wait_finished());
    EXPECT_TRUE(picked);
    EXPECT_EQ(*finished, QDialog::Accepted);
    EXPECT_EQ(shown_value("0x0007"), "5");
    EXPECT_EQ(document->link().link_settings().value_by_name("0x0007"), "5");
    ASSERT_FALSE(shell.shown_boxes().empty());
    EXPECT_EQ(shell.shown_boxes().back().text, "Связь с прибором установлена!");
}

TEST_F(SetupCarrierTest, FailedConnectStaysOpenWithTheRedStatus)
{
    start(9600, 7, 9600);
    open(true);
    click(connect_button);
    ASSERT_TRUE(wait_status("Не удалось установить связь с прибором!"));
    EXPECT_TRUE(dialog->status_is_error());
    EXPECT_TRUE(dialog->status()->styleSheet().contains("200, 0, 0"));
    EXPECT_FALSE(finished.has_value());
    click(exit_button);
    ASSERT_TRUE(wait_finished());
    EXPECT_EQ(*finished, QDialog::Rejected);
}

// The way offline: the variant choice insists on a choice; its "Отмена" cancels the setup too.
TEST_F(SetupCarrierTest, OfflineEndsAsTheVariantChoiceEnds)
{
    const struct {
        bool choose;
        int result;
    } table[] = {{false, QDialog::Rejected}, {true, QDialog::Accepted}};
    start(9600, 5, 9600);
    for (const auto& row : table) {
        SCOPED_TRACE(row.choose);
        finished.reset();
        shell.clear_shown_boxes();
        context.run.description_variant = 1;
        open(true);
        bool nothing_chosen_said = false;
        when_shown<ui::CSelectDeviceDlg>([&](ui::CSelectDeviceDlg& select) {
            EXPECT_EQ(select.windowTitle(), "Выберите прибор");
            EXPECT_EQ(select.list()->headerItem()->text(0), "Имя прибора");
            ASSERT_EQ(select.list()->topLevelItemCount(), 1);
            EXPECT_EQ(select.list()->topLevelItem(0)->text(0), "ЗР740");
            select.accept(); // nothing selected: says so and stays
            const auto boxes = shell.shown_boxes();
            nothing_chosen_said = boxes.size() == 1 &&
                                  boxes[0].text == "Предварительно следует выбрать прибор из списка!" &&
                                  boxes[0].icon == Icon::none && select.isVisible();
            if (row.choose) {
                select.list()->setCurrentItem(select.list()->topLevelItem(0));
                select.accept();
            } else {
                select.reject();
            }
        });
        click(offline);
        ASSERT_TRUE(wait_finished());
        EXPECT_TRUE(nothing_chosen_said);
        EXPECT_EQ(*finished, row.result);
        EXPECT_TRUE(dialog->went_offline());
        EXPECT_EQ(context.run.description_variant.load(), row.choose ? 0 : 1);
        dialog.reset();
    }
}

TEST_F(SetupCarrierTest, AProgramEndedFromOutsideClosesTheWindowDuringAScan)
{
    start(9600, 7, 4800);
    open(true);
    click(scan);
    ASSERT_TRUE(wait_status("Идет сканирование на скорости 2400..."));
    document->job().stop.set(); // as the exit signal's watcher does
    ASSERT_TRUE(wait_finished());
    EXPECT_EQ(*finished, QDialog::Rejected);
    EXPECT_EQ(document->link().link_settings().value_by_name("0x0009"), "4800");
}

TEST_F(SetupCarrierTest, FromTheMenuOfflineIsDisabledAndExitChangesNothing)
{
    start(9600, 5, 9600);
    open(false);
    EXPECT_EQ(dialog->windowTitle(), "Установка связи с прибором");
    EXPECT_FALSE(dialog->button(offline)->isEnabled());
    dialog->command(offline); // Enter or a stray command cannot take the way offline either
    QApplication::processEvents();
    EXPECT_FALSE(finished.has_value());
    const auto before = document->link().link_settings().value_by_name("0x0009");
    click(exit_button);
    ASSERT_TRUE(wait_finished());
    EXPECT_EQ(*finished, QDialog::Rejected);
    EXPECT_EQ(document->link().link_settings().value_by_name("0x0009"), before);
    EXPECT_TRUE(shell.shown_boxes().empty());
    (void)ok;
}

} // namespace
} // namespace zr740::testing
