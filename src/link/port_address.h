#pragma once
// What a port text names: a serial device ("/dev/ttyUSB0", "COM3"), or a network end that carries
// the instrument's line: "tcp://HOST:PORT", Modbus-RTU frames unchanged over a TCP connection (a
// serial device server in raw mode), or "modbus-tcp://HOST:PORT", Modbus TCP to a gateway with the
// instrument's address as the unit identifier. HOST is a name, an IPv4 address or an IPv6 address
// in brackets ("[::1]").

#include <string>
#include <string_view>

namespace zr740 {

enum class PortKind { serial, rtu_over_tcp, modbus_tcp };

struct PortAddress {
    PortKind kind = PortKind::serial;
    std::string host; // network ends only; without brackets
    int port = 0;
};

// True when the text starts with a network scheme, well formed or not.
bool names_network_end(std::string_view text);

// False for a network text that names no reachable end ("tcp://", no port, port out of 1..65535),
// with the reason in the program's language; a text without a scheme is a serial port and always
// parses.
bool parse_port_address(std::string_view text, PortAddress& address, std::string& error);

// "tcp://HOST:PORT" back from its parts (brackets around an IPv6 host).
std::string port_text(const PortAddress& address);

} // namespace zr740
