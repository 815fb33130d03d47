// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The shipped description (identification and network settings, which the simulator needs) plus
// `branches` branches of `per_branch` one-register parameters from register 0x1000 on, as the
// benchmarks that need a large tree the simulator can serve build it.

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

inline std::string make_generated_description(const std::string& source_dir, int branches, int per_branch)
{
    std::ifstream source(source_dir + "/data/zr740.tree.txt");
    std::stringstream whole;
    whole << source.rdbuf();
    std::string text = whole.str();
    const std::string root_key = "\nroot Параметры_прибора 1 1 1";
    const auto root_at = text.find(root_key);
    std::string generated;
    std::string names;
    for (int b = 0; b < branches; ++b) {
        std::string line = "branch Б" + std::to_string(b) + " 1 2 3";
        for (int p = 0; p < per_branch; ++p) {
            char name[16];
            std::snprintf(name, sizeof name, "0x%04X", 0x1000 + b * per_branch + p);
            generated += std::string("parameter ") + name + " 1 int Параметр\n";
            line += ' ';
            line += name;
        }
        generated += line + "\n";
        names += " Б" + std::to_string(b);
    }
    const auto line_end = text.find('\n', root_at + 1);
    text.insert(line_end, names);
    text.insert(root_at + 1, generated);
    return text;
}
