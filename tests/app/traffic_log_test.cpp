// The traffic monitor's intake, its filter and the register a person types.

#include "app/traffic_log.h"

#include <gtest/gtest.h>

#include <thread>

namespace zr740 {
namespace {

TrafficEvent event(TrafficKind kind, int first_register = -1, int count = 0)
{
    TrafficEvent e;
    e.kind = kind;
    e.first_register = first_register;
    e.register_count = count;
    return e;
}

TEST(TrafficLog, KeepsTheNewestAndCountsWhatLeft)
{
    TrafficLog log(3);
    for (int i = 0; i < 5; ++i) {
        TrafficEvent e = event(TrafficKind::request);
        e.address = i;
        log.on_traffic(e);
    }
    const auto taken = log.take();
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(taken.front().address, 2);
    EXPECT_EQ(taken.back().address, 4);
    EXPECT_EQ(log.dropped(), 2u);
    EXPECT_TRUE(log.take().empty());
}

// Events from the line's thread arrive whole and in order while the window takes them.
TEST(TrafficLog, TakesFromAnotherThreadInOrder)
{
    TrafficLog log;
    constexpr int count = 20'000;
    std::thread line([&log] {
        for (int i = 0; i < count; ++i) {
            TrafficEvent e = event(TrafficKind::reply);
            e.address = i;
            log.on_traffic(e);
        }
    });
    int next = 0;
    while (next < count) {
        for (const auto& e : log.take())
            ASSERT_EQ(e.address, next++);
        std::this_thread::yield();
    }
    line.join();
    EXPECT_EQ(log.dropped(), 0u);
}

TEST(TrafficFilter, ShowsErrorsAndOneRegistersTransactions)
{
    TrafficEvent bad_crc = event(TrafficKind::reply, 0x18, 2);
    bad_crc.crc_ok = false;
    TrafficEvent exception = event(TrafficKind::reply, 0x1A, 2);
    exception.exception = 2;
    const struct {
        const char* name;
        TrafficEvent event;
        bool error;
        bool on_0x19; // filter: register 0x19
        bool errors_on_0x19;
    } rows[] = {
        {"request", event(TrafficKind::request, 0x18, 2), false, true, false},
        {"good reply", event(TrafficKind::reply, 0x18, 2), false, true, false},
        {"bad crc", bad_crc, true, true, true},
        {"exception elsewhere", exception, true, false, false},
        {"time-out", event(TrafficKind::timeout, 0x19, 1), true, true, true},
        {"retry", event(TrafficKind::retry, 0x10, 10), false, true, false},
        {"unmatched", event(TrafficKind::unmatched), true, false, false},
        {"line error", event(TrafficKind::line_error), true, false, false},
        {"skipped", event(TrafficKind::skipped), false, false, false},
        {"port opened", event(TrafficKind::port_opened), false, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(is_traffic_error(row.event), row.error);
        EXPECT_TRUE(TrafficFilter{}.matches(row.event));
        EXPECT_EQ((TrafficFilter{std::nullopt, true}.matches(row.event)), row.error);
        EXPECT_EQ((TrafficFilter{0x19, false}.matches(row.event)), row.on_0x19);
        EXPECT_EQ((TrafficFilter{0x19, true}.matches(row.event)), row.errors_on_0x19);
    }
}

TEST(TrafficFilter, ReadsTheRegisterAsTyped)
{
    const struct {
        const char* text;
        bool valid;
        std::optional<int> number;
    } rows[] = {
        {"", true, std::nullopt},    {"  ", true, std::nullopt}, {"26", true, 26},
        {"0x001A", true, 26},        {"0X1a", true, 26},         {"1Ah", true, 26},
        {" 7 ", true, 7},            {"65535", true, 65535},     {"65536", false, std::nullopt},
        {"0x10000", false, std::nullopt}, {"-1", false, std::nullopt}, {"рег", false, std::nullopt},
        {"0x", false, std::nullopt}, {"12abc", false, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        std::optional<int> number = 99;
        EXPECT_EQ(parse_register_number(row.text, number), row.valid);
        if (row.valid) {
            EXPECT_EQ(number, row.number);
        }
    }
}

} // namespace
} // namespace zr740
