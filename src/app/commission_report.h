#pragma once
// The report of a commissioning run: one CSV line per instrument, appended as each is done, so that
// the file proves what went into which transmitter. Each line goes out with one write() on a file
// opened for appending: a crash or a power cut leaves whole lines only, and two runs appending to
// one report do not interleave inside a line.

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace zr740 {

struct CommissionRecord {
    std::string time;    // local time, ISO-8601 with the offset: 2026-12-10T14:05:31+01:00
    std::string serial;  // as the instrument gave it; empty when it gave none
    std::string version; // firmware version
    int address = 0;
    bool ok = false;
    int written = 0;  // parameters written without error
    int verified = 0; // read back and found holding what was sent
    int failed = 0;   // writes refused or unanswered, and values read back otherwise
    std::vector<std::string> failed_names;
};

// The local time of `when` as ISO-8601 with the UTC offset ("+01:00", "Z" never: the offset is
// what a person at the line reads against the wall clock).
std::string iso_local_time(std::time_t when);

// "time,serial,version,address,result,written,verified,failed,failed_parameters".
std::string commission_report_header();
// One report line without its line break. A text with a comma, a semicolon (the list separator of
// many spreadsheets), a quote or a line break is quoted; the failed parameters are joined by ";".
std::string commission_report_line(const CommissionRecord& record);
// The fields of one CSV line as commission_report_line() writes them (quotes undone); for showing
// a report read back.
std::vector<std::string> split_csv_line(std::string_view line);

class CommissionReport {
public:
    explicit CommissionReport(std::string path) : path_(std::move(path)) {}
    ~CommissionReport();
    CommissionReport(const CommissionReport&) = delete;
    CommissionReport& operator=(const CommissionReport&) = delete;

    // Opens (or creates) the report for appending and writes the header into an empty one. False
    // with the reason in error().
    bool open();
    // Appends the record's line with one write(); a report whose last line lacks its break gets
    // one first, in the same write. False with the reason in error().
    bool append(const CommissionRecord& record);
    const std::string& path() const { return path_; }
    const std::string& error() const { return error_; }

private:
    bool write_line(std::string line);

    std::string path_;
    std::string error_;
    int fd_ = -1;
};

} // namespace zr740
