#pragma once
// What the parts of one run share: the exit status word, the activity flag, the description
// variant and how the program was started. One object per run, passed by reference; the fields
// that worker threads touch are atomic.

#include <atomic>
#include <cstdint>

namespace zr740 {

// Bits of the exit status word; its lowest set bit becomes the process exit code (200 + bit).
namespace exit_bits {
inline constexpr std::uint32_t file_missing = 1;
inline constexpr std::uint32_t port_unavailable = 2;
inline constexpr std::uint32_t no_reply = 4;
inline constexpr std::uint32_t protocol_error = 8;
inline constexpr std::uint32_t instrument_error = 16;
inline constexpr std::uint32_t stopped = 32;
inline constexpr std::uint32_t not_recognised = 64;
// The job ran to its end but some parameters could not be exchanged.
inline constexpr std::uint32_t partial = 128;
// The command line named an option the program does not know; the run did nothing.
inline constexpr std::uint32_t unknown_option = 256;
// A compare found the configuration and the instrument different.
inline constexpr std::uint32_t differences = 512;
} // namespace exit_bits

struct RunState {
    std::atomic<std::uint32_t> exit_status{0};
    // Set by every exchange on the line; the link check clears it.
    std::atomic<int> activity{0};
    // 0 the current transmitter's description, 1 the older one's.
    std::atomic<std::uint8_t> description_variant{0};
    // Command-line option "silent": the port is opened by the exchange thread when a job runs.
    bool silent = false;
    // The program was started with command-line options (then port messages are not shown).
    // Cleared with the other command-line settings once the first job has ended.
    std::atomic<bool> started_with_options{false};
};

} // namespace zr740
