#include "link/port_address.h"

#include "link/network_texts.h"
#include "model/text.h"

#include <charconv>

namespace zr740 {
namespace {

constexpr std::string_view rtu_scheme = "tcp://";
constexpr std::string_view modbus_scheme = "modbus-tcp://";

bool starts_with_nocase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

bool fail(std::string& error, std::string_view pattern, std::string_view text)
{
    error = replace_all(pattern, "%s", text);
    return false;
}

} // namespace

bool names_network_end(std::string_view text)
{
    return starts_with_nocase(text, rtu_scheme) || starts_with_nocase(text, modbus_scheme);
}

bool parse_port_address(std::string_view text, PortAddress& address, std::string& error)
{
    address = {};
    error.clear();
    std::string_view rest;
    if (starts_with_nocase(text, rtu_scheme)) {
        address.kind = PortKind::rtu_over_tcp;
        rest = text.substr(rtu_scheme.size());
    } else if (starts_with_nocase(text, modbus_scheme)) {
        address.kind = PortKind::modbus_tcp;
        rest = text.substr(modbus_scheme.size());
    } else {
        return true;
    }
    // A trailing slash is what people copy from a browser; nothing may follow it.
    if (!rest.empty() && rest.back() == '/')
        rest.remove_suffix(1);
    std::string_view host;
    std::string_view port;
    if (!rest.empty() && rest.front() == '[') {
        const auto close = rest.find(']');
        if (close == std::string_view::npos)
            return fail(error, texts::network_bad_address, text);
        host = rest.substr(1, close - 1);
        const auto after = rest.substr(close + 1);
        if (after.empty())
            return fail(error, texts::network_no_port, text);
        if (after.front() != ':')
            return fail(error, texts::network_bad_address, text);
        port = after.substr(1);
    } else {
        const auto colon = rest.rfind(':');
        if (colon == std::string_view::npos)
            return fail(error, rest.empty() ? texts::network_no_host : texts::network_no_port, text);
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
        if (host.find(':') != std::string_view::npos || host.find('/') != std::string_view::npos)
            return fail(error, texts::network_bad_address, text);
    }
    if (host.empty())
        return fail(error, texts::network_no_host, text);
    if (port.empty())
        return fail(error, texts::network_no_port, text);
    int number = 0;
    const auto [end, result] = std::from_chars(port.data(), port.data() + port.size(), number);
    if (result != std::errc() || end != port.data() + port.size() || number < 1 || number > 65535)
        return fail(error, texts::network_bad_port, text);
    address.host = std::string(host);
    address.port = number;
    return true;
}

std::string port_text(const PortAddress& address)
{
    if (address.kind == PortKind::serial)
        return address.host;
    std::string text(address.kind == PortKind::modbus_tcp ? modbus_scheme : rtu_scheme);
    const bool v6 = address.host.find(':') != std::string::npos;
    text += v6 ? "[" + address.host + "]" : address.host;
    return text + ":" + std::to_string(address.port);
}

} // namespace zr740
