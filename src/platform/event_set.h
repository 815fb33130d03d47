#pragma once
// A fixed set of events sharing one lock and one condition variable, so that a thread can wait for
// whichever of them is signalled first. Each event is manual-reset (stays signalled until reset) or
// automatic (a successful wait consumes it).

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace zr740 {

class EventSet {
public:
    enum class Reset : std::uint8_t { manual, automatic };

    explicit EventSet(std::vector<Reset> kinds);
    EventSet(const EventSet&) = delete;
    EventSet& operator=(const EventSet&) = delete;

    std::size_t size() const { return kinds_.size(); }
    void set(std::size_t index);
    void reset(std::size_t index);
    // Whether it is signalled, without consuming it.
    bool is_set(std::size_t index) const;

    // Waits until one of the events [first, last) is signalled and returns the lowest such index
    // (consuming it when automatic); nothing when the time-out passed first. No time-out: no limit.
    std::optional<std::size_t> wait_any(std::size_t first, std::size_t last,
                                        std::optional<std::chrono::milliseconds> timeout = std::nullopt);
    // Waits for one event; true when it was signalled in time.
    bool wait(std::size_t index, std::chrono::milliseconds timeout);

private:
    std::optional<std::size_t> take_lowest(std::size_t first, std::size_t last);

    std::vector<Reset> kinds_;
    std::vector<std::uint8_t> signalled_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
};

} // namespace zr740
