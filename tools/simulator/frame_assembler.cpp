#include "simulator/frame_assembler.h"

#include "link/modbus_frame.h"

#include <algorithm>

namespace zr740::sim {
namespace {

constexpr std::uint8_t korvel_start = '#';
constexpr std::uint8_t korvel_end = '\r';
// "#", (4 header + 15 data + 2 CRC) bytes as letter pairs, CR.
constexpr std::size_t korvel_max_line = 1 + 2 * 21 + 1;
constexpr std::chrono::milliseconds fast_silence_floor{10};

bool is_letter(std::uint8_t c) { return c >= 'G' && c <= 'V'; }

// "#" is also a possible Modbus address (35), but no Modbus function code is a letter G..V.
bool korvel_frame(std::span<const std::uint8_t> bytes)
{
    return !bytes.empty() && bytes[0] == korvel_start && (bytes.size() == 1 || is_letter(bytes[1]));
}

bool crc_ok(std::span<const std::uint8_t> frame)
{
    if (frame.size() < 4)
        return false;
    const auto crc = modbus_crc16(frame.first(frame.size() - 2));
    return frame[frame.size() - 2] == (crc & 0xFF) && frame[frame.size() - 1] == (crc >> 8);
}

} // namespace

std::optional<std::size_t> modbus_request_length(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 2)
        return 2;
    switch (bytes[1]) {
    case 1: case 2: case 3: case 4: case 5: case 6:
        return 8; // address, function, two words, CRC
    case 7: case 11: case 12: case 17:
        return 4; // address, function, CRC
    case 15: case 16:
        // address, function, first, count, byte count, data, CRC
        return bytes.size() < 7 ? std::size_t{7} : std::size_t{9} + bytes[6];
    default:
        return std::nullopt;
    }
}

FrameAssembler::FrameAssembler(Pacing pacing, std::chrono::nanoseconds character_time)
    : pacing_(pacing), character_(character_time)
{
}

std::chrono::nanoseconds FrameAssembler::silence() const
{
    const auto three_and_a_half = character_ * 7 / 2;
    if (pacing_ == Pacing::line)
        return three_and_a_half;
    return std::max<std::chrono::nanoseconds>(three_and_a_half, fast_silence_floor);
}

void FrameAssembler::receive(std::span<const std::uint8_t> bytes, Clock::time_point now)
{
    for (const auto byte : bytes) {
        // On the line a byte finishes one character time after the previous one at the earliest.
        const auto arrival = pacing_ == Pacing::line ? std::max(now, last_arrival_) + character_ : now;
        bytes_.push_back(byte);
        arrivals_.push_back(arrival);
        last_arrival_ = arrival;
    }
}

FrameAssembler::Frame FrameAssembler::cut(std::size_t count, bool korvel, Clock::time_point complete)
{
    Frame frame;
    frame.bytes.assign(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(count));
    frame.korvel = korvel;
    frame.complete = complete;
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(count));
    arrivals_.erase(arrivals_.begin(), arrivals_.begin() + static_cast<std::ptrdiff_t>(count));
    return frame;
}

void FrameAssembler::drop()
{
    bytes_.clear();
    arrivals_.clear();
}

std::optional<FrameAssembler::Frame> FrameAssembler::take(Clock::time_point now)
{
    if (bytes_.empty())
        return std::nullopt;
    const bool korvel = korvel_frame(bytes_);
    if (korvel) {
        const auto end = std::find(bytes_.begin(), bytes_.end(), korvel_end);
        if (end != bytes_.end()) {
            const auto count = static_cast<std::size_t>(end - bytes_.begin()) + 1;
            const auto complete = arrivals_[count - 1];
            if (now < complete)
                return std::nullopt;
            return cut(count, true, complete);
        }
        if (bytes_.size() > korvel_max_line) {
            drop();
            return std::nullopt;
        }
    } else if (pacing_ == Pacing::fast) {
        const auto expected = modbus_request_length(bytes_);
        if (expected && bytes_.size() >= *expected) {
            if (crc_ok(std::span(bytes_).first(*expected)))
                return cut(*expected, false, now);
            drop(); // a corrupted request; a slave waits for the next one
            return std::nullopt;
        }
        if (!expected && crc_ok(bytes_))
            return cut(bytes_.size(), false, now);
    }
    const auto quiet_from = arrivals_.back() + silence();
    if (now < quiet_from)
        return std::nullopt;
    return cut(bytes_.size(), korvel, quiet_from);
}

std::optional<FrameAssembler::Clock::time_point> FrameAssembler::deadline() const
{
    if (bytes_.empty())
        return std::nullopt;
    if (korvel_frame(bytes_)) {
        const auto end = std::find(bytes_.begin(), bytes_.end(), korvel_end);
        if (end != bytes_.end())
            return arrivals_[static_cast<std::size_t>(end - bytes_.begin())];
    }
    return arrivals_.back() + silence();
}

} // namespace zr740::sim
