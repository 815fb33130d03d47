#include "app/command_line.h"

#include "app/app_context.h"
#include "model/c_numbers.h"
#include "model/text.h"

#include <algorithm>
#include <array>

namespace zr740 {
namespace {

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

// What each option does with its value: `value` is lower case, `rest_as_typed` the path as it was
// typed (path options only).
using Handler = void (*)(CmyCommandLineInfo& info, const std::string& value, const std::string& rest_as_typed);

template <std::uint32_t flag> void set_option(CmyCommandLineInfo& info, const std::string&, const std::string&)
{
    info.settings.options |= flag;
}

template <std::uint8_t bits> void set_modes(CmyCommandLineInfo& info, const std::string&, const std::string&)
{
    info.settings.modes |= bits;
}

template <std::uint8_t on, std::uint8_t off>
void set_on_off_mode(CmyCommandLineInfo& info, const std::string& value, const std::string&)
{
    if (value == "on")
        info.settings.modes |= on;
    else if (value == "off")
        info.settings.modes |= off;
}

// A link setting marks the link settings given even when its number does not convert.
template <auto field> void set_link_number(CmyCommandLineInfo& info, const std::string& value, const std::string&)
{
    set_number(value, info.settings.*field);
    info.settings.options |= option_flags::port_settings;
}

template <auto field, std::size_t longest>
void set_link_text(CmyCommandLineInfo& info, const std::string& value, const std::string&)
{
    info.settings.*field = value.substr(0, longest);
    info.settings.options |= option_flags::port_settings;
}

void set_port(CmyCommandLineInfo& info, const std::string& value, const std::string& rest_as_typed)
{
    auto& s = info.settings;
    s.options |= option_flags::port_settings;
    // A number is the COM port of that number; anything else is a device path.
    if (is_whole_number(value)) {
        s.port_number = static_cast<std::uint8_t>(*scan_c_integer(value));
        s.port_path.clear();
    } else if (!rest_as_typed.empty()) {
        s.port_path = trim_quotes(rest_as_typed);
        s.port_number = 0;
    }
}

// A parity the program does not know withdraws the link settings, also those given before it.
void set_parity(CmyCommandLineInfo& info, const std::string& value, const std::string&)
{
    auto& s = info.settings;
    s.options |= option_flags::port_settings;
    if (value == "even")
        s.parity = Parity::even;
    else if (value == "odd")
        s.parity = Parity::odd;
    else if (value == "no")
        s.parity = Parity::none;
    else
        s.options &= ~option_flags::port_settings;
}

void set_rs485(CmyCommandLineInfo& info, const std::string& value, const std::string&)
{
    if (value == "auto")
        info.settings.rs485 = 1;
    else if (value == "off")
        info.settings.rs485 = 2;
    else if (value == "on")
        info.settings.rs485 = 3;
}

template <auto field, std::uint8_t flag>
void set_placement(CmyCommandLineInfo& info, const std::string& value, const std::string&)
{
    if (const auto number = scan_c_integer(value)) {
        info.settings.*field = static_cast<std::int32_t>(*number);
        info.settings.placement |= flag;
    }
}

template <auto field> void set_path(CmyCommandLineInfo& info, const std::string&, const std::string& rest_as_typed)
{
    info.*field = trim_quotes(rest_as_typed);
}

void set_exit_event(CmyCommandLineInfo& info, const std::string& value, const std::string&)
{
    info.exit_event_name = trim_quotes(value);
}

// A number of seconds, 0 and up; anything else makes the option one the run does not understand.
void set_poll(CmyCommandLineInfo& info, const std::string& value, const std::string&)
{
    const auto number = scan_c_integer(value);
    if (!value.empty() && number && *number >= 0 && *number <= 100'000'000)
        info.poll_seconds = static_cast<int>(*number);
    else
        info.unknown_options.push_back("poll:" + value);
}

void set_compare(CmyCommandLineInfo& info, const std::string&, const std::string&) { info.compare = true; }

// Commissioning writes the file and reads every parameter back.
void set_commission(CmyCommandLineInfo& info, const std::string&, const std::string&)
{
    info.settings.options |= option_flags::commission | option_flags::write;
    info.settings.modes |= mode_flags::verify;
}

// "ext" is accepted and ignored: it only marks that an option was given.
void ignore(CmyCommandLineInfo&, const std::string&, const std::string&) {}

// How an option takes its value: none, one after ":", or a path, which keeps its letter case and
// may contain "/", so it runs to the end of the argument.
enum class Form { flag, value, path };

struct Option {
    std::string_view name;
    Form form;
    Handler apply;
};

using S = CommandLineSettings;
namespace flags = option_flags;
namespace modes = mode_flags;
constexpr auto option_table = std::to_array<Option>({
    {"write", Form::flag, set_option<flags::write>},
    {"read", Form::flag, set_option<flags::read>},
    {"port", Form::path, set_port},
    {"bps", Form::value, set_link_number<&S::baud_rate>},
    {"prty", Form::value, set_parity},
    {"0x0007", Form::value, set_link_text<&S::address, 5>},
    {"len", Form::value, set_link_number<&S::data_bits>},
    {"sbit", Form::value, set_link_text<&S::stop_bits, 4>},
    {"alen", Form::value, set_link_number<&S::address_length>},
    {"rs485", Form::value, set_rs485},
    {"aply", Form::flag, set_option<flags::aply>},
    {"x", Form::value, set_placement<&S::x, placement_flags::x>},
    {"y", Form::value, set_placement<&S::y, placement_flags::y>},
    {"w", Form::value, set_placement<&S::width, placement_flags::width>},
    {"h", Form::value, set_placement<&S::height, placement_flags::height>},
    {"autoread", Form::value, set_on_off_mode<modes::auto_read_on, modes::auto_read_off>},
    {"autowrite", Form::value, set_on_off_mode<modes::immediate_write_on, modes::immediate_write_off>},
    {"silent", Form::flag, set_modes<modes::auto_read_off | modes::immediate_write_off | modes::silent>},
    {"close", Form::flag, set_option<flags::close>},
    {"calibrate", Form::flag, set_option<flags::calibrate>},
    {"elog", Form::path, set_path<&CmyCommandLineInfo::error_log_path>},
    {"exitevent", Form::value, set_exit_event},
    {"test", Form::flag, set_modes<modes::test>},
    {"ext", Form::flag, ignore},
    {"html", Form::path, set_path<&CmyCommandLineInfo::html_path>},
    {"trace", Form::path, set_path<&CmyCommandLineInfo::trace_path>},
    {"csv", Form::path, set_path<&CmyCommandLineInfo::csv_path>},
    {"poll", Form::value, set_poll},
    {"compare", Form::flag, set_compare},
    {"verify", Form::flag, set_modes<modes::verify>},
    {"block", Form::flag, set_modes<modes::block_reads>},
    {"commission", Form::flag, set_commission},
    {"repeat", Form::flag, set_option<flags::repeat>},
    {"report", Form::path, set_path<&CmyCommandLineInfo::report_path>},
});

// The option of that name (lower case); null for a name the program does not know.
const Option* find_option(std::string_view name)
{
    const auto* found = std::find_if(option_table.begin(), option_table.end(),
                                     [name](const Option& option) { return option.name == name; });
    return found == option_table.end() ? nullptr : found;
}

bool takes_rest(std::string_view name)
{
    const Option* option = find_option(name);
    return option && option->form == Form::path;
}

bool is_flag_option(std::string_view name)
{
    const Option* option = find_option(name);
    return option && option->form == Form::flag;
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

} // namespace

bool is_option_name(std::string_view name) { return find_option(name) != nullptr; }

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
    // Unknown names were noted by check_known.
    if (const Option* option = find_option(name))
        option->apply(*this, value, rest_as_typed);
}

} // namespace zr740
