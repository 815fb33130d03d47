#pragma once
// Texts of the CSV files: the log of polled values and the exported lists. "%s" stands for a text.

#include <string_view>

namespace zr740::texts {

// The first and last columns of the log of polled values.
inline constexpr std::string_view csv_time_column = "time";
inline constexpr std::string_view csv_status_column = "status";
// One failed poll in the status column: caption, then the reason; several are joined by "; ".
inline constexpr std::string_view csv_poll_failed = "%s: %s";

inline constexpr std::string_view csv_cannot_create = "Не удается создать файл %s: %s";
inline constexpr std::string_view csv_write_failed = "Запись в файл %s остановлена: %s. Записанные строки сохранены.";
inline constexpr std::string_view csv_no_columns = "Нет сканеров для записи в файл %s.";

// The columns of the differences a compare found, named as the tree and the report window name them.
inline constexpr std::string_view csv_difference_columns[] = {
    "Команда",
    "Индекс",
    "Описание",
    "Значение в конфигурации",
    "Атрибут редактирования в конфигурации",
    "Владелец в конфигурации",
    "Значение в приборе",
    "Атрибут редактирования в приборе",
    "Владелец в приборе",
};

// The columns of the parameter list: the element, then what the parameter list page shows.
inline constexpr std::string_view csv_parameter_columns[] = {
    "Раздел", "Команда", "Индекс", "Кол-во Регистров", "Описание", "Тип", "Минимум", "Максимум", "Атрибуты",
};

// The command line's unattended polling and compare.
inline constexpr std::string_view poll_needs_csv = "Для опроса сканеров (poll) нужен файл журнала: csv:ПУТЬ.";
inline constexpr std::string_view poll_no_scanners = "В описании прибора нет сканеров для опроса.";
inline constexpr std::string_view poll_never_answered = "Сканер '%s' ни разу не был прочитан за время опроса.";
inline constexpr std::string_view poll_nothing_read = "Ни один опрос сканеров не был успешным; журнал %s без значений.";
inline constexpr std::string_view csv_save_failed = "Не удается записать файл %s: %s";
inline constexpr std::string_view compare_differences_found = "Отличий между конфигурацией и прибором: %s.";

} // namespace zr740::texts
