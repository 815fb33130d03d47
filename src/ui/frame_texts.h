// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's own texts: menus, prompts, captions and messages, marked for translation (see
// ui_text.h). Texts of the core (engine, document, device) stay in their layers.

#include "app/app_shell.h"
#include "ui/ui_text.h"

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
// The commands the core may post have their numbers where the core can see them.
inline constexpr int read_all = command_ids::read_all;
inline constexpr int write_all = command_ids::write_all;
inline constexpr int write_changed = 256;
inline constexpr int compare = 257;
inline constexpr int initialise = command_ids::initialise_device;
inline constexpr int apply = command_ids::apply_parameters;
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
inline constexpr Text menu_file = QT_TRANSLATE_NOOP("zr740", "&Файл");
inline constexpr Text menu_device = QT_TRANSLATE_NOOP("zr740", "&Прибор");
inline constexpr Text menu_service = QT_TRANSLATE_NOOP("zr740", "С&ервис");
inline constexpr Text menu_converter = QT_TRANSLATE_NOOP("zr740", "Преобразователь");
inline constexpr Text menu_tree = QT_TRANSLATE_NOOP("zr740", "&Дерево");
inline constexpr Text menu_modes = QT_TRANSLATE_NOOP("zr740", "Режимы программы");
inline constexpr Text menu_help = QT_TRANSLATE_NOOP("zr740", "&Справка");

inline constexpr Text item_new = QT_TRANSLATE_NOOP("zr740", "&Новый\tCtrl+N");
inline constexpr Text item_open = QT_TRANSLATE_NOOP("zr740", "&Открыть...\tCtrl+O");
inline constexpr Text item_save = QT_TRANSLATE_NOOP("zr740", "&Сохранить\tCtrl+S");
inline constexpr Text item_save_as = QT_TRANSLATE_NOOP("zr740", "Сохранить &как...");
inline constexpr Text item_recent_empty = QT_TRANSLATE_NOOP("zr740", "Recent File");
inline constexpr Text item_exit = QT_TRANSLATE_NOOP("zr740", "Вы&ход");
inline constexpr Text item_read_all = QT_TRANSLATE_NOOP("zr740", "Прочитать все параметры\tAlt+R");
inline constexpr Text item_write_all = QT_TRANSLATE_NOOP("zr740", "Записать все параметры\tAlt+W");
inline constexpr Text item_write_changed = QT_TRANSLATE_NOOP("zr740", "Записать только измененные\tAlt+U");
inline constexpr Text item_compare = QT_TRANSLATE_NOOP("zr740", "Сравнить с реальными значениями\tAlt+C");
inline constexpr Text item_initialise = QT_TRANSLATE_NOOP("zr740", "Инициализировать прибор");
inline constexpr Text item_apply = QT_TRANSLATE_NOOP("zr740", "Послать команду \"Применить параметры\"\tAlt+A");
inline constexpr Text item_single_point = QT_TRANSLATE_NOOP("zr740", "Опрос отдельного параметра\tAlt+S");
inline constexpr Text item_link_check = QT_TRANSLATE_NOOP("zr740", "Проверка связи с прибором\tAlt+N");
inline constexpr Text item_converter_automatic = QT_TRANSLATE_NOOP("zr740", "Автоматический");
inline constexpr Text item_converter_semi = QT_TRANSLATE_NOOP("zr740", "Полуавтоматический (KV-9)");
inline constexpr Text item_port_setup = QT_TRANSLATE_NOOP("zr740", "Настройка порта");
inline constexpr Text item_branch_read =
    QT_TRANSLATE_NOOP("zr740", "Прочитать все параметры выделеной ветви\tAlt+Ctrl+R");
inline constexpr Text item_branch_write_all =
    QT_TRANSLATE_NOOP("zr740", "Записать все параметры выделеной ветви\tAlt+Ctrl+W");
inline constexpr Text item_branch_write_changed =
    QT_TRANSLATE_NOOP("zr740", "Записать только измененные параметры ветви\tAlt+Ctrl+U");
inline constexpr Text item_branch_compare =
    QT_TRANSLATE_NOOP("zr740", "Сравнить значения с реальными в рамках ветви\tAlt+Ctrl+C");
inline constexpr Text item_previous_problem =
    QT_TRANSLATE_NOOP("zr740", "К предыдущему проблемному параметру\tAtl+вверх");
