// The CSV log of polled values: fields, times, rounds, and what a crash or a full disk leaves.

#include "app/csv_log.h"
#include "model/parameter.h"

#include "../platform/temp_dir.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace zr740 {
namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;
using SystemClock = std::chrono::system_clock;

std::string read_text(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The fields of one CSV line (without its "\n"), quotes undone; nothing for a line with an open quote.
std::optional<std::vector<std::string>> parse_csv_line(std::string_view line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    if (quoted)
        return std::nullopt;
    return fields;
}

// The lines ended by "\n"; what follows the last one is left out.
std::vector<std::string> complete_lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1)
        lines.push_back(text.substr(from, end - from));
    return lines;
}

TEST(CsvField, QuotesOnlyWhatNeedsIt)
{
    const struct {
        std::string_view text;
        std::string_view field;
    } cases[] = {
        {"", ""},
        {"12.5", "12.5"},
        {"-0.001", "-0.001"},
        {"Давление, кПа", "\"Давление, кПа\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"\"", "\"\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\r", "\"cr\r\""},
        {" lead", "\" lead\""},
        {"trail ", "\"trail \""},
        {"in side", "in side"},
        {"semi;colon", "semi;colon"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(csv_field(c.text), c.field) << c.text;
        // Whatever the text, a reader gets it back whole from the field.
        const auto parsed = parse_csv_line(csv_field(c.text));
        ASSERT_TRUE(parsed) << c.text;
        ASSERT_EQ(parsed->size(), 1u) << c.text;
        EXPECT_EQ(parsed->front(), c.text);
    }
    EXPECT_EQ(csv_line({"a", "b,c", ""}), "a,\"b,c\",\n");
}

TEST(IsoUtcMs, MillisecondsInUtc)
{
    const struct {
        long long milliseconds;
        std::string_view text;
    } cases[] = {
        {0, "1970-01-01T00:00:00.000Z"},
        {1'796'906'096'789, "2026-12-10T12:34:56.789Z"},
        {951'782'400'001, "2000-02-29T00:00:00.001Z"},
        {-1, "1969-12-31T23:59:59.999Z"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(iso_utc_ms(SystemClock::time_point(std::chrono::milliseconds(c.milliseconds))), c.text);
    // Microseconds are cut, not rounded: a round never shows a time before its poll.
    EXPECT_EQ(iso_utc_ms(SystemClock::time_point(std::chrono::microseconds(1999))), "1970-01-01T00:00:00.001Z");
}

TEST(CsvLog, RefusesWhatCannotBeWritten)
{
    testing::TempDir dir;
    Parameter scanner;
    scanner.caption = "P";
    const struct {
        std::string path;
        std::vector<Parameter*> columns;
    } cases[] = {
        {(dir.path() / "no" / "such" / "log.csv").string(), {&scanner}},
        {dir.path().string(), {&scanner}},
        {"/dev/full", {&scanner}}, // the header meets a full disk
        {(dir.path() / "empty.csv").string(), {}},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(CsvLog::open(c.path, c.columns, error), nullptr) << c.path;
        EXPECT_NE(error.find(c.path), std::string::npos) << error;
    }
}

// One poll fed to the log and the lines of values it should have written by then.
struct Poll {
    int column;  // index into the scanners; -1 for a parameter that is no column
    int slot_ms; // the deadline, from the start
    const char* value;
    const char* status;
    std::size_t lines_after;
};

struct RoundCase {
    const char* name;
    std::vector<std::string> captions;
    std::vector<Poll> polls;
    bool close_at_end;
    std::string expected; // the file, with T<n> for the time of the round's first poll at n ms
};

std::string times_filled(std::string text)
{
    // Filled from the front, past each time put in, as a time holds a 'T' of its own.
    for (std::size_t at = 0; (at = text.find('T', at)) != std::string::npos;) {
        std::size_t end = at + 1;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])))
            ++end;
        if (end == at + 1) {
            ++at;
            continue;
        }
        const std::string time = iso_utc_ms(
            SystemClock::time_point(std::chrono::milliseconds(std::stoll(text.substr(at + 1, end - at - 1)))));
        text.replace(at, end - at, time);
        at += time.size();
    }
    return text;
}

