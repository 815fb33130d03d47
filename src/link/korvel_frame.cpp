#include "link/korvel_frame.h"

#include "link/link_texts.h"

#include <cstddef>
#include <optional>

namespace zr740 {

namespace {

constexpr std::size_t max_data = 15;
constexpr std::size_t header_size = 4; // address, address/request bit/length, identifier
constexpr std::size_t crc_size = 2;
constexpr char frame_start = '#';
constexpr char frame_end = '\r';
constexpr char first_letter = 'G'; // nibble 0; nibble 15 is 'V'

char letter(unsigned nibble)
{
    return static_cast<char>(first_letter + (nibble & 0x0F));
}

// A letter outside G..V has no value; the caller treats it as a corrupted frame.
std::optional<std::uint8_t> nibble_of(std::uint8_t c)
{
    if (c < first_letter || c > first_letter + 15)
        return std::nullopt;
    return static_cast<std::uint8_t>(c - first_letter);
}

} // namespace

std::uint16_t korvel_crc16(std::span<const std::uint8_t> bytes, std::uint16_t start)
{
    std::uint16_t b = start;
    for (const std::uint8_t byte : bytes) {
        unsigned a = byte;
        for (int bit = 0; bit < 8; ++bit) {
            const bool top = ((a ^ (b >> 8U)) & 0x80U) != 0;
            b = static_cast<std::uint16_t>(b << 1U);
            if (top)
                b ^= 0x8F57;
            a <<= 1U;
        }
    }
    return b;
}

bool korvel_encode(const KorvelAddressing& link, int address_offset, bool request_bit, std::uint16_t identifier,
                   std::span<const std::uint8_t> data, std::string& line)
{
    line.clear();
    if (data.size() > max_data)
        return false;
    if (link.address_length != 8 && link.address_length != 11)
        return false;
    const int address = address_offset == -1 ? 255 : link.address + address_offset;
    // An address that does not fit would silently reach another instrument.
    if (address < 0 || address >= (1 << link.address_length))
        return false;

    std::uint8_t binary[header_size + max_data + crc_size];
    std::uint8_t top_bits = 0;
    if (link.address_length == 11) {
        binary[0] = static_cast<std::uint8_t>(address >> 3);
        top_bits = static_cast<std::uint8_t>((address & 0x07) << 5);
    } else {
        binary[0] = static_cast<std::uint8_t>(address);
    }
    binary[1] = static_cast<std::uint8_t>(top_bits | (request_bit ? 0x10 : 0x00) | data.size());
    binary[2] = static_cast<std::uint8_t>(identifier >> 8);
    binary[3] = static_cast<std::uint8_t>(identifier & 0xFF);
    std::size_t count = header_size;
    for (const std::uint8_t byte : data)
        binary[count++] = byte;
    const std::uint16_t crc = korvel_crc16(std::span<const std::uint8_t>(binary, count));
    binary[count++] = static_cast<std::uint8_t>(crc >> 8);
    binary[count++] = static_cast<std::uint8_t>(crc & 0xFF);

    line.reserve(2 * count + 2);
    line.push_back(frame_start);
    for (std::size_t i = 0; i < count; ++i) {
        line.push_back(letter(binary[i] >> 4U));
        line.push_back(letter(binary[i]));
    }
    line.push_back(frame_end);
    return true;
}

KorvelVerdict korvel_decode(std::span<const std::uint8_t> received, std::uint16_t request_identifier,
                            KorvelReply& reply, std::string& message)
{
    reply = KorvelReply{};
    const auto reject = [&message] {
        message = texts::korvel_reply_bad_crc;
        return KorvelVerdict::bad_crc;
    };

    // "#", the letters, and one closing character that is not looked at.
    if (received.size() < 2 || received[0] != static_cast<std::uint8_t>(frame_start))
        return reject();
    const std::span<const std::uint8_t> letters = received.subspan(1, received.size() - 2);
    const std::size_t count = letters.size() / 2; // an odd trailing letter is dropped
    if (count < header_size + crc_size)
        return reject();

    std::vector<std::uint8_t> binary(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto high = nibble_of(letters[2 * i]);
        const auto low = nibble_of(letters[2 * i + 1]);
        if (!high || !low)
            return reject();
        binary[i] = static_cast<std::uint8_t>((*high << 4U) | *low);
    }

    const std::size_t length = binary[1] & 0x0FU;
    if (count < header_size + length + crc_size)
        return reject();
    // The checksum covers everything but the last two bytes, and is compared with the two bytes
    // that follow the announced data: surplus bytes therefore spoil the comparison.
    const std::uint16_t computed = korvel_crc16(std::span<const std::uint8_t>(binary).first(count - crc_size));
    const auto crc_at = header_size + length;
    const auto carried = static_cast<std::uint16_t>((binary[crc_at] << 8U) | binary[crc_at + 1]);
    if (computed != carried)
        return reject();

    reply.address_byte = binary[0];
    reply.request_bit = (binary[1] & 0x10U) != 0;
    reply.identifier = static_cast<std::uint16_t>((binary[2] << 8U) | binary[3]);
    reply.data.assign(binary.begin() + header_size, binary.begin() + static_cast<std::ptrdiff_t>(crc_at));
    if (reply.identifier == request_identifier)
        return KorvelVerdict::success;
    if (reply.identifier == korvel_error_identifier)
        return KorvelVerdict::instrument_error;
    message = texts::korvel_reply_foreign_identifier;
    return KorvelVerdict::foreign_identifier;
}

std::string korvel_device_error_text(std::int8_t code)
{
    for (const auto& entry : texts::korvel_error_texts) {
        if (entry.code == code)
            return std::string(entry.text);
    }
    if (code >= 0x39 && code <= 0x3F) {
        std::string text(texts::korvel_error_group_level);
        text.push_back(static_cast<char>('0' + (code - 0x38)));
        return text;
    }
    static_assert(texts::korvel_error_unknown.find("%i") != std::string_view::npos);
    std::string text(texts::korvel_error_unknown);
    const auto at = text.find("%i");
    text.replace(at, 2, std::to_string(static_cast<int>(code)));
    return text;
}

} // namespace zr740
