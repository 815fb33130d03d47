// The scanners without an instrument: period limits, the polling order, the deadline series, the
// result queue, and the thread itself polling a closed port (every poll then fails at once with the
// port's status, which is all these tests need of the line).

#include "app/scan_result_queue.h"
#include "app/scan_thread.h"
#include "link/device.h"
#include "model/desc_branch.h"
#include "platform/run_state.h"
#include "support/memory_settings.h"
#include "support/recording_shell.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/resource.h>

#include <pthread.h>
#include <sched.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <vector>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>

namespace zr740 {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::unique_ptr<DescBranch> branch(const char* name)
{
    return std::make_unique<DescBranch>(name, 1, 1, 5, 5);
}

Parameter& add_parameter(DescBranch& owner, const std::string& name, int channel = 0)
{
    auto parameter = std::make_unique<Parameter>(name);
    parameter->register_count = 1;
    parameter->type_text = "int";
    parameter->scanner_channel = channel;
    return owner.append(std::move(parameter));
}

// Polls `done` until it holds or `limit` passes; true when it held.
template <typename F> bool eventually(F done, std::chrono::milliseconds limit = 10s)
{
    const auto end = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

class ScanThreadTest : public ::testing::Test {
  protected:
    // Results taken so far, counted by channel.
    std::map<int, int> count_results()
    {
        for (auto& result : scan.results().take_all()) {
            ++counts[result.channel];
            last = std::move(result);
        }
        return counts;
    }

    RunState run;
    testing::RecordingShell shell;
    testing::MemorySettings settings;
    Device link{run, shell, settings, {}}; // never opened
    std::unique_ptr<DescBranch> scanners = branch("Текущие_значения");
    // After the branch: stopped before the branch goes. The normal class, so that a busy machine
    // does not hold the polls these tests wait for.
    ScanThread scan{link, shell, ScanThread::Priority::normal};
    std::map<int, int> counts;
    ScanResult last;
};

TEST_F(ScanThreadTest, PeriodBelowOneHundredMillisecondsIsRefused)
{
    struct Case {
        int period;
        bool accepted;
    };
    for (const Case c : {Case{99, false}, Case{100, true}, Case{0, false}, Case{-5, false}, Case{60000, true}}) {
        SCOPED_TRACE(c.period);
        Parameter scanner("0x0100");
        scanner.poll_period = 1000;
        shell.messages.clear();
        EXPECT_EQ(scan.set_period(scanner, c.period), c.accepted);
        EXPECT_EQ(scanner.poll_period, c.accepted ? c.period : 1000);
        if (c.accepted) {
            EXPECT_TRUE(shell.messages.empty());
        } else {
            ASSERT_EQ(shell.messages.size(), 1u);
            EXPECT_EQ(shell.messages[0].text,
                      "Период опроса в миллисекундах.\nПериод опроса не может быть меньше 100 миллисекунд.");
            EXPECT_EQ(shell.messages[0].caption, "ЗР740");
            EXPECT_EQ(shell.messages[0].icon, Icon::stop);
            EXPECT_EQ(shell.messages[0].owner, Owner::main_window);
        }
    }
}

TEST_F(ScanThreadTest, CollectsEachBranchsOwnParametersBeforeItsChildren)
{
    auto first_child = branch("first");
    auto grandchild = branch("grandchild");
    add_parameter(*grandchild, "d");
    add_parameter(*first_child, "c");
    first_child->add_child(std::move(grandchild));
    add_parameter(*first_child, "c2");
    auto second_child = branch("second");
    add_parameter(*second_child, "e");
    // Children are added before the root's own parameters: the order of the calls must not matter.
    scanners->add_child(std::move(first_child));
    scanners->add_child(std::move(second_child));
    add_parameter(*scanners, "a");
    add_parameter(*scanners, "b");

    std::string order;
    for (const Parameter* scanner : ScanThread::collect(scanners.get()))
        order += scanner->name + " ";
    EXPECT_EQ(order, "a b c c2 d e ");
    EXPECT_TRUE(ScanThread::collect(nullptr).empty());
}

TEST(ScanThreadDeadlines, NextSlotKeepsTheSeriesAndSkipsMissedSlots)
{
    const auto due = Clock::time_point(10s);
    struct Case {
        std::chrono::milliseconds poll_ended; // after `due`
        std::chrono::milliseconds next;       // after `due`
    };
    for (const Case c : {Case{1ms, 100ms}, Case{99ms, 100ms}, Case{100ms, 200ms}, Case{250ms, 300ms},
                         Case{300ms, 400ms}, Case{1001ms, 1100ms}}) {
        SCOPED_TRACE(c.poll_ended.count());
        EXPECT_EQ(ScanThread::next_slot(due, 100ms, due + c.poll_ended) - due, c.next);
    }
    // A poll that ended before its deadline (the clock is monotonic, but the rule must still hold).
    EXPECT_EQ(ScanThread::next_slot(due, 100ms, due - 50ms) - due, 100ms);
}

TEST_F(ScanThreadTest, PollQueuesOnlyARunningScannersResultAndOnlyForAMainWindow)
{
    Parameter& scanner = add_parameter(*scanners, "0x0100", 4);
    scanner.value_text = "old";

    scan.poll(scanner); // switched off
    EXPECT_EQ(scan.results().size(), 0u);

    scan.switch_on(scanner);
    scan.poll(scanner);
    auto result = scan.results().take();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->channel, 4);
    EXPECT_EQ(result->parameter, &scanner);
    EXPECT_EQ(result->value_text, "");
    EXPECT_EQ(result->status_text, "Ошибка открытия порта");
    EXPECT_EQ(shell.scan_announcements, 1);

    shell.main_window = false;
    scan.poll(scanner);
    EXPECT_EQ(scan.results().size(), 0u);
    EXPECT_EQ(shell.scan_announcements, 1);
}

TEST_F(ScanThreadTest, ThreadTakesOverEarlierTimersAndCanBeStartedAgain)
{
    Parameter& early = add_parameter(*scanners, "0x0100", 1);
    Parameter& idle = add_parameter(*scanners, "0x0102", 2);
    ASSERT_TRUE(scan.set_period(early, 100));
    scan.switch_on(early); // before the thread runs

    ASSERT_EQ(scan.start_scanners(scanners.get()), 0);
    EXPECT_EQ(scan.start_scanners(scanners.get()), 0); // runs already
    EXPECT_TRUE(eventually([&] { return count_results()[1] >= 3; }));
    EXPECT_EQ(counts[2], 0);
    EXPECT_EQ(last.status_text, "Ошибка открытия порта");

    scan.stop();
    EXPECT_FALSE(scan.running());
    EXPECT_EQ(early.poll_running, 0);
    ASSERT_EQ(scan.start_scanners(scanners.get()), 0);
    EXPECT_EQ(scan.switch_on(idle), 0);
    EXPECT_TRUE(eventually([&] { return count_results()[2] >= 1; }));
}

TEST_F(ScanThreadTest, NewPeriodStartsTheSeriesOver)
{
    Parameter& scanner = add_parameter(*scanners, "0x0100", 1);
    ASSERT_EQ(scan.start_scanners(scanners.get()), 0);
    ASSERT_TRUE(scan.set_period(scanner, 100));
    scan.switch_on(scanner);
    ASSERT_TRUE(eventually([&] { return count_results()[1] >= 2; }));

    Clock::time_point changed;
    {
        // Holding the port keeps a poll from being under way while the period changes; meanwhile
        // the old deadline passes, and that poll, waiting for the port, must not be made.
        std::lock_guard port(link.port_lock());
        std::this_thread::sleep_for(250ms);
        ASSERT_TRUE(scan.set_period(scanner, 600));
        changed = Clock::now();
        scan.results().take_all();
    }
    ASSERT_TRUE(eventually([&] { return scan.results().size() > 0; }));
    EXPECT_GE(Clock::now() - changed, 600ms);
}

// A listener that keeps what it hears, for the thread's test below.
class HeardPolls : public ScanListener {
  public:
    void polled(const ScanResult& result) override
    {
        std::lock_guard lock(mutex);
        heard.push_back(result);
    }
    std::vector<ScanResult> copy()
    {
        std::lock_guard lock(mutex);
        return heard;
    }
    std::mutex mutex;
    std::vector<ScanResult> heard;
};

TEST_F(ScanThreadTest, ListenerHearsEveryPollWithoutAWindowAndScannersSwitchedOnTogetherShareRounds)
{
    shell.main_window = false;
    Parameter& first = add_parameter(*scanners, "0x0100", 1);
    Parameter& second = add_parameter(*scanners, "0x0102", 2);
    Parameter& slower = add_parameter(*scanners, "0x0104", 3);
    ASSERT_TRUE(scan.set_period(first, 100));
    ASSERT_TRUE(scan.set_period(second, 100));
    ASSERT_TRUE(scan.set_period(slower, 300));
    HeardPolls listener;
    scan.set_listener(&listener);
    const auto before = std::chrono::system_clock::now();
    EXPECT_EQ(scan.switch_on_together({&first, &second, &slower}), 0);
    EXPECT_EQ(scan.switch_on_together({&first}), 1); // running already
    ASSERT_EQ(scan.start_scanners(scanners.get()), 0);
    ASSERT_TRUE(eventually([&] {
        const auto heard = listener.copy();
        return std::count_if(heard.begin(), heard.end(), [](const ScanResult& r) { return r.channel == 3; }) >= 2;
    }));
    scan.set_listener(nullptr);
    const auto heard = listener.copy();
    scan.stop();

    EXPECT_EQ(scan.results().size(), 0u); // nothing queued without a window
    std::map<int, std::vector<Clock::time_point>> slots;
    for (const auto& result : heard) {
        EXPECT_GE(result.polled_at, before);
        EXPECT_EQ(result.status_text, "Ошибка открытия порта");
        slots[result.channel].push_back(result.slot);
    }
    // Every deadline of the second and of the slower scanner is one of the first's: they are polled
    // in its rounds (a slot the busy machine skipped for all of them proves nothing either way).
    ASSERT_GE(slots[1].size(), 3u);
    const std::set<Clock::time_point> rounds(slots[1].begin(), slots[1].end());
    for (int channel : {2, 3}) {
        for (const auto slot : slots[channel]) {
            if (slot <= *rounds.rbegin()) {
                EXPECT_TRUE(rounds.count(slot)) << "channel " << channel;
            }
        }
    }
    EXPECT_EQ(slots[3].front(), slots[1][2]);
}

TEST_F(ScanThreadTest, StopEndsPromptlyWithNothingSwitchedOn)
{
    add_parameter(*scanners, "0x0100");
    ASSERT_EQ(scan.start_scanners(scanners.get()), 0);
    std::this_thread::sleep_for(50ms);
    const auto start = Clock::now();
    scan.stop();
    // Generous: the thread sleeps without a deadline and has to be woken, not timed out.
    EXPECT_LT(Clock::now() - start, 2s);
    EXPECT_FALSE(scan.running());
    scan.stop(); // a second stop is harmless
}

// The thread's scheduling class, found by the thread's name; nothing when there is no such thread.
// The niceness of the running scanner thread.
std::optional<int> scanner_thread_niceness()
{
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        if (std::getline(comm, name) && name == "zr740-scan") {
            errno = 0;
            const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(std::stol(task.path().filename().string())));
            return errno == 0 ? std::optional(nice) : std::nullopt;
        }
    }
    return std::nullopt;
}

