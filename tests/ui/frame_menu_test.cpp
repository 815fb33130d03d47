// The menu bar, accelerators and toolbar as the product has always had them: one table of every
// item with its command and key.

#include "frame_fixture.h"

#include "ui/chlb5_tree_list_view.h"
#include "ui/frame_texts.h"

#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace zr740::testing {
namespace {

struct Item {
    const char* menu; // the menu (or sub-menu) holding the item
    const char* text;
    int id;
    const char* key; // the accelerator, empty for none
};

// clang-format off
const Item menu_table[] = {
    {"&Файл", "&Новый\tCtrl+N", 57600, "Ctrl+N"},
    {"&Файл", "&Открыть...\tCtrl+O", 57601, "Ctrl+O"},
    {"&Файл", "&Сохранить\tCtrl+S", 57603, "Ctrl+S"},
    {"&Файл", "Сохранить &как...", 57604, ""},
    {"&Файл", "Вы&ход", 57665, ""},
    {"&Прибор", "Прочитать все параметры\tAlt+R", 139, "Alt+R"},
    {"&Прибор", "Записать все параметры\tAlt+W", 140, "Alt+W"},
    {"&Прибор", "Записать только измененные\tAlt+U", 256, "Alt+U"},
    {"&Прибор", "Сравнить с реальными значениями\tAlt+C", 257, "Alt+C"},
    {"С&ервис", "Инициализировать прибор", 269, ""},
    {"С&ервис", "Послать команду \"Применить параметры\"\tAlt+A", 265, "Alt+A"},
    {"&Прибор", "Опрос отдельного параметра\tAlt+S", 378, "Alt+S"},
    {"&Прибор", "Проверка связи с прибором\tAlt+N", 379, "Alt+N"},
    {"Преобразователь", "Автоматический", 32798, ""},
    {"Преобразователь", "Полуавтоматический (KV-9)", 32799, ""},
    {"&Прибор", "Настройка порта", 32819, ""},
    {"&Дерево", "Прочитать все параметры выделеной ветви\tAlt+Ctrl+R", 279, "Ctrl+Alt+R"},
    {"&Дерево", "Записать все параметры выделеной ветви\tAlt+Ctrl+W", 280, "Ctrl+Alt+W"},
    {"&Дерево", "Записать только измененные параметры ветви\tAlt+Ctrl+U", 281, "Ctrl+Alt+U"},
    {"&Дерево", "Сравнить значения с реальными в рамках ветви\tAlt+Ctrl+C", 282, "Ctrl+Alt+C"},
    {"&Дерево", "К предыдущему проблемному параметру\tAtl+вверх", 276, "Alt+Up"},
    {"&Дерево", "К следующему проблемному параметру\tAlt+вниз  ", 277, "Alt+Down"},
    {"Режимы программы", "Режим автоматического чтения", 134, ""},
    {"Режимы программы", "Режим немедленной записи", 268, ""},
    {"Режимы программы", "Проверять записанные значения", 32832, ""},
    {"Режимы программы", "Чтение блоками регистров", 32833, ""},
    {"Режимы программы", "Не передавать атрибуты параметров", 294, ""},
    {"Режимы программы", "Юстировка ", 32824, ""},
    {"Режимы программы", "Монитор обмена\tCtrl+M", 32830, "Ctrl+M"},
    {"Режимы программы", "Тренды\tCtrl+T", 32836, "Ctrl+T"},
    {"Режимы программы", "Панель инструментов", 59392, ""},
    {"Режимы программы", "Панель состояния", 59393, ""},
    {"&Справка", "&Справка", 57667, ""},
    {"&Справка", "Экспорт списка параметров в HTML", 32804, ""},
    {"&Справка", "&О программе...", 57664, ""},
};
// clang-format on

QMenu* find_menu(QWidget* parent, const QString& title)
{
    for (QMenu* menu : parent->findChildren<QMenu*>())
        if (menu->title() == title)
            return menu;
    return nullptr;
}

class FrameMenuTest : public FrameFixture {};

TEST_F(FrameMenuTest, MenuItemsCarryTheirTextsCommandsAndKeys)
{
    QStringList top;
    for (QAction* action : frame->menuBar()->actions())
        top << action->text();
    EXPECT_EQ(top, (QStringList{"&Файл", "&Прибор", "&Дерево", "Режимы программы", "&Справка"}));

    for (const Item& item : menu_table) {
        SCOPED_TRACE(item.text);
        QMenu* menu = find_menu(frame.get(), QString::fromUtf8(item.menu));
        ASSERT_NE(menu, nullptr);
        QAction* found = nullptr;
        for (QAction* action : menu->actions())
            if (action->data().toInt() == item.id)
                found = action;
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->text().toStdString(), item.text);
        EXPECT_EQ(found->shortcut(), QKeySequence(QString::fromUtf8(item.key)));
    }
    // The service and converter sub-menus hang in the instrument menu.
    QMenu* device = find_menu(frame.get(), "&Прибор");
    EXPECT_NE(device->actions().indexOf(find_menu(frame.get(), "С&ервис")->menuAction()), -1);
    EXPECT_NE(device->actions().indexOf(find_menu(frame.get(), "Преобразователь")->menuAction()), -1);
}

