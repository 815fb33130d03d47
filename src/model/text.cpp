#include "model/text.h"

#include <array>
#include <cstdint>

namespace zr740 {
namespace {

// Unicode code points of the Windows-1251 bytes 0x80..0xFF (0x98 is unassigned).
constexpr std::array<char16_t, 128> high_half = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410,
    0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D,
    0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A,
    0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444,
    0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};


// Decodes one code point at `pos` and advances it. Malformed sequences yield U+FFFD for one byte,
// so that arbitrary bytes never read past the end.
char32_t next_code_point(std::string_view s, std::size_t& pos)
{
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    int extra = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        cp = b0 & 0x07;
    } else {
        ++pos;
        return 0xFFFD;
    }
    if (pos + static_cast<std::size_t>(extra) >= s.size()) {
        ++pos;
        return 0xFFFD;
    }
    for (int i = 1; i <= extra; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + static_cast<std::size_t>(i)]);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return 0xFFFD;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    pos += static_cast<std::size_t>(extra) + 1;
    return cp;
}

int cp1251_byte(char32_t cp)
{
    if (cp < 0x80)
        return static_cast<int>(cp);
    if (cp >= 0x0410 && cp <= 0x044F)
        return static_cast<int>(cp - 0x0410 + 0xC0);
    for (std::size_t i = 0; i < high_half.size(); ++i)
        if (high_half[i] == cp && cp != 0xFFFD)
            return static_cast<int>(0x80 + i);
    return -1;
}

// Lower case by the rules of the Windows-1251 letters: Latin A-Z, Cyrillic А-Я, Ё and the other
// Slavic letters of the code page (Ђ Ѓ Є Ѕ І Ї Ј Љ Њ Ћ Ќ Ў Џ Ґ).
char32_t lower(char32_t cp)
{
    if (cp >= 'A' && cp <= 'Z')
        return cp + 32;
    if (cp < 0x80)
        return cp;
    if (cp >= 0x0410 && cp <= 0x042F)
        return cp + 0x20;
    if (cp >= 0x0401 && cp <= 0x040F && cp != 0x040D)
        return cp + 0x50;
    if (cp == 0x0490)
        return 0x0491;
    return cp;
}

char32_t upper(char32_t cp)
{
    if (cp >= 'a' && cp <= 'z')
        return cp - 32;
    if (cp < 0x80)
        return cp;
    if (cp >= 0x0430 && cp <= 0x044F)
        return cp - 0x20;
    if (cp >= 0x0451 && cp <= 0x045F && cp != 0x045D)
        return cp - 0x50;
    if (cp == 0x0491)
        return 0x0490;
    return cp;
}

} // namespace

std::string utf8_to_cp1251(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const int b = cp1251_byte(next_code_point(utf8, pos));
        out.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
    return out;
}

std::string cp1251_to_utf8(std::string_view cp1251)
{
    std::string out;
    out.reserve(cp1251.size() + cp1251.size() / 2);
    std::size_t pos = 0;
    while (pos < cp1251.size()) {
        // Copy runs of ASCII in one go; descriptions are mostly ASCII.
        std::size_t run = pos;
        while (run < cp1251.size() && static_cast<unsigned char>(cp1251[run]) < 0x80)
            ++run;
        out.append(cp1251.substr(pos, run - pos));
        if (run == cp1251.size())
            break;
        const auto b = static_cast<unsigned char>(cp1251[run]);
        const char32_t cp = high_half[b - 0x80];
        if (cp >= 0x0400 && cp < 0x0800) { // Cyrillic: two bytes, the common case
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            append_utf8(out, cp);
        }
        pos = run + 1;
    }
    return out;
}

std::string fold_case(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const auto b = static_cast<unsigned char>(utf8[pos]);
        if (b < 0x80) { // fast path for the ASCII names that dominate descriptions
            out.push_back(b >= 'A' && b <= 'Z' ? static_cast<char>(b + 32) : static_cast<char>(b));
            ++pos;
            continue;
        }
        append_utf8(out, lower(next_code_point(utf8, pos)));
    }
    return out;
}

bool equals_no_case(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        if (ca < 0x80 && cb < 0x80) {
            const auto la = ca >= 'A' && ca <= 'Z' ? ca + 32 : ca;
            const auto lb = cb >= 'A' && cb <= 'Z' ? cb + 32 : cb;
            if (la != lb)
                return false;
            ++i;
            ++j;
            continue;
        }
        if (lower(next_code_point(a, i)) != lower(next_code_point(b, j)))
            return false;
    }
    return i == a.size() && j == b.size();
}

std::string to_upper(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size())
        append_utf8(out, upper(next_code_point(utf8, pos)));
    return out;
}

std::vector<std::string> split_items(std::string_view text, char separator)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    while (true) {
        const auto at = text.find(separator, start);
        if (at == std::string_view::npos) {
            items.emplace_back(text.substr(start));
            return items;
        }
        items.emplace_back(text.substr(start, at - start));
        start = at + 1;
    }
}

std::vector<std::string_view> split_fields(std::string_view line)
{
    std::vector<std::string_view> fields;
    split_fields(line, fields);
    return fields;
}

void split_fields(std::string_view line, std::vector<std::string_view>& fields)
{
    fields.clear();
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
            ++pos;
        const auto start = pos;
        while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t')
            ++pos;
        if (pos > start)
            fields.push_back(line.substr(start, pos - start));
    }
}

std::string replace_all(std::string_view text, std::string_view from, std::string_view to)
{
    std::string out;
    if (from.empty())
        return std::string(text);
    std::size_t start = 0;
    while (true) {
        const auto at = text.find(from, start);
        if (at == std::string_view::npos) {
            out.append(text.substr(start));
            return out;
        }
        out.append(text.substr(start, at - start));
        out.append(to);
        start = at + from.size();
    }
}

std::size_t utf8_length(std::string_view utf8)
{
    std::size_t n = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        next_code_point(utf8, pos);
        ++n;
    }
    return n;
}

void append_utf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string fill_placeholders(std::string_view pattern, std::initializer_list<std::string_view> values)
{
    std::string out;
    auto next = values.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == 's' || pattern[i + 1] == 'i') &&
            next != values.end()) {
            out += *next++;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

} // namespace zr740
