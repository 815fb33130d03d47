#include "ui/command_table.h"

#include "ui/frame_texts.h"

#include <algorithm>
#include <array>

namespace zr740::ui {
namespace {

constexpr MenuEntry menus[] = {
    {Menu::file, Menu::none, texts::menu_file},
    {Menu::device, Menu::none, texts::menu_device},
    {Menu::service, Menu::device, texts::menu_service, true},
    {Menu::converter, Menu::device, texts::menu_converter},
    {Menu::tree, Menu::none, texts::menu_tree},
    {Menu::modes, Menu::none, texts::menu_modes},
    {Menu::help, Menu::none, texts::menu_help},
};

// The texts are those of the menu resource the program has always had, misspellings and all:
// people and their notes know them so.
// clang-format off
constexpr CommandEntry commands[] = {
    {.command = Command::file_new, .menu = Menu::file,
     .text = QT_TRANSLATE_NOOP("zr740", "&Новый\tCtrl+N"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Начать новую конфигурацию\nНовая конфигурация"),
     .shortcut = "Ctrl+N", .picture = {"document-new", pictures::file_new}, .toolbar = 1},
    {.command = Command::file_open, .menu = Menu::file,
     .text = QT_TRANSLATE_NOOP("zr740", "&Открыть...\tCtrl+O"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Открыть файл конфигурации\nОткрыть"),
     .shortcut = "Ctrl+O", .picture = {"document-open", pictures::file_open}, .toolbar = 2},
    {.command = Command::file_save, .menu = Menu::file,
     .text = QT_TRANSLATE_NOOP("zr740", "&Сохранить\tCtrl+S"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Сохранить конфигурацию в файл\nСохранить"),
     .shortcut = "Ctrl+S", .picture = {"document-save", pictures::file_save}, .toolbar = 3},
    {.command = Command::file_save_as, .menu = Menu::file,
     .text = QT_TRANSLATE_NOOP("zr740", "Сохранить &как..."),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Сохранить конфигурацию в файл под новым именем\nСохранить как"),
     .picture = {"document-save-as", pictures::file_save}},
    {.command = Command::recent_file_1, .menu = Menu::file,
     .prompt = QT_TRANSLATE_NOOP("zr740", "Открыть этот файл конфигурации"),
     .separator_before = true},
    {.command = Command::app_exit, .menu = Menu::file,
     .text = QT_TRANSLATE_NOOP("zr740", "Вы&ход"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Закрыть программу\nВыход"),
     .picture = {"application-exit", pictures::app_exit}, .separator_before = true},

    {.command = Command::read_all, .menu = Menu::device,
     .text = QT_TRANSLATE_NOOP("zr740", "Прочитать все параметры\tAlt+R"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Прочитать все параметры из прибора\nПрочитать"),
     .shortcut = "Alt+R", .picture = {nullptr, pictures::read_all}, .toolbar = 4, .toolbar_gap = true},
    {.command = Command::write_all, .menu = Menu::device,
     .text = QT_TRANSLATE_NOOP("zr740", "Записать все параметры\tAlt+W"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Записать все параметры в прибор\nЗаписать все"),
     .shortcut = "Alt+W", .picture = {nullptr, pictures::write_all}, .toolbar = 5},
    {.command = Command::write_changed, .menu = Menu::device,
     .text = QT_TRANSLATE_NOOP("zr740", "Записать только измененные\tAlt+U"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Записать только измененные параметры в прибор\nЗаписать измененные"),
     .shortcut = "Alt+U", .picture = {nullptr, pictures::write_changed}, .toolbar = 6},
    {.command = Command::compare, .menu = Menu::device,
     .text = QT_TRANSLATE_NOOP("zr740", "Сравнить с реальными значениями\tAlt+C"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Сравнить параметры конфигурации со значениями в приборе\nСравнить"),
     .shortcut = "Alt+C", .picture = {nullptr, pictures::compare}},
    {.command = Command::compare_report, .menu = Menu::device,
     .text = QT_TRANSLATE_NOOP("zr740", "Результат сравнения..."),
     .prompt = QT_TRANSLATE_NOOP(
         "zr740", "Показать все отличия, найденные последним сравнением, и сохранить их в файл\nРезультат сравнения")},
    {.command = Command::initialise, .menu = Menu::service,
     .text = QT_TRANSLATE_NOOP("zr740", "Инициализировать прибор"),
     .prompt = QT_TRANSLATE_NOOP(
         "zr740", "Инициализировать основные параметры значениями по умолчанию\nУстановить значения по умолчанию"),
     .picture = {nullptr, pictures::initialise}, .toolbar = 10, .toolbar_gap = true},
    {.command = Command::apply, .menu = Menu::service,
     .text = QT_TRANSLATE_NOOP("zr740", "Послать команду \"Применить параметры\"\tAlt+A"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Послать прибору команду применения новых сетевых параметров\nПрименить параметры"),
     .shortcut = "Alt+A", .picture = {nullptr, pictures::apply}},
    {.command = Command::single_point, .menu = Menu::device,
     .text = QT_TRANSLATE_NOOP("zr740", "Опрос отдельного параметра\tAlt+S"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Опрашивать один параметр прибора\nОпрос параметра"),
     .shortcut = "Alt+S", .picture = {nullptr, pictures::single_point}, .separator_before = true},
    {.command = Command::link_check, .menu = Menu::device,
     .text = QT_TRANSLATE_NOOP("zr740", "Проверка связи с прибором\tAlt+N"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Прочитать название и версию прибора\nПроверка связи"),
     .shortcut = "Alt+N", .picture = {nullptr, pictures::link_check}},
    {.command = Command::converter_automatic, .menu = Menu::converter,
     .text = QT_TRANSLATE_NOOP("zr740", "Автоматический"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Преобразователь интерфейса RS-485 переключает направление сам\nАвтоматический"),
     .checkable = true},
    {.command = Command::converter_semi, .menu = Menu::converter,
     .text = QT_TRANSLATE_NOOP("zr740", "Полуавтоматический (KV-9)"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Направлением преобразователя RS-485 управляет линия RTS\nПолуавтоматический"),
     .checkable = true},
    {.command = Command::line_search, .menu = Menu::device,
     .text = QT_TRANSLATE_NOOP("zr740", "Поиск приборов..."),
     .prompt = QT_TRANSLATE_NOOP(
         "zr740", "Найти приборы на линии: все адреса на выбранных скоростях\nПоиск приборов")},
    {.command = Command::commission, .menu = Menu::device,
     .text = QT_TRANSLATE_NOOP("zr740", "Пусконаладка серии..."),
     .prompt = QT_TRANSLATE_NOOP(
         "zr740", "Записать конфигурацию в приборы по очереди, проверить и записать отчет\nПусконаладка серии")},
    {.command = Command::port_setup, .menu = Menu::device,
     .text = QT_TRANSLATE_NOOP("zr740", "Настройка порта"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Настроить связь программы с прибором\nНастройка порта"),
     .picture = {nullptr, pictures::port_setup}},

    {.command = Command::branch_read, .menu = Menu::tree,
     .text = QT_TRANSLATE_NOOP("zr740", "Прочитать все параметры выделеной ветви\tAlt+Ctrl+R"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Прочитать все параметры выделенной ветви из прибора\nПрочитать ветвь"),
     .shortcut = "Ctrl+Alt+R", .picture = {nullptr, pictures::branch_read}, .toolbar = 7, .toolbar_gap = true},
    {.command = Command::branch_write_all, .menu = Menu::tree,
     .text = QT_TRANSLATE_NOOP("zr740", "Записать все параметры выделеной ветви\tAlt+Ctrl+W"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Записать все параметры выделенной ветви в прибор\nЗаписать ветвь"),
     .shortcut = "Ctrl+Alt+W", .picture = {nullptr, pictures::branch_write_all}, .toolbar = 8},
    {.command = Command::branch_write_changed, .menu = Menu::tree,
     .text = QT_TRANSLATE_NOOP("zr740", "Записать только измененные параметры ветви\tAlt+Ctrl+U"),
     .prompt = QT_TRANSLATE_NOOP(
         "zr740", "Записать только измененные параметры выделенной ветви в прибор\nЗаписать измененные в ветви"),
     .shortcut = "Ctrl+Alt+U", .picture = {nullptr, pictures::branch_write_changed}, .toolbar = 9},
    {.command = Command::branch_compare, .menu = Menu::tree,
     .text = QT_TRANSLATE_NOOP("zr740", "Сравнить значения с реальными в рамках ветви\tAlt+Ctrl+C"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Сравнить параметры выделенной ветви со значениями в приборе\nСравнить ветвь"),
     .shortcut = "Ctrl+Alt+C", .picture = {nullptr, pictures::branch_compare}},
    {.command = Command::previous_problem, .menu = Menu::tree,
     .text = QT_TRANSLATE_NOOP("zr740", "К предыдущему проблемному параметру\tAtl+вверх"),
     .prompt = QT_TRANSLATE_NOOP(
         "zr740", "Переход к ближайшему сверху параметру, имеющему ошибку или несоответствие\nПред.проблемный пар-р"),
     .shortcut = "Alt+Up", .picture = {nullptr, pictures::previous_problem}, .separator_before = true,
     .toolbar = 11, .toolbar_gap = true},
    {.command = Command::next_problem, .menu = Menu::tree,
     .text = QT_TRANSLATE_NOOP("zr740", "К следующему проблемному параметру\tAlt+вниз  "),
     .prompt = QT_TRANSLATE_NOOP(
         "zr740", "Переход к ближайшему снизу параметру, имеющему ошибку или несоответствие\nСлед.проблемный пар-р"),
     .shortcut = "Alt+Down", .picture = {nullptr, pictures::next_problem}, .toolbar = 12},

    {.command = Command::auto_read, .menu = Menu::modes,
     .text = QT_TRANSLATE_NOOP("zr740", "Режим автоматического чтения"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "При раскрытии содержимое ветви будет прочитано"),
     .checkable = true},
    {.command = Command::immediate_write, .menu = Menu::modes,
     .text = QT_TRANSLATE_NOOP("zr740", "Режим немедленной записи"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Сразу после изменения значение параметра будет записано в прибор"),
     .checkable = true},
    {.command = Command::verify_writes, .menu = Menu::modes,
     .text = QT_TRANSLATE_NOOP("zr740", "Проверять записанные значения"),
     .prompt = QT_TRANSLATE_NOOP(
         "zr740", "После записи параметры читаются из прибора и сравниваются с записанными\nПроверка записи"),
     .checkable = true},
    {.command = Command::block_reads, .menu = Menu::modes,
     .text = QT_TRANSLATE_NOOP("zr740", "Чтение блоками регистров"),
     .prompt = QT_TRANSLATE_NOOP(
         "zr740", "Соседние параметры ветви читаются из прибора одним запросом\nЧтение блоками"),
     .checkable = true},
    {.command = Command::no_attributes, .menu = Menu::modes,
     .text = QT_TRANSLATE_NOOP("zr740", "Не передавать атрибуты параметров"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Атрибуты параметров не передаются в прибор"),
     .checkable = true},
    {.command = Command::calibration, .menu = Menu::modes,
     .text = QT_TRANSLATE_NOOP("zr740", "Юстировка "),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Юстировка смещения и диапазона прибора\nЮстировка"),
     .picture = {nullptr, pictures::calibration}, .separator_before = true},
    {.command = Command::traffic_monitor, .menu = Menu::modes,
     .text = QT_TRANSLATE_NOOP("zr740", "Монитор обмена\tCtrl+M"),
     .prompt = QT_TRANSLATE_NOOP(
         "zr740", "Показать кадры линии связи, ошибки обмена и статистику связи\nМонитор обмена"),
     .shortcut = "Ctrl+M", .checkable = true},
    {.command = Command::trend_window, .menu = Menu::modes,
     .text = QT_TRANSLATE_NOOP("zr740", "Тренды\tCtrl+T"),
     .prompt = QT_TRANSLATE_NOOP(
         "zr740", "Показать графики опрашиваемых текущих значений во времени и записать их в CSV\nТренды"),
     .shortcut = "Ctrl+T", .picture = {nullptr, pictures::trend}, .checkable = true, .toolbar = 13,
     .toolbar_gap = true},
    {.command = Command::toolbar, .menu = Menu::modes,
     .text = QT_TRANSLATE_NOOP("zr740", "Панель инструментов"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Показать или скрыть панель инструментов\nПанель инструментов"),
     .checkable = true, .separator_before = true},
    {.command = Command::status_bar, .menu = Menu::modes,
     .text = QT_TRANSLATE_NOOP("zr740", "Панель состояния"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Показать или скрыть панель состояния\nПанель состояния"),
     .checkable = true},

    {.command = Command::help, .menu = Menu::help,
     .text = QT_TRANSLATE_NOOP("zr740", "&Справка"),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Открыть справку по программе\nСправка"),
     .picture = {"help-contents", pictures::help}},
    {.command = Command::html_export, .menu = Menu::help,
     .text = QT_TRANSLATE_NOOP("zr740", "Экспорт списка параметров в HTML"),
     .prompt = QT_TRANSLATE_NOOP(
         "zr740", "Записать список параметров прибора в HTML-страницу и открыть ее\nЭкспорт в HTML"),
     .picture = {nullptr, pictures::html_export}},
    {.command = Command::csv_export, .menu = Menu::help,
     .text = QT_TRANSLATE_NOOP("zr740", "Экспорт списка параметров в CSV..."),
     .prompt = QT_TRANSLATE_NOOP(
         "zr740", "Записать список параметров прибора в файл CSV для других программ\nЭкспорт в CSV")},
    {.command = Command::about, .menu = Menu::help,
     .text = QT_TRANSLATE_NOOP("zr740", "&О программе..."),
     .prompt = QT_TRANSLATE_NOOP("zr740", "Сведения о программе, ее версии и правах\nО программе"),
     .picture = {"help-about", pictures::about}, .separator_before = true, .toolbar = 14, .toolbar_gap = true},

    // Keys without a menu item: F1 for the help, Alt+I for the INIT command.
    {.command = Command::help_key, .menu = Menu::none, .shortcut = "F1"},
    {.command = Command::init_command, .menu = Menu::none,
     .prompt = QT_TRANSLATE_NOOP("zr740", "Послать прибору специальную команду INIT"),
     .shortcut = "Alt+I"},
};
// clang-format on

// One row a command; the toolbar's places run from 1 without a gap, and each button is a menu item
// too, so every command of the toolbar can be found in the menus; a row outside the menus is a key.
constexpr bool consistent()
{
    std::array<int, std::size(commands)> places{};
    std::size_t buttons = 0;
    for (std::size_t i = 0; i < std::size(commands); ++i) {
        const CommandEntry& entry = commands[i];
        for (std::size_t j = 0; j < i; ++j)
            if (commands[j].command == entry.command)
                return false;
        if (entry.menu == Menu::none && (!entry.shortcut || entry.toolbar != 0))
            return false;
        if (entry.toolbar != 0)
            places[buttons++] = entry.toolbar;
    }
    std::sort(places.begin(), places.begin() + static_cast<std::ptrdiff_t>(buttons));
    for (std::size_t i = 0; i < buttons; ++i)
        if (places[i] != static_cast<int>(i) + 1)
            return false;
    return true;
}
static_assert(consistent(), "the command table must hold each command once and number the toolbar from 1 on");

} // namespace

std::span<const MenuEntry> menu_table()
{
    return menus;
}

std::span<const CommandEntry> command_table()
{
    return commands;
}

const CommandEntry* command_entry(Command command)
{
    const auto found = std::ranges::find(commands, command, &CommandEntry::command);
    return found == std::end(commands) ? nullptr : &*found;
}

} // namespace zr740::ui
