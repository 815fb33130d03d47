#pragma once
// The command line of an unattended run: options that set the link, choose a job ("read", "write",
// "calibrate"), close the program afterwards, name an error log and an exit semaphore, and the
// configuration file the job reads or writes.

#include "model/parity.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zr740 {

// Mode flags.
namespace mode_flags {
inline constexpr std::uint8_t auto_read_on = 0x01;
inline constexpr std::uint8_t auto_read_off = 0x02;
inline constexpr std::uint8_t immediate_write_on = 0x04;
inline constexpr std::uint8_t immediate_write_off = 0x08;
inline constexpr std::uint8_t test = 0x10;
inline constexpr std::uint8_t silent = 0x20;
inline constexpr std::uint8_t verify = 0x40;
inline constexpr std::uint8_t block_reads = 0x80;
} // namespace mode_flags

// Placement flags of the main window.
namespace placement_flags {
inline constexpr std::uint8_t x = 0x01;
inline constexpr std::uint8_t y = 0x02;
inline constexpr std::uint8_t width = 0x04;
inline constexpr std::uint8_t height = 0x08;
} // namespace placement_flags

struct CommandLineSettings {
    std::uint32_t options = 0; // option_flags (app_context.h)
    std::uint8_t placement = 0;
    std::uint8_t modes = 0;
    std::uint8_t port_number = 0; // "port" with a number: COMn
    std::string port_path;        // "port" with a device path
    std::int32_t baud_rate = 0;
    std::optional<Parity> parity; // none given
    std::string address;     // at most 5 characters
    std::uint8_t data_bits = 0;
    std::string stop_bits; // at most 4 characters
    std::uint8_t address_length = 0;
    std::uint8_t rs485 = 0; // 1 "auto", 2 "off", 3 "on"
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Parses the arguments (without the program name). Options begin with "-", or with "/" when every
// name in the argument is a known option with its value, so that an absolute path names the
// configuration file.
class CmyCommandLineInfo {
public:
    explicit CmyCommandLineInfo(const std::vector<std::string>& arguments);

    CommandLineSettings settings;
    // The last argument that is no option, as typed.
    std::string file_name;
    // "elog": the error log, created empty at once by whoever starts the run.
    std::string error_log_path;
    // "exitevent": the lower-cased name of the exit semaphore; empty when none was asked for.
    std::string exit_event_name;
    // "html": where the parameter list page goes; the run writes it instead of a job and ends.
    std::string html_path;
    // "csv": the CSV file of the run: the log of polled values with "poll", the differences with
    // "compare", else the parameter list (as "html" writes its page).
    std::string csv_path;
    // "poll": poll the scanners for this many seconds (0: until stopped) into the "csv" log; -1 none.
    int poll_seconds = -1;
    // "compare": compare the configuration with the instrument and end.
    bool compare = false;
    // "trace": the traffic log, one line per frame or event on the line, appended to as it happens.
    std::string trace_path;
    // "report": the commissioning run's report, appended to (CSV, one line per instrument).
    std::string report_path;
    // Option names the program does not know, as typed: a run with one ends before it starts,
    // since a mistyped job name would otherwise read as a run that did nothing and succeeded.
    std::vector<std::string> unknown_options;

private:
    void parse_option(const std::string& argument);
    void apply(const std::string& name, const std::string& value, const std::string& rest_as_typed);
    void check_known(const std::string& name, std::string_view typed);
};

// Whether the name (lower case) is one of the options.
bool is_option_name(std::string_view name);

} // namespace zr740
