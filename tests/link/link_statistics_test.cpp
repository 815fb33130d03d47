// Link statistics from sequences of traffic events.

#include "link/link_statistics.h"

#include <gtest/gtest.h>

#include <vector>

namespace zr740 {
namespace {

TrafficEvent event(TrafficKind kind, std::uint64_t response_us = 0, bool crc_ok = true, int exception = 0)
{
    TrafficEvent e;
    e.kind = kind;
    e.response_us = response_us;
    e.crc_ok = crc_ok;
    e.exception = exception;
    return e;
}

TrafficEvent reply(std::uint64_t us) { return event(TrafficKind::reply, us); }

std::vector<TrafficEvent> replies_from(std::uint64_t first_us, std::uint64_t step_us, int count)
{
    std::vector<TrafficEvent> events;
    for (int i = 0; i < count; ++i)
        events.push_back(reply(first_us + step_us * static_cast<std::uint64_t>(i)));
    return events;
}

std::vector<TrafficEvent> operator+(std::vector<TrafficEvent> a, const std::vector<TrafficEvent>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct StatisticsRow {
    const char* name;
    std::vector<TrafficEvent> events;
    LinkStatisticsSnapshot expected;
};

void PrintTo(const StatisticsRow& row, std::ostream* out) { *out << row.name; }

class LinkStatisticsCount : public ::testing::TestWithParam<StatisticsRow> {};

TEST_P(LinkStatisticsCount, FromEvents)
{
    LinkStatistics statistics;
    for (const auto& e : GetParam().events)
        statistics.add(e);
    const auto got = statistics.snapshot();
    const auto& want = GetParam().expected;
    EXPECT_EQ(got.requests, want.requests);
    EXPECT_EQ(got.replies, want.replies);
    EXPECT_EQ(got.timeouts, want.timeouts);
    EXPECT_EQ(got.crc_errors, want.crc_errors);
    EXPECT_EQ(got.exceptions, want.exceptions);
    EXPECT_EQ(got.retries, want.retries);
    EXPECT_EQ(got.line_errors, want.line_errors);
    EXPECT_EQ(got.skipped, want.skipped);
    EXPECT_EQ(got.unmatched, want.unmatched);
    // Quantiles within the histogram's resolution (1/32 of the value).
    EXPECT_NEAR(static_cast<double>(got.median_response_us), static_cast<double>(want.median_response_us),
                static_cast<double>(want.median_response_us) / 32.0 + 1.0);
    EXPECT_NEAR(static_cast<double>(got.p95_response_us), static_cast<double>(want.p95_response_us),
                static_cast<double>(want.p95_response_us) / 32.0 + 1.0);

    statistics.reset();
    const auto cleared = statistics.snapshot();
    EXPECT_EQ(cleared.requests, 0u);
    EXPECT_EQ(cleared.replies, 0u);
    EXPECT_EQ(cleared.median_response_us, 0u);
}

using T = TrafficKind;
INSTANTIATE_TEST_SUITE_P(
    Sequences, LinkStatisticsCount,
    ::testing::Values(
        StatisticsRow{"nothing", {}, {}},
        StatisticsRow{"one_exchange", {event(T::request), reply(12'000)}, {1, 1, 0, 0, 0, 0, 0, 0, 0, 12'000, 12'000}},
        StatisticsRow{"timeout_then_retry",
                      {event(T::request), event(T::timeout, 230'000), event(T::retry), event(T::request), reply(9'000)},
                      {2, 1, 1, 0, 0, 1, 0, 0, 0, 9'000, 9'000}},
        // A damaged reply is no reply and its time is not a response time.
        StatisticsRow{"crc_error",
                      {event(T::request), event(T::reply, 5'000, false), event(T::timeout), event(T::retry),
                       event(T::request), reply(7'000)},
                      {2, 1, 1, 1, 0, 1, 0, 0, 0, 7'000, 7'000}},
        StatisticsRow{"exception_and_line",
                      {event(T::request), event(T::reply, 4'000, true, 2), event(T::skipped), event(T::unmatched),
                       event(T::line_error)},
                      {1, 1, 0, 0, 1, 0, 1, 1, 1, 4'000, 4'000}},
        // 1..100 ms: median 50 ms, 95th percentile 95 ms.
        StatisticsRow{"hundred_times", replies_from(1'000, 1'000, 100), {0, 100, 0, 0, 0, 0, 0, 0, 0, 50'000, 95'000}},
        // Opening the port starts afresh.
        StatisticsRow{"reopened",
                      replies_from(100'000, 0, 10) + std::vector{event(T::port_closed), event(T::port_opened),
                                                                  event(T::request), reply(3'000)},
                      {1, 1, 0, 0, 0, 0, 0, 0, 0, 3'000, 3'000}},
        // One slow reply in twenty moves the 95th percentile, not the median.
        StatisticsRow{"slow_tail", replies_from(2'000, 0, 19) + std::vector{reply(900'000)},
                      {0, 20, 0, 0, 0, 0, 0, 0, 0, 2'000, 2'000}},
        StatisticsRow{"slow_tail_beyond", replies_from(2'000, 0, 18) + replies_from(900'000, 0, 2),
                      {0, 20, 0, 0, 0, 0, 0, 0, 0, 2'000, 900'000}}));

TEST(LinkStatisticsHistogram, BucketsHoldTheirTimes)
{
    std::size_t previous = 0;
    for (std::uint64_t us = 1; us < (std::uint64_t{1} << 33); us += us / 7 + 1) {
        const auto bucket = LinkStatistics::bucket_of(us);
        ASSERT_LT(bucket, LinkStatistics::bucket_count) << us;
        EXPECT_GE(bucket, previous) << us;
        previous = bucket;
        if (us < (std::uint64_t{1} << 32)) {
            EXPECT_LE(LinkStatistics::bucket_low(bucket), us) << us;
            if (bucket + 1 < LinkStatistics::bucket_count) {
                EXPECT_GT(LinkStatistics::bucket_low(bucket + 1), us) << us;
            }
        }
    }
}

} // namespace
} // namespace zr740
