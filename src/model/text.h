#pragma once
// Text helpers. The program holds text as UTF-8; the description, configuration files and the HTML
// export are Windows-1251 on disk, so the conversion happens at those boundaries only.

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace zr740 {

// Bytes outside Windows-1251's repertoire become '?'.
std::string utf8_to_cp1251(std::string_view utf8);
// Every Windows-1251 byte has a Unicode counterpart except 0x98, which maps to U+FFFD.
std::string cp1251_to_utf8(std::string_view cp1251);

// Lower-cases Latin and Cyrillic letters the way Windows-1251 case rules do; other characters stay.
// The result is only good as a comparison key.
std::string fold_case(std::string_view utf8);
bool equals_no_case(std::string_view a, std::string_view b);
// Upper-cases Latin and Cyrillic letters.
std::string to_upper(std::string_view utf8);

// Splits at every ":"; an empty text gives one empty token.
std::vector<std::string> split_items(std::string_view text, char separator = ':');
// Splits at runs of blanks and tabs; no empty fields.
std::vector<std::string_view> split_fields(std::string_view line);
// The same into a vector the caller reuses, to spare an allocation per line.
void split_fields(std::string_view line, std::vector<std::string_view>& fields);
std::string replace_all(std::string_view text, std::string_view from, std::string_view to);

// Appends one code point as UTF-8.
void append_utf8(std::string& out, char32_t code_point);

// Fills the "%s" and "%i" placeholders of a message pattern in order with ready-made texts; a
// placeholder without a value stays as it is.
std::string fill_placeholders(std::string_view pattern, std::initializer_list<std::string_view> values);

// Number of characters (code points) in a UTF-8 text.
std::size_t utf8_length(std::string_view utf8);

} // namespace zr740
