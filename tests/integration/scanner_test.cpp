// The scanners and the single-parameter exchange against the simulator over a pseudo-terminal: when
// polls come, what they report, how they share the port with a batch job, how many scanners run,
// how the thread stops, and the single exchange's report of a read, a write and a failure.

#include "app/scan_thread.h"
#include "app/single_point.h"
#include "description/description_lists.h"
#include "link/device.h"
#include "model/desc_branch.h"
#include "platform/run_state.h"
#include "simulator/instrument_simulator.h"
#include "support/memory_settings.h"
#include "support/recording_shell.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace zr740 {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using sim::Fault;
using sim::InstrumentSimulator;
using sim::SimulatorOptions;

template <typename F> bool eventually(F done, std::chrono::milliseconds limit = 10s)
{
    const auto end = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

class ScannerTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        SimulatorOptions options;
        options.description_path = std::string(ZR740_BINARY_DIR) + "/bin/zr740.dat";
        options.live_values = false;
        options.address = 5;
        simulator = std::make_unique<InstrumentSimulator>(options);
        ASSERT_TRUE(simulator->start()) << simulator->error();
        link.link_settings().set_value_by_name("Port", simulator->port_path());
        link.link_settings().set_value_by_name("0x0007", "5");
        ASSERT_EQ(link.open_port(true), 0) << link.sio().open_error();
    }
    void TearDown() override
    {
        link.sio().abort();
        scan.stop();
    }

    // A scanner of the instrument's address register (its value is 5), on the given channel.
    Parameter& add_scanner(int channel, int period_ms = 100)
    {
        auto parameter = std::make_unique<Parameter>("0x0007");
        parameter->register_count = 1;
        parameter->type_text = "int";
        parameter->scanner_channel = channel;
        Parameter& scanner = scanners.append(std::move(parameter));
        EXPECT_TRUE(scan.set_period(scanner, period_ms));
        return scanner;
    }
    std::uint64_t requests() const { return simulator->stats().requests; }
    std::optional<ScanResult> next_result(std::chrono::milliseconds limit = 10s)
    {
        std::optional<ScanResult> result;
        eventually([&] { return (result = scan.results().take()).has_value(); }, limit);
        return result;
    }

    RunState run;
    testing::RecordingShell shell;
    testing::MemorySettings settings;
    Device link{run, shell, settings, {}};
    std::unique_ptr<InstrumentSimulator> simulator;
    DescBranch scanners{"Текущие_значения", 1, 1, 5, 5};
    // The normal class, so that a busy machine does not hold the polls these tests wait for.
    ScanThread scan{link, shell, ScanThread::Priority::normal};
};

TEST_F(ScannerTest, FirstPollComesOnePeriodAfterSwitchingOn)
{
    Parameter& scanner = add_scanner(1, 300);
    ASSERT_EQ(scan.start_scanners(&scanners), 0);
    const auto switched_on = Clock::now();
    ASSERT_EQ(scan.switch_on(scanner), 0);
    ASSERT_TRUE(next_result());
    EXPECT_GE(Clock::now() - switched_on, 300ms);
    EXPECT_EQ(requests(), 1u);
}

TEST_F(ScannerTest, ResultsCarryTheValueOrTheStatus)
{
    Parameter& scanner = add_scanner(7);
    ASSERT_EQ(scan.start_scanners(&scanners), 0);
    scan.switch_on(scanner);

    auto good = next_result();
    ASSERT_TRUE(good);
    EXPECT_EQ(good->channel, 7);
    EXPECT_EQ(good->parameter, &scanner);
    EXPECT_EQ(good->value_text, "5");
    EXPECT_EQ(good->status_text, "");

    {
        // Between two polls: the next one gets no reply, to its request nor to the retry.
        std::lock_guard port(link.port_lock());
        simulator->inject(Fault::no_reply(2));
        scan.results().take_all();
    }
    auto failed = next_result();
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->channel, 7);
    EXPECT_EQ(failed->value_text, "");
    EXPECT_EQ(failed->status_text, "Не могу раскодировать ответ");

    auto recovered = next_result();
    ASSERT_TRUE(recovered);
    EXPECT_EQ(recovered->value_text, "5");
    EXPECT_EQ(recovered->status_text, "");
    EXPECT_GE(shell.scan_announcements, 3);
}

TEST_F(ScannerTest, PollWaitsWhileTheBatchJobHoldsThePort)
{
    Parameter& scanner = add_scanner(1);
    ASSERT_EQ(scan.start_scanners(&scanners), 0);
    Clock::time_point released;
    {
        std::lock_guard port(link.port_lock());
        scan.switch_on(scanner);
        // The batch job's own exchanges, with several scanner deadlines passing meanwhile.
        Parameter own("0x0007");
        own.register_count = 1;
        own.type_text = "int";
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(link.read_registers(own, false), 0);
            EXPECT_EQ(own.value_text, "5");
            std::this_thread::sleep_for(200ms);
        }
        EXPECT_EQ(requests(), 5u);
        EXPECT_EQ(scan.results().size(), 0u);
        released = Clock::now();
    }
    ASSERT_TRUE(next_result());
    std::this_thread::sleep_for(250ms);
    // The missed deadlines are dropped, not made up for in a burst: one late poll and then the
    // regular series.
    const auto polls = 1 + scan.results().take_all().size();
    const auto slots = static_cast<std::size_t>((Clock::now() - released) / 100ms);
    EXPECT_LE(polls, slots + 2);
}

