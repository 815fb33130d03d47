#include "link/mbap_frame.h"

#include "link/modbus_frame.h"

namespace zr740 {
namespace {

constexpr std::size_t header_size = 7; // transaction, protocol, length, unit
constexpr std::size_t min_length = 2;  // unit and function
constexpr std::size_t max_length = 254; // unit and a PDU of 253

unsigned word_at(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return (unsigned{bytes[at]} << 8U) | bytes[at + 1];
}

} // namespace

std::vector<std::uint8_t> mbap_from_rtu(std::span<const std::uint8_t> rtu, std::uint16_t transaction)
{
    // Address and function at least, then the CRC.
    if (rtu.size() < 4)
        return {};
    const std::size_t length = rtu.size() - 2; // unit and PDU
    std::vector<std::uint8_t> adu;
    adu.reserve(6 + length);
    adu.push_back(static_cast<std::uint8_t>(transaction >> 8U));
    adu.push_back(static_cast<std::uint8_t>(transaction & 0xFFU));
    adu.push_back(0);
    adu.push_back(0);
    adu.push_back(static_cast<std::uint8_t>(length >> 8U));
    adu.push_back(static_cast<std::uint8_t>(length & 0xFFU));
    adu.insert(adu.end(), rtu.begin(), rtu.end() - 2);
    return adu;
}

void MbapReader::add(std::span<const std::uint8_t> bytes)
{
    held_.insert(held_.end(), bytes.begin(), bytes.end());
}

std::vector<std::vector<std::uint8_t>> MbapReader::take(std::uint16_t transaction,
                                                        std::vector<std::uint8_t>& dropped)
{
    std::vector<std::vector<std::uint8_t>> frames;
    std::size_t at = 0;
    while (held_.size() - at >= header_size) {
        const std::span<const std::uint8_t> rest(held_.data() + at, held_.size() - at);
        const std::size_t length = word_at(rest, 4);
        if (word_at(rest, 2) != 0 || length < min_length || length > max_length) {
            dropped.insert(dropped.end(), rest.begin(), rest.end());
            held_.clear();
            return frames;
        }
        if (rest.size() < 6 + length)
            break;
        const auto unit_and_pdu = rest.subspan(6, length);
        if (word_at(rest, 0) == transaction) {
            std::vector<std::uint8_t> frame(unit_and_pdu.begin(), unit_and_pdu.end());
            const std::uint16_t crc = modbus_crc16(frame);
            frame.push_back(static_cast<std::uint8_t>(crc & 0xFFU));
            frame.push_back(static_cast<std::uint8_t>(crc >> 8U));
            frames.push_back(std::move(frame));
        } else {
            dropped.insert(dropped.end(), rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(6 + length));
        }
        at += 6 + length;
    }
    held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(at));
    return frames;
}

} // namespace zr740
