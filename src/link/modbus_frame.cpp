#include "link/modbus_frame.h"

#include <algorithm>

namespace zr740 {

namespace {

// The largest Modbus-RTU frame is 256 bytes: address, function, data, two CRC bytes.
constexpr std::size_t max_request_data = 256 - 4;
constexpr int max_slave_address = 247;

bool is_accepted_function(int function)
{
    switch (function) {
    case 3:
    case 4:
    case 6:
    case 16:
    case 17:
    case 65:
        return true;
    default:
        return false;
    }
}

} // namespace

std::uint16_t modbus_crc16(std::span<const std::uint8_t> bytes)
{
    std::uint16_t crc = 0xFFFF;
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            const bool carry = (crc & 1U) != 0;
            crc = static_cast<std::uint16_t>(crc >> 1);
            if (carry)
                crc ^= 0xA001;
        }
    }
    return crc;
}

bool modbus_reply_complete(std::span<const std::uint8_t> gathered)
{
    const std::size_t count = gathered.size();
    if (count < 5)
        return false;
    // A read reply announces its length; a CRC that happens to match before that is a coincidence.
    const std::uint8_t function = gathered[1];
    if ((function == 3 || function == 4) && count < std::size_t{gathered[2]} + 5)
        return false;
    const std::uint16_t crc = modbus_crc16(gathered.first(count - 2));
    return gathered[count - 2] == (crc & 0xFF) && gathered[count - 1] == (crc >> 8);
}

bool modbus_crc_holds(std::span<const std::uint8_t> frame)
{
    const std::size_t count = frame.size();
    const std::uint16_t crc = modbus_crc16(frame.first(count - 2));
    return frame[count - 2] == (crc & 0xFF) && frame[count - 1] == (crc >> 8);
}

std::size_t modbus_declared_length(std::span<const std::uint8_t> gathered, std::size_t at, std::uint8_t function)
{
    const std::size_t left = gathered.size() - at;
    if (left < 2)
        return 0;
    if ((gathered[at + 1] & 0x80) != 0)
        return 5; // address, function | 0x80, exception code, CRC
    switch (function) {
    case 3:
    case 4:
        return left < 3 ? 0 : std::size_t{gathered[at + 2]} + 5;
    case 6:
    case 16:
        return 8; // address, function, register, value or count, CRC
    default:
        return left;
    }
}

bool reply_answers(std::span<const std::uint8_t> request, std::span<const std::uint8_t> reply)
{
    if (request.size() < 4 || reply.size() < 5 || reply[0] != request[0])
        return false;
    const std::uint8_t function = request[1];
    if (reply[1] == (function | 0x80))
        return reply.size() == 5;
    if (reply[1] != function)
        return false;
    switch (function) {
    case 3:
    case 4:
        if (request.size() < 8)
            return false;
        return reply[2] == 2 * ((request[4] << 8) | request[5]) && reply.size() == std::size_t{reply[2]} + 5;
    case 6:
    case 16:
        return request.size() >= 8 && reply.size() == 8 &&
               std::equal(reply.begin() + 2, reply.begin() + 6, request.begin() + 2);
    default:
        return true;
    }
}

ReplyLocation find_reply(std::span<const std::uint8_t> request, std::span<const std::uint8_t> gathered,
                         bool echo_expected)
{
    ReplyLocation location;
    if (request.size() < 4)
        return location;
    const std::uint8_t address = request[0];
    const std::uint8_t function = request[1];
    const std::size_t count = gathered.size();
    bool echo_passed = false;
    for (std::size_t at = 0; at < count; ++at) {
        if (gathered[at] != address)
            continue;
        if (at + 1 < count && gathered[at + 1] != function && gathered[at + 1] != (function | 0x80))
            continue;
        const std::size_t left = count - at;
        if (!echo_passed && (function != 6 || echo_expected)) {
            const std::size_t compared = std::min(left, request.size());
            if (std::equal(request.begin(), request.begin() + static_cast<std::ptrdiff_t>(compared),
                           gathered.begin() + static_cast<std::ptrdiff_t>(at))) {
                if (compared < request.size())
                    return location; // the echo is still arriving
                echo_passed = true;
                at += request.size() - 1;
                continue;
            }
        }
        const std::size_t length = modbus_declared_length(gathered, at, function);
        if (length < 5 || length > left)
            continue; // not complete (yet); a later start may be
        const auto frame = gathered.subspan(at, length);
        if (!modbus_crc_holds(frame))
            continue;
        if (reply_answers(request, frame)) {
            location.found = true;
            location.start = at;
            location.length = length;
            location.after_echo = echo_passed;
            return location;
        }
        at += length - 1; // a whole frame that answers something else
    }
    return location;
}

int ModbusFrame::build_request(int address, int function_code, std::span<const std::uint8_t> data)
{
    request.clear();
    if (address < 0 || address > max_slave_address || !is_accepted_function(function_code) ||
        data.size() > max_request_data)
        return refused;

    slave_address = static_cast<std::uint8_t>(address);
    function = static_cast<std::uint8_t>(function_code);
    request.reserve(data.size() + 4);
    request.push_back(slave_address);
    request.push_back(function);
    request.insert(request.end(), data.begin(), data.end());
    const std::uint16_t crc = modbus_crc16(request);
    request.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    request.push_back(static_cast<std::uint8_t>(crc >> 8));
    return 0;
}

int ModbusFrame::decode_reply(std::span<const std::uint8_t> gathered, std::vector<std::uint8_t>& payload)
{
    payload.clear();
    exception_code = 0;
    if (!modbus_reply_complete(gathered))
        return -1;
    if (gathered[0] != slave_address)
        return wrong_address;
    if ((gathered[1] & 0x80) != 0) {
        // Code 0 is no exception at all; it must not read as success.
        exception_code = gathered[2];
        return exception_code != 0 ? exception_code : wrong_function;
    }
    if (gathered[1] != function)
        return wrong_function;
    if (request.size() >= 4 && !reply_answers(request, gathered))
        return not_this_request;

    // Completeness guarantees at least 5 bytes, so the frame without its CRC has at least 3.
    const std::size_t frame_length = gathered.size() - 2;
    std::size_t start = 2; // any other function: everything after the function code
    switch (function) {
    case 3:
    case 4:
    case 17:
        start = 3; // after the byte count
        break;
    case 6:
        start = 4; // the echoed value, after the echoed register number
        break;
    case 16:
        start = 2; // the echoed register number and count
        break;
    default:
        break;
    }
    if (start > frame_length)
        return wrong_function; // too short to hold what this function answers
    payload.assign(gathered.begin() + static_cast<std::ptrdiff_t>(start),
                   gathered.begin() + static_cast<std::ptrdiff_t>(frame_length));
    return 0;
}

} // namespace zr740