inline constexpr Text item_next_problem = QT_TRANSLATE_NOOP("zr740", "К следующему проблемному параметру\tAlt+вниз  ");
inline constexpr Text item_auto_read = QT_TRANSLATE_NOOP("zr740", "Режим автоматического чтения");
inline constexpr Text item_immediate_write = QT_TRANSLATE_NOOP("zr740", "Режим немедленной записи");
inline constexpr Text item_no_attributes = QT_TRANSLATE_NOOP("zr740", "Не передавать атрибуты параметров");
inline constexpr Text item_calibration = QT_TRANSLATE_NOOP("zr740", "Юстировка ");
inline constexpr Text item_toolbar = QT_TRANSLATE_NOOP("zr740", "Панель инструментов");
inline constexpr Text item_status_bar = QT_TRANSLATE_NOOP("zr740", "Панель состояния");
inline constexpr Text item_help = QT_TRANSLATE_NOOP("zr740", "&Справка");
inline constexpr Text item_html_export = QT_TRANSLATE_NOOP("zr740", "Экспорт списка параметров в HTML");
inline constexpr Text item_about = QT_TRANSLATE_NOOP("zr740", "&О программе...");

// Prompts: the status-bar text, then after "\n" the tooltip (none when there is no "\n").
struct Prompt {
    int id;
    Text text;
};
inline constexpr Prompt prompts[] = {
    {ids::file_new, QT_TRANSLATE_NOOP("zr740", "Начать новую конфигурацию\nНовая конфигурация")},
    {ids::file_open, QT_TRANSLATE_NOOP("zr740", "Открыть файл конфигурации\nОткрыть")},
    {ids::file_save, QT_TRANSLATE_NOOP("zr740", "Сохранить конфигурацию в файл\nСохранить")},
    {ids::file_save_as, QT_TRANSLATE_NOOP("zr740", "Сохранить конфигурацию в файл под новым именем\nСохранить как")},
    {ids::recent_file_1, QT_TRANSLATE_NOOP("zr740", "Открыть этот файл конфигурации")},
    {ids::app_exit, QT_TRANSLATE_NOOP("zr740", "Закрыть программу\nВыход")},
    {ids::read_all, QT_TRANSLATE_NOOP("zr740", "Прочитать все параметры из прибора\nПрочитать")},
    {ids::write_all, QT_TRANSLATE_NOOP("zr740", "Записать все параметры в прибор\nЗаписать все")},
    {ids::write_changed,
     QT_TRANSLATE_NOOP("zr740", "Записать только измененные параметры в прибор\nЗаписать измененные")},
    {ids::compare, QT_TRANSLATE_NOOP("zr740", "Сравнить параметры конфигурации со значениями в приборе\nСравнить")},
    {ids::initialise,
     QT_TRANSLATE_NOOP(
         "zr740", "Инициализировать основные параметры значениями по умолчанию\nУстановить значения по умолчанию")},
    {ids::apply,
     QT_TRANSLATE_NOOP("zr740", "Послать прибору команду применения новых сетевых параметров\nПрименить параметры")},
    {ids::single_point, QT_TRANSLATE_NOOP("zr740", "Опрашивать один параметр прибора\nОпрос параметра")},
    {ids::link_check, QT_TRANSLATE_NOOP("zr740", "Прочитать название и версию прибора\nПроверка связи")},
    {ids::converter_automatic,
     QT_TRANSLATE_NOOP("zr740", "Преобразователь интерфейса RS-485 переключает направление сам\nАвтоматический")},
    {ids::converter_semi,
     QT_TRANSLATE_NOOP("zr740", "Направлением преобразователя RS-485 управляет линия RTS\nПолуавтоматический")},
    {ids::port_setup, QT_TRANSLATE_NOOP("zr740", "Настроить связь программы с прибором\nНастройка порта")},
    {ids::branch_read,
     QT_TRANSLATE_NOOP("zr740", "Прочитать все параметры выделенной ветви из прибора\nПрочитать ветвь")},
    {ids::branch_write_all,
     QT_TRANSLATE_NOOP("zr740", "Записать все параметры выделенной ветви в прибор\nЗаписать ветвь")},
    {ids::branch_write_changed,
     QT_TRANSLATE_NOOP("zr740",
                       "Записать только измененные параметры выделенной ветви в прибор\nЗаписать измененные в ветви")},
    {ids::branch_compare,
     QT_TRANSLATE_NOOP("zr740", "Сравнить параметры выделенной ветви со значениями в приборе\nСравнить ветвь")},
    {ids::previous_problem,
     QT_TRANSLATE_NOOP(
         "zr740", "Переход к ближайшему сверху параметру, имеющему ошибку или несоответствие\nПред.проблемный пар-р")},
    {ids::next_problem,
     QT_TRANSLATE_NOOP(
         "zr740", "Переход к ближайшему снизу параметру, имеющему ошибку или несоответствие\nСлед.проблемный пар-р")},
    {ids::auto_read, QT_TRANSLATE_NOOP("zr740", "При раскрытии содержимое ветви будет прочитано")},
    {ids::immediate_write,
     QT_TRANSLATE_NOOP("zr740", "Сразу после изменения значение параметра будет записано в прибор")},
    {ids::no_attributes, QT_TRANSLATE_NOOP("zr740", "Атрибуты параметров не передаются в прибор")},
    {ids::calibration, QT_TRANSLATE_NOOP("zr740", "Юстировка смещения и диапазона прибора\nЮстировка")},
    {ids::toolbar, QT_TRANSLATE_NOOP("zr740", "Показать или скрыть панель инструментов\nПанель инструментов")},
    {ids::status_bar, QT_TRANSLATE_NOOP("zr740", "Показать или скрыть панель состояния\nПанель состояния")},
    {ids::help, QT_TRANSLATE_NOOP("zr740", "Открыть справку по программе\nСправка")},
    {ids::html_export,
     QT_TRANSLATE_NOOP("zr740", "Записать список параметров прибора в HTML-страницу и открыть ее\nЭкспорт в HTML")},
    {ids::about, QT_TRANSLATE_NOOP("zr740", "Сведения о программе, ее версии и правах\nО программе")},
    {ids::init_command, QT_TRANSLATE_NOOP("zr740", "Послать прибору специальную команду INIT")},
};

