// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/trend_csv.h"

#include "app/trend_store.h"
#include "app/csv_log.h"
#include "app/csv_texts.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>
#include <vector>

namespace zr740 {
namespace {

// The shortest text that reads back as the same number, "." as the decimal point.
void write_number(std::ostream& out, double value)
{
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec == std::errc())
        out.write(buffer, end - buffer);
}

std::int64_t milliseconds_of(double seconds)
{
    return static_cast<std::int64_t>(std::llround(seconds * 1000.0));
}

} // namespace

std::string iso_utc_milliseconds(double seconds)
{
    const std::int64_t total = milliseconds_of(seconds);
    std::int64_t whole = total / 1000;
    std::int64_t millis = total % 1000;
    if (millis < 0) {
        millis += 1000;
        --whole;
    }
    const auto time = static_cast<std::time_t>(whole);
    std::tm utc{};
    gmtime_r(&time, &utc);
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(millis));
    return buffer;
}

std::size_t write_trend_csv(std::ostream& out, const TrendStore& store, double from, double to)
{
    const auto& series = store.series();
    out << texts::csv_time_column;
    for (const auto& one : series) {
        out << ',' << csv_field(one.caption());
    }
    out << '\n';

    // A merge of the series by time: each step takes the earliest millisecond still ahead and
    // writes the points of every series at that millisecond on one row.
    std::vector<std::size_t> next(series.size());
    std::vector<std::size_t> end(series.size());
    for (std::size_t i = 0; i < series.size(); ++i) {
        next[i] = series[i].lower_bound(from);
        end[i] = series[i].lower_bound(std::nextafter(to, std::numeric_limits<double>::infinity()));
    }
    std::size_t rows = 0;
    for (;;) {
        std::int64_t moment = std::numeric_limits<std::int64_t>::max();
        for (std::size_t i = 0; i < series.size(); ++i)
            if (next[i] < end[i])
                moment = std::min(moment, milliseconds_of(series[i].times()[next[i]]));
        if (moment == std::numeric_limits<std::int64_t>::max())
            break;
        out << iso_utc_milliseconds(static_cast<double>(moment) / 1000.0);
        for (std::size_t i = 0; i < series.size(); ++i) {
            out << ',';
            // Two polls of one series within a millisecond: the later value stands.
            const double* value = nullptr;
            while (next[i] < end[i] && milliseconds_of(series[i].times()[next[i]]) == moment)
                value = &series[i].values()[next[i]++];
            if (value && !std::isnan(*value))
                write_number(out, *value);
        }
        out << '\n';
        ++rows;
    }
    return rows;
}

} // namespace zr740
