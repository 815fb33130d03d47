#pragma once
// What the description parser records before the tree is built.

#include <cstdint>
#include <string>

namespace zr740 {

struct DescConst {
    std::string name;
    double value = 0.0;
};

struct DescType {
    std::string name;
    std::string items; // joined by ":"
};

struct DescParameter {
    std::string name;           // leading "@" removed; a leading "!" kept
    std::uint8_t register_count = 0;
    std::string type_text;
    std::string caption;        // "_" still in place
    double min = 0.0;
    double max = 0.0;
    std::uint8_t attribute_mode = 1;
    std::string init_text;
    int attribute_table = 0;    // 1..5 for "table1".."table5"
    int attribute_count = 0;
    int table_mark = 0;         // 1 for "+", 2 for "*"
};

} // namespace zr740
