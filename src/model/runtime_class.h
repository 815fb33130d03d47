#pragma once
// Class name and schema number of a serialisable class, as written into configuration files.

#include <cstdint>
#include <string_view>

namespace zr740 {

struct RuntimeClass {
    std::string_view name;
    std::uint16_t schema;
};

} // namespace zr740
