#pragma once
// State that the program shares across its parts for one run. Kept in one object handed around by
// reference instead of in globals, so that tests can run side by side.

#include "platform/run_state.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace zr740 {

// Option flags of the command line.
namespace option_flags {
inline constexpr std::uint32_t write = 0x01;
inline constexpr std::uint32_t port_settings = 0x02;
inline constexpr std::uint32_t close = 0x04;
inline constexpr std::uint32_t aply = 0x08;
inline constexpr std::uint32_t calibrate = 0x10;
inline constexpr std::uint32_t any = 0x20;
inline constexpr std::uint32_t read = 0x40;
// Commissioning: write, verify and report each instrument; with `repeat`, one after another.
inline constexpr std::uint32_t commission = 0x1000;
inline constexpr std::uint32_t repeat = 0x2000;
} // namespace option_flags

struct AppContext {
    RunState run;
    // Where the description file and the other program files are looked for.
    std::string program_folder;
    // The option flags of the command line; any flag makes the run unattended.
    // Zeroed on the window thread once the first job has ended: options shape only the start-up
    // and that job, and the window is a person's from then on.
    std::atomic<std::uint32_t> options{0};
    // Where a window run ended from outside keeps its unsaved changes for the next start to offer
    // (the recovery file's folder); empty: nowhere.
    std::string recovery_folder;
    // Failures of batch jobs are appended here, one line each; empty: no error log.
    std::string error_log_path;
    // Program modes (check marks of the main menu). Auto-read starts checked in the window.
    std::atomic<bool> auto_read{false};
    std::atomic<bool> immediate_write{false};
    // After a write job, read every written parameter back and compare it with what was sent.
    std::atomic<bool> verify_writes{false};
    // Read neighbouring parameters with one request each (see link/read_blocks.h).
    std::atomic<bool> block_reads{false};
    // Set, never cleared, when the run was told to end from outside (the exit event, a signal):
    // no job starts after it, a running job ends at its next transaction, and the run ends with
    // "stopped" whatever the job left in the exit status word.
    std::atomic<bool> stop_requested{false};

    bool unattended() const { return (options & option_flags::any) != 0; }
};

} // namespace zr740
