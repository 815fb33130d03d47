// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The trend's points of a time range as a CSV table, for a spreadsheet, headed as the log of polled
// values is: a column of times in ISO 8601 UTC with milliseconds, then one column per series named
// by its caption. A row per moment some series was polled at; a series without a point at that
// moment, or whose poll failed then, leaves its cell empty. Numbers use "." whatever the locale;
// fields are quoted as csv_field quotes them.

#include <ostream>
#include <string>

namespace zr740 {

class TrendStore;

// "2026-12-10T12:51:33.125Z" for seconds since 1970-01-01 UTC.
std::string iso_utc_milliseconds(double seconds);

// Writes the points with from <= time <= to; returns the number of rows under the header.
std::size_t write_trend_csv(std::ostream& out, const TrendStore& store, double from, double to);

} // namespace zr740
