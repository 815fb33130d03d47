// Type text helpers: items, base type, the type word of the editor's refusal, and the small
// conversions the decoder, the encoder and the input check have in common.

#include "model/c_numbers.h"
#include "model/model_texts.h"
#include "model/my_converter.h"
#include "model/text.h"
#include "model/value_types.h"

#include <algorithm>
#include <array>
#include <climits>
#include <charconv>
#include <cmath>
#include <system_error>

namespace zr740 {

void split_decimals(std::string& type_text, int& decimals)
{
    const auto tokens = split_items(type_text);
    if (tokens.size() < 2)
        return;
    static constexpr std::array<std::string_view, 5> numeric = {"int", "int16", "float", "stored_dot", "CLK_frm"};
    bool is_numeric = false;
    for (auto type : numeric)
        is_numeric = is_numeric || equals_no_case(tokens[0], type);
    if (!is_numeric)
        return;
    const std::string& digits = tokens[1];
    if (digits != "1" && digits != "2" && digits != "3")
        return;
    decimals = digits[0] - '0';
    type_text = tokens[0];
}

std::vector<std::string> type_items(std::string_view type_text)
{
    auto items = split_items(type_text);
    for (auto& item : items)
        for (auto& c : item)
            if (c == '_')
                c = ' ';
    return items;
}

int enumeration_read_offset(std::uint16_t register_number)
{
    switch (register_number) {
    case 10:
        return 7;
    case 11:
    case 36:
    case 37:
        return 1;
    default:
        return 0;
    }
}

int enumeration_write_offset(std::uint16_t register_number)
{
    return register_number == 8 ? 1 : enumeration_read_offset(register_number);
}

std::optional<float> read_float(std::string_view text)
{
    const auto parsed = parse_double_prefix(text);
    if (parsed.consumed == 0)
        return std::nullopt;
    // Parse the digits once more as a float, so that the text is rounded once, straight to single
    // precision, as scanf does (rounding through a double can differ in the last bit).
    auto number = text.substr(0, parsed.consumed);
    while (number.front() == ' ' || (number.front() >= '\t' && number.front() <= '\r'))
        number.remove_prefix(1);
    bool negative = false;
    if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
        negative = number.front() == '-';
        number.remove_prefix(1);
    }
    float value = 0.0f;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec != std::errc())
        value = static_cast<float>(parsed.value < 0 ? -parsed.value : parsed.value); // out of float range
    return negative ? -value : value;
}

std::optional<double> read_whole_number(std::string_view text)
{
    const auto parsed = parse_double_prefix(text);
    if (parsed.consumed == 0 || parsed.consumed != text.size() || !std::isfinite(parsed.value))
        return std::nullopt;
    const double magnitude = std::fabs(parsed.value);
    if (magnitude - std::trunc(magnitude) > 0.00001)
        return std::nullopt;
    return parsed.value;
}

int read_setting_number(std::string_view text)
{
    if (const auto whole = read_whole_number(text); whole && *whole >= INT_MIN && *whole <= INT_MAX)
        return static_cast<int>(*whole);
    return static_cast<int>(std::clamp<long>(c_atol(text), INT_MIN, INT_MAX));
}

std::optional<std::uint32_t> clock_seconds(std::string_view text)
{
    std::uint32_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ':')
            continue;
        if (c < '0' || c > '9')
            return std::nullopt;
        std::uint32_t multiplier = 10;
        if (i > 0 && text[i - 1] == ':')
            multiplier = text.size() - i >= 2 ? 6 : 60;
        count = count * multiplier + static_cast<std::uint32_t>(c - '0');
    }
    return count;
}

std::string format_unsigned(std::uint32_t value)
{
    std::array<char, 16> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

std::string format_signed(long value)
{
    std::array<char, 24> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

std::string MyConverter::item_text(int n) const
{
    if (n < 0)
        return {};
    if (type_text.find(':') == std::string::npos)
        return format_signed(n);
    const auto items = type_items(type_text);
    if (static_cast<std::size_t>(n) >= items.size())
        return std::string(texts::no_data);
    return items[static_cast<std::size_t>(n)];
}

std::string MyConverter::base_type() const
{
    return split_items(type_text).front();
}

std::string MyConverter::type_word() const
{
    // The refusal names the kind of number the limits apply to; the program's own numeric types
    // share the word of their kind, everything else is just a value.
    if (equals_no_case(type_text, "float") || equals_no_case(type_text, "stored_dot"))
        return std::string(texts::word_float);
    if (equals_no_case(type_text, "int") || equals_no_case(type_text, "int16"))
        return std::string(texts::word_int);
    return std::string(texts::word_other);
}

} // namespace zr740
