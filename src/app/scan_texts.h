#pragma once
// Texts of the search for instruments on a line and of its command, "--scan". "%i" stands for a
// number, "%s" for a text.

#include <string_view>

namespace zr740::texts {

inline constexpr std::string_view scan_exception = "исключение %i (%s)";
inline constexpr std::string_view scan_not_understood = "ответ не распознан";
inline constexpr std::string_view scan_usage =
    "Использование: zr740 --scan PORT [--address FROM-TO] [--baud RATE,RATE...]: PORT is a serial device, COMn or "
    "tcp://HOST:PORT / modbus-tcp://HOST:PORT; addresses 1..247 by default, the description's baud rates "
    "by default.";
inline constexpr std::string_view scan_bad_addresses = "Неверный диапазон адресов %s: нужно ОТ-ДО в пределах 1..247.";
inline constexpr std::string_view scan_bad_rates = "Неверный список скоростей %s: нужны числа от 1200 до 115200 через запятую.";
inline constexpr std::string_view scan_bad_option = "Неизвестный параметр поиска %s.";
inline constexpr std::string_view scan_port_failed = "Не удается открыть порт %p: %s";
inline constexpr std::string_view scan_progress = "Поиск: адрес %i, %i бод";
inline constexpr std::string_view scan_none_found = "Приборы не найдены.";

} // namespace zr740::texts
