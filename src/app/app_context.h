#pragma once
// State that the program shares across its parts for one run. Kept in one object handed around by
// reference instead of in globals, so that tests can run side by side.

#include <cstdint>
#include <string>

namespace zr740 {

struct AppContext {
    // Which description the document loads: 0 the current transmitter, 1 the older one.
    std::uint8_t description_variant = 0;
    // Bit set of failure causes; its lowest set bit becomes the process exit code.
    std::uint32_t exit_status = 0;
    // Where the description file and the other program files are looked for.
    std::string program_folder;
};

} // namespace zr740
