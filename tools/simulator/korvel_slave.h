#pragma once
// The instrument's answers in the maker's own frame ("#", letters, CR). The identifier of a
// parameter is its first register number: a read request (request bit set, no data) is answered
// with the register bytes, a write (request bit clear, data) stores them; an identifier the
// instrument does not know gets an error reply (identifier 0x0233, code 0x28).

#include "simulator/instrument.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zr740::sim {

namespace korvel_error {
inline constexpr std::uint8_t rom_parameter = 0x03;     // write to a read-only parameter
inline constexpr std::uint8_t no_descriptor = 0x28;     // unknown identifier
inline constexpr std::uint8_t data_size = 0x31;         // data length does not fit the parameter
inline constexpr std::uint8_t request_bit = 0x32;       // request bit does not match the data
} // namespace korvel_error

struct KorvelRequest {
    int address_8bit = 0;   // byte 0 read with 8-bit addressing (top bits of byte 1 must be 0)
    int address_11bit = 0;  // bytes 0 and 1 read with 11-bit addressing
    bool request_bit = false;
    std::uint16_t identifier = 0;
    std::vector<std::uint8_t> data;
};

// A line form with a good CRC; nullopt otherwise.
std::optional<KorvelRequest> parse_korvel_request(std::span<const std::uint8_t> line);

// Whether the request is meant for this instrument: its address in either addressing mode, or the
// fixed address 255.
bool korvel_addressed_to(const KorvelRequest& request, int address);

struct KorvelAnswer {
    std::string reply; // line form; empty: the request is not answered
    AfterReply after = AfterReply::nothing;
};

// `forced_error`: answer with this instrument error code instead (fault injection).
KorvelAnswer serve_korvel(const KorvelRequest& request, int reply_address, Instrument& instrument,
                          std::optional<std::uint8_t> forced_error = std::nullopt);

} // namespace zr740::sim
