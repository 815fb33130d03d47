#include "app/command_line.h"

#include "app/app_context.h"
#include "model/c_numbers.h"
#include "model/text.h"

#include <algorithm>
#include <array>

namespace zr740 {
namespace {

// "ext" is accepted and ignored.
constexpr std::array<std::string_view, 25> option_names{
    "write", "read",     "port",      "bps",    "prty",  "0x0007",    "len",  "sbit",      "alen", "rs485", "aply", "x",
    "y",     "w",        "h",         "autoread", "autowrite", "silent", "close", "calibrate", "elog", "exitevent", "test",
    "ext",   "html"};

// The options that stand alone; every other one carries a value after ":".
constexpr std::array<std::string_view, 8> flag_options{"write", "read", "aply", "silent", "close", "calibrate", "test",
                                                       "ext"};

// The values of these options are paths: they keep their letter case and may contain "/".
bool takes_rest(std::string_view name) { return name == "port" || name == "elog" || name == "html"; }

bool is_flag_option(std::string_view name)
{
    for (std::string_view flag : flag_options)
        if (flag == name)
            return true;
    return false;
}

// Whether an argument that begins with "/" is options rather than an absolute path: every name in
// it must be a known option, with a value exactly when the option takes one. "/read/port:/dev/x"
// is options; "/x/line3.zr740" and "/test/line3.zr740" are paths.
bool slash_argument_is_options(const std::string& argument)
{
    const std::string lowered = fold_case(argument.substr(1));
    std::size_t start = 0;
    bool any = false;
    while (start < lowered.size()) {
        std::size_t end = lowered.find('/', start);
        if (end == std::string::npos)
            end = lowered.size();
        const std::string_view token = std::string_view(lowered).substr(start, end - start);
        if (token.empty())
            break; // an empty token ends the options, as the parser does
        const std::size_t colon = token.find(':');
        const std::string_view name = token.substr(0, colon);
        if (!is_option_name(name))
            return false;
        const bool has_value = colon != std::string_view::npos;
        if (has_value == is_flag_option(name))
            return false;
        any = true;
        // A path value runs to the end of the argument.
        if (takes_rest(name))
            return true;
        start = end + 1;
    }
    return any;
}

std::string trim_quotes(std::string text)
{
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

// A whole number in C syntax ("3", "0x10"), not a device path that happens to start with digits.
bool is_whole_number(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789abcdefx") == std::string_view::npos &&
           scan_c_integer(text).has_value();
}

template <typename T> void set_number(std::string_view text, T& field)
{
    if (const auto number = scan_c_integer(text))
        field = static_cast<T>(*number);
}

} // namespace

bool is_option_name(std::string_view name)
{
    for (std::string_view known : option_names)
        if (known == name)
            return true;
    return false;
}

CmyCommandLineInfo::CmyCommandLineInfo(const std::vector<std::string>& arguments)
{
    for (const std::string& argument : arguments) {
        bool option = !argument.empty() && argument[0] == '-';
        if (!argument.empty() && argument[0] == '/')
            option = slash_argument_is_options(argument);
        if (option)
            parse_option(argument);
        else
            file_name = argument;
    }
}

void CmyCommandLineInfo::parse_option(const std::string& argument)
{
    const std::string typed = argument.substr(1);
    const std::string lowered = fold_case(typed);
    std::size_t start = 0;
    while (start <= lowered.size()) {
        std::size_t end = lowered.find('/', start);
        if (end == std::string::npos)
            end = lowered.size();
        const std::string token = lowered.substr(start, end - start);
        if (token.empty())
            return;
        settings.options |= option_flags::any;
        const std::size_t colon = token.find(':');
        const std::string name = token.substr(0, colon);
        check_known(name, std::string_view(typed).substr(start, std::min(colon, token.size())));
        if (takes_rest(name)) {
            // The value runs to the end of the argument, in the case it was typed.
            const std::string rest = colon == std::string::npos ? std::string() : typed.substr(start + colon + 1);
            apply(name, fold_case(rest), rest);
            return;
        }
        apply(name, colon == std::string::npos ? std::string() : token.substr(colon + 1), {});
        start = end + 1;
    }
}

void CmyCommandLineInfo::check_known(const std::string& name, std::string_view typed)
{
    if (!is_option_name(name))
        unknown_options.emplace_back(typed);
}

void CmyCommandLineInfo::apply(const std::string& name, const std::string& value, const std::string& rest_as_typed)
{
    auto& s = settings;
    if (name == "write") {
        s.options |= option_flags::write;
    } else if (name == "read") {
        s.options |= option_flags::read;
    } else if (name == "port") {
        s.options |= option_flags::port_settings;
        // A number is the COM port of that number; anything else is a device path.
        if (is_whole_number(value)) {
            s.port_number = static_cast<std::uint8_t>(*scan_c_integer(value));
            s.port_path.clear();
        } else if (!rest_as_typed.empty()) {
            s.port_path = trim_quotes(rest_as_typed);
            s.port_number = 0;
        }
    } else if (name == "bps") {
        set_number(value, s.baud_rate);
        s.options |= option_flags::port_settings;
    } else if (name == "prty") {
        s.options |= option_flags::port_settings;
        if (value == "even")
            s.parity = 1;
        else if (value == "odd")
            s.parity = 2;
        else if (value == "no")
            s.parity = 3;
        else
            s.options &= ~option_flags::port_settings;
    } else if (name == "0x0007") {
        s.address = value.substr(0, 5);
        s.options |= option_flags::port_settings;
    } else if (name == "len") {
        set_number(value, s.data_bits);
        s.options |= option_flags::port_settings;
    } else if (name == "sbit") {
        s.stop_bits = value.substr(0, 4);
        s.options |= option_flags::port_settings;
    } else if (name == "alen") {
        set_number(value, s.address_length);
        s.options |= option_flags::port_settings;
    } else if (name == "rs485") {
        if (value == "auto")
            s.rs485 = 1;
        else if (value == "off")
            s.rs485 = 2;
        else if (value == "on")
            s.rs485 = 3;
    } else if (name == "aply") {
        s.options |= option_flags::aply;
    } else if (name == "x" || name == "y" || name == "w" || name == "h") {
        const char which = name[0];
        std::int32_t& field = which == 'x' ? s.x : which == 'y' ? s.y : which == 'w' ? s.width : s.height;
        const std::uint8_t flag = which == 'x'   ? placement_flags::x
                                  : which == 'y' ? placement_flags::y
                                  : which == 'w' ? placement_flags::width
                                                 : placement_flags::height;
        if (const auto number = scan_c_integer(value)) {
            field = static_cast<std::int32_t>(*number);
            s.placement |= flag;
        }
    } else if (name == "autoread") {
        if (value == "on")
            s.modes |= mode_flags::auto_read_on;
        else if (value == "off")
            s.modes |= mode_flags::auto_read_off;
    } else if (name == "autowrite") {
        if (value == "on")
            s.modes |= mode_flags::immediate_write_on;
        else if (value == "off")
            s.modes |= mode_flags::immediate_write_off;
    } else if (name == "silent") {
        s.modes |= mode_flags::auto_read_off | mode_flags::immediate_write_off | mode_flags::silent;
    } else if (name == "close") {
        s.options |= option_flags::close;
    } else if (name == "calibrate") {
        s.options |= option_flags::calibrate;
    } else if (name == "elog") {
        error_log_path = trim_quotes(rest_as_typed);
    } else if (name == "exitevent") {
        exit_event_name = trim_quotes(value);
    } else if (name == "test") {
        s.modes |= mode_flags::test;
    } else if (name == "html") {
        html_path = trim_quotes(rest_as_typed);
    }
    // "ext" only marks that an option was given; unknown names were noted by check_known.
}

} // namespace zr740
