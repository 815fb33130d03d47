#pragma once
// Helpers shared by the value conversions of MyConverter (decode, encode, input check) and by the
// tree build, which cuts the digits after the point off a numeric type text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zr740 {

// A type text such as "float:2" names a numeric base type with a number of digits after the point
// for STORED_DOT writes: when the first token is int, int16, float, stored_dot or CLK_frm (any case)
// and the second is "1", "2" or "3", `decimals` takes that number and the type text is cut down to
// the first token. Any other type text is left whole and `decimals` untouched.
void split_decimals(std::string& type_text, int& decimals);

// The items of a type text: its ":"-separated tokens with every "_" shown as a blank. Item 0 is the
// base type (for an enumeration it is also the text of the value 0).
std::vector<std::string> type_items(std::string_view type_text);

// Enumerations of a few registers do not start at 0 on the wire: the instrument's value is the
// item number plus this offset. (Register 8 is special on reading: its second data byte is
// decremented instead, see the decoder.)
int enumeration_read_offset(std::uint16_t register_number);
int enumeration_write_offset(std::uint16_t register_number);

// scanf "%f": a single-precision number at the start of the text (leading white space allowed,
// anything after the number ignored); nullopt when the text does not start with a number.
std::optional<float> read_float(std::string_view text);

// An "int" or "int16" value text as a number: the input check and the encoder both read it here, so
// that the value accepted is the value sent. Decimal throughout (leading zeros do not make it
// octal: "016" is 16; an exponent is allowed: "1e2" is 100), leading white space allowed, nothing
// after the number, finite, and whole within 0.00001. The number is returned as read; the encoder
// drops the tolerated fraction. nullopt otherwise.
std::optional<double> read_whole_number(std::string_view text);

// A number of the program's own settings (its link to the instrument): read as the input check reads
// an "int" text when it is one within int range, so that an address accepted as "1e2" is used and
// saved as 100; otherwise as atoi reads it (leading number, clamped to int).
int read_setting_number(std::string_view text);

// The seconds count of a "m:ss" text, or nullopt when it holds anything but digits and ":". The
// digits before a ":" are minutes: after a ":" the count is multiplied by 6 when at least two
// characters follow it (tens of seconds) and by 60 otherwise, so "12:34" gives 754 and "12:3" 723.
std::optional<std::uint32_t> clock_seconds(std::string_view text);

// printf "%u" / "%i".
std::string format_unsigned(std::uint32_t value);
std::string format_signed(long value);

} // namespace zr740
