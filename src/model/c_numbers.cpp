#include "model/c_numbers.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <limits>
#include <system_error>

namespace zr740 {
namespace {

// isspace() of the "C" locale.
bool is_c_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::size_t skip_space(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && is_c_space(text[pos]))
        ++pos;
    return pos;
}

// Reads an optional sign at `pos`; returns true for "-".
bool read_sign(std::string_view text, std::size_t& pos)
{
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        return text[pos++] == '-';
    return false;
}

// from_chars reports a decimal number it cannot represent without saying in which direction it
// fell out of range; strtod gives HUGE_VAL for an overflow and 0 for an underflow. The direction
// follows from the decimal exponent of the first significant digit.
bool overflows(std::string_view number)
{
    long position = 0; // decimal exponent of the first significant digit, plus one
    bool seen_point = false;
    bool significant = false;
    std::size_t i = 0;
    for (; i < number.size(); ++i) {
        const char c = number[i];
        if (c == '.') {
            seen_point = true;
        } else if (!is_digit(c)) {
            break;
        } else if (significant) {
            if (!seen_point)
                ++position;
        } else if (c != '0') {
            significant = true;
            if (!seen_point)
                position = 1;
        } else if (seen_point) {
            --position;
        }
    }
    long exponent = 0;
    if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
        ++i;
        const bool negative = read_sign(number, i);
        for (; i < number.size() && is_digit(number[i]); ++i)
            if (exponent < 100000)
                exponent = exponent * 10 + (number[i] - '0');
        if (negative)
            exponent = -exponent;
    }
    return position + exponent > 0;
}

// Accumulates digits of the given base with saturation; returns the number of digits read.
std::size_t read_digits(std::string_view text, std::size_t& pos, unsigned base, unsigned long& value, bool& overflow)
{
    const std::size_t start = pos;
    value = 0;
    overflow = false;
    while (pos < text.size()) {
        const int d = hex_digit(text[pos]);
        if (d < 0 || static_cast<unsigned>(d) >= base)
            break;
        const auto digit = static_cast<unsigned long>(d);
        if (value > (std::numeric_limits<unsigned long>::max() - digit) / base)
            overflow = true;
        else
            value = value * base + digit;
        ++pos;
    }
    return pos - start;
}

// strtol's clamping of a magnitude with a sign into a long.
long clamp_signed(unsigned long magnitude, bool overflow, bool negative)
{
    constexpr auto long_max = static_cast<unsigned long>(std::numeric_limits<long>::max());
    if (negative) // -(long_max + 1) is the minimum itself; anything beyond saturates to it
        return overflow || magnitude > long_max ? std::numeric_limits<long>::min() : -static_cast<long>(magnitude);
    if (overflow || magnitude > long_max)
        return std::numeric_limits<long>::max();
    return static_cast<long>(magnitude);
}

} // namespace

ParsedDouble parse_double_prefix(std::string_view text)
{
    std::size_t pos = skip_space(text, 0);
    const bool negative = read_sign(text, pos);
    if (pos >= text.size())
        return {};
    // from_chars takes a sign of its own; a second sign must not be read as part of the number.
    const char first = text[pos];
    if (!is_digit(first) && first != '.' && first != 'i' && first != 'I' && first != 'n' && first != 'N')
        return {};
    const char* begin = text.data() + pos;
    const char* end = text.data() + text.size();
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
    if (ptr == begin)
        return {};
    if (ec == std::errc::result_out_of_range)
        value = overflows(std::string_view(begin, static_cast<std::size_t>(ptr - begin)))
                    ? std::numeric_limits<double>::infinity()
                    : 0.0;
    return {negative ? -value : value, static_cast<std::size_t>(ptr - text.data())};
}

double c_atof(std::string_view text)
{
    return parse_double_prefix(text).value;
}

long c_atol(std::string_view text)
{
    std::size_t pos = skip_space(text, 0);
    const bool negative = read_sign(text, pos);
    unsigned long magnitude = 0;
    bool overflow = false;
    if (read_digits(text, pos, 10, magnitude, overflow) == 0)
        return 0;
    return clamp_signed(magnitude, overflow, negative);
}

std::optional<long> scan_c_integer(std::string_view text)
{
    std::size_t pos = skip_space(text, 0);
    const bool negative = read_sign(text, pos);
    unsigned base = 10;
    bool leading_zero = false;
    if (pos < text.size() && text[pos] == '0') {
        leading_zero = true;
        ++pos;
        if (pos + 1 < text.size() && (text[pos] == 'x' || text[pos] == 'X') && hex_digit(text[pos + 1]) >= 0) {
            ++pos;
            base = 16;
        } else {
            base = 8;
        }
    }
    unsigned long magnitude = 0;
    bool overflow = false;
    const std::size_t digits = read_digits(text, pos, base, magnitude, overflow);
    if (digits == 0 && !leading_zero)
        return std::nullopt;
    return clamp_signed(magnitude, overflow, negative);
}

unsigned long c_strtoul16(std::string_view text)
{
    std::size_t pos = skip_space(text, 0);
    const bool negative = read_sign(text, pos);
    // "0x" counts as a prefix only when a hexadecimal digit follows; "0xg" reads as 0.
    if (pos + 2 < text.size() && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X') &&
        hex_digit(text[pos + 2]) >= 0)
        pos += 2;
    unsigned long magnitude = 0;
    bool overflow = false;
    if (read_digits(text, pos, 16, magnitude, overflow) == 0)
        return 0;
    if (overflow)
        return std::numeric_limits<unsigned long>::max();
    return negative ? 0UL - magnitude : magnitude;
}

std::string format_fixed(double value, int precision)
{
    if (precision < 0)
        precision = 6; // printf takes a negative precision as if none was given
    // The largest double has 309 integer digits; a sign and a point come on top of the decimals.
    std::string out(static_cast<std::size_t>(precision) + 320, '\0');
    const auto result = std::to_chars(out.data(), out.data() + out.size(), value, std::chars_format::fixed, precision);
    out.resize(result.ec == std::errc() ? static_cast<std::size_t>(result.ptr - out.data()) : 0);
    return out;
}

} // namespace zr740
