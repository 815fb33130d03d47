// Reply bytes → value text.

#include "model/c_numbers.h"
#include "model/model_texts.h"
#include "model/my_converter.h"
#include "model/text.h"
#include "model/value_types.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>
#include <vector>

namespace zr740 {
namespace {

bool is_type(std::string_view base, std::string_view type)
{
    return equals_no_case(base, type);
}

std::string length_error(int length)
{
    const std::string_view pattern = texts::bad_length;
    const auto at = pattern.find("%i");
    return std::string(pattern.substr(0, at)) + format_signed(length) + std::string(pattern.substr(at + 2));
}

// Text bytes from the instrument are Windows-1251 and, as a C string, end at the first NUL.
std::string instrument_text(const std::uint8_t* bytes, std::size_t count)
{
    std::string raw(reinterpret_cast<const char*>(bytes), count);
    raw.resize(std::min(raw.find('\0'), raw.size()));
    return cp1251_to_utf8(raw);
}

// Decimal-point format: byte 0 holds the sign (bit 7), the digits after the point (bits 6..4) and
// the top four bits of the magnitude; the other bytes follow, most significant first.
float stored_dot_value(const std::uint8_t* bytes, int length)
{
    if (length > 8)
        return 0.0f;
    static constexpr std::array<double, 8> scale = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
    const bool negative = (bytes[0] & 0x80) != 0;
    const int point = (bytes[0] >> 4) & 0x07;
    std::uint64_t magnitude = bytes[0] & 0x0F;
    for (int i = 1; i < length; ++i)
        magnitude = (magnitude << 8) | bytes[i];
    const auto value = static_cast<float>(static_cast<double>(magnitude) / scale[static_cast<std::size_t>(point)]);
    return negative ? -value : value;
}

// Network name: four codes, the first character in byte 3. A code c carries the character c / 2
// and, when odd, a point after it.
int decode_name(const std::uint8_t* bytes, std::string& out)
{
    static constexpr std::string_view characters = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-_/ ";
    for (int i = 3; i >= 0; --i) {
        const unsigned code = bytes[i];
        if (code >= 80) {
            out = texts::bad_name_code;
            return -1;
        }
        out.push_back(characters[code / 2]);
        if (code & 1)
            out.push_back('.');
    }
    return 1;
}

// Each decoder below reads `length` bytes of a buffer padded to at least eight and answers as
// decode() does.

int decode_float(const std::uint8_t* b, bool three_bytes, std::string& out,
                 std::optional<std::array<std::uint8_t, 4>>& raw_value)
{
    const std::uint32_t bits = (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) |
                               (three_bytes ? 0u : std::uint32_t{b[3]});
    // The instrument marks a value it cannot give as all ones or as a NaN/infinity pattern.
    if ((b[0] & b[1] & b[2] & b[3]) == 0xFF || (b[0] == 0x7F && (b[1] & 0x80) != 0)) {
        out = texts::invalid_value;
        return 1;
    }
    std::array<std::uint8_t, 4> host{};
    std::memcpy(host.data(), &bits, host.size());
    raw_value = host;
    out = format_fixed(static_cast<double>(std::bit_cast<float>(bits)), 3);
    return 1;
}

int decode_unsigned(const std::uint8_t* b, int length, std::string& out)
{
    std::uint32_t value = 0;
    if (length == 1)
        value = b[0];
    else if (length == 2)
        value = (std::uint32_t{b[0]} << 8) | b[1];
    else if (length == 4)
        value = (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) | b[3];
    else {
        out = length_error(length);
        return -1;
    }
    out = format_unsigned(value);
    return 1;
}

// Signed values and clock times come as one byte (odd length) or one big-endian word (even length,
// up to four bytes: only the first word counts). Nothing, with the error in `out`, when longer.
std::optional<unsigned> byte_or_word(const std::uint8_t* b, int length, std::string& out)
{
    if (length > 4) {
        out = length_error(length);
        return std::nullopt;
    }
    return length % 2 == 0 ? (unsigned{b[0]} << 8) | b[1] : unsigned{b[0]};
}

int decode_signed(const std::uint8_t* b, int length, std::string& out)
{
    const auto field = byte_or_word(b, length, out);
    if (!field)
        return -1;
    const long value = length % 2 == 0 ? static_cast<std::int16_t>(*field) : static_cast<std::int8_t>(*field);
    out = format_signed(value);
    return 1;
}

// Seconds as "mm:ss".
int decode_clock(const std::uint8_t* b, int length, std::string& out)
{
    const auto seconds = byte_or_word(b, length, out);
    if (!seconds)
        return -1;
    const auto minutes = format_unsigned(*seconds / 60);
    const auto rest = format_unsigned(*seconds % 60);
    out = (minutes.size() < 2 ? "0" : "") + minutes + ":" + (rest.size() < 2 ? "0" : "") + rest;
    return 1;
}

// Strings travel last character first.
int decode_reversed_text(const std::uint8_t* b, int length, std::string& out)
{
    std::vector<std::uint8_t> reversed(b, b + length);
    std::reverse(reversed.begin(), reversed.end());
    out = instrument_text(reversed.data(), reversed.size());
    return 1;
}

int decode_network_name(const std::uint8_t* b, int length, std::string& out)
{
    if (length != 4 && length != 6) {
        out = length_error(length);
        return -1;
    }
    return decode_name(b, out);
}

// Enumeration: the value is the number of the item, counting the base type token as 0.
int decode_item(const std::uint8_t* b, int length, std::uint16_t register_number, std::string_view type_text,
                std::string& out)
{
    int value = length < 2 ? static_cast<std::int8_t>(b[0]) : (b[0] << 8) | b[1];
    value -= enumeration_read_offset(register_number);
    const auto items = type_items(type_text);
    if (value < 0 || static_cast<std::size_t>(value) >= items.size())
        return 0;
    out = items[static_cast<std::size_t>(value)];
    return 1;
}

} // namespace

int MyConverter::decode(std::span<const std::uint8_t> data, std::string& out, std::uint8_t function)
{
    function_code = function;
    out.clear();
    // The data length travels as a signed byte: a reply of 128 bytes or more reads as nothing.
    const int length = static_cast<std::int8_t>(static_cast<std::uint8_t>(data.size() & 0xFF));
    const std::string base = base_type();
    if (length <= 0) {
        if (equals_no_case(name, "APLY"))
            return 1;
        return is_type(base, "void") ? 1 : 0;
    }

    // Work on a copy padded with zeros, so that the fixed positions some types read (the four
    // bytes of a float, the name codes) stay inside the buffer for a short reply.
    std::vector<std::uint8_t> work(std::max<std::size_t>(static_cast<std::size_t>(length), 8), 0);
    std::copy_n(data.begin(), length, work.begin());

    if (register_number == 8 && length >= 2)
        --work[1];
    if (register_number == 0 || register_number == 4) {
        out = instrument_text(work.data(), static_cast<std::size_t>(length));
        return 1;
    }
    return decode_as(base, work.data(), length, out);
}

int MyConverter::decode_as(std::string_view base, const std::uint8_t* b, int length, std::string& out)
{
    if (is_type(base, "STORED_DOT")) {
        out = format_fixed(stored_dot_value(b, length), 3);
        return 1;
    }
    if (is_type(base, "float"))
        return decode_float(b, name == "r.oe", out, raw_value); // "r.oe": the float's three high bytes only
    if (is_type(base, "int") || is_type(base, "int16"))
        return decode_unsigned(b, length, out);
    if (is_type(base, "sint") || is_type(base, "sint16"))
        return decode_signed(b, length, out);
    if (is_type(base, "CLK_frm"))
        return decode_clock(b, length, out);
    if (is_type(base, "string") || is_type(base, "ASCI"))
        return decode_reversed_text(b, length, out);
    if (is_type(base, "name"))
        return decode_network_name(b, length, out);
    return decode_item(b, length, register_number, type_text, out);
}

int MyConverter::accept_reply(std::span<const std::uint8_t> data, std::uint8_t function)
{
    std::string out;
    const int result = decode(data, out, function);
    if (result != 0 && function != 16)
        value_text = std::move(out);
    return result;
}

} // namespace zr740
