#pragma once
// The process exit code from the exit status word.

#include <cstdint>

namespace zr740 {

// 200 + the number of the lowest set bit (file 200, port 201, no reply 202, protocol 203,
// instrument error 204, stopped 205, not recognised 206, some parameters failed 207,
// unknown option 208, differences found by a compare 209); 0 when no bit is set.
inline int exit_code(std::uint32_t exit_status)
{
    for (int bit = 0; bit < 32; ++bit)
        if (exit_status & (1u << bit))
            return 200 + bit;
    return 0;
}

} // namespace zr740
