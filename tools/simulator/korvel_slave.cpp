#include "simulator/korvel_slave.h"

#include "link/korvel_frame.h"

#include <algorithm>

namespace zr740::sim {
namespace {

constexpr std::size_t max_data = 15;
constexpr int fixed_address = 255;

std::uint8_t byte_from_letters(std::uint8_t high, std::uint8_t low)
{
    return static_cast<std::uint8_t>(((high - 'G') << 4) | ((low - 'G') & 0x0F));
}

std::string encode_reply(int address, std::uint16_t identifier, std::span<const std::uint8_t> data)
{
    std::string line;
    KorvelAddressing link;
    link.address = address;
    link.address_length = address < 256 ? 8 : 11;
    korvel_encode(link, 0, false, identifier, data, line);
    return line;
}

std::string error_reply(int address, std::uint8_t code)
{
    const std::uint8_t data[] = {code};
    return encode_reply(address, korvel_error_identifier, data);
}

} // namespace

std::optional<KorvelRequest> parse_korvel_request(std::span<const std::uint8_t> line)
{
    KorvelReply decoded;
    std::string message;
    // The identifier passed is irrelevant here: anything but a CRC failure delivers the frame.
    if (korvel_decode(line, 0, decoded, message) == KorvelVerdict::bad_crc)
        return std::nullopt;
    // The decoder has checked the letters; the header is bytes 0 and 1.
    const std::uint8_t byte0 = byte_from_letters(line[1], line[2]);
    const std::uint8_t byte1 = byte_from_letters(line[3], line[4]);
    KorvelRequest request;
    request.address_8bit = (byte1 & 0xE0) == 0 ? byte0 : -1;
    request.address_11bit = (byte0 << 3) | (byte1 >> 5);
    request.request_bit = (byte1 & 0x10) != 0;
    request.identifier = decoded.identifier;
    request.data = std::move(decoded.data);
    return request;
}

bool korvel_addressed_to(const KorvelRequest& request, int address)
{
    return request.address_8bit == address || request.address_8bit == fixed_address ||
           request.address_11bit == address || request.address_11bit == fixed_address;
}

KorvelAnswer serve_korvel(const KorvelRequest& request, int reply_address, Instrument& instrument,
                          std::optional<std::uint8_t> forced_error)
{
    if (request.identifier == korvel_unanswered_identifier)
        return {};
    if (forced_error)
        return {error_reply(reply_address, *forced_error), AfterReply::nothing};
    auto& bank = instrument.bank();
    const auto count = bank.parameter_at(request.identifier);
    if (!count)
        return {error_reply(reply_address, korvel_error::no_descriptor), AfterReply::nothing};

    const bool read = request.data.empty();
    if (read != request.request_bit)
        return {error_reply(reply_address, korvel_error::request_bit), AfterReply::nothing};

    if (read) {
        std::vector<std::uint8_t> data;
        for (unsigned i = 0; i < *count; ++i) {
            const auto value = bank.get(static_cast<std::uint16_t>(request.identifier + i)).value_or(0);
            data.push_back(static_cast<std::uint8_t>(value >> 8));
            data.push_back(static_cast<std::uint8_t>(value & 0xFF));
        }
        data.resize(std::min(data.size(), max_data));
        return {encode_reply(reply_address, request.identifier, data), AfterReply::nothing};
    }

    if (request.data.size() > 2u * *count)
        return {error_reply(reply_address, korvel_error::data_size), AfterReply::nothing};
    const auto registers = static_cast<std::uint16_t>((request.data.size() + 1) / 2);
    if (!bank.writable(request.identifier, registers))
        return {error_reply(reply_address, korvel_error::rom_parameter), AfterReply::nothing};
    for (std::uint16_t i = 0; i < registers; ++i) {
        const std::uint8_t high = request.data[2u * i];
        const std::uint8_t low = 2u * i + 1 < request.data.size() ? request.data[2u * i + 1] : 0;
        bank.set(static_cast<std::uint16_t>(request.identifier + i), static_cast<std::uint16_t>((high << 8) | low));
    }
    return {encode_reply(reply_address, request.identifier, {}), instrument.on_written(request.identifier, registers)};
}

} // namespace zr740::sim
