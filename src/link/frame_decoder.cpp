#include "link/frame_decoder.h"

#include "link/korvel_frame.h"
#include "link/modbus_frame.h"
#include "link/traffic_texts.h"
#include "model/text.h"

#include <algorithm>
#include <cstdio>

namespace zr740 {
namespace {

std::string fill(std::string_view pattern, std::string_view marker, std::string_view value)
{
    return replace_all(pattern, marker, value);
}

std::string fill_number(std::string_view pattern, long long number)
{
    return replace_all(pattern, "%i", std::to_string(number));
}

// Registers and values as the program names them: "0x0007".
std::string hex16(unsigned value)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "0x%04X", value & 0xFFFFU);
    return buffer;
}

std::string hex8(unsigned value)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "0x%02X", value & 0xFFU);
    return buffer;
}

unsigned word_at(std::span<const std::uint8_t> frame, std::size_t at)
{
    return (unsigned{frame[at]} << 8U) | frame[at + 1];
}

std::string address_text(std::uint8_t address)
{
    return address == 0 ? std::string(texts::traffic_broadcast) : fill_number(texts::traffic_address, address);
}

// "0x0010 (16), 0x2580 (9600)"; with a first register, "0x0007 = 0x0010 (16), ...".
std::string register_values(std::span<const std::uint8_t> bytes, int first_register)
{
    std::string text;
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        if (!text.empty())
            text += ", ";
        if (first_register >= 0)
            text += hex16(static_cast<unsigned>(first_register) + static_cast<unsigned>(at / 2)) + " = ";
        const unsigned value = word_at(bytes, at);
        text += hex16(value) + " (" + std::to_string(value) + ")";
    }
    return text;
}

// The length a frame's function gives it; 0 while the bytes do not tell yet.
std::size_t expected_length(std::span<const std::uint8_t> frame, bool reply)
{
    if (frame.size() < 2)
        return 0;
    const std::uint8_t function = frame[1];
    if (reply)
        return modbus_declared_length(frame, 0, static_cast<std::uint8_t>(function & 0x7FU));
    switch (function) {
    case 3:
    case 4:
    case 6:
        return 8;
    case 16:
        return frame.size() < 7 ? 0 : std::size_t{frame[6]} + 9;
    default:
        return frame.size();
    }
}

// The words of a complete Modbus frame (its CRC not judged here).
std::string describe_modbus(std::span<const std::uint8_t> frame, bool reply, std::span<const std::uint8_t> request)
{
    const std::uint8_t function = frame[1];
    const std::string address = address_text(frame[0]);
    if (reply && (function & 0x80U) != 0) {
        const int code = frame[2];
        return fill(fill_number(texts::traffic_exception, code), "%s", modbus_exception_text(code)) + ": " +
               address + ", " + fill_number(texts::traffic_function_of, function & 0x7FU);
    }
    const auto heading = [&](std::string_view what) { return std::string(what) + ": " + address + ", "; };
    const auto first_register = [&] { return fill(texts::traffic_register, "%s", hex16(word_at(frame, 2))); };
    switch (function) {
    case 3:
    case 4: {
        if (!reply)
            return heading(texts::traffic_read_request) + first_register() + ", " +
                   fill_number(texts::traffic_count, word_at(frame, 4));
        // Registers are named only when the reply carries what the request asked for.
        const bool named = request.size() >= 8 && request[1] == function && word_at(request, 4) * 2U == frame[2];
        return heading(texts::traffic_read_reply) + fill_number(texts::traffic_byte_count, frame[2]) + ": " +
               register_values(frame.subspan(3, frame[2]), named ? static_cast<int>(word_at(request, 2)) : -1);
    }
    case 6:
        return heading(reply ? texts::traffic_write_reply : texts::traffic_write_request) + first_register() +
               " = " + register_values(frame.subspan(4, 2), -1);
    case 16: {
        std::string text = heading(reply ? texts::traffic_write_reply : texts::traffic_write_request) +
                           first_register() + ", " + fill_number(texts::traffic_count, word_at(frame, 4));
        if (!reply)
            text += ": " + register_values(frame.subspan(7, frame.size() - 9), -1);
        return text;
    }
    default:
        return fill_number(texts::traffic_function, function) + ": " + address + ", " +
               fill_number(texts::traffic_byte_count, static_cast<long long>(frame.size() - 4));
    }
}

bool looks_korvel(std::span<const std::uint8_t> frame)
{
    return frame.size() >= 2 && frame[0] == '#' && frame[1] >= 'G' && frame[1] <= 'V';
}

