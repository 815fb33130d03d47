#pragma once
// Which parameters can share one read request. Parameters whose registers lie together, or with
// only a few registers between them, are read with one function-3 request and cut apart afterwards:
// on a slow line every request costs its frame overhead and the silences around it, so fewer,
// longer requests read the same values sooner.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zr740 {

// The registers of one parameter to read.
struct RegisterSpan {
    std::uint16_t first = 0;
    std::uint16_t count = 0;
};

// One request: registers [first, first + count) cover every member's span. `members` are indexes
// into the spans given to the planner, in register order. `gaps` tells whether registers of no
// member are read along (and thrown away).
struct ReadBlock {
    std::uint16_t first = 0;
    std::uint16_t count = 0;
    std::vector<std::size_t> members;
    bool gaps = false;
};

// The most registers one function-3 request may ask for.
inline constexpr int max_block_registers = 125;
// Registers of no parameter that a request reads along rather than splitting in two.
inline constexpr int default_block_gap = 4;

// Groups the spans into requests: sorted by first register, a span joins the request before it
// when at most `max_gap` registers lie between them (overlapping spans join too) and the request
// stays within `max_registers`. A span without registers, or longer than `max_registers`, stays
// alone. Every span is in exactly one block; a block of one member is an ordinary single read.
std::vector<ReadBlock> plan_read_blocks(std::span<const RegisterSpan> spans, int max_gap = default_block_gap,
                                        int max_registers = max_block_registers);

// The bytes of one member within the block's reply (two a register, high byte first).
std::span<const std::uint8_t> member_bytes(const ReadBlock& block, const RegisterSpan& span,
                                           std::span<const std::uint8_t> reply);

} // namespace zr740