TEST(ScanThreadPriority, ThreadRunsAtTheLowestPriorityUnlessToldOtherwise)
{
    const int own = getpriority(PRIO_PROCESS, 0);

    RunState run;
    testing::RecordingShell shell;
    testing::MemorySettings settings;
    Device link{run, shell, settings, {}};
    for (auto [priority, niceness] : {std::pair{ScanThread::Priority::idle, 19}, std::pair{ScanThread::Priority::normal, own}}) {
        ScanThread scan(link, shell, priority);
        ASSERT_EQ(scan.start_scanners(nullptr), 0);
        std::optional<int> found;
        EXPECT_TRUE(eventually([&] { return (found = scanner_thread_niceness()) == niceness; }, 2s))
            << found.value_or(-100);
        scan.stop();
    }
}

TEST(ScanResultQueue, HandsRecordsOutOldestFirst)
{
    ScanResultQueue queue;
    EXPECT_FALSE(queue.take());
    for (int channel = 1; channel <= 4; ++channel)
        queue.push({channel, std::to_string(channel), "", nullptr});
    EXPECT_EQ(queue.size(), 4u);
    EXPECT_EQ(queue.take()->channel, 1);
    const auto rest = queue.take_all();
    ASSERT_EQ(rest.size(), 3u);
    EXPECT_EQ(rest[0].value_text, "2");
    EXPECT_EQ(rest[2].value_text, "4");
    EXPECT_EQ(queue.size(), 0u);
    EXPECT_TRUE(queue.take_all().empty());
}

TEST(ScanResultQueue, TextsAreCutToWholeCharacters)
{
    std::string cyrillic; // two bytes a character
    for (int i = 0; i < 600; ++i)
        cyrillic += "ж";
    struct Case {
        std::string text;
        std::size_t max;
        std::string expected;
    };
    const Case cases[] = {
        {"", 511, ""},
        {"Давление", 3, "Дав"},
        {std::string(511, 'a'), 511, std::string(511, 'a')},
        {std::string(600, 'a'), 511, std::string(511, 'a')},
        {cyrillic, 511, cyrillic.substr(0, 1022)},
        {"a€b", 2, "a€"},
        {"😀😀", 1, "😀"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cut_code_points(c.text, c.max), c.expected) << c.text.substr(0, 20);
}

} // namespace
} // namespace zr740
