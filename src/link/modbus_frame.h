#pragma once
// Modbus-RTU frames: the request builder, the completeness rule applied while a reply arrives, and
// the reply decoder. Pure functions of their inputs; the serial line moves the bytes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zr740 {

// CRC-16/MODBUS, bit by bit: reflected polynomial 0xA001, start 0xFFFF, no final XOR. The frame
// carries the low byte first.
std::uint16_t modbus_crc16(std::span<const std::uint8_t> bytes);

// Completeness of a gathered reply: at least 5 bytes; for functions 3 and 4 at least byte count + 5
// bytes; and the last two bytes are the CRC of the others.
bool modbus_reply_complete(std::span<const std::uint8_t> gathered);

// Whether the last two bytes of a frame of at least 3 bytes are the CRC of the others.
bool modbus_crc_holds(std::span<const std::uint8_t> frame);

// The length a reply starting at `at` declares for itself, read as an answer to `function`: 0
// while the bytes so far do not tell; functions without a fixed reply shape run to the end of
// what has arrived.
std::size_t modbus_declared_length(std::span<const std::uint8_t> gathered, std::size_t at, std::uint8_t function);

// Where the reply to a request lies among the bytes gathered from the line. Bytes that cannot start
// a reply from the request's slave (a driver glitch after the turnaround, the tail of a stale
// frame), the request itself coming back first (an adapter with local echo) and complete frames
// that answer another request are passed over; the first frame that answers this request with a
// good CRC is the reply. For function 6 the reply is the request's own bytes, so a first copy
// counts as the echo only when the line is known to echo.
struct ReplyLocation {
    bool found = false;
    std::size_t start = 0;  // first byte of the reply
    std::size_t length = 0; // the whole frame, CRC included
    bool after_echo = false; // the request came back before the reply
};
ReplyLocation find_reply(std::span<const std::uint8_t> request, std::span<const std::uint8_t> gathered,
                         bool echo_expected);

// Whether a complete frame (CRC included) from the request's slave answers that request: an
// exception for its function; for functions 3 and 4 a byte count of exactly 2 x the requested
// registers; for 6 the echoed register and value; for 16 the echoed register and count.
bool reply_answers(std::span<const std::uint8_t> request, std::span<const std::uint8_t> reply);

class ModbusFrame {
public:
    // Request builder refusal.
    static constexpr int refused = 256;
    // Reply from another slave.
    static constexpr int wrong_address = 273;
    // Reply with another function code, or a CRC mismatch.
    static constexpr int wrong_function = 289;
    // A well-formed reply that does not answer this request (another register count, register or
    // value): a stale or foreign frame, never a value.
    static constexpr int not_this_request = 290;

    // Builds address, function, data and CRC into `request`. Returns 0, or `refused` for an address
    // outside 0..247, a function code other than 3, 4, 6, 16, 17, 65, or data longer than 252 bytes
    // (the frame would exceed 256); a refused request leaves `request` empty.
    int build_request(int address, int function_code, std::span<const std::uint8_t> data);

    // Decodes the gathered reply against the request. On success returns 0 and fills `payload`;
    // otherwise `payload` is empty and the result is -1 for an incomplete reply, `wrong_address`,
    // the Modbus exception code 1..255 (also kept in exception_code, which every call resets),
    // `wrong_function`: another function code, an exception reply carrying code 0, or a reply too
    // short to reach its payload; or `not_this_request` when the reply does not answer the request
    // built last (reply_answers).
    // Payload: functions 3, 4, 17 from byte 3 (after the byte count), 6 from byte 4 (the echoed
    // value), 16 from byte 2 (echoed register number and count), any other function (65) all data
    // after the function code; it ends before the CRC. It may be empty.
    int decode_reply(std::span<const std::uint8_t> gathered, std::vector<std::uint8_t>& payload);

    std::uint8_t slave_address = 0;
    std::uint8_t function = 0;
    std::vector<std::uint8_t> request;
    int exception_code = 0; // 0: none
};

} // namespace zr740
