// The trace file of a whole read against the simulator with faults on the line: a line for every
// request the instrument heard and every reply it sent, and each fault visible where it struck.

#include "support/simulated_document.h"
#include "support/trace_lines.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>

namespace zr740 {
namespace {

using sim::Fault;
using testing::lines_of;

class TrafficTrace : public testing::SimulatedDocument {};

bool any_has(const std::vector<std::string>& lines, const std::string& text)
{
    for (const auto& line : lines)
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

TEST_F(TrafficTrace, ReadAllWithFaultsLeavesALinePerFrame)
{
    const auto path = (std::filesystem::temp_directory_path() / ("traffic_trace_" + std::to_string(getpid()))).string();
    std::filesystem::remove(path);
    {
        // The job opens the port for itself: the trace starts with it.
        std::lock_guard lock(document.link().port_lock());
        document.link().close_port();
    }
    std::string error;
    ASSERT_TRUE(document.link().open_trace_file(path, error)) << error;
    simulator->inject(Fault::no_reply(1).at(0x0009));
    simulator->inject(Fault::bad_crc(1).at(0x001A));
    simulator->inject(Fault::echo(1).at(0x001C));
    simulator->inject(Fault::glitch(0xFF, 1).at(0x0007));
    const auto before = simulator->stats();

    ASSERT_TRUE(document.engine().read(document.root()));
    document.engine().wait_until_idle();
    const auto after = simulator->stats();
    const auto statistics = document.link().trace().statistics();
    document.link().trace().close();

    const auto lines = testing::trace_lines(path);
    ASSERT_FALSE(lines.empty());
    for (const auto& line : lines)
        EXPECT_TRUE(testing::is_trace_line(line)) << line;
    const auto tx = lines_of(lines, "TX");
    const auto rx = lines_of(lines, "RX");
    EXPECT_EQ(tx.size(), after.requests - before.requests);
    EXPECT_EQ(rx.size(), after.replies - before.replies);
    EXPECT_EQ(lines.front().find("OPEN"), 24u) << lines.front();

    // No reply, then a damaged one: each a time-out and a retry; the damaged reply says CRC.
    EXPECT_EQ(lines_of(lines, "TIMEOUT").size(), 2u);
    EXPECT_EQ(lines_of(lines, "RETRY").size(), 2u);
    const auto damaged = lines_of(lines, "RX");
    EXPECT_EQ(std::count_if(damaged.begin(), damaged.end(),
                            [](const std::string& line) { return line.find("ошибка CRC") != std::string::npos; }),
              1);
    // The echo and the glitch byte were passed over, and said so.
    const auto skipped = lines_of(lines, "SKIP");
    EXPECT_TRUE(any_has(skipped, "SKIP 05 03 00 1C ")) << "the echo of the request for 0x001C";
    EXPECT_TRUE(any_has(skipped, "SKIP FF | ")) << "the glitch byte";
    EXPECT_TRUE(any_has(tx, "Чтение: адрес 5, рег. 0x0007"));

    EXPECT_EQ(statistics.requests, tx.size());
    EXPECT_EQ(statistics.timeouts, 2u);
    EXPECT_EQ(statistics.crc_errors, 1u);
    EXPECT_EQ(statistics.retries, 2u);
    EXPECT_EQ(statistics.replies + statistics.crc_errors, rx.size());
    EXPECT_GT(statistics.median_response_us, 0u);
    EXPECT_GE(statistics.p95_response_us, statistics.median_response_us);
    std::filesystem::remove(path);
}

} // namespace
} // namespace zr740
