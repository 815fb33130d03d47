#pragma once
// The traffic monitor's intake and filter, without a window. Events arrive on the thread that uses
// the line, under the trace's listener lock, so taking one in is a copy into a queue and nothing
// more; the window takes what waits in batches on its own clock. The queue keeps the newest
// `capacity` events: a window that does not take them (paused, or busy) costs bounded memory.

#include "link/traffic_event.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace zr740 {

class TrafficLog : public TrafficSink {
public:
    static constexpr std::size_t default_capacity = 100'000;

    explicit TrafficLog(std::size_t capacity = default_capacity) : capacity_(capacity) {}

    void on_traffic(const TrafficEvent& event) override;
    // Everything waiting, oldest first; the queue is empty afterwards.
    std::vector<TrafficEvent> take();
    // Events that left the queue untaken to make room since the start.
    std::uint64_t dropped() const;
    std::size_t waiting() const;

private:
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::deque<TrafficEvent> waiting_;
    std::uint64_t dropped_ = 0;
};

// What a person looks for when a line misbehaves: time-outs, line errors, frames with a bad CRC,
// exceptions, frames answering no request.
bool is_traffic_error(const TrafficEvent& event);
// Retries and bytes passed over: the link coped, but not on its first try.
bool is_traffic_warning(const TrafficEvent& event);

struct TrafficFilter {
    std::optional<int> register_number; // only the events of transactions on this register
    bool errors_only = false;

    bool matches(const TrafficEvent& event) const;
    bool passes_everything() const { return !register_number && !errors_only; }
};

// A register as a person types it: "0x001A", "1Ah" or "26". Nothing for an empty text; false for
// a text that names no register (0..65535).
bool parse_register_number(std::string_view text, std::optional<int>& number);

} // namespace zr740
