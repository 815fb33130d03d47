// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/trend_values.h"

#include "model/c_numbers.h"
#include "model/model_texts.h"
#include "model/my_converter.h"
#include "model/value_types.h"

#include <cctype>
#include <cmath>
#include <limits>

namespace zr740 {
namespace {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

std::size_t code_points(std::string_view utf8)
{
    std::size_t count = 0;
    for (const char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    return count;
}

} // namespace

std::string unit_from_caption(std::string_view caption)
{
    constexpr std::size_t longest_unit = 12;
    const auto comma = caption.rfind(',');
    if (comma == std::string_view::npos)
        return {};
    const std::string_view tail = trimmed(caption.substr(comma + 1));
    if (tail.empty() || code_points(tail) > longest_unit)
        return {};
    // A number after the comma ("Уставка, 1") is no unit; a unit has a letter (any byte of a
    // multi-byte character counts) or one of the signs units are written with.
    bool unit_like = false;
    for (const char c : tail) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalpha(byte) || byte >= 0x80 || c == '%')
            unit_like = true;
    }
    return unit_like ? std::string(tail) : std::string();
}

std::optional<double> trend_value(const MyConverter& parameter, std::string_view text)
{
    const std::string_view value = trimmed(text);
    if (value.empty())
        return std::nullopt;
    if (value == texts::invalid_value)
        return std::numeric_limits<double>::quiet_NaN();
    const ParsedDouble number = parse_double_prefix(value);
    if (number.consumed == value.size() && std::isfinite(number.value))
        return number.value;
    const auto items = type_items(parameter.type_text);
    // Item 0 is the base type's own name, and also the text of the value 0.
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i] == value)
            return static_cast<double>(i);
    return std::nullopt;
}

} // namespace zr740
