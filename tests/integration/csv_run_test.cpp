// The CSV runs of the program as a script starts them: the log of polled values, the differences of
// a compare and the parameter list, against the simulator on a pseudo-terminal.

#include "platform/temp_dir.h"
#include "simulator/instrument_simulator.h"
#include "support/program_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace zr740 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string bin = std::string(ZR740_BINARY_DIR) + "/bin";

std::string read_text(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The fields of each line; quoted fields as the writer makes them (no line breaks inside).
std::vector<std::vector<std::string>> csv_rows(const std::string& text)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields(1);
        bool quoted = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = !quoted;
            } else if (c == ',' && !quoted) {
                fields.emplace_back();
            } else {
                fields.back() += c;
            }
        }
        rows.push_back(std::move(fields));
    }
    return rows;
}

// Milliseconds since the epoch of "2026-12-10T12:34:56.789Z".
long long iso_ms(const std::string& text)
{
    std::tm utc{};
    int ms = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%dT%d:%d:%d.%dZ", &utc.tm_year, &utc.tm_mon, &utc.tm_mday, &utc.tm_hour,
                    &utc.tm_min, &utc.tm_sec, &ms) != 7)
        return -1;
    utc.tm_year -= 1900;
    utc.tm_mon -= 1;
    return static_cast<long long>(timegm(&utc)) * 1000 + ms;
}

class CsvRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim::SimulatorOptions options;
        options.description_path = bin + "/zr740.dat";
        simulator = std::make_unique<sim::InstrumentSimulator>(options);
        ASSERT_TRUE(simulator->start()) << simulator->error();
    }
    std::string port_option() const { return "port:" + simulator->port_path(); }
    std::string file(const char* name) const { return (dir.path() / name).string(); }
    int run(const std::vector<std::string>& arguments)
    {
        testing::ProgramRun program(bin + "/zr740", arguments, dir.path().string());
        const int code = program.wait();
        err = program.err();
        return code;
    }

    testing::TempDir dir;
    std::unique_ptr<sim::InstrumentSimulator> simulator;
    std::string err;
};

// Every scanner at its period of one second, a round a line, the instrument's values as it gave them.
TEST_F(CsvRun, PollLogsARoundPerPeriod)
{
    const std::string log = file("pressure.csv");
    ASSERT_EQ(run({"-poll:4/" + port_option(), "-csv:" + log}), 0) << err;
    const auto rows = csv_rows(read_text(log));
    ASSERT_GE(rows.size(), 4u) << read_text(log);
    EXPECT_EQ(rows.back().size(), rows.front().size());
    const auto& header = rows.front();
    EXPECT_EQ(header.front(), "time");
    EXPECT_EQ(header.back(), "status");
    const auto current = std::find(header.begin(), header.end(), "Выходной ток, мА") - header.begin();
    ASSERT_LT(current, static_cast<long>(header.size()));
    // The last round may have been cut short by the end of the run; it is written as far as it got.
    for (std::size_t i = 1; i + 1 < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), header.size()) << i;
        EXPECT_EQ(rows[i].back(), "") << "a failed poll in row " << i;
        for (std::size_t column = 1; column + 1 < header.size(); ++column)
            EXPECT_FALSE(rows[i][column].empty()) << header[column] << " in row " << i;
        // A 4-20 mA transmitter.
        const double milliamperes = std::stod(rows[i][static_cast<std::size_t>(current)]);
        EXPECT_GE(milliamperes, 4.0);
        EXPECT_LE(milliamperes, 20.0);
        if (i > 1) {
            const long long step = iso_ms(rows[i][0]) - iso_ms(rows[i - 1][0]);
            EXPECT_GT(step, 700) << rows[i][0];
            EXPECT_LT(step, 1300) << rows[i][0];
        }
    }
}