TEST(CsvLog, OneLinePerRound)
{
    const RoundCase cases[] = {
        {"same period: a line as soon as both reported",
         {"A", "B"},
         {{0, 100, "1", "", 0},
          {1, 100, "2", "", 1},
          {0, 200, "3", "", 1},
          {1, 200, "4", "", 2},
          {0, 300, "5", "", 2},
          {1, 300, "6", "", 3}},
         false,
         "time,A,B,status\nT100,1,2,\nT200,3,4,\nT300,5,6,\n"},
        {"twice the period: its cell stays empty in the rounds between",
         {"fast", "slow"},
         {{0, 100, "1", "", 0},
          {0, 200, "2", "", 1},
          {1, 200, "20", "", 2},
          {0, 300, "3", "", 2},
          {0, 400, "4", "", 3},
          {1, 400, "40", "", 4},
          {0, 500, "5", "", 5},
          {0, 600, "6", "", 5},
          {1, 600, "60", "", 6}},
         false,
         "time,fast,slow,status\nT100,1,,\nT200,2,20,\nT300,3,,\nT400,4,40,\nT500,5,,\nT600,6,60,\n"},
        {"failed polls: empty cells, named in the status",
         {"A", "B", "C"},
         {{0, 100, "", "Нет ответа", 0}, {1, 100, "7", "", 0}, {2, 100, "", "Ошибка CRC", 1}},
         true,
         "time,A,B,C,status\nT100,,7,,A: Нет ответа; C: Ошибка CRC\n"},
        {"captions and values that need quotes",
         {"Давление, кПа", "say \"x\""},
         {{0, 100, "1,5", "", 0}, {1, 100, " 2", "", 1}, {-1, 100, "9", "", 1}},
         true,
         "time,\"Давление, кПа\",\"say \"\"x\"\"\",status\nT100,\"1,5\",\" 2\",\n"},
        {"a parameter that is no column leaves no trace",
         {"A"},
         {{-1, 100, "9", "", 0}, {0, 100, "1", "", 1}, {-1, 200, "9", "", 1}},
         true,
         "time,A,status\nT100,1,\n"},
    };
    for (const RoundCase& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir dir;
        const auto path = dir.path() / "log.csv";
        std::vector<Parameter> scanners(c.captions.size() + 1);
        std::vector<Parameter*> columns;
        for (std::size_t i = 0; i < c.captions.size(); ++i) {
            scanners[i].caption = c.captions[i];
            columns.push_back(&scanners[i]);
        }
        scanners.back().caption = "other";
        std::string error;
        auto log = CsvLog::open(path.string(), columns, error);
        ASSERT_NE(log, nullptr) << error;
        const auto start = SteadyClock::time_point(1h);
        for (const Poll& poll : c.polls) {
            ScanResult result;
            result.parameter = poll.column < 0 ? &scanners.back() : &scanners[static_cast<std::size_t>(poll.column)];
            result.value_text = poll.value;
            result.status_text = poll.status;
            result.slot = start + std::chrono::milliseconds(poll.slot_ms);
            result.polled_at = SystemClock::time_point(std::chrono::milliseconds(poll.slot_ms));
            log->polled(result);
            EXPECT_EQ(log->lines(), poll.lines_after) << "after the poll for " << poll.slot_ms;
        }
        if (c.close_at_end)
            log->close();
        else
            log.reset();
        EXPECT_EQ(read_text(path), times_filled(c.expected));
    }
}

