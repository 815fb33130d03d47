#pragma once
// The receiving half of the slave's line: cuts the incoming byte stream into request frames.
//
// Paced, it behaves like a slave on a real RS-485 line. A pseudo-terminal delivers a whole request
// at once, so every byte is given the time it would have finished arriving at the line's baud
// rate (one character time after the previous one, or after it was read); a Modbus frame ends
// after 3.5 character times of silence, a Korvel frame at its carriage return.
//
// Unpaced, it answers as soon as it can: a Modbus request ends as soon as its length (known from
// the function code) has arrived with a good CRC, a Korvel frame at its carriage return. Anything
// else ends at a silence of 3.5 character times, but not less than 10 ms.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zr740::sim {

enum class Pacing { fast, line };

// The length of a Modbus request of the function in byte 1, as far as the bytes so far tell it;
// nullopt for a function without a fixed request shape (its frame ends by CRC or by silence).
std::optional<std::size_t> modbus_request_length(std::span<const std::uint8_t> bytes);

class FrameAssembler {
public:
    using Clock = std::chrono::steady_clock;

    struct Frame {
        std::vector<std::uint8_t> bytes;
        bool korvel = false;
        // When a slave on the line knows the frame is complete (paced: the end of the silence).
        Clock::time_point complete;
    };

    FrameAssembler(Pacing pacing, std::chrono::nanoseconds character_time);

    void set_character_time(std::chrono::nanoseconds character_time) { character_ = character_time; }
    std::chrono::nanoseconds character_time() const { return character_; }

    void receive(std::span<const std::uint8_t> bytes, Clock::time_point now);
    // The next complete frame, if there is one at `now`. Frames that cannot be requests (a CRC
    // failure at the known length, an overlong Korvel line) are dropped here.
    std::optional<Frame> take(Clock::time_point now);
    // When take() will next have something to say without more bytes arriving.
    std::optional<Clock::time_point> deadline() const;
    bool empty() const { return bytes_.empty(); }
    // Forgets what has arrived: a busy slave that heard none of it.
    void clear() { drop(); }

private:
    std::chrono::nanoseconds silence() const;
    Frame cut(std::size_t count, bool korvel, Clock::time_point complete);
    void drop();

    Pacing pacing_;
    std::chrono::nanoseconds character_;
    std::vector<std::uint8_t> bytes_;
    std::vector<Clock::time_point> arrivals_; // when each byte has arrived on the line
    Clock::time_point last_arrival_{};
};

} // namespace zr740::sim
