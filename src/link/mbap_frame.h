#pragma once
// Modbus TCP framing: a request's RTU frame as an application data unit (the MBAP header of
// transaction identifier, protocol 0, length and unit identifier, then the PDU; no CRC) and the
// gateway's replies back as RTU frames with their CRC, so that everything above the transport
// (reply matching, the trace, decoding) sees one form whichever end carries the line.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zr740 {

// The ADU of an RTU frame (address, PDU, CRC); empty for a frame too short to hold a function.
std::vector<std::uint8_t> mbap_from_rtu(std::span<const std::uint8_t> rtu, std::uint16_t transaction);

// Gathers the bytes a gateway sends and cuts them into ADUs.
class MbapReader {
public:
    void add(std::span<const std::uint8_t> bytes);
    // The RTU frames (CRC appended) of the complete ADUs of `transaction`, in order; the bytes of
    // every other complete ADU go to `dropped` (a late answer to an earlier request). A header no
    // gateway sends (protocol not 0, a length outside 2..254) leaves the stream beyond repair: all
    // that is held is dropped.
    std::vector<std::vector<std::uint8_t>> take(std::uint16_t transaction, std::vector<std::uint8_t>& dropped);
    void clear() { held_.clear(); }
    std::size_t held() const { return held_.size(); }

private:
    std::vector<std::uint8_t> held_;
};

} // namespace zr740
