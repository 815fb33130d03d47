#include "link/modbus_frame.h"

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
