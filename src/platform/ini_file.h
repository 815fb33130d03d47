#pragma once
// A small INI-style settings file: "[section]" headers and "key=value" lines. Reading never fails:
// whatever cannot be understood is skipped, so a damaged file costs at most the values it damaged.
// Writing replaces the file atomically, so an interrupted write leaves the previous file intact.

#include "platform/safe_file.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zr740 {

class IniFile {
public:
    // Parses text. Lines that are neither a header, a "key=value" pair, a comment (";" or "#") nor
    // blank are ignored. Keys before the first header belong to the section "". Section and key
    // names compare without regard to ASCII case; a repeated key keeps its last value.
    static IniFile parse(std::string_view text);
    // Reads and parses a file; a missing or unreadable file gives an empty IniFile.
    static IniFile load(const std::filesystem::path& path);

    std::optional<std::string> get(std::string_view section, std::string_view key) const;
    // Returns false (and changes nothing) when the section or key name cannot be written back
    // unambiguously: a line break in either, "]" in a section, "=" in a key, an empty key or a key
    // starting with "[", ";" or "#", or blanks around either name.
    bool set(std::string_view section, std::string_view key, std::string_view value);
    bool remove(std::string_view section, std::string_view key);

    // Values may hold any bytes: backslashes, line breaks, tabs, NULs and blanks at either end are
    // written as escapes ("\\", "\n", "\r", "\t", "\0", "\s") and restored by parse.
    std::string serialise() const;
    // Creates missing folders and replaces the file atomically. False on any failure.
    bool save(const std::filesystem::path& path) const;

    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    const std::vector<Section>& sections() const { return sections_; }

private:
    Section* find_section(std::string_view name);
    const Section* find_section(std::string_view name) const;

    std::vector<Section> sections_;
};

} // namespace zr740