inline constexpr Text idle_prompt = QT_TRANSLATE_NOOP("zr740", "Готово");
inline constexpr Text toolbar_caption = QT_TRANSLATE_NOOP("zr740", "Панель инструментов");

// The frame caption: "Конфигуратор" + " " + variant + " - " + document title.
inline constexpr Text frame_caption = QT_TRANSLATE_NOOP("zr740", "Конфигуратор");
inline constexpr Text untitled = QT_TRANSLATE_NOOP("zr740", "Безымянный");

// Switching on "Не передавать атрибуты параметров".
inline constexpr Text no_attributes_note =
    QT_TRANSLATE_NOOP("zr740", "Атрибуты параметров (\"Редактируемый\", \"Фирма\") не будут передаваться в прибор.");

inline constexpr Text branch_undefined = QT_TRANSLATE_NOOP("zr740", "Ветвь не определена");
inline constexpr Text help_missing = QT_TRANSLATE_NOOP("zr740", "Файл справки не найден!");
inline constexpr std::string_view help_file = "help/index.html";

inline constexpr Text splash_caption = QT_TRANSLATE_NOOP("zr740", "Инициализация...");
inline constexpr Text windows_failed =
    QT_TRANSLATE_NOOP("zr740", "Не удалось выполнить создание окон.\nПрограмме не хватает ресурсов!");

inline constexpr Text ask_to_save = QT_TRANSLATE_NOOP("zr740", "Сохранить изменения в %s?");
// The start after a run that was ended from outside with changes it could not save.
inline constexpr Text ask_to_recover = QT_TRANSLATE_NOOP(
    "zr740", "Работа программы была прервана, а изменения в '%s' остались несохраненными.\n"
             "Восстановить их?");
inline constexpr Text other_variant = QT_TRANSLATE_NOOP(
    "zr740", "Файл '%s' содержит конфигурацию прибора %s, а программа сейчас работает с прибором %s.\n"
             "Открыть его и перейти к описанию прибора %s?");
inline constexpr Text open_caption = QT_TRANSLATE_NOOP("zr740", "Открыть");
inline constexpr Text save_caption = QT_TRANSLATE_NOOP("zr740", "Сохранить как");
inline constexpr Text recent_missing =
    QT_TRANSLATE_NOOP("zr740", "Файл '%s' не найден.\nОн будет удален из списка последних файлов.");

// The start-up link check failed in an interactive run.
inline constexpr Text offline_note = QT_TRANSLATE_NOOP(
    "zr740", "Нет связи с прибором: конфигурация открыта без связи (описание %s). Проверка связи: Alt+N.");
inline constexpr Text link_ok_note = QT_TRANSLATE_NOOP("zr740", "Связь с прибором: %s");

inline constexpr Text about_caption = QT_TRANSLATE_NOOP("zr740", "О программе");
// Version, copyright, then the licence the program is distributed under.
inline constexpr Text about_text = QT_TRANSLATE_NOOP("zr740", "Конфигуратор ЗР740\nВерсия %s\n%s\n\n%s");

// The progress window.
inline constexpr Text progress_title = QT_TRANSLATE_NOOP("zr740", "Прибор <==> программа");
inline constexpr Text progress_elapsed = QT_TRANSLATE_NOOP("zr740", "Обмен идет:");
inline constexpr Text progress_processed = QT_TRANSLATE_NOOP("zr740", "Обработано пар-ов:");
inline constexpr Text progress_count = QT_TRANSLATE_NOOP("zr740", "%1 из %2");
inline constexpr Text progress_abort = QT_TRANSLATE_NOOP("zr740", "Прервать!");

} // namespace zr740::ui::texts
