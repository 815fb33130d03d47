#pragma once
// "zr740 --scan PORT [--address FROM-TO] [--baud RATE,RATE...]": finds the instruments on a line
// and prints them as CSV (found_instruments_header(), then one line each, as they answer). Exit
// code 0 when one or more were found, 202 when none, 201 when the port does not open, 205 when the
// search was stopped (SIGTERM, SIGINT, SIGHUP), 208 for options it does not know.

#include "app/line_scan.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace zr740 {

class DeviceIO;

struct ScanCommand {
    std::string port;
    int first_address = 1;
    int last_address = 247;
    std::vector<int> baud_rates; // empty: those of the description
};

// The exit code of a search whose options are not understood.
inline constexpr int scan_usage_exit = 208;

// The arguments from "--scan" on. False with the reason in `error`.
bool parse_scan_command(const std::vector<std::string>& arguments, ScanCommand& command, std::string& error);

// Runs the search on `link` (a link of its own, with settings nobody saves): CSV to `out`,
// progress and messages to `err`. `scan` is stopped from outside by whoever holds it.
int run_scan_command(const ScanCommand& command, DeviceIO& link, LineScan& scan, std::ostream& out, std::ostream& err);

} // namespace zr740
