// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's own texts: menus, prompts, captions and messages, marked for translation (see
// ui_text.h). Texts of the core (engine, document, device) stay in their layers.

#include "ui/command.h"
#include "ui/ui_text.h"

#include <string_view>

namespace zr740::ui::texts {

// The commands by their numbers, for the int side of Qt and the core (QAction data, posted
// commands) and for code written against the numbers; the window itself speaks of Command.
namespace ids {
inline constexpr int file_new = number(Command::file_new);
inline constexpr int file_open = number(Command::file_open);
inline constexpr int file_save = number(Command::file_save);
inline constexpr int file_save_as = number(Command::file_save_as);
inline constexpr int recent_file_1 = number(Command::recent_file_1);
inline constexpr int app_exit = number(Command::app_exit);
inline constexpr int read_all = number(Command::read_all);
inline constexpr int write_all = number(Command::write_all);
inline constexpr int write_changed = number(Command::write_changed);
inline constexpr int compare = number(Command::compare);
inline constexpr int initialise = number(Command::initialise);
inline constexpr int apply = number(Command::apply);
inline constexpr int single_point = number(Command::single_point);
inline constexpr int link_check = number(Command::link_check);
inline constexpr int converter_automatic = number(Command::converter_automatic);
inline constexpr int converter_semi = number(Command::converter_semi);
inline constexpr int port_setup = number(Command::port_setup);
inline constexpr int branch_read = number(Command::branch_read);
inline constexpr int branch_write_all = number(Command::branch_write_all);
inline constexpr int branch_write_changed = number(Command::branch_write_changed);
inline constexpr int branch_compare = number(Command::branch_compare);
inline constexpr int previous_problem = number(Command::previous_problem);
inline constexpr int next_problem = number(Command::next_problem);
inline constexpr int auto_read = number(Command::auto_read);
inline constexpr int immediate_write = number(Command::immediate_write);
inline constexpr int no_attributes = number(Command::no_attributes);
inline constexpr int verify_writes = number(Command::verify_writes);
inline constexpr int block_reads = number(Command::block_reads);
inline constexpr int calibration = number(Command::calibration);
inline constexpr int toolbar = number(Command::toolbar);
inline constexpr int status_bar = number(Command::status_bar);
inline constexpr int help = number(Command::help);
inline constexpr int help_key = number(Command::help_key);
inline constexpr int html_export = number(Command::html_export);
inline constexpr int about = number(Command::about);
inline constexpr int init_command = number(Command::init_command);
inline constexpr int compare_report = number(Command::compare_report);
inline constexpr int csv_export = number(Command::csv_export);
} // namespace ids

// Menu titles, exactly as the menu resource has them; their items are rows of command_table.h.
inline constexpr Text menu_file = QT_TRANSLATE_NOOP("zr740", "&Файл");
inline constexpr Text menu_device = QT_TRANSLATE_NOOP("zr740", "&Прибор");
inline constexpr Text menu_service = QT_TRANSLATE_NOOP("zr740", "С&ервис");
inline constexpr Text menu_converter = QT_TRANSLATE_NOOP("zr740", "Преобразователь");
inline constexpr Text menu_tree = QT_TRANSLATE_NOOP("zr740", "&Дерево");
inline constexpr Text menu_modes = QT_TRANSLATE_NOOP("zr740", "Режимы программы");
inline constexpr Text menu_help = QT_TRANSLATE_NOOP("zr740", "&Справка");

inline constexpr Text item_recent_empty = QT_TRANSLATE_NOOP("zr740", "Recent File");

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