DecodedFrame decode_korvel(std::span<const std::uint8_t> frame, std::span<const std::uint8_t> request)
{
    DecodedFrame decoded;
    decoded.korvel = true;
    std::uint16_t asked = 0xFFFF;
    KorvelReply parsed;
    std::string message;
    if (!request.empty() && looks_korvel(request) &&
        korvel_decode(request, 0, parsed, message) != KorvelVerdict::bad_crc)
        asked = parsed.identifier;
    const auto verdict = korvel_decode(frame, asked, parsed, message);
    decoded.text = std::string(texts::traffic_korvel) + ": ";
    if (verdict == KorvelVerdict::bad_crc) {
        decoded.text += texts::traffic_korvel_bad;
        return decoded;
    }
    decoded.crc_ok = true;
    decoded.complete = true;
    decoded.address = parsed.address_byte;
    decoded.text += std::string(parsed.request_bit ? texts::traffic_korvel_request : texts::traffic_korvel_reply) +
                    ", " + fill_number(texts::traffic_address, parsed.address_byte) + ", ";
    if (verdict == KorvelVerdict::instrument_error && !parsed.data.empty()) {
        const auto code = static_cast<std::int8_t>(parsed.data[0]);
        decoded.exception = parsed.data[0];
        decoded.text += fill(fill(texts::traffic_korvel_error, "%x", hex8(parsed.data[0])), "%s",
                             korvel_device_error_text(code));
        return decoded;
    }
    decoded.text += fill(texts::traffic_korvel_identifier, "%s", hex16(parsed.identifier));
    if (!parsed.data.empty()) {
        decoded.text += ", " + std::string(texts::traffic_korvel_data);
        append_hex_bytes(decoded.text, parsed.data);
    }
    return decoded;
}

DecodedFrame decode_modbus(std::span<const std::uint8_t> frame, bool reply, std::span<const std::uint8_t> request)
{
    DecodedFrame decoded;
    const std::size_t count = frame.size();
    if (count >= 1)
        decoded.address = frame[0];
    const std::size_t expected = expected_length(frame, reply);
    // Fewer than 5 bytes cannot be a frame: address, function, one byte, CRC.
    if (count < 5 || expected == 0 || count < expected) {
        decoded.text = fill_number(texts::traffic_short_frame, static_cast<long long>(count));
        if (count >= 1)
            decoded.text += ": " + address_text(frame[0]);
        if (count >= 2)
            decoded.text += ", " + fill_number(texts::traffic_function_of, frame[1] & 0x7FU);
        return decoded;
    }
    decoded.complete = true;
    decoded.crc_ok = modbus_crc_holds(frame);
    if (reply && (frame[1] & 0x80U) != 0)
        decoded.exception = frame[2];
    if (reply && frame.size() == request.size() && std::equal(frame.begin(), frame.end(), request.begin()) &&
        request[1] != 6)
        decoded.text = texts::traffic_echo;
    else
        decoded.text = describe_modbus(frame.first(expected), reply, request);
    if (!decoded.crc_ok) {
        const unsigned carried = frame[count - 2] | (unsigned{frame[count - 1]} << 8U);
        decoded.text += "; " + fill(fill(texts::traffic_bad_crc, "%s", hex16(carried)), "%c",
                                    hex16(modbus_crc16(frame.first(count - 2))));
    } else if (reply && !request.empty() && decoded.text != texts::traffic_echo && !reply_answers(request, frame)) {
        decoded.text += "; " + std::string(texts::traffic_not_this_request);
    }
    return decoded;
}

} // namespace

std::string_view modbus_exception_text(int code)
{
    if (code >= 1 && code <= static_cast<int>(std::size(texts::modbus_exception_texts)))
        return texts::modbus_exception_texts[code - 1];
    return texts::modbus_exception_unknown;
}

void append_hex_bytes(std::string& line, std::span<const std::uint8_t> bytes)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    for (const auto b : bytes) {
        line += ' ';
        line += digits[b >> 4];
        line += digits[b & 0x0F];
    }
}

RegisterRange request_registers(std::span<const std::uint8_t> request)
{
    if (request.size() < 6 || looks_korvel(request))
        return {};
    switch (request[1]) {
    case 3:
    case 4:
    case 16:
        return {static_cast<int>(word_at(request, 2)), static_cast<int>(word_at(request, 4))};
    case 6:
        return {static_cast<int>(word_at(request, 2)), 1};
    default:
        return {};
    }
}

DecodedFrame decode_request(std::span<const std::uint8_t> frame)
{
    return looks_korvel(frame) ? decode_korvel(frame, {}) : decode_modbus(frame, false, {});
}

DecodedFrame decode_reply(std::span<const std::uint8_t> frame, std::span<const std::uint8_t> request)
{
    return looks_korvel(frame) ? decode_korvel(frame, request) : decode_modbus(frame, true, request);
}

std::vector<UnexplainedPart> split_unexplained(std::span<const std::uint8_t> bytes,
                                               std::span<const std::uint8_t> request)
{
    std::vector<UnexplainedPart> parts;
    const auto add = [&parts](UnexplainedPart::Kind kind, std::size_t start, std::size_t length) {
        // Stray bytes next to each other make one part.
        if (kind == UnexplainedPart::Kind::stray && !parts.empty() && parts.back().kind == kind)
            parts.back().length += length;
        else
            parts.push_back({kind, start, length});
    };
    std::size_t at = 0;
    const std::size_t count = bytes.size();
    while (at < count) {
        const std::size_t left = count - at;
        if (request.size() >= 4 && left >= request.size() &&
            std::equal(request.begin(), request.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at))) {
            add(UnexplainedPart::Kind::echo, at, request.size());
            at += request.size();
            continue;
        }
        if (left >= 5) {
            const std::size_t length =
                modbus_declared_length(bytes, at, static_cast<std::uint8_t>(bytes[at + 1] & 0x7FU));
            if (length >= 5 && length <= left && modbus_crc_holds(bytes.subspan(at, length))) {
                add(UnexplainedPart::Kind::frame, at, length);
                at += length;
                continue;
            }
        }
        add(UnexplainedPart::Kind::stray, at, 1);
        ++at;
    }
    return parts;
}

} // namespace zr740
