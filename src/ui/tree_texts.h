#pragma once
// The tree view's own texts, in one place so that a translation can be added later.

#include <string_view>

namespace zr740::ui::texts {

inline constexpr std::string_view app_title = "ЗР740";

// Column headings, in column order.
inline constexpr std::string_view column_caption = "Описание";
inline constexpr std::string_view column_register = "Номер регистра (HEX)";
inline constexpr std::string_view column_count = "Кол-во регистров";
inline constexpr std::string_view column_value = "Значение";
inline constexpr std::string_view column_editable = "Атрибут редактирования";
inline constexpr std::string_view column_owner = "Владелец";
inline constexpr std::string_view column_status = "Ошибки обмена и несоответствия";

// Fixed rows.
inline constexpr std::string_view root_prefix = "Конфигурация ЗР740 (";
inline constexpr std::string_view root_suffix = ")";
inline constexpr std::string_view parameters_item = "Параметры прибора";
inline constexpr std::string_view not_defined = "(не определены)";
inline constexpr std::string_view scanner_header_name = "     Имя параметра";
inline constexpr std::string_view scanner_header_period = "Период";
inline constexpr std::string_view scanner_header_value = "Значение";
inline constexpr std::string_view scanner_header_status = "Ошибки обмена и несоответствия";
// Suffix of an indexed scanner's caption: name and index.
inline constexpr std::string_view scanner_index = ", %s:%i";
inline constexpr std::string_view bit_on = "включен";
inline constexpr std::string_view bit_off = "отключен";
inline constexpr std::string_view bit_number = "%i";

// Editing.
inline constexpr std::string_view polled_warning =
    "Данный параметр опрашивается.\nВо время изменения значения вывод на экран измененных значений будет "
    "блокирован.";
inline constexpr std::string_view cannot_assign = "Параметру '%s' (%s)\nне может быть присвоено значение '%s'.\n ";
inline constexpr std::string_view network_name_rule = "(Значение не удовлетворяет требованиям к формату сетевого имени)";
inline constexpr std::string_view range_rule = "(Значение этого параметра должно быть %s в диапазоне %s...%s)\n";
inline constexpr std::string_view write_failed_caption = "Значение не удалось записать в прибор";

// Commands.
inline constexpr std::string_view branch_undefined = "Ветвь не определена";
inline constexpr std::string_view no_more_problems = "Нет других проблемных параметров";

// Context menus: of a branch, then of a parameter.
inline constexpr std::string_view menu_read_branch = "Прочитать параметры ветви";
inline constexpr std::string_view menu_write_branch = "Записать параметры ветви";
inline constexpr std::string_view menu_write_changed = "Записать только измененные";
inline constexpr std::string_view menu_compare_branch = "Сравнить с реальными значениями";
inline constexpr std::string_view menu_read_parameter = "Прочитать параметр";
inline constexpr std::string_view menu_write_parameter = "Записать параметр";
inline constexpr std::string_view menu_set_no_data = "Установить значение в \"Нет данных\"";

} // namespace zr740::ui::texts
