#pragma once
// The main window's own texts: menus, prompts, captions and messages, in one place so that a
// translation can be added later. Texts of the core (engine, document, device) stay in their layers.

#include <string_view>

namespace zr740::ui::texts {

// Commands of the main window (menu, toolbar, accelerators).
namespace ids {
inline constexpr int file_new = 57600;
inline constexpr int file_open = 57601;
inline constexpr int file_save = 57603;
inline constexpr int file_save_as = 57604;
inline constexpr int recent_file_1 = 57616; // and the three after it
inline constexpr int app_exit = 57665;
inline constexpr int read_all = 139;
inline constexpr int write_all = 140;
inline constexpr int write_changed = 256;
inline constexpr int compare = 257;
inline constexpr int initialise = 269;
inline constexpr int apply = 265;
inline constexpr int single_point = 378;
inline constexpr int link_check = 379;
inline constexpr int converter_automatic = 32798;
inline constexpr int converter_semi = 32799;
inline constexpr int port_setup = 32819;
inline constexpr int branch_read = 279;
inline constexpr int branch_write_all = 280;
inline constexpr int branch_write_changed = 281;
inline constexpr int branch_compare = 282;
inline constexpr int previous_problem = 276;
inline constexpr int next_problem = 277;
inline constexpr int auto_read = 134;
inline constexpr int immediate_write = 268;
inline constexpr int no_attributes = 294;
inline constexpr int calibration = 32824;
inline constexpr int toolbar = 59392;
inline constexpr int status_bar = 59393;
inline constexpr int help = 57667;
inline constexpr int help_key = 57670;
inline constexpr int html_export = 32804;
inline constexpr int about = 57664;
inline constexpr int init_command = 301;
} // namespace ids

// Menu titles and items, exactly as the menu resource has them.
inline constexpr std::string_view menu_file = "&Файл";
inline constexpr std::string_view menu_device = "&Прибор";
inline constexpr std::string_view menu_service = "С&ервис";
inline constexpr std::string_view menu_converter = "Преобразователь";
inline constexpr std::string_view menu_tree = "&Дерево";
inline constexpr std::string_view menu_modes = "Режимы программы";
inline constexpr std::string_view menu_help = "&Справка";

inline constexpr std::string_view item_new = "&Новый\tCtrl+N";
inline constexpr std::string_view item_open = "&Открыть...\tCtrl+O";
inline constexpr std::string_view item_save = "&Сохранить\tCtrl+S";
inline constexpr std::string_view item_save_as = "Сохранить &как...";
inline constexpr std::string_view item_recent_empty = "Recent File";
inline constexpr std::string_view item_exit = "Вы&ход";
inline constexpr std::string_view item_read_all = "Прочитать все параметры\tAlt+R";
inline constexpr std::string_view item_write_all = "Записать все параметры\tAlt+W";
inline constexpr std::string_view item_write_changed = "Записать только измененные\tAlt+U";
inline constexpr std::string_view item_compare = "Сравнить с реальными значениями\tAlt+C";
inline constexpr std::string_view item_initialise = "Инициализировать прибор";
inline constexpr std::string_view item_apply = "Послать команду \"Применить параметры\"\tAlt+A";
inline constexpr std::string_view item_single_point = "Опрос отдельного параметра\tAlt+S";
inline constexpr std::string_view item_link_check = "Проверка связи с прибором\tAlt+N";
inline constexpr std::string_view item_converter_automatic = "Автоматический";
inline constexpr std::string_view item_converter_semi = "Полуавтоматический (KV-9)";
inline constexpr std::string_view item_port_setup = "Настройка порта";
inline constexpr std::string_view item_branch_read = "Прочитать все параметры выделеной ветви\tAlt+Ctrl+R";
inline constexpr std::string_view item_branch_write_all = "Записать все параметры выделеной ветви\tAlt+Ctrl+W";
inline constexpr std::string_view item_branch_write_changed = "Записать только измененные параметры ветви\tAlt+Ctrl+U";
inline constexpr std::string_view item_branch_compare = "Сравнить значения с реальными в рамках ветви\tAlt+Ctrl+C";
inline constexpr std::string_view item_previous_problem = "К предыдущему проблемному параметру\tAtl+вверх";
inline constexpr std::string_view item_next_problem = "К следующему проблемному параметру\tAlt+вниз  ";
inline constexpr std::string_view item_auto_read = "Режим автоматического чтения";
inline constexpr std::string_view item_immediate_write = "Режим немедленной записи";
inline constexpr std::string_view item_no_attributes = "Не передавать атрибуты параметров";
inline constexpr std::string_view item_calibration = "Юстировка ";
inline constexpr std::string_view item_toolbar = "Панель инструментов";
inline constexpr std::string_view item_status_bar = "Панель состояния";
inline constexpr std::string_view item_help = "&Справка";
inline constexpr std::string_view item_html_export = "Экспорт списка параметров в HTML";
inline constexpr std::string_view item_about = "&О программе...";

// Prompts: the status-bar text, then after "\n" the tooltip (none when there is no "\n").
struct Prompt {
    int id;
    std::string_view text;
};
inline constexpr Prompt prompts[] = {
    {ids::file_new, "Начать новую конфигурацию\nНовая конфигурация"},
    {ids::file_open, "Открыть файл конфигурации\nОткрыть"},
    {ids::file_save, "Сохранить конфигурацию в файл\nСохранить"},
    {ids::file_save_as, "Сохранить конфигурацию в файл под новым именем\nСохранить как"},
    {ids::recent_file_1, "Открыть этот файл конфигурации"},
    {ids::app_exit, "Закрыть программу\nВыход"},
    {ids::read_all, "Прочитать все параметры из прибора\nПрочитать"},
    {ids::write_all, "Записать все параметры в прибор\nЗаписать все"},
    {ids::write_changed, "Записать только измененные параметры в прибор\nЗаписать измененные"},
    {ids::compare, "Сравнить параметры конфигурации со значениями в приборе\nСравнить"},
    {ids::initialise, "Инициализировать основные параметры значениями по умолчанию\nУстановить значения по умолчанию"},
    {ids::apply, "Послать прибору команду применения новых сетевых параметров\nПрименить параметры"},
    {ids::single_point, "Опрашивать один параметр прибора\nОпрос параметра"},
    {ids::link_check, "Прочитать название и версию прибора\nПроверка связи"},
    {ids::converter_automatic, "Преобразователь интерфейса RS-485 переключает направление сам\nАвтоматический"},
    {ids::converter_semi, "Направлением преобразователя RS-485 управляет линия RTS\nПолуавтоматический"},
    {ids::port_setup, "Настроить связь программы с прибором\nНастройка порта"},
    {ids::branch_read, "Прочитать все параметры выделенной ветви из прибора\nПрочитать ветвь"},
    {ids::branch_write_all, "Записать все параметры выделенной ветви в прибор\nЗаписать ветвь"},
    {ids::branch_write_changed, "Записать только измененные параметры выделенной ветви в прибор\nЗаписать измененные в ветви"},
    {ids::branch_compare, "Сравнить параметры выделенной ветви со значениями в приборе\nСравнить ветвь"},
    {ids::previous_problem,
     "Переход к ближайшему сверху параметру, имеющему ошибку или несоответствие\nПред.проблемный пар-р"},
    {ids::next_problem,
     "Переход к ближайшему снизу параметру, имеющему ошибку или несоответствие\nСлед.проблемный пар-р"},
    {ids::auto_read, "При раскрытии содержимое ветви будет прочитано"},
    {ids::immediate_write, "Сразу после изменения значение параметра будет записано в прибор"},
    {ids::no_attributes, "Атрибуты параметров не передаются в прибор"},
    {ids::calibration, "Юстировка смещения и диапазона прибора\nЮстировка"},
    {ids::toolbar, "Показать или скрыть панель инструментов\nПанель инструментов"},
    {ids::status_bar, "Показать или скрыть панель состояния\nПанель состояния"},
    {ids::help, "Открыть справку по программе\nСправка"},
    {ids::html_export, "Записать список параметров прибора в HTML-страницу и открыть ее\nЭкспорт в HTML"},
    {ids::about, "Сведения о программе, ее версии и правах\nО программе"},
    {ids::init_command, "Послать прибору специальную команду INIT"},
};

inline constexpr std::string_view idle_prompt = "Готово";
inline constexpr std::string_view toolbar_caption = "Панель инструментов";

// The frame caption: "Конфигуратор" + " " + variant + " - " + document title.
inline constexpr std::string_view frame_caption = "Конфигуратор";
inline constexpr std::string_view untitled = "Безымянный";

// Switching on "Не передавать атрибуты параметров".
inline constexpr std::string_view no_attributes_note =
    "Атрибуты параметров (\"Редактируемый\", \"Фирма\") не будут передаваться в прибор.";

inline constexpr std::string_view branch_undefined = "Ветвь не определена";
inline constexpr std::string_view help_missing = "Файл справки не найден!";
inline constexpr std::string_view help_file = "help/index.html";

inline constexpr std::string_view splash_caption = "Инициализация...";
inline constexpr std::string_view windows_failed = "Не удалось выполнить создание окон.\nПрограмме не хватает ресурсов!";

inline constexpr std::string_view ask_to_save = "Сохранить изменения в %s?";
inline constexpr std::string_view other_variant =
    "Файл '%s' содержит конфигурацию прибора %s, а программа сейчас работает с прибором %s.\n"
    "Открыть его и перейти к описанию прибора %s?";
inline constexpr std::string_view open_caption = "Открыть";
inline constexpr std::string_view save_caption = "Сохранить как";
inline constexpr std::string_view recent_missing = "Файл '%s' не найден.\nОн будет удален из списка последних файлов.";

// The start-up link check failed in an interactive run.
inline constexpr std::string_view offline_note =
    "Нет связи с прибором: конфигурация открыта без связи (описание %s). Проверка связи: Alt+N.";
inline constexpr std::string_view link_ok_note = "Связь с прибором: %s";

inline constexpr std::string_view about_caption = "О программе";
// Version, copyright, then the licence the program is distributed under.
inline constexpr std::string_view about_text = "Конфигуратор ЗР740\nВерсия %s\n%s\n\n%s";

// The progress window.
inline constexpr std::string_view progress_title = "Прибор <==> программа";
inline constexpr std::string_view progress_elapsed = "Обмен идет:";
inline constexpr std::string_view progress_processed = "Обработано пар-ов:";
inline constexpr std::string_view progress_count = "%i из %i";
inline constexpr std::string_view progress_abort = "Прервать!";

} // namespace zr740::ui::texts
