// The commissioning report: what a spreadsheet or a script reads back from it, and that appending
// never spoils what the file held.

#include "app/commission_report.h"
#include "platform/temp_dir.h"
#include "support/program_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>

namespace zr740 {
namespace {

CommissionRecord record(std::string serial, bool ok, std::vector<std::string> failed = {})
{
    CommissionRecord r;
    r.time = "2026-12-10T14:05:31+01:00";
    r.serial = std::move(serial);
    r.version = "1.5";
    r.address = 16;
    r.ok = ok;
    r.written = 30;
    r.verified = 30 - static_cast<int>(failed.size());
    r.failed = static_cast<int>(failed.size());
    r.failed_names = std::move(failed);
    return r;
}

TEST(CommissionReport, LinesQuoteWhatWouldSplitACell)
{
    struct Case {
        CommissionRecord record;
        const char* line;
    };
    const Case cases[] = {
        {record("SN0001", true), "2026-12-10T14:05:31+01:00,SN0001,1.5,16,ok,30,30,0,"},
        {record("SN0002", false, {"0x0018"}), "2026-12-10T14:05:31+01:00,SN0002,1.5,16,failed,30,29,1,0x0018"},
        // The list separator of many spreadsheets would split the names without quotes.
        {record("SN0003", false, {"0x0018", "0x001B:1"}),
         "2026-12-10T14:05:31+01:00,SN0003,1.5,16,failed,30,28,2,\"0x0018;0x001B:1\""},
        {record("A,\"7\"", true), "2026-12-10T14:05:31+01:00,\"A,\"\"7\"\"\",1.5,16,ok,30,30,0,"},
        {record("", true), "2026-12-10T14:05:31+01:00,,1.5,16,ok,30,30,0,"},
    };
    for (const auto& c : cases) {
        const std::string line = commission_report_line(c.record);
        EXPECT_EQ(line, c.line);
        // Read back, every field is what was recorded.
        const auto fields = split_csv_line(line);
        ASSERT_EQ(fields.size(), 9u) << line;
        EXPECT_EQ(fields[1], c.record.serial);
        EXPECT_EQ(fields[4], c.record.ok ? "ok" : "failed");
    }
    EXPECT_EQ(split_csv_line(commission_report_header()).size(), 9u);
}

TEST(CommissionReport, AppendsWholeLinesAndWritesTheHeaderOnce)
{
    testing::TempDir dir;
    const std::string header = commission_report_header() + "\n";
    const std::string first = commission_report_line(record("SN0001", true)) + "\n";
    const std::string second = commission_report_line(record("SN0002", false, {"0x0018"})) + "\n";
    struct Case {
        const char* what;
        const char* before; // nullptr: no file
        std::string after;
    };
    const std::vector<Case> cases{
        {"new file", nullptr, header + first + second},
        {"empty file", "", header + first + second},
        {"a report of an earlier run", "h\nold\n", "h\nold\n" + first + second},
        {"a last line without its break", "h\nold", "h\nold\n" + first + second},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = (dir.path() / "line3.csv").string();
        std::filesystem::remove(path);
        if (c.before)
            std::ofstream(path) << c.before;
        {
            CommissionReport report(path);
            ASSERT_TRUE(report.open()) << report.error();
            ASSERT_TRUE(report.append(record("SN0001", true)));
        }
        // A second run appends to the first's report without a second header.
        CommissionReport again(path);
        ASSERT_TRUE(again.append(record("SN0002", false, {"0x0018"})));
        EXPECT_EQ(testing::file_text(path), c.after);
    }
}

TEST(CommissionReport, AReportThatCannotBeWrittenSaysWhy)
{
    testing::TempDir dir;
    for (const auto& path : {(dir.path() / "missing" / "line3.csv").string(), dir.path().string()}) {
        CommissionReport report(path);
        EXPECT_FALSE(report.open()) << path;
        EXPECT_FALSE(report.error().empty());
        EXPECT_FALSE(report.append(record("SN0001", true)));
    }
}

TEST(CommissionReport, TimeIsLocalWithItsOffset)
{
    const char* previous = std::getenv("TZ");
    const std::string kept = previous ? previous : "";
    struct Case {
        const char* zone;
        const char* text;
    };
    // 2026-12-10 13:05:31 UTC.
    const std::time_t when = 1796907931;
    const Case cases[] = {{"UTC0", "2026-12-10T13:05:31+00:00"},
                          {"CET-1", "2026-12-10T14:05:31+01:00"},
                          {"NST3:30", "2026-12-10T09:35:31-03:30"}};
    for (const auto& c : cases) {
        ::setenv("TZ", c.zone, 1);
        ::tzset();
        EXPECT_EQ(iso_local_time(when), c.text) << c.zone;
    }
    if (previous)
        ::setenv("TZ", kept.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

} // namespace
} // namespace zr740
