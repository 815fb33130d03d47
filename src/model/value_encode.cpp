// Value text → request bytes.

#include "model/c_numbers.h"
#include "model/model_texts.h"
#include "model/my_converter.h"
#include "model/text.h"
#include "model/value_types.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <optional>

namespace zr740 {
namespace {

bool is_one_of(std::string_view text, std::initializer_list<std::string_view> names)
{
    return std::any_of(names.begin(), names.end(), [&](std::string_view n) { return equals_no_case(text, n); });
}

// A refusal: the reason, with the value text where the message names it, goes to `error`.
int refuse(std::string* error, std::string_view why, std::string_view value, int result = -1)
{
    if (error) {
        // A value text can be long; the message quotes its first 60 characters.
        constexpr std::size_t quoted = 60;
        std::size_t characters = 0;
        std::size_t cut = 0;
        for (; cut < value.size(); ++cut) {
            const bool starts_character = (static_cast<unsigned char>(value[cut]) & 0xC0) != 0x80;
            if (starts_character && characters++ == quoted)
                break;
        }
        std::string shown(value.substr(0, cut));
        if (cut < value.size())
            shown += "...";
        *error = fill_placeholders(why, {shown});
    }
    return result;
}

// "int" and "int16" values are read as the input check reads them; what does not fit a register
// is refused rather than cut to its low 16 bits. A negative value goes out in two's complement.
std::optional<std::uint32_t> register_number_value(std::string_view text, std::string* error, int& result)
{
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    const auto value = read_whole_number(text);
    if (!value) {
        result = refuse(error, text == texts::no_data ? texts::not_written_no_data : texts::not_written_not_whole,
                        text);
        return std::nullopt;
    }
    if (*value < -32768.0 || *value > 65535.0) {
        result = refuse(error, texts::not_written_too_large, text);
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(std::trunc(*value))) & 0xFFFF;
}

// A "float" or "STORED_DOT" text: scanf "%f" as before, but a text that holds no finite number is
// refused instead of going out as 0.
std::optional<float> finite_number(std::string_view text, std::string* error, int& result)
{
    const auto value = read_float(text);
    if (!value || !std::isfinite(*value)) {
        result = refuse(error, text == texts::no_data ? texts::not_written_no_data : texts::not_written_not_number,
                        text);
        return std::nullopt;
    }
    return value;
}

void put_u16(std::array<std::uint8_t, 4>& out, int& length, std::uint32_t value)
{
    out[0] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
    out[1] = static_cast<std::uint8_t>(value & 0xFF);
    length = 2;
}

// One byte when the low 16 bits fit in it, else those 16 bits big-endian.
void put_short(std::array<std::uint8_t, 4>& out, int& length, std::uint32_t value)
{
    value &= 0xFFFF;
    if (value < 256) {
        out[0] = static_cast<std::uint8_t>(value);
        length = 1;
    } else {
        put_u16(out, length, value);
    }
}

// Decimal-point format (see the decoder): the digits after the point are the converter's own
// when it has them, else the fewest that keep the value's first three decimals.
void encode_stored_dot(float x, int decimals, std::array<std::uint8_t, 4>& out, int& length)
{
    const double a = std::fabs(static_cast<double>(x));
    const auto rounded_is_round = [](double v) { return std::fmod(std::floor(v + 0.5), 10.0) == 0.0; };
    int point = decimals;
    if (point == 0) {
        if (!rounded_is_round(a * 100))
            point = 2;
        else if (!rounded_is_round(a * 10))
            point = 1;
        if (!rounded_is_round(a * 1000))
            point = 3;
    }
    point = std::clamp(point, 0, 3);
    static constexpr double scale[] = {1.0, 10.0, 100.0, 1000.0};
    const double scaled = a * scale[point] + 0.0001;
    // The format holds 28 bits of magnitude; a value beyond them is sent as the largest it can carry.
    constexpr std::uint32_t largest = 0x0FFFFFFF;
    std::uint32_t m = 0;
    if (scaled >= static_cast<double>(largest))
        m = largest;
    else if (scaled > 0) // also keeps a NaN out
        m = static_cast<std::uint32_t>(scaled);

    const auto head = static_cast<std::uint8_t>((point << 4) | (x < 0 ? 0x80 : 0));
    if (m < 0x1000) {
        out[0] = static_cast<std::uint8_t>(head | (m >> 8));
        out[1] = static_cast<std::uint8_t>(m & 0xFF);
        length = 2;
    } else if (m < 0x100000) {
        out[0] = static_cast<std::uint8_t>(head | (m >> 16));
        out[1] = static_cast<std::uint8_t>((m >> 8) & 0xFF);
        out[2] = static_cast<std::uint8_t>(m & 0xFF);
        length = 3;
    } else {
        out[0] = static_cast<std::uint8_t>(head | (m >> 24));
        out[1] = static_cast<std::uint8_t>((m >> 16) & 0xFF);
        out[2] = static_cast<std::uint8_t>((m >> 8) & 0xFF);
        out[3] = static_cast<std::uint8_t>(m & 0xFF);
        length = 4;
    }
}

// Network name: up to four characters, each with an optional point after it. A character code is
// twice its number in 0-9, A-Z, "-", "_", "/", blank; a point sets bit 0. Unused places are blanks.
int encode_name(const std::string& text, std::array<std::uint8_t, 4>& out, int& length, std::string* error)
{
    const auto fail = [&](std::string_view why) {
        if (error)
            *error = why;
        return -1;
    };
    if (text.empty())
        return fail(texts::name_empty);
    if (utf8_length(text) >= 9)
        return fail(texts::name_too_long);
    constexpr std::uint8_t blank = 78;
    std::array<std::uint8_t, 5> codes{blank, blank, blank, blank, blank};
    std::size_t count = 0;
    for (const char c : to_upper(text)) {
        if (count == codes.size())
            break; // a fifth character ends the reading; only four are sent
        if (c == '.') {
            if (count == 0)
                return fail(texts::name_bad_char);
            codes[count - 1] |= 1;
            continue;
        }
        std::uint8_t code = 0;
        if (c == ' ')
            code = blank;
        else if (c == '_')
            code = 74;
        else if (c == '-')
            code = 72;
        else if (c >= 'A' && c <= 'Z')
            code = static_cast<std::uint8_t>((c - 55) * 2);
        else if (c >= '0' && c <= '9')
            code = static_cast<std::uint8_t>((c - '0') * 2);
        else
            return fail(texts::name_bad_char);
        codes[count++] = code;
    }
    for (std::size_t i = 0; i < 4; ++i)
        out[3 - i] = codes[i];
    length = 4;
    return 1;
}

} // namespace

bool MyConverter::writable() const
{
    if (is_one_of(name, {"dev", "ver", "exit"}))
        return false;
    const std::string base = base_type();
    return !is_one_of(base, {"sint", "sint16", "string", "ASCI"});
}

int MyConverter::encode(std::array<std::uint8_t, 4>& out, int& length, std::string* error) const
{
    out.fill(0);
    length = 0;
    // The value text goes through a work buffer of 512 bytes, terminator included.
    const std::string text = value_text.substr(0, 511);

    if (!writable())
        return refuse(error, texts::not_written_read_only, text, is_one_of(name, {"dev", "ver", "exit"}) ? -1 : 0);
    if (is_one_of(name, {"U.Apl", "UApl"}))
        return 1; // a command without data

    const std::string base = base_type();
    int refused = 0;
    if (equals_no_case(base, "STORED_DOT")) {
        std::string_view number = text;
        while (!number.empty() && static_cast<unsigned char>(number.back()) <= 32)
            number.remove_suffix(1);
        const auto value = finite_number(number, error, refused);
        if (!value)
            return refused;
        encode_stored_dot(*value, decimals, out, length);
        return 1;
    }
    if (equals_no_case(base, "float")) {
        const auto value = finite_number(text, error, refused);
        if (!value)
            return refused;
        const auto bits = std::bit_cast<std::uint32_t>(*value);
        for (int i = 0; i < 4; ++i)
            out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (24 - 8 * i));
        length = name == "r.oe" ? 3 : 4; // r.oe carries the three high bytes only
        return 1;
    }
    if (equals_no_case(base, "int") || equals_no_case(base, "int16")) {
        const auto value = register_number_value(text, error, refused);
        if (!value)
            return refused;
        if (equals_no_case(base, "int"))
            put_short(out, length, *value);
        else
            put_u16(out, length, *value);
        return 1;
    }
    if (equals_no_case(base, "CLK_frm")) {
        const auto seconds = text.empty() ? std::nullopt : clock_seconds(text);
        if (!seconds)
            return refuse(error, text == texts::no_data ? texts::not_written_no_data : texts::not_written_not_time,
                          text);
        if (is_one_of(name, {"Alr.t", "tHP", "tP.H"}))
            put_u16(out, length, *seconds & 0xFFFF);
        else
            put_short(out, length, *seconds);
        return 1;
    }
    if (equals_no_case(base, "name"))
        return encode_name(text, out, length, error);
    if (equals_no_case(base, "void"))
        return 1;

    // Enumeration: the number of the matching item goes out as one byte.
    const auto items = type_items(type_text);
    const std::size_t searched = std::min<std::size_t>(items.size(), 127);
    for (std::size_t i = 0; i < searched; ++i) {
        if (equals_no_case(text, items[i])) {
            out[0] = static_cast<std::uint8_t>(static_cast<int>(i) + enumeration_write_offset(register_number));
            length = 1;
            return 1;
        }
    }
    return refuse(error, text == texts::no_data ? texts::not_written_no_data : texts::not_written_not_item, text, 0);
}

} // namespace zr740