TEST_F(CsvRun, PollUntilStoppedEndsWith205AndACompleteFile)
{
    const std::string log = file("until-stopped.csv");
    testing::ProgramRun program(bin + "/zr740", {"-poll:0/" + port_option(), "-csv:" + log}, dir.path().string());
    for (int i = 0; i < 200 && csv_rows(read_text(log)).size() < 3; ++i)
        std::this_thread::sleep_for(50ms);
    program.signal(SIGTERM);
    EXPECT_EQ(program.wait(20s), 205) << program.err();
    const std::string text = read_text(log);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    const auto rows = csv_rows(text);
    ASSERT_GE(rows.size(), 3u);
    for (const auto& row : rows)
        EXPECT_EQ(row.size(), rows.front().size());
}

TEST_F(CsvRun, ExitCodesOfTheCsvRuns)
{
    std::ofstream(file("plain")) << "a file, no folder";
    const struct {
        const char* what;
        std::vector<std::string> arguments;
        int code;
    } cases[] = {
        {"poll without a log", {"-poll:1/" + port_option()}, 208},
        {"poll of no number", {"-poll:soon/" + port_option(), "-csv:" + file("x.csv")}, 208},
        {"a log that cannot be created", {"-poll:1/" + port_option(), "-csv:" + file("no/such/x.csv")}, 200},
        {"a port that does not open", {"-poll:1/port:/nonexistent/tty", "-csv:" + file("y.csv")}, 201},
        {"compare without a configuration", {"-compare/" + port_option(), "-csv:" + file("z.csv")}, 200},
        {"a list under a file", {"-csv:" + file("plain/list.csv")}, 200},
    };
    for (const auto& c : cases)
        EXPECT_EQ(run(c.arguments), c.code) << c.what << "\n" << err;
}

// The compare lists every difference, and a script learns of them from the code.
TEST_F(CsvRun, CompareSavesTheDifferences)
{
    const std::string configuration = file("line3.zr740");
    ASSERT_EQ(run({"-read/" + port_option(), configuration}), 0) << err;
    const std::string same = file("same.csv");
    const int code = run({"-compare/" + port_option(), "-csv:" + same, configuration});
    const auto unchanged = csv_rows(read_text(same));
    ASSERT_FALSE(unchanged.empty());
    EXPECT_EQ(unchanged.front().front(), "Команда");
    // Measured values move between the read and the compare; the settings do not.
    for (std::size_t i = 1; i < unchanged.size(); ++i)
        EXPECT_NE(unchanged[i][0], "0x0018");
    EXPECT_EQ(code, unchanged.size() > 1 ? 209 : 0) << err;

    ASSERT_TRUE(simulator->set_value(0x0018, "12.5"));
    const std::string changed = file("changed.csv");
    EXPECT_EQ(run({"-compare/" + port_option(), "-csv:" + changed, configuration}), 209) << err;
    const auto rows = csv_rows(read_text(changed));
    const auto found = std::find_if(rows.begin(), rows.end(), [](const auto& row) { return row[0] == "0x0018"; });
    ASSERT_NE(found, rows.end()) << read_text(changed);
    ASSERT_EQ(found->size(), 9u);
    EXPECT_EQ((*found)[6], "12.500");
    EXPECT_NE((*found)[3], "12.500");
    EXPECT_FALSE((*found)[2].empty()); // the caption
}

TEST_F(CsvRun, ParameterListBesideThePage)
{
    const std::string list = file("list.csv");
    const std::string page = file("list.html");
    ASSERT_EQ(run({"-html:" + page, "-csv:" + list}), 0) << err;
    EXPECT_TRUE(fs::exists(page));
    const auto rows = csv_rows(read_text(list));
    ASSERT_GT(rows.size(), 10u);
    for (const auto& row : rows)
        EXPECT_EQ(row.size(), 9u) << row[0];
    const auto found = std::find_if(rows.begin(), rows.end(), [](const auto& row) { return row[1] == "0x0007"; });
    ASSERT_NE(found, rows.end());
    EXPECT_EQ((*found)[4], "Сетевой адрес");
    EXPECT_EQ((*found)[6], "1.000");
    EXPECT_EQ((*found)[7], "247.000");
}

} // namespace
} // namespace zr740
