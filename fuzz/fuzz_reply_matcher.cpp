// The reply matcher with its resynchronisation: finding the reply to a request among what the line
// gathered (stray bytes, an echo of the request, frames answering other requests), as the serial
// line applies it after every read.
//
// Input layout: byte 0 the slave address, byte 1 picks the function, byte 2 the register count and
// whether the line echoes, byte 3 the length of a noise prefix; then the noise, then the rest as
// what the line gathered.

#include "link/modbus_frame.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace {

constexpr std::array<std::uint8_t, 6> functions = {3, 4, 6, 16, 17, 65};
// The serial line never gathers more than this.
constexpr std::size_t max_gathered = 286;

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void append_crc(std::vector<std::uint8_t>& frame)
{
    const auto crc = zr740::modbus_crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

// What a found reply must be, whatever surrounded it.
void check_found(const zr740::ModbusFrame& frame, std::span<const std::uint8_t> gathered,
                 const zr740::ReplyLocation& location)
{
    check(location.start + location.length <= gathered.size());
    const auto reply = gathered.subspan(location.start, location.length);
    check(zr740::modbus_reply_complete(reply));
    check(zr740::reply_answers(frame.request, reply));
    zr740::ModbusFrame decoder = frame;
    std::vector<std::uint8_t> payload;
    const int result = decoder.decode_reply(reply, payload);
    // A value, or the instrument's exception; never a frame that answers something else.
    check(result == 0 || (result >= 1 && result <= 255) || result == zr740::ModbusFrame::wrong_function);
    if (result == 0 && (frame.function == 3 || frame.function == 4))
        check(payload.size() == 2u * ((frame.request[4] << 8) | frame.request[5]));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const auto address = static_cast<std::uint8_t>(1 + data[0] % 247);
    const std::uint8_t function = functions[data[1] % functions.size()];
    const unsigned count = 1 + (data[2] & 0x3F) % 123;
    const bool echo_expected = (data[2] & 0x80) != 0;
    const std::size_t noise_length = std::min<std::size_t>(data[3], size - 4);
    const std::span<const std::uint8_t> noise(data + 4, noise_length);
    const std::span<const std::uint8_t> rest(data + 4 + noise_length, size - 4 - noise_length);

    // The request as the program builds it.
    std::vector<std::uint8_t> request_data = {0x00, static_cast<std::uint8_t>(data[1]), 0x00,
                                              static_cast<std::uint8_t>(count)};
    if (function == 6)
        request_data[2] = data[2]; // a value rather than a count
    if (function == 16) {
        request_data.push_back(static_cast<std::uint8_t>(2 * count));
        request_data.resize(request_data.size() + 2 * count, 0x5A);
    }
    if (function == 17)
        request_data.clear();
    zr740::ModbusFrame frame;
    check(frame.build_request(address, function, request_data) == 0);

    // 1. Whatever the line gathered, fed as it arrives: the first reply found is one that answers.
    const auto gathered = std::span(data + 4, size - 4).first(std::min(size - 4, max_gathered));
    for (std::size_t n = 0; n <= gathered.size(); ++n) {
        const auto location = zr740::find_reply(frame.request, gathered.first(n), echo_expected);
        if (location.found) {
            check_found(frame, gathered.first(n), location);
            break;
        }
    }

    // 2. The true reply after noise that holds no byte of this address (and after the echo when
    // the line echoes): found exactly there.
    if (function == 17 || function == 65)
        return 0;
    std::vector<std::uint8_t> reply = {address, function};
    if (function == 3 || function == 4) {
        reply.push_back(static_cast<std::uint8_t>(2 * count));
        for (unsigned i = 0; i < 2 * count; ++i)
            reply.push_back(i < rest.size() ? rest[i] : 0);
    } else {
        reply.insert(reply.end(), frame.request.begin() + 2, frame.request.begin() + 6);
    }
    append_crc(reply);
    std::vector<std::uint8_t> line;
    for (const auto byte : noise)
        line.push_back(byte == address ? static_cast<std::uint8_t>(byte ^ 0x80) : byte);
    // Function 6 is answered with the request's own bytes: on an echoing line they come twice.
    const bool echoed = function == 6 ? echo_expected : (data[1] & 0x80) != 0;
    if (echoed)
        line.insert(line.end(), frame.request.begin(), frame.request.end());
    const std::size_t at = line.size();
    line.insert(line.end(), reply.begin(), reply.end());
    if (line.size() > max_gathered)
        return 0;
    const auto location = zr740::find_reply(frame.request, line, echo_expected);
    check(location.found);
    check(location.start == at && location.length == reply.size());
    check_found(frame, line, location);
    return 0;
}