TEST_F(FrameMenuTest, KeysWithoutMenuItemsAndCommandEnabling)
{
    EXPECT_EQ(frame->action(301)->shortcut(), QKeySequence("Alt+I"));
    EXPECT_EQ(frame->action(57670)->shortcut(), QKeySequence("F1"));
    // The ZR740's device object: the INIT command, the initialisation and the calibration.
    EXPECT_TRUE(frame->action(301)->isEnabled());
    EXPECT_TRUE(frame->action(269)->isEnabled());
    EXPECT_TRUE(frame->action(32824)->isEnabled());
    EXPECT_TRUE(frame->action(32798)->isChecked());
    EXPECT_FALSE(frame->action(32799)->isChecked());

    frame->run_command(32799);
    EXPECT_EQ(document->link().sio().automatic_converter, 0);
    EXPECT_TRUE(frame->action(32799)->isChecked());
    EXPECT_FALSE(frame->action(32798)->isChecked());

    // A document without description has no device object.
    frame->view()->reset_document();
    document->stop_threads();
    document->clear();
    frame->run_command(59393);
    frame->run_command(59393);
    EXPECT_FALSE(frame->action(269)->isEnabled());
    EXPECT_FALSE(frame->action(301)->isEnabled());
    EXPECT_FALSE(frame->action(32824)->isEnabled());
}

TEST_F(FrameMenuTest, ToolbarOrderTooltipsAndPrompts)
{
    std::vector<int> order;
    for (QAction* action : frame->tool_bar()->actions())
        order.push_back(action->isSeparator() ? 0 : action->data().toInt());
    EXPECT_EQ(order, (std::vector<int>{57600, 57601, 57603, 0, 139, 140, 256, 0, 279, 280, 281, 0, 269, 0, 276, 277,
                                       0, 32836, 0, 57664}));

    EXPECT_EQ(frame->action(139)->statusTip(), "Прочитать все параметры из прибора");
    EXPECT_EQ(frame->action(139)->toolTip(), "Прочитать");
    EXPECT_EQ(frame->action(256)->toolTip(), "Записать измененные");
    EXPECT_EQ(frame->action(276)->toolTip(), "Пред.проблемный пар-р");
    EXPECT_EQ(frame->action(269)->statusTip(), "Инициализировать основные параметры значениями по умолчанию");
    EXPECT_EQ(frame->action(134)->statusTip(), "При раскрытии содержимое ветви будет прочитано");
    EXPECT_EQ(frame->action(268)->statusTip(), "Сразу после изменения значение параметра будет записано в прибор");
    for (QAction* action : frame->tool_bar()->actions()) {
        if (!action->isSeparator()) {
            EXPECT_FALSE(action->icon().isNull()) << action->data().toInt();
        }
    }
    EXPECT_EQ(frame->statusBar()->currentMessage(), "Готово");
}

