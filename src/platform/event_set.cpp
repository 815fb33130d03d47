#include "platform/event_set.h"

#include <stdexcept>

namespace zr740 {

EventSet::EventSet(std::vector<Reset> kinds) : kinds_(std::move(kinds)), signalled_(kinds_.size(), 0) {}

void EventSet::set(std::size_t index)
{
    {
        std::lock_guard lock(mutex_);
        signalled_.at(index) = 1;
    }
    changed_.notify_all();
}

void EventSet::reset(std::size_t index)
{
    std::lock_guard lock(mutex_);
    signalled_.at(index) = 0;
}

bool EventSet::is_set(std::size_t index) const
{
    std::lock_guard lock(mutex_);
    return signalled_.at(index) != 0;
}

std::optional<std::size_t> EventSet::take_lowest(std::size_t first, std::size_t last)
{
    for (std::size_t index = first; index < last; ++index) {
        if (signalled_[index]) {
            if (kinds_[index] == Reset::automatic)
                signalled_[index] = 0;
            return index;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> EventSet::wait_any(std::size_t first, std::size_t last,
                                              std::optional<std::chrono::milliseconds> timeout)
{
    if (first >= last || last > kinds_.size())
        throw std::out_of_range("EventSet::wait_any");
    std::unique_lock lock(mutex_);
    std::optional<std::size_t> taken;
    auto ready = [&] { return (taken = take_lowest(first, last)).has_value(); };
    if (timeout)
        changed_.wait_for(lock, *timeout, ready);
    else
        changed_.wait(lock, ready);
    return taken;
}

bool EventSet::wait(std::size_t index, std::chrono::milliseconds timeout)
{
    return wait_any(index, index + 1, timeout).has_value();
}

} // namespace zr740
