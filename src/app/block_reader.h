#pragma once
// Reads the registers of a list of parameters with as few requests as link/read_blocks.h plans,
// each block when its first member is wanted, so that the members can still be handled one by one
// in their own order (one progress line, one outcome, one stop check each).

#include "link/read_blocks.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zr740 {

class DeviceIO;

class BlockReader {
public:
    BlockReader(DeviceIO& link, std::vector<RegisterSpan> spans);

    // The member's bytes from its block's reply, reading the block first if need be; nullopt when
    // the member is to be read on its own: it is alone in its block, or its block failed. A block
    // the instrument refused that read registers of nobody is tried again as the runs without
    // such registers; any other failure leaves every member of the block to a single read, which
    // reports the failure exactly as without blocks.
    std::optional<std::span<const std::uint8_t>> registers_of(std::size_t member);

    // Block requests made, and those that failed.
    int requests() const { return requests_; }
    int failures() const { return failures_; }

private:
    enum class State { pending, read, failed };
    struct Slot {
        ReadBlock block;
        State state = State::pending;
        std::vector<std::uint8_t> reply;
    };
    void fetch(std::size_t slot);
    // Puts the blocks of `plan` into new slots for their members.
    void adopt(const std::vector<ReadBlock>& plan);

    DeviceIO& link_;
    std::vector<RegisterSpan> spans_;
    std::vector<Slot> slots_;
    std::vector<std::size_t> slot_of_; // by member; npos: read alone
    int requests_ = 0;
    int failures_ = 0;
};

} // namespace zr740
