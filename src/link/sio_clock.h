#pragma once
// The clock and the reply time-out of the serial line's transfers, shared by its source files.

#include <cmath>
#include <cstdint>
#include <ctime>

namespace zr740::sio_clock {

inline constexpr std::int64_t ns_per_ms = 1'000'000;
inline constexpr std::int64_t ns_per_s = 1'000'000'000;

inline std::int64_t monotonic_ns()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * ns_per_s + now.tv_nsec;
}

inline timespec to_timespec(std::int64_t ns)
{
    return timespec{static_cast<time_t>(ns / ns_per_s), static_cast<long>(ns % ns_per_s)};
}

// The reply time-out grows with the character time: 30 times a character plus a pause of one and a
// half (each rounded up to whole milliseconds), and 100 ms on top.
inline std::uint16_t reply_timeout_ms(float character_ms)
{
    const double ct = character_ms;
    const double interval = std::ceil(1.5 * ct);
    const auto per_character = static_cast<std::uint32_t>(std::ceil(interval + ct));
    return static_cast<std::uint16_t>(per_character * 30 + 100);
}

} // namespace zr740::sio_clock
