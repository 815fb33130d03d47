#pragma once
// The application's own texts (start-up and the command line), in one place for a translation.

#include <string_view>

namespace zr740::texts {

inline constexpr std::string_view calibration_needs_window = "Юстировка прибора выполняется в окне программы.";
inline constexpr std::string_view cannot_create_log = "Не удалось создать протокол ошибок '%s':\n%s";
inline constexpr std::string_view cannot_create_exit_event = "Не удалось создать событие завершения '%s':\n%s";

} // namespace zr740::texts
