#pragma once
// Texts of the serial line: why a port could not be opened. They go on a line of their own under
// the transaction layer's "cannot open the port" message. "%s" stands for the device path, "%g"
// for the group that owns the device.

#include <string_view>

namespace zr740::texts {

inline constexpr std::string_view port_not_found = "Устройство %s не найдено.";
inline constexpr std::string_view port_not_a_tty = "%s: это не последовательный порт.";
inline constexpr std::string_view port_busy = "Порт %s занят другой программой.";
inline constexpr std::string_view port_access_denied_group =
    "Нет прав доступа к устройству %s. Устройство принадлежит группе «%g»: пользователь должен быть членом "
    "этой группы (после добавления в группу нужно заново войти в систему).";
inline constexpr std::string_view port_access_denied = "Нет прав доступа к устройству %s.";
inline constexpr std::string_view port_no_hardware = "Устройство %s не отвечает: порт отсутствует или отключён.";
// "%e" stands for the system's error name and number, e.g. "EMFILE (24)".
inline constexpr std::string_view port_system_error = "Системная ошибка при открытии %s: %e.";

} // namespace zr740::texts
