#pragma once
// Texts of the network ends: why "tcp://" or "modbus-tcp://" could not be reached. "%s" stands for
// the port text or the host, "%e" for the system's reason.

#include <string_view>

namespace zr740::texts {

inline constexpr std::string_view network_no_host = "%s: не указан узел сети (нужно tcp://УЗЕЛ:ПОРТ).";
inline constexpr std::string_view network_no_port = "%s: не указан TCP-порт (нужно tcp://УЗЕЛ:ПОРТ).";
inline constexpr std::string_view network_bad_port = "%s: TCP-порт должен быть числом от 1 до 65535.";
inline constexpr std::string_view network_bad_address = "%s: неверная запись адреса (нужно tcp://УЗЕЛ:ПОРТ).";
inline constexpr std::string_view network_unknown_host = "Узел %s не найден: %e.";
inline constexpr std::string_view network_connect_timeout = "%s не отвечает: соединение не установлено за 3 с.";
inline constexpr std::string_view network_connect_failed = "Не удается соединиться с %s: %e.";

} // namespace zr740::texts
