// The check of a value typed by the user, before it becomes the value text.

#include "model/c_numbers.h"
#include "model/parameter.h"
#include "model/text.h"
#include "model/value_types.h"

#include <cmath>

namespace zr740 {
namespace {

// Up to four characters of the network name alphabet, each optionally followed by a point.
bool is_network_name(std::string_view text)
{
    const auto allowed = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' || c == '-' ||
               c == '/' || c == '_';
    };
    if (text.empty())
        return false;
    int characters = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (!allowed(text[i]) || ++characters > 4)
            return false;
        ++i;
        if (i < text.size() && text[i] == '.')
            ++i;
    }
    return true;
}

} // namespace

int Parameter::set_value_from_input(const std::string& text, bool full_precision)
{
    // Limits of 0 and 0 mean the parameter has none.
    const bool limited = min != 0.0 || max != 0.0;
    std::string accepted = text;

    if (name == "CHAr*") {
        if (!is_network_name(text))
            return 0;
    } else if (equals_no_case(type_text, "float") || equals_no_case(type_text, "stored_dot")) {
        const auto value = read_float(text);
        if (!value || !std::isfinite(*value))
            return 0;
        const double v = *value;
        // The limits hold with a tolerance just under one unit of the third decimal: the value is
        // kept with three decimals, and a float limit is rarely exact.
        if (limited && (min - v > 0.0009 || v - max > 0.0009))
            return 0;
        accepted = format_fixed(v, full_precision ? 6 : 3);
    } else if (equals_no_case(type_text, "int") || equals_no_case(type_text, "int16")) {
        const auto v = read_whole_number(text);
        if (!v || (limited && (*v < min || *v > max)))
            return 0;
    } else if (equals_no_case(type_text, "CLK_frm")) {
        const auto seconds = text.empty() ? std::nullopt : clock_seconds(text);
        if (!seconds)
            return 0;
        if (limited && (*seconds < min || *seconds > max))
            return 0;
    }

    value_text = std::move(accepted);
    value_changed = 1;
    return 1;
}

} // namespace zr740
