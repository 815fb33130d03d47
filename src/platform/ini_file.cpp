#include "platform/ini_file.h"

#include <fstream>

namespace zr740 {

namespace {

// A settings file is a few hundred bytes; anything far larger is not ours and is not read whole.
constexpr std::uintmax_t max_file_size = 1u << 20;

bool is_blank(char c) { return c == ' ' || c == '\t'; }

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_name(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ascii_lower(a[i]) != ascii_lower(b[i]))
            return false;
    return true;
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && is_blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string unescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        char next = text[i + 1];
        switch (next) {
        case '\\': out += '\\'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case '0': out += '\0'; break;
        case 's': out += ' '; break;
        default:
            // An unknown escape is most likely a hand-written backslash (a Windows path): keep it.
            out += c;
            out += next;
            break;
        }
        ++i;
    }
    return out;
}

std::string escape(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\0': out += "\\0"; break;
        case ' ':
            // Blanks at the ends would be lost to the trimming of the reader.
            if (i == 0 || i + 1 == text.size())
                out += "\\s";
            else
                out += ' ';
            break;
        default: out += c; break;
        }
    }
    return out;
}

bool valid_section_name(std::string_view name)
{
    if (name != trim(name))
        return false;
    return name.find_first_of("]\n\r") == std::string_view::npos;
}

bool valid_key(std::string_view key)
{
    if (key.empty() || key != trim(key))
        return false;
    if (key.front() == '[' || key.front() == ';' || key.front() == '#')
        return false;
    return key.find_first_of("=\n\r") == std::string_view::npos;
}

} // namespace

IniFile IniFile::parse(std::string_view text)
{
    IniFile file;
    // A byte order mark written by some editors.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);

    std::string current;
    while (!text.empty()) {
        auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        line = trim(line);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            auto close = line.rfind(']');
            if (close == std::string_view::npos)
                continue; // half a header: ignore it and keep filling the current section
            current = std::string(trim(line.substr(1, close - 1)));
            if (!file.find_section(current))
                file.sections_.push_back({current, {}});
            continue;
        }
        auto equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        auto key = trim(line.substr(0, equals));
        if (key.empty())
            continue;
        file.set(current, key, unescape(trim(line.substr(equals + 1))));
    }
    return file;
}

IniFile IniFile::load(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return {};
    auto size = std::filesystem::file_size(path, error);
    if (error || size > max_file_size)
        return {};
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::string content(static_cast<std::size_t>(size), '\0');
    in.read(content.data(), static_cast<std::streamsize>(content.size()));
    content.resize(static_cast<std::size_t>(in.gcount()));
    return parse(content);
}

IniFile::Section* IniFile::find_section(std::string_view name)
{
    for (auto& section : sections_)
        if (same_name(section.name, name))
            return &section;
    return nullptr;
}

const IniFile::Section* IniFile::find_section(std::string_view name) const
{
    for (const auto& section : sections_)
        if (same_name(section.name, name))
            return &section;
    return nullptr;
}

std::optional<std::string> IniFile::get(std::string_view section, std::string_view key) const
{
    const auto* found = find_section(section);
    if (!found)
        return std::nullopt;
    for (const auto& entry : found->entries)
        if (same_name(entry.key, key))
            return entry.value;
    return std::nullopt;
}

bool IniFile::set(std::string_view section, std::string_view key, std::string_view value)
{
    if (!valid_section_name(section) || !valid_key(key))
        return false;
    auto* found = find_section(section);
    if (!found) {
        sections_.push_back({std::string(section), {}});
        found = &sections_.back();
    }
    for (auto& entry : found->entries) {
        if (same_name(entry.key, key)) {
            entry.value = value;
            return true;
        }
    }
    found->entries.push_back({std::string(key), std::string(value)});
    return true;
}

bool IniFile::remove(std::string_view section, std::string_view key)
{
    auto* found = find_section(section);
    if (!found)
        return false;
    for (auto it = found->entries.begin(); it != found->entries.end(); ++it) {
        if (same_name(it->key, key)) {
            found->entries.erase(it);
            return true;
        }
    }
    return false;
}

std::string IniFile::serialise() const
{
    std::string out;
    // Keys outside any section must come before the first header to be read back there.
    for (const auto& section : sections_)
        if (section.name.empty())
            for (const auto& entry : section.entries)
                out += entry.key + '=' + escape(entry.value) + '\n';
    for (const auto& section : sections_) {
        if (section.name.empty())
            continue;
        if (!out.empty())
            out += '\n';
        out += '[' + section.name + "]\n";
        for (const auto& entry : section.entries)
            out += entry.key + '=' + escape(entry.value) + '\n';
    }
    return out;
}

bool IniFile::save(const std::filesystem::path& path) const { return write_file_atomically(path, serialise()); }

} // namespace zr740
