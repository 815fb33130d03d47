#include "app/traffic_log.h"

#include <cctype>
#include <charconv>
#include <string>

namespace zr740 {

void TrafficLog::on_traffic(const TrafficEvent& event)
{
    std::lock_guard lock(mutex_);
    if (capacity_ == 0) {
        ++dropped_;
        return;
    }
    if (waiting_.size() >= capacity_) {
        waiting_.pop_front();
        ++dropped_;
    }
    waiting_.push_back(event);
}

std::vector<TrafficEvent> TrafficLog::take()
{
    std::deque<TrafficEvent> taken;
    {
        std::lock_guard lock(mutex_);
        taken.swap(waiting_);
    }
    // Moved out of the lock: the line's thread never waits for this copy.
    return {std::make_move_iterator(taken.begin()), std::make_move_iterator(taken.end())};
}

std::size_t TrafficLog::waiting() const
{
    std::lock_guard lock(mutex_);
    return waiting_.size();
}

std::uint64_t TrafficLog::dropped() const
{
    std::lock_guard lock(mutex_);
    return dropped_;
}

bool is_traffic_error(const TrafficEvent& event)
{
    switch (event.kind) {
    case TrafficKind::timeout:
    case TrafficKind::line_error:
    case TrafficKind::unmatched:
        return true;
    case TrafficKind::reply:
        return !event.crc_ok || event.exception != 0;
    default:
        return false;
    }
}

bool is_traffic_warning(const TrafficEvent& event)
{
    return event.kind == TrafficKind::retry || event.kind == TrafficKind::skipped;
}

bool TrafficFilter::matches(const TrafficEvent& event) const
{
    if (errors_only && !is_traffic_error(event))
        return false;
    return !register_number || event.concerns_register(*register_number);
}

bool parse_register_number(std::string_view text, std::optional<int>& number)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    if (text.empty()) {
        number.reset();
        return true;
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    } else if (text.size() > 1 && (text.back() == 'h' || text.back() == 'H')) {
        text.remove_suffix(1);
        base = 16;
    }
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || value > 0xFFFF)
        return false;
    number = static_cast<int>(value);
    return true;
}

} // namespace zr740