TEST_F(ScannerTest, MoreThanSixtyThreeScannersAreAllPolled)
{
    constexpr int count = 70;
    for (int channel = 0; channel < count; ++channel)
        add_scanner(channel);
    ASSERT_EQ(scan.start_scanners(&scanners), 0);
    for (auto& scanner : scanners.parameters)
        ASSERT_EQ(scan.switch_on(*scanner), 0);

    std::set<int> polled;
    EXPECT_TRUE(eventually(
        [&] {
            // A poll may fail on a busy machine (the simulator answering late); it was made all the same.
            for (const auto& result : scan.results().take_all()) {
                EXPECT_TRUE(result.value_text == "5" || !result.status_text.empty()) << result.value_text;
                polled.insert(result.channel);
            }
            return polled.size() == count;
        },
        20s));
    EXPECT_EQ(polled.size(), static_cast<std::size_t>(count));
}

TEST_F(ScannerTest, StopCutsAPollOnTheLineShort)
{
    // Without the abort this poll would wait a minute for replies that never come.
    link.sio().reply_timeout = 30000;
    simulator->inject(Fault::no_reply(-1));
    Parameter& scanner = add_scanner(1);
    ASSERT_EQ(scan.start_scanners(&scanners), 0);
    scan.switch_on(scanner);
    ASSERT_TRUE(eventually([&] { return requests() >= 1; }));

    const auto start = Clock::now();
    link.sio().abort(); // as the document stops its threads
    scan.stop();
    EXPECT_LT(Clock::now() - start, 15s);
    EXPECT_EQ(requests(), 1u); // the retry never went out
    EXPECT_EQ(scanner.poll_running, 0);
}

TEST_F(ScannerTest, StopWhileAPollWaitsForThePortEndsWithoutPolling)
{
    Parameter& scanner = add_scanner(1);
    ASSERT_EQ(scan.start_scanners(&scanners), 0);
    std::future<void> stopped;
    {
        std::lock_guard port(link.port_lock());
        scan.switch_on(scanner);
        std::this_thread::sleep_for(250ms); // the scanner is due and waits for the port
        stopped = std::async(std::launch::async, [&] { scan.stop(); });
        EXPECT_EQ(stopped.wait_for(200ms), std::future_status::timeout);
    }
    EXPECT_EQ(stopped.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(requests(), 0u);
    EXPECT_EQ(scan.results().size(), 0u);
    EXPECT_EQ(scanner.poll_running, 0);
}

TEST_F(ScannerTest, NothingIsQueuedWithoutAMainWindow)
{
    shell.main_window = false;
    Parameter& scanner = add_scanner(1);
    ASSERT_EQ(scan.start_scanners(&scanners), 0);
    scan.switch_on(scanner);
    ASSERT_TRUE(eventually([&] { return requests() >= 3; }));
    scan.stop();
    EXPECT_EQ(scan.results().size(), 0u);
    EXPECT_EQ(shell.scan_announcements, 0);
}

// The single-parameter exchange shares the line set-up.
class SinglePointExchangeTest : public ScannerTest {
  protected:
    void SetUp() override
    {
        ScannerTest::SetUp();
        DescParameter address;
        address.name = "0x0007";
        address.register_count = 1;
        address.type_text = "int";
        address.caption = "Сетевой_адрес";
        lists.add_parameter(address);
        DescParameter delay = address;
        delay.name = "0x0010";
        delay.caption = "Задержка_ответа,_мс";
        lists.add_parameter(delay);
        DescParameter damping = address;
        damping.name = "0x0018";
        damping.register_count = 2;
        damping.type_text = "float:2";
        damping.caption = "Демпфирование";
        lists.add_parameter(damping);
    }
    std::vector<std::string> exchange(const char* name, SinglePointOperation operation, const std::string& value = {})
    {
        return single_point_exchange(lists, link, shell, name, operation, value);
    }

    DescriptionLists lists;
};

using Lines = std::vector<std::string>;

TEST_F(SinglePointExchangeTest, ReadShowsTheValueOnALineOfItsOwn)
{
    EXPECT_EQ(exchange("0X0007", SinglePointOperation::read),
              (Lines{"0x0007 (Сетевой адрес)", "Нет ошибок; строковая нотация ответа:", "5"}));
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(SinglePointExchangeTest, WriteReachesTheInstrumentAndShowsWhatCameBack)
{
    EXPECT_EQ(exchange("0x0010", SinglePointOperation::write, "20"),
              (Lines{"0x0010 (Задержка ответа, мс)", "Нет ошибок; записано. Обратно вернулось='20'"}));
    EXPECT_EQ(simulator->value(0x0010), "20");
    // A two-register value goes out with the multiple-register write.
    const auto lines = exchange("0x0018", SinglePointOperation::write, "2.5");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "Нет ошибок; записано. Обратно вернулось='2.5'");
    EXPECT_EQ(simulator->value(0x0018).value_or("").substr(0, 3), "2.5");
}

TEST_F(SinglePointExchangeTest, FailedExchangeShowsTheStatus)
{
    simulator->inject(Fault::no_reply(2));
    EXPECT_EQ(exchange("0x0007", SinglePointOperation::read),
              (Lines{"0x0007 (Сетевой адрес)", "Не могу раскодировать ответ"}));
}

} // namespace
} // namespace zr740
