// The Modbus TCP reader on whatever a gateway (or anything listening on its port) sends, cut into
// pieces: every byte taken in comes out once (in a frame of the awaited transaction, dropped, or
// still held), and every frame that comes out is whole, with a correct CRC.
//
// Input layout: byte 0 the transaction awaited (low byte), byte 1 the piece length; then the bytes.

#include "link/mbap_frame.h"
#include "link/modbus_frame.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::uint16_t transaction = data[0];
    const std::size_t piece = std::max<std::size_t>(data[1], 1);
    const std::span<const std::uint8_t> bytes(data + 2, size - 2);

    zr740::MbapReader reader;
    std::vector<std::uint8_t> dropped;
    std::size_t accounted = 0; // input bytes that came out in frames
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        reader.add(bytes.subspan(at, std::min(piece, bytes.size() - at)));
        for (const auto& frame : reader.take(transaction, dropped)) {
            // Unit, function, CRC at least; the CRC over a frame with its CRC leaves nothing.
            check(frame.size() >= 4 && frame.size() <= 256);
            check(zr740::modbus_crc16(frame) == 0);
            accounted += frame.size() - 2 + 6; // the header went, the CRC came
        }
    }
    check(accounted + dropped.size() + reader.held() == bytes.size());
    return 0;
}
