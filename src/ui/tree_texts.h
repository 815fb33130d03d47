// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tree view's own texts, marked for translation (see ui_text.h).

#include "ui/ui_text.h"

#include <string_view>

namespace zr740::ui::texts {

inline constexpr Text app_title = QT_TRANSLATE_NOOP("zr740", "ЗР740");

// Column headings, in column order.
inline constexpr Text column_caption = QT_TRANSLATE_NOOP("zr740", "Описание");
inline constexpr Text column_register = QT_TRANSLATE_NOOP("zr740", "Номер регистра (HEX)");
inline constexpr Text column_count = QT_TRANSLATE_NOOP("zr740", "Кол-во регистров");
inline constexpr Text column_value = QT_TRANSLATE_NOOP("zr740", "Значение");
inline constexpr Text column_editable = QT_TRANSLATE_NOOP("zr740", "Атрибут редактирования");
inline constexpr Text column_owner = QT_TRANSLATE_NOOP("zr740", "Владелец");
inline constexpr Text column_status = QT_TRANSLATE_NOOP("zr740", "Ошибки обмена и несоответствия");

// Fixed rows.
inline constexpr Text root_prefix = QT_TRANSLATE_NOOP("zr740", "Конфигурация ЗР740 (");
inline constexpr Text root_suffix = QT_TRANSLATE_NOOP("zr740", ")");
inline constexpr Text parameters_item = QT_TRANSLATE_NOOP("zr740", "Параметры прибора");
inline constexpr Text not_defined = QT_TRANSLATE_NOOP("zr740", "(не определены)");
inline constexpr Text scanner_header_name = QT_TRANSLATE_NOOP("zr740", "     Имя параметра");
inline constexpr Text scanner_header_period = QT_TRANSLATE_NOOP("zr740", "Период");
inline constexpr Text scanner_header_value = QT_TRANSLATE_NOOP("zr740", "Значение");
inline constexpr Text scanner_header_status = QT_TRANSLATE_NOOP("zr740", "Ошибки обмена и несоответствия");
// Suffix of an indexed scanner's caption: name and index.
inline constexpr std::string_view scanner_index = ", %s:%i";
inline constexpr Text bit_on = QT_TRANSLATE_NOOP("zr740", "включен");
inline constexpr Text bit_off = QT_TRANSLATE_NOOP("zr740", "отключен");
inline constexpr std::string_view bit_number = "%i";

// Editing.
inline constexpr Text polled_warning = QT_TRANSLATE_NOOP(
    "zr740", "Данный параметр опрашивается.\nВо время изменения значения вывод на экран измененных значений будет "
             "блокирован.");
inline constexpr Text cannot_assign =
    QT_TRANSLATE_NOOP("zr740", "Параметру '%s' (%s)\nне может быть присвоено значение '%s'.\n ");
inline constexpr Text network_name_rule =
    QT_TRANSLATE_NOOP("zr740", "(Значение не удовлетворяет требованиям к формату сетевого имени)");
inline constexpr Text range_rule =
    QT_TRANSLATE_NOOP("zr740", "(Значение этого параметра должно быть %s в диапазоне %s...%s)\n");
inline constexpr Text write_failed_caption = QT_TRANSLATE_NOOP("zr740", "Значение не удалось записать в прибор");

// Commands.
inline constexpr Text branch_undefined = QT_TRANSLATE_NOOP("zr740", "Ветвь не определена");
inline constexpr Text no_more_problems = QT_TRANSLATE_NOOP("zr740", "Нет других проблемных параметров");

// Context menus: of a branch, then of a parameter.
inline constexpr Text menu_read_branch = QT_TRANSLATE_NOOP("zr740", "Прочитать параметры ветви");
inline constexpr Text menu_write_branch = QT_TRANSLATE_NOOP("zr740", "Записать параметры ветви");
inline constexpr Text menu_write_changed = QT_TRANSLATE_NOOP("zr740", "Записать только измененные");
inline constexpr Text menu_compare_branch = QT_TRANSLATE_NOOP("zr740", "Сравнить с реальными значениями");
inline constexpr Text menu_read_parameter = QT_TRANSLATE_NOOP("zr740", "Прочитать параметр");
inline constexpr Text menu_write_parameter = QT_TRANSLATE_NOOP("zr740", "Записать параметр");
inline constexpr Text menu_set_no_data = QT_TRANSLATE_NOOP("zr740", "Установить значение в \"Нет данных\"");

} // namespace zr740::ui::texts
