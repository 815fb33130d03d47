#include "link/link_statistics.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace zr740 {
namespace {

constexpr std::uint64_t steps = std::uint64_t{1} << LinkStatistics::sub_bits;
constexpr std::uint64_t max_time = (std::uint64_t{1} << 32) - 1;

} // namespace

std::size_t LinkStatistics::bucket_of(std::uint64_t us)
{
    us = std::min(us, max_time);
    // Below 2 x steps every microsecond has a bucket; above, each doubling has `steps` buckets.
    if (us < 2 * steps)
        return static_cast<std::size_t>(us);
    const auto shift = static_cast<std::uint64_t>(std::bit_width(us)) - (sub_bits + 1);
    return static_cast<std::size_t>((shift + 1) * steps + ((us >> shift) - steps));
}

std::uint64_t LinkStatistics::bucket_low(std::size_t bucket)
{
    if (bucket < 2 * steps)
        return bucket;
    const std::uint64_t shift = bucket / steps - 1;
    return (bucket % steps + steps) << shift;
}

void LinkStatistics::add(const TrafficEvent& event)
{
    std::lock_guard lock(mutex_);
    switch (event.kind) {
    case TrafficKind::request:
        ++counts_.requests;
        break;
    case TrafficKind::reply:
        if (!event.crc_ok) {
            ++counts_.crc_errors;
            break;
        }
        ++counts_.replies;
        if (event.exception != 0)
            ++counts_.exceptions;
        ++histogram_[bucket_of(event.response_us)];
        ++timed_;
        break;
    case TrafficKind::retry:
        ++counts_.retries;
        break;
    case TrafficKind::timeout:
        ++counts_.timeouts;
        break;
    case TrafficKind::skipped:
        ++counts_.skipped;
        break;
    case TrafficKind::unmatched:
        ++counts_.unmatched;
        break;
    case TrafficKind::line_error:
        ++counts_.line_errors;
        break;
    case TrafficKind::port_opened:
        clear();
        break;
    case TrafficKind::port_closed:
        break;
    }
}

void LinkStatistics::reset()
{
    std::lock_guard lock(mutex_);
    clear();
}

void LinkStatistics::clear()
{
    counts_ = {};
    histogram_.fill(0);
    timed_ = 0;
}

// Nearest rank; the value given is the middle of the bucket the rank falls in.
std::uint64_t LinkStatistics::quantile(double q) const
{
    if (timed_ == 0)
        return 0;
    const auto rank = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(std::ceil(q * static_cast<double>(timed_))));
    std::uint64_t seen = 0;
    for (std::size_t bucket = 0; bucket < bucket_count; ++bucket) {
        seen += histogram_[bucket];
        if (seen >= rank) {
            const std::uint64_t low = bucket_low(bucket);
            const std::uint64_t high = bucket + 1 < bucket_count ? bucket_low(bucket + 1) : max_time + 1;
            return low + (high - low - 1) / 2;
        }
    }
    return 0;
}

LinkStatisticsSnapshot LinkStatistics::snapshot() const
{
    std::lock_guard lock(mutex_);
    LinkStatisticsSnapshot result = counts_;
    result.median_response_us = quantile(0.5);
    result.p95_response_us = quantile(0.95);
    return result;
}

} // namespace zr740
