// SPDX-License-Identifier: GPL-3.0-or-later
// The single-point window against the simulator: the name list, what choosing a name shows, a read
// of every described register and writes of a typed value and of an enumeration item.

#include "dialog_fixture.h"

#include "app/single_point.h"
#include "ui/single_point_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace zr740::testing {
namespace {

constexpr int single_point_command = 378;

using DialogsSinglePointTest = DialogFixture;

std::vector<std::string> lines(const QListWidget& list)
{
    std::vector<std::string> found;
    for (int i = 0; i < list.count(); ++i)
        found.push_back(list.item(i)->text().toStdString());
    return found;
}

TEST_F(DialogsSinglePointTest, ChoosingANameShowsItsIdentifierDescriptionAndItems)
{
    ASSERT_TRUE(with_window<ui::CSinglePoint>(single_point_command, [&](ui::CSinglePoint& dialog) {
        QComboBox& names = *dialog.name_box();
        EXPECT_TRUE(names.isEditable());
        EXPECT_EQ(names.currentText(), "!0x0000");
        ASSERT_GT(names.count(), 20);
        std::vector<std::string> listed;
        for (int i = 0; i < names.count(); ++i)
            listed.push_back(names.itemText(i).toStdString());
        EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end()));
        EXPECT_FALSE(dialog.value_box()->isVisible());

        names.setCurrentText("0x000C");
        EXPECT_EQ(dialog.identifier()->text(), "0xC");
        EXPECT_NE(dialog.description()->text(), "Описание параметра");
        EXPECT_GT(dialog.value_box()->count(), 1); // the parity's items
        dialog.write_button()->click();
        EXPECT_TRUE(dialog.value_box()->isVisible());
        dialog.exit_button()->click();
    }));
}

TEST_F(DialogsSinglePointTest, ReadsEveryDescribedRegisterAndWritesTypedAndListedValues)
{
    ASSERT_TRUE(with_window<ui::CSinglePoint>(single_point_command, [&](ui::CSinglePoint& dialog) {
        int read = 0;
        for (const std::string& name : single_point_names(document->lists())) {
            // Registers are the names that read as hexadecimal numbers; the rest are Korvel's.
            if (name.rfind("0x", 0) != 0)
                continue;
            SCOPED_TRACE(name);
            dialog.name_box()->setCurrentText(QString::fromStdString(name));
            dialog.read_button()->click();
            dialog.run();
            const auto shown = lines(*dialog.results());
            ASSERT_EQ(shown.size(), 3u);
            EXPECT_EQ(shown[0].rfind(name + " (", 0), 0u);
            EXPECT_EQ(shown[1], "Нет ошибок; строковая нотация ответа:");
            ++read;
        }
        EXPECT_GT(read, 20);

        // A typed-in value and an enumeration item.
        dialog.name_box()->setCurrentText("0x0018");
        dialog.write_button()->click();
        dialog.value_box()->setEditText("2.5");
        dialog.run();
        EXPECT_EQ(lines(*dialog.results()).back(), "Нет ошибок; записано. Обратно вернулось='2.5'");
        EXPECT_EQ(simulator->value(0x0018), "2.500");

        dialog.name_box()->setCurrentText("0x001e");
        ASSERT_GE(dialog.value_box()->count(), 2);
        dialog.value_box()->setCurrentIndex(1);
        const std::string item = dialog.value_box()->currentText().toStdString();
        dialog.run();
        EXPECT_EQ(lines(*dialog.results()).back(), "Нет ошибок; записано. Обратно вернулось='" + item + "'");
        EXPECT_EQ(simulator->value(0x001E), item);
        dialog.exit_button()->click();
    }));
    EXPECT_TRUE(shell.shown_boxes().empty());
}

// The name the window opens with is run as it stands, and a name is found whether it is typed
// with the "!" of a register the tree leaves out or without it.
TEST_F(DialogsSinglePointTest, TheOpeningNameAndNamesWithOrWithoutTheExclamationMarkAreExchanged)
{
    ASSERT_TRUE(with_window<ui::CSinglePoint>(single_point_command, [&](ui::CSinglePoint& dialog) {
        EXPECT_EQ(dialog.name_box()->currentText(), "!0x0000");
        EXPECT_EQ(dialog.identifier()->text(), "0x0");
        dialog.run_button()->click();
        const auto first = lines(*dialog.results());
        ASSERT_EQ(first.size(), 3u);
        EXPECT_EQ(first[0], "0x0000 (Наименование прибора)");
        EXPECT_EQ(first[1], "Нет ошибок; строковая нотация ответа:");
        EXPECT_EQ(first[2], *simulator->value(0x0000));

        struct Case {
            const char* typed;
            const char* identifier;
            const char* first_line;
        };
        const Case cases[] = {
            {"!0x0018", "0x18", "0x0018 (Время демпфирования, с)"},
            {"!0X0004", "0x4", "0x0004 (Версия ПО)"},
            {"0x0044", "0x44", "!0x0044 (Позиционное обозначение)"},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.typed);
            dialog.name_box()->setEditText(c.typed);
            EXPECT_EQ(dialog.identifier()->text(), c.identifier);
            EXPECT_NE(dialog.description()->text(), "Описание параметра");
            dialog.run_button()->click();
            const auto shown = lines(*dialog.results());
            ASSERT_GE(shown.size(), 2u);
            EXPECT_EQ(shown[0], c.first_line);
        }
        dialog.exit_button()->click();
    }));
    EXPECT_TRUE(boxes("ЗР740").empty());
}

} // namespace
} // namespace zr740::testing
