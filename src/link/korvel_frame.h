#pragma once
// The instrument maker's own frame: a binary header with 8- or 11-bit address, request bit, data
// length and a 16-bit identifier, up to 15 data bytes and a CRC with polynomial 0x8F57, sent as
// letters G..V between "#" and a carriage return.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zr740 {

// Identifier of a reply that reports an instrument error code.
inline constexpr std::uint16_t korvel_error_identifier = 0x0233;
// Identifier of a request that the instrument does not answer.
inline constexpr std::uint16_t korvel_unanswered_identifier = 0x8403;

// CRC with polynomial 0x8F57, start value `start`, most significant bit first, no reflection, no
// final XOR.
std::uint16_t korvel_crc16(std::span<const std::uint8_t> bytes, std::uint16_t start = 0);

struct KorvelAddressing {
    int address = 16;       // the link's instrument address
    int address_length = 8; // 8 or 11 bits
};

// Builds the line form ("#", two letters per byte, CR). `address_offset` is added to the address;
// -1 means the fixed address 255. Refused (returns false, `line` empty): data longer than 15 bytes,
// an address length other than 8 or 11, or an address that does not fit in it.
bool korvel_encode(const KorvelAddressing& link, int address_offset, bool request_bit, std::uint16_t identifier,
                   std::span<const std::uint8_t> data, std::string& line);

struct KorvelReply {
    std::uint16_t identifier = 0;
    std::vector<std::uint8_t> data; // L bytes
    std::uint8_t address_byte = 0; // the first header byte: the address, or its top 8 of 11 bits
    bool request_bit = false;
};

enum class KorvelVerdict {
    success,           // the reply's identifier is the request's
    instrument_error,  // identifier 0x0233: data[0] is the instrument's error code
    foreign_identifier,
    bad_crc,
};

// Decodes received characters ("#", letters, one closing character). Fills `reply` (identifier and
// the L data bytes; left empty on bad_crc) and, for bad_crc and foreign_identifier, `message` with
// the text for the operator; otherwise `message` is left as it was. A frame that does not start
// with "#", is too short for its header, data and CRC, or holds a letter outside G..V is bad_crc,
// like a checksum mismatch. Address bits and request bit are not examined.
KorvelVerdict korvel_decode(std::span<const std::uint8_t> received, std::uint16_t request_identifier,
                            KorvelReply& reply, std::string& message);

// Text for an instrument error code (the first data byte of a 0x0233 reply, taken as signed).
std::string korvel_device_error_text(std::int8_t code);

} // namespace zr740
