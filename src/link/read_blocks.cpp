#include "link/read_blocks.h"

#include <algorithm>
#include <numeric>

namespace zr740 {

std::vector<ReadBlock> plan_read_blocks(std::span<const RegisterSpan> spans, int max_gap, int max_registers)
{
    std::vector<std::size_t> order(spans.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    // Stable: spans that start at the same register keep the order they were given in.
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return spans[a].first < spans[b].first; });

    std::vector<ReadBlock> blocks;
    constexpr std::size_t none = static_cast<std::size_t>(-1);
    std::size_t open = none; // the block that may take more spans
    long open_end = 0;       // one past its last register
    for (const std::size_t index : order) {
        const RegisterSpan& span = spans[index];
        const long first = span.first;
        const long end = first + span.count;
        const bool alone = span.count == 0 || span.count > max_registers;
        if (alone) {
            blocks.push_back({span.first, span.count, {index}, false});
            continue;
        }
        if (open != none) {
            ReadBlock& block = blocks[open];
            const long gap = first - open_end;
            const long new_end = std::max(open_end, end);
            if (gap <= max_gap && new_end - block.first <= max_registers) {
                block.gaps = block.gaps || gap > 0;
                block.members.push_back(index);
                open_end = new_end;
                block.count = static_cast<std::uint16_t>(open_end - block.first);
                continue;
            }
        }
        open = blocks.size();
        open_end = end;
        blocks.push_back({span.first, span.count, {index}, false});
    }
    return blocks;
}

std::span<const std::uint8_t> member_bytes(const ReadBlock& block, const RegisterSpan& span,
                                           std::span<const std::uint8_t> reply)
{
    const std::size_t offset = 2u * static_cast<std::size_t>(span.first - block.first);
    const std::size_t length = 2u * span.count;
    if (span.first < block.first || offset + length > reply.size())
        return {};
    return reply.subspan(offset, length);
}

} // namespace zr740