TEST_F(FrameMenuTest, ModesAreCheckMarksBoundToTheRun)
{
    context.auto_read = true;
    // Any command refreshes the marks (here: the status bar hidden and shown again).
    frame->run_command(59393);
    frame->run_command(59393);
    EXPECT_TRUE(frame->action(134)->isChecked());
    frame->action(134)->trigger();
    EXPECT_FALSE(context.auto_read);
    EXPECT_FALSE(frame->action(134)->isChecked());
    frame->action(268)->trigger();
    EXPECT_TRUE(context.immediate_write);
    EXPECT_TRUE(frame->action(268)->isChecked());
    // Reading written values back and block reads: modes of the run, which the jobs take at
    // their start.
    for (const auto& [id, mode] : {std::pair{32832, &context.verify_writes}, std::pair{32833, &context.block_reads}}) {
        EXPECT_FALSE(frame->action(id)->isChecked());
        frame->action(id)->trigger();
        EXPECT_TRUE(*mode) << id;
        EXPECT_TRUE(frame->action(id)->isChecked()) << id;
        frame->action(id)->trigger();
        EXPECT_FALSE(*mode) << id;
    }

    // Switching "do not transmit attributes" on explains itself once; switching it off does not.
    shell.clear_shown_boxes();
    frame->action(294)->trigger();
    frame->action(294)->trigger();
    ASSERT_EQ(shell.shown_boxes().size(), 1u);
    EXPECT_EQ(shell.shown_boxes()[0].icon, Icon::information);
    EXPECT_FALSE(frame->action(294)->isChecked());
}

TEST_F(FrameMenuTest, CaptionNamesTheVariantAndTheFile)
{
    EXPECT_EQ(frame->windowTitle(), "Конфигуратор ЗР740 - Безымянный");
    const std::string path = std::string(ZR740_BINARY_DIR) + "/frame_caption_test.zr740";
    ASSERT_TRUE(frame->save_to(path));
    EXPECT_EQ(frame->windowTitle(), "Конфигуратор ЗР740 - frame_caption_test.zr740");
    // A new configuration without a known instrument has no description.
    context.run.description_variant = 0xFF;
    frame->run_command(57600);
    EXPECT_EQ(frame->windowTitle(), "Конфигуратор <неизвестен> - Безымянный");
    EXPECT_EQ(frame->path(), "");
    EXPECT_EQ(frame->recent_files(), std::vector<std::string>{path});
    shell.clear_shown_boxes();
    frame->run_command(139);
    ASSERT_EQ(shell.shown_boxes().size(), 1u);
    EXPECT_EQ(shell.shown_boxes()[0].text, "Дерево не определено");
    EXPECT_EQ(shell.shown_boxes()[0].icon, Icon::stop);
}

TEST_F(FrameMenuTest, HelpPageExportAndAbout)
{
    frame->help_path = std::string(ZR740_BINARY_DIR) + "/bin/help/index.html";
    frame->run_command(57667);
    frame->help_path = std::string(ZR740_BINARY_DIR) + "/no-such-help.html";
    frame->run_command(57670);
    ASSERT_EQ(shell.shown_boxes().size(), 1u);
    EXPECT_EQ(shell.shown_boxes()[0].text, "Файл справки не найден!");
    EXPECT_EQ(shell.shown_boxes()[0].icon, Icon::warning);

    frame->run_command(32804);
    frame->run_command(57664);
    QApplication::processEvents();
    const auto opened = shell.opened_files();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], std::string(ZR740_BINARY_DIR) + "/bin/help/index.html");
    EXPECT_NE(opened[1].find("parlist.html"), std::string::npos);
    const auto about = boxes("О программе");
    ASSERT_EQ(about.size(), 1u);
    EXPECT_EQ(about[0].text.rfind("Конфигуратор ЗР740\nВерсия ", 0), 0u);
    EXPECT_NE(about[0].text.find("GPL-3.0-or-later"), std::string::npos);
}

} // namespace
} // namespace zr740::testing
