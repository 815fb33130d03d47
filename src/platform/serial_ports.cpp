#include "platform/serial_ports.h"

#include <algorithm>
#include <charconv>
#include <fstream>

namespace zr740 {

namespace {

namespace fs = std::filesystem;

// Serial-core ports report their UART type; 0 (PORT_UNKNOWN) means nothing answered at that
// address and the device node cannot be opened. Entries without the attribute (USB adapters,
// CDC-ACM) are real by their existence.
bool phantom_uart(const fs::path& entry)
{
    std::ifstream in(entry / "type");
    if (!in)
        return false;
    std::string text;
    std::getline(in, text);
    int type = -1;
    return std::from_chars(text.data(), text.data() + text.size(), type).ec == std::errc() && type == 0;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Natural order: runs of digits compare by value, everything else byte by byte.
bool natural_less(std::string_view a, std::string_view b)
{
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (is_digit(a[i]) && is_digit(b[j])) {
            auto start_a = i, start_b = j;
            while (i < a.size() && is_digit(a[i]))
                ++i;
            while (j < b.size() && is_digit(b[j]))
                ++j;
            auto run_a = a.substr(start_a, i - start_a);
            auto run_b = b.substr(start_b, j - start_b);
            // Leading zeros do not change the value.
            while (run_a.size() > 1 && run_a.front() == '0')
                run_a.remove_prefix(1);
            while (run_b.size() > 1 && run_b.front() == '0')
                run_b.remove_prefix(1);
            if (run_a.size() != run_b.size())
                return run_a.size() < run_b.size();
            if (run_a != run_b)
                return run_a < run_b;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b; // equal in value ("ttyS01" and "ttyS1"): any fixed order
}

} // namespace

std::vector<std::string> list_serial_ports(const fs::path& sys_class_tty, const fs::path& dev_root)
{
    std::vector<std::string> ports;
    std::error_code error;

    for (fs::directory_iterator it(sys_class_tty, error), end; !error && it != end; it.increment(error)) {
        const auto& entry = it->path();
        auto name = entry.filename().string();
        if (name.find(':') != std::string::npos)
            continue;
        std::error_code probe;
        if (!fs::exists(entry / "device", probe))
            continue; // virtual consoles, pseudo-terminals, the console itself
        if (phantom_uart(entry))
            continue;
        ports.push_back((dev_root / name).string());
    }

    const auto by_id = dev_root / "serial" / "by-id";
    error.clear();
    for (fs::directory_iterator it(by_id, error), end; !error && it != end; it.increment(error)) {
        auto name = it->path().filename().string();
        if (name.find(':') != std::string::npos)
            continue;
        ports.push_back((by_id / name).string());
    }

    std::sort(ports.begin(), ports.end(), [](const std::string& a, const std::string& b) { return natural_less(a, b); });
    ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
    return ports;
}

std::string join_port_list(const std::vector<std::string>& ports)
{
    std::string out;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        if (i > 0)
            out += ':';
        out += ports[i];
    }
    return out;
}

std::string port_alias(std::string_view port)
{
    auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
    if (port.size() < 4 || upper(port[0]) != 'C' || upper(port[1]) != 'O' || upper(port[2]) != 'M')
        return std::string(port);
    auto digits = port.substr(3);
    if (!std::all_of(digits.begin(), digits.end(), is_digit))
        return std::string(port);
    unsigned number = 0;
    auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || stop != digits.data() + digits.size() || number < 1)
        return std::string(port);
    return "/dev/ttyS" + std::to_string(number - 1);
}

} // namespace zr740
