#pragma once
// Number conversions with the C library's semantics but independent of the process locale (a GUI
// toolkit may switch LC_NUMERIC to a locale with a decimal comma; the instrument never uses one).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zr740 {

struct ParsedDouble {
    double value = 0.0;
    std::size_t consumed = 0; // 0: no number was read (as strtod's end == start)
};

// strtod: leading white space, optional sign, decimal or "inf"/"nan"; stops at the first other character.
ParsedDouble parse_double_prefix(std::string_view text);
// atof / atoi / atol: the longest prefix that is a number, 0 when there is none.
double c_atof(std::string_view text);
long c_atol(std::string_view text);

// sscanf "%i": C integer syntax (0x... hexadecimal, 0... octal, decimal); nullopt when no digits.
std::optional<long> scan_c_integer(std::string_view text);
// strtoul(text, 0, 16): optional "0x", hexadecimal digits, stops at the first other character.
unsigned long c_strtoul16(std::string_view text);

// printf "%.<precision>f" in the C locale.
std::string format_fixed(double value, int precision);

} // namespace zr740
