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

} // namespace zr740::texts
