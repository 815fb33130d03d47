// The search for instruments on a simulated line with three instruments, over the serial line and
// over a network end: all three found with their serial numbers, nothing else; a search stopped
// half way ends within the attempt under way.

#include "app/line_scan.h"
#include "link/port_address.h"
#include "support/simulated_document.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace zr740 {
namespace {

class LineSearch : public testing::SimulatedDocument {
protected:
    void SetUp() override
    {
        SimulatedDocument::SetUp();
        if (HasFatalFailure())
            return;
        sim::SimulatorOptions options;
        options.description_path = context.program_folder + "/zr740.dat";
        options.live_values = false;
        options.address = 16;
        options.extra_addresses = {3, 40};
        options.pace = true;
        // The same line behind a serial device server: the rate is the server's business.
        options.tcp_port = 0;
        remote = std::make_unique<sim::InstrumentSimulator>(options);
        ASSERT_TRUE(remote->start()) << remote->error();
        // Requests at another rate are noise on a real line: nobody answers them.
        options.own_rate_only = true;
        options.tcp_port.reset();
        line = std::make_unique<sim::InstrumentSimulator>(options);
        ASSERT_TRUE(line->start()) << line->error();
    }

    std::unique_ptr<sim::InstrumentSimulator> line;
    std::unique_ptr<sim::InstrumentSimulator> remote;
};

TEST_F(LineSearch, FindsEveryInstrumentWithItsSerialNumber)
{
    PortAddress end{PortKind::rtu_over_tcp, "127.0.0.1", remote->tcp_port()};
    for (const std::string& port : {line->port_path(), port_text(end)}) {
        SCOPED_TRACE(port);
        settings().set_value_by_name("Port", port);
        document.link().load_link_settings();
        // Loopback has no latency worth waiting for.
        document.link().sio().network_latency = 20;
        LineScan scan(document.link());
        std::vector<FoundInstrument> found;
        int last_done = 0;
        int total = 0;
        LineScanOptions options;
        options.first_address = 1;
        options.last_address = 45;
        options.baud_rates = {19200, 9600};
        const auto outcome = scan.run(
            options, [&](const FoundInstrument& instrument) { found.push_back(instrument); },
            [&](int done, int of) {
                EXPECT_EQ(done, last_done + 1);
                last_done = done;
                total = of;
            });
        EXPECT_EQ(outcome, LineScan::Outcome::finished);
        // The line runs at 9600: nobody answers at 19200. Behind a network end the rate is the far
        // end's: one pass.
        const int passes = port == line->port_path() ? 2 : 1;
        EXPECT_EQ(total, 45 * passes);
        EXPECT_EQ(last_done, 45 * passes);
        ASSERT_EQ(found.size(), 3u);
        const struct {
            int address;
            const char* serial;
        } expected[] = {{3, "SIM00003"}, {16, ""}, {40, "SIM00040"}};
        for (std::size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ(found[i].address, expected[i].address);
            EXPECT_EQ(found[i].baud_rate, 9600);
            EXPECT_EQ(found[i].name, "ZR740_RS");
            EXPECT_TRUE(found[i].zr740);
            EXPECT_EQ(found[i].version, "1.5");
            EXPECT_EQ(found[i].serial, expected[i].serial);
        }
    }
}

TEST_F(LineSearch, FindsTheInstrumentsFromADocumentThatNeverOpenedItsPort)
{
    // As the search opened while working offline: the line's settings were never taken.
    MemorySettings offline;
    offline.texts["port_name"] = line->port_path();
    CHLB5Doc never_connected(context, shell, offline, {});
    LineScan scan(never_connected.link());
    LineScanOptions options;
    options.first_address = 1;
    options.last_address = 45;
    options.baud_rates = {9600};
    std::vector<int> addresses;
    EXPECT_EQ(scan.run(options, [&](const FoundInstrument& found) { addresses.push_back(found.address); }, nullptr),
              LineScan::Outcome::finished);
    EXPECT_EQ(addresses, (std::vector<int>{3, 16, 40}));
}

TEST_F(LineSearch, AStopEndsTheSearchWithinOneAttempt)
{
    settings().set_value_by_name("Port", line->port_path());
    document.link().load_link_settings();
    LineScan scan(document.link());
    LineScanOptions options;
    options.baud_rates = {9600};
    std::atomic<int> done{0};
    std::chrono::steady_clock::time_point stopped_at;
    std::thread stopper([&] {
        while (done < 20)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        stopped_at = std::chrono::steady_clock::now();
        scan.stop();
    });
    const auto outcome = scan.run(options, nullptr, [&](int d, int) { done = d; });
    const auto ended = std::chrono::steady_clock::now();
    stopper.join();
    EXPECT_EQ(outcome, LineScan::Outcome::stopped);
    EXPECT_LT(done, 30);
    // One attempt is a request and a silence of well under 100 ms at 9600.
    EXPECT_LT(ended - stopped_at, std::chrono::milliseconds(500));
    // A stop after the end (a window closing) leaves the line alone; it is usable again.
    scan.stop();
    settings().set_value_by_name("Port", simulator->port_path());
    document.link().load_link_settings();
    ASSERT_EQ(document.link().reopen_at(9600), 0);
    auto& own = at("0x0007");
    EXPECT_EQ(document.link().read_registers(own, false), 0) << own.status_text;
}

} // namespace
} // namespace zr740
