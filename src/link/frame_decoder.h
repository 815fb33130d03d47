#pragma once
// What a frame on the line means, in the program's words: the decoder of the traffic monitor and
// the trace file. It reads whatever came from the line, so any bytes are accepted and none are
// read beyond the span given.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zr740 {

struct DecodedFrame {
    std::string text;      // one line, no line breaks
    int address = -1;      // the slave address; -1 when the frame is too short to hold one
    bool crc_ok = false;   // the checksum matches (false too for a frame cut short)
    bool complete = false; // as long as its function says
    int exception = 0;     // a Modbus exception code; 0: none
    bool korvel = false;
};

// The holding registers a Modbus request reads or writes (functions 3, 4, 6 and 16); none for any
// other frame.
struct RegisterRange {
    int first = -1; // -1: none
    int count = 0;
};
RegisterRange request_registers(std::span<const std::uint8_t> request);

// A request the master sends: Modbus-RTU, or a Korvel frame ("#", letters G..V, CR).
DecodedFrame decode_request(std::span<const std::uint8_t> frame);
// A reply; `request`, when known, names the registers of read values and tells an echo of the
// request or a frame answering something else from the reply.
DecodedFrame decode_reply(std::span<const std::uint8_t> frame, std::span<const std::uint8_t> request = {});

// The meaning of a Modbus exception code.
std::string_view modbus_exception_text(int code);

// " 0A 1B ..." (a blank before each byte).
void append_hex_bytes(std::string& line, std::span<const std::uint8_t> bytes);

// What bytes the reply search passed over were: the request coming back, a complete frame with a
// good CRC (answering something else), or stray bytes. Parts follow each other and cover `bytes`.
struct UnexplainedPart {
    enum class Kind { echo, frame, stray };
    Kind kind = Kind::stray;
    std::size_t start = 0;
    std::size_t length = 0;
};
std::vector<UnexplainedPart> split_unexplained(std::span<const std::uint8_t> bytes,
                                               std::span<const std::uint8_t> request);

} // namespace zr740
