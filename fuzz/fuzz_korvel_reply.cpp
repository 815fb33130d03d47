// Korvel replies as received, and the encoder's frames read back.
//
// Input layout: bytes 0..1 the request identifier, byte 2 the addressing and request bit, then the
// received characters (also used as data for an encoded frame).

#include "link/korvel_frame.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

zr740::KorvelVerdict decode(std::span<const std::uint8_t> received, std::uint16_t identifier, zr740::KorvelReply& reply,
                            std::string& message)
{
    message = "none";
    return zr740::korvel_decode(received, identifier, reply, message);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const auto identifier = static_cast<std::uint16_t>((data[0] << 8) | data[1]);
    const std::uint8_t flags = data[2];
    const std::span<const std::uint8_t> received(data + 3, size - 3);

    zr740::KorvelReply reply;
    std::string message;
    const auto verdict = decode(received, identifier, reply, message);
    switch (verdict) {
    case zr740::KorvelVerdict::success:
        check(reply.identifier == identifier && message == "none");
        break;
    case zr740::KorvelVerdict::instrument_error:
        check(reply.identifier == zr740::korvel_error_identifier && message == "none");
        if (!reply.data.empty())
            check(!zr740::korvel_device_error_text(static_cast<std::int8_t>(reply.data[0])).empty());
        break;
    case zr740::KorvelVerdict::foreign_identifier:
        check(reply.identifier != identifier && message != "none" && !message.empty());
        break;
    case zr740::KorvelVerdict::bad_crc:
        check(reply.identifier == 0 && reply.data.empty() && message != "none" && !message.empty());
        break;
    }
    check(reply.data.size() <= 15);
    check(verdict == zr740::KorvelVerdict::bad_crc || received.size() >= 2 * (reply.data.size() + 6) + 2);

    // Whatever the encoder writes reads back unchanged.
    const zr740::KorvelAddressing link{(data[0] << 3) | data[1], (flags & 1) != 0 ? 11 : 8};
    const int offset = (flags & 2) != 0 ? -1 : 0;
    const auto payload = received.first(std::min<std::size_t>(received.size(), flags >> 4));
    std::string line;
    if (zr740::korvel_encode(link, offset, (flags & 4) != 0, identifier, payload, line)) {
        check(line.size() == 2 * payload.size() + 14);
        const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(line.data()), line.size());
        zr740::KorvelReply back;
        check(decode(bytes, identifier, back, message) == zr740::KorvelVerdict::success);
        check(back.identifier == identifier &&
              std::equal(back.data.begin(), back.data.end(), payload.begin(), payload.end()));
    } else {
        check(line.empty());
    }
    return 0;
}
