// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Settings kept in memory: for tests, and for tools that run the program's parts without touching the
// user's own settings (the README's pictures).

#include "platform/settings_store.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zr740 {

// Settings kept in memory, recording every write so that a test can tell "not written" from
// "written with the same value".
class MemorySettings : public Settings {
public:
    int read_link_value(std::string_view name, int default_value) override
    {
        auto it = values.find(std::string(name));
        return it == values.end() ? default_value : it->second;
    }
    void write_link_value(std::string_view name, int value) override
    {
        values[std::string(name)] = value;
        writes.emplace_back(name);
    }
    std::optional<std::string> read_link_text(std::string_view name) override
    {
        auto it = texts.find(std::string(name));
        if (it == texts.end())
            return std::nullopt;
        return it->second;
    }
    void write_link_text(std::string_view name, std::string_view text) override
    {
        texts[std::string(name)] = text;
        writes.emplace_back(name);
    }
    bool write_machine_text(std::string_view name, std::string_view text, std::string_view key_path) override
    {
        machine_writes.push_back({std::string(key_path), std::string(name), std::string(text)});
        return machine_writable;
    }
    bool written(std::string_view name) const { return std::find(writes.begin(), writes.end(), name) != writes.end(); }

    std::map<std::string, int> values;
    std::map<std::string, std::string> texts;
    std::vector<std::string> writes;
    std::vector<std::array<std::string, 3>> machine_writes;
    bool machine_writable = true;
};

} // namespace zr740
