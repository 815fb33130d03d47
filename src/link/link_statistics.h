#pragma once
// Link statistics since the port was opened, counted from the traffic events: requests, replies,
// time-outs, CRC errors, exceptions, retries, and the median and 95th percentile of the response
// time. Response times go into a fixed log-linear histogram (32 steps per doubling, so a quantile
// is within about 3 % of the true one) whatever the run's length. Thread-safe.

#include "link/traffic_event.h"

#include <array>
#include <cstdint>
#include <mutex>

namespace zr740 {

struct LinkStatisticsSnapshot {
    std::uint64_t requests = 0;
    std::uint64_t replies = 0; // replies with a good CRC, exceptions included
    std::uint64_t timeouts = 0;
    std::uint64_t crc_errors = 0;
    std::uint64_t exceptions = 0;
    std::uint64_t retries = 0;
    std::uint64_t line_errors = 0;
    std::uint64_t skipped = 0;   // echoes and stray bytes passed over
    std::uint64_t unmatched = 0;
    std::uint64_t median_response_us = 0; // 0 while no reply came
    std::uint64_t p95_response_us = 0;
};

class LinkStatistics {
public:
    void add(const TrafficEvent& event);
    void reset();
    LinkStatisticsSnapshot snapshot() const;

    // The histogram's buckets, exposed for its tests: the bucket of a time and a bucket's range.
    static std::size_t bucket_of(std::uint64_t us);
    static std::uint64_t bucket_low(std::size_t bucket);
    static constexpr std::size_t sub_bits = 5;
    // Times are capped at 2^32 µs (over an hour): nothing on a line waits that long.
    static constexpr std::size_t bucket_count = (32 - sub_bits) * (std::size_t{1} << sub_bits) + (std::size_t{1} << sub_bits);

private:
    std::uint64_t quantile(double q) const;
    void clear();

    mutable std::mutex mutex_;
    LinkStatisticsSnapshot counts_;
    std::uint64_t timed_ = 0;
    std::array<std::uint32_t, bucket_count> histogram_{};
};

} // namespace zr740
