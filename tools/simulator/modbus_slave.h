#pragma once
// The Modbus-RTU slave side: request parsing and the answers of functions 3, 6 and 16 against the
// simulated instrument. No I/O and no timing here.

#include "simulator/instrument.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zr740::sim {

namespace exception_code {
inline constexpr std::uint8_t illegal_function = 0x01;
inline constexpr std::uint8_t illegal_address = 0x02;
inline constexpr std::uint8_t illegal_value = 0x03;
} // namespace exception_code

struct ModbusRequest {
    std::uint8_t address = 0;
    std::uint8_t function = 0;
    // The register run the request touches (functions 3, 6, 16); count 0 for other functions.
    std::uint16_t first = 0;
    std::uint16_t count = 0;
    std::vector<std::uint8_t> data; // everything between the function code and the CRC
};

// A frame with a good CRC and at least address and function; nullopt otherwise (a slave drops it).
std::optional<ModbusRequest> parse_modbus_request(std::span<const std::uint8_t> frame);

// Appends the CRC, low byte first.
void append_modbus_crc(std::vector<std::uint8_t>& frame);
std::vector<std::uint8_t> modbus_exception(std::uint8_t address, std::uint8_t function, std::uint8_t code);

struct ModbusAnswer {
    std::vector<std::uint8_t> reply; // complete frame with CRC, from `reply_address`
    AfterReply after = AfterReply::nothing;
};

// Serves a request addressed to this slave (or broadcast; the caller then sends nothing).
ModbusAnswer serve_modbus(const ModbusRequest& request, std::uint8_t reply_address, Instrument& instrument);

} // namespace zr740::sim
