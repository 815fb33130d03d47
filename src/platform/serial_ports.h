#pragma once
// The serial devices of this computer, offered as the choices of the "Port" setting, and the
// "COMn" names that older settings and command lines still use.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zr740 {

// Device paths of the serial ports present: every tty class entry with a device behind it, except
// serial-core ports whose UART type is 0 (the ttyS slots the 8250 driver registers whether or not a
// UART answers), plus the stable /dev/serial/by-id links. Names holding ":" are left out because
// ":" separates the items of the list. Sorted with digit runs compared as numbers, so ttyS2 comes
// before ttyS10. The roots are parameters so that tests can build a fake tree.
std::vector<std::string> list_serial_ports(const std::filesystem::path& sys_class_tty = "/sys/class/tty",
                                           const std::filesystem::path& dev_root = "/dev");

// The items joined by ":", without a trailing ":"; empty for no items.
std::string join_port_list(const std::vector<std::string>& ports);

// "COMn" (any case, n >= 1, digits only) names /dev/ttyS(n-1); any other text is a device path as
// it stands.
std::string port_alias(std::string_view port);

} // namespace zr740