// A log killed in the middle of its work leaves lines that all have the header's columns.
TEST(CsvLog, KilledLeavesCompleteLines)
{
    testing::TempDir dir;
    const auto path = dir.path() / "killed.csv";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::vector<Parameter> scanners(8);
        std::vector<Parameter*> columns;
        for (std::size_t i = 0; i < scanners.size(); ++i) {
            scanners[i].caption = "Канал, №" + std::to_string(i);
            columns.push_back(&scanners[i]);
        }
        std::string error;
        auto log = CsvLog::open(path.string(), columns, error);
        if (!log)
            _exit(1);
        for (long long round = 0;; ++round) {
            for (std::size_t i = 0; i < scanners.size(); ++i) {
                ScanResult result;
                result.parameter = &scanners[i];
                if ((round + static_cast<long long>(i)) % 7 == 0)
                    result.status_text = "Нет ответа, \"тайм-аут\"";
                else
                    result.value_text = std::to_string(round) + "," + std::to_string(i);
                result.slot = SteadyClock::time_point(std::chrono::milliseconds(round * 100));
                result.polled_at = SystemClock::now();
                log->polled(result);
            }
        }
    }
    // Until the log is well under way.
    for (int i = 0; i < 500 && (!std::filesystem::exists(path) || std::filesystem::file_size(path) < 200'000); ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself: " << status;

    const std::string text = read_text(path);
    const auto lines = complete_lines(text);
    ASSERT_GT(lines.size(), 100u);
    const auto header = parse_csv_line(lines.front());
    ASSERT_TRUE(header);
    ASSERT_EQ(header->size(), 10u);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto fields = parse_csv_line(lines[i]);
        ASSERT_TRUE(fields) << "line " << i << ": " << lines[i];
        ASSERT_EQ(fields->size(), header->size()) << "line " << i << ": " << lines[i];
    }
    // Whatever follows the last line ending is one line cut by the kill inside its write, no more.
    EXPECT_LT(text.size() - text.rfind('\n') - 1, lines.back().size() + 1);
}

// A write error stops the log with the reason for the person, and the lines before it stay whole.
TEST(CsvLog, StopsOnAFullDiskKeepingWhatWasWritten)
{
    testing::TempDir dir;
    const auto path = dir.path() / "full.csv";
    constexpr rlim_t limit = 4000; // the largest file this process may write
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The file size limit makes a write fail with EFBIG as a full disk fails with ENOSPC.
        signal(SIGXFSZ, SIG_IGN);
        const rlimit small{limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &small) != 0)
            _exit(1);
        Parameter a, b;
        a.caption = "A";
        b.caption = "B";
        std::string error;
        auto log = CsvLog::open(path.string(), {&a, &b}, error);
        if (!log)
            _exit(2);
        int told = 0;
        std::string told_reason;
        log->on_failure([&](const std::string& reason) {
            ++told;
            told_reason = reason;
        });
        for (int round = 0; round < 1000; ++round) {
            for (Parameter* p : {&a, &b}) {
                ScanResult result;
                result.parameter = p;
                result.value_text = "12345.678";
                result.slot = SteadyClock::time_point(std::chrono::milliseconds(round * 100));
                log->polled(result);
            }
        }
        const std::size_t lines = log->lines();
        log->close();
        if (!log->failed() || told != 1 || told_reason != log->failure())
            _exit(3);
        if (told_reason.find(path.string()) == std::string::npos)
            _exit(4);
        // The count of lines written, for the parent to check against the file.
        _exit(lines > 0 && lines < 200 ? static_cast<int>(lines) : 5);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    const int lines_written = WEXITSTATUS(status);
    ASSERT_GT(lines_written, 5) << "the child failed a check: " << lines_written;

    const std::string text = read_text(path);
    EXPECT_LE(text.size(), limit);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n') << "a cut line was left at the end";
    const auto lines = complete_lines(text);
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(lines_written) + 1);
    for (std::size_t i = 1; i < lines.size(); ++i)
        EXPECT_EQ(parse_csv_line(lines[i])->size(), 4u) << lines[i];
}

} // namespace
} // namespace zr740
