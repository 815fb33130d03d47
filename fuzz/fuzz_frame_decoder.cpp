// The traffic decoder on whatever the line brings: requests, replies against a request, and the
// split of bytes the reply search passed over, which must cover them exactly.
//
// Input layout: byte 0 the length of the request; then the request, then the rest as the frame.

#include "link/frame_decoder.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::size_t request_length = std::min<std::size_t>(data[0], size - 1);
    const std::span<const std::uint8_t> request(data + 1, request_length);
    const std::span<const std::uint8_t> frame(data + 1 + request_length, size - 1 - request_length);

    for (const auto& decoded : {zr740::decode_request(frame), zr740::decode_reply(frame, request),
                                zr740::decode_reply(frame, {})}) {
        check(!decoded.text.empty());
        check(decoded.text.find('\n') == std::string::npos);
        check(!decoded.crc_ok || decoded.complete);
    }
    std::size_t covered = 0;
    for (const auto& part : zr740::split_unexplained(frame, request)) {
        check(part.start == covered && part.length > 0);
        covered += part.length;
    }
    check(covered == frame.size());
    return 0;
}
