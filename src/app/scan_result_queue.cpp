#include "app/scan_result_queue.h"

#include <iterator>

namespace zr740 {

std::string cut_code_points(std::string_view utf8, std::size_t max)
{
    std::size_t characters = 0;
    for (std::size_t at = 0; at < utf8.size(); ++at) {
        // Continuation bytes (10xxxxxx) belong to the character before them; a character starts at
        // every other byte, so a text cut at one keeps its last character whole.
        if ((static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80)
            continue;
        if (characters == max)
            return std::string(utf8.substr(0, at));
        ++characters;
    }
    return std::string(utf8);
}

void ScanResultQueue::push(ScanResult result)
{
    std::lock_guard lock(mutex_);
    records_.push_back(std::move(result));
}

std::optional<ScanResult> ScanResultQueue::take()
{
    std::lock_guard lock(mutex_);
    if (records_.empty())
        return std::nullopt;
    ScanResult oldest = std::move(records_.front());
    records_.pop_front();
    return oldest;
}

std::vector<ScanResult> ScanResultQueue::take_all()
{
    std::lock_guard lock(mutex_);
    std::vector<ScanResult> all(std::make_move_iterator(records_.begin()), std::make_move_iterator(records_.end()));
    records_.clear();
    return all;
}

std::size_t ScanResultQueue::size() const
{
    std::lock_guard lock(mutex_);
    return records_.size();
}

} // namespace zr740
