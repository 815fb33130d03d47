#include "app/block_reader.h"

#include "link/device_io.h"

namespace zr740 {
namespace {

constexpr std::size_t alone = static_cast<std::size_t>(-1);

} // namespace

BlockReader::BlockReader(DeviceIO& link, std::vector<RegisterSpan> spans)
    : link_(link), spans_(std::move(spans)), slot_of_(spans_.size(), alone)
{
    adopt(plan_read_blocks(spans_));
}

void BlockReader::adopt(const std::vector<ReadBlock>& plan)
{
    for (const ReadBlock& block : plan) {
        // A block of one is an ordinary read of that parameter.
        if (block.members.size() < 2) {
            for (const std::size_t member : block.members)
                slot_of_[member] = alone;
            continue;
        }
        for (const std::size_t member : block.members)
            slot_of_[member] = slots_.size();
        slots_.push_back({block, State::pending, {}});
    }
}

std::optional<std::span<const std::uint8_t>> BlockReader::registers_of(std::size_t member)
{
    if (member >= slot_of_.size())
        return std::nullopt;
    while (true) {
        const std::size_t slot = slot_of_[member];
        if (slot == alone)
            return std::nullopt;
        if (slots_[slot].state == State::pending)
            fetch(slot);
        // A refused block may have handed its members to smaller blocks: look again.
        if (slot_of_[member] != slot)
            continue;
        const Slot& taken = slots_[slot];
        if (taken.state != State::read)
            return std::nullopt;
        const auto bytes = member_bytes(taken.block, spans_[member], taken.reply);
        if (bytes.size() != 2u * spans_[member].count)
            return std::nullopt;
        return bytes;
    }
}

void BlockReader::fetch(std::size_t slot)
{
    ++requests_;
    // By value: adopt() below may grow the slots.
    const ReadBlock block = slots_[slot].block;
    std::vector<std::uint8_t> reply;
    const int result = link_.read_block(block.first, block.count, reply);
    if (result == 0) {
        slots_[slot].reply = std::move(reply);
        slots_[slot].state = State::read;
        return;
    }
    ++failures_;
    slots_[slot].state = State::failed;
    for (const std::size_t member : block.members)
        slot_of_[member] = alone;
    // An instrument may refuse registers that belong to no parameter (or that only take writes)
    // while it answers the parameters around them: their runs without gaps are worth one more
    // request each. Silence or a damaged reply is not: the single reads will meet it anyway.
    if (block.gaps && result == DeviceIO::block_unusable) {
        std::vector<RegisterSpan> spans;
        for (const std::size_t member : block.members)
            spans.push_back(spans_[member]);
        auto plan = plan_read_blocks(spans, 0);
        for (ReadBlock& part : plan)
            for (std::size_t& index : part.members)
                index = block.members[index];
        adopt(plan);
    }
}

} // namespace zr740
