#include "simulator/modbus_slave.h"

#include "link/modbus_frame.h"

namespace zr740::sim {
namespace {

constexpr std::uint16_t max_read_count = 125;
constexpr std::uint16_t max_write_count = 123;
constexpr std::uint16_t init_register = 0x0000;

std::uint16_t word(const std::vector<std::uint8_t>& data, std::size_t at)
{
    return static_cast<std::uint16_t>((data[at] << 8) | data[at + 1]);
}

void put_word(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

ModbusAnswer exception(std::uint8_t address, std::uint8_t function, std::uint8_t code)
{
    return {modbus_exception(address, function, code), AfterReply::nothing};
}

ModbusAnswer read_holding(const ModbusRequest& request, std::uint8_t address, Instrument& instrument)
{
    if (request.data.size() != 4 || request.count == 0 || request.count > max_read_count)
        return exception(address, request.function, exception_code::illegal_value);
    const auto& bank = instrument.bank();
    if (!bank.readable(request.first, request.count))
        return exception(address, request.function, exception_code::illegal_address);
    std::vector<std::uint8_t> reply{address, request.function, static_cast<std::uint8_t>(2 * request.count)};
    for (unsigned i = 0; i < request.count; ++i)
        put_word(reply, bank.get(static_cast<std::uint16_t>(request.first + i)).value_or(0));
    append_modbus_crc(reply);
    return {std::move(reply), AfterReply::nothing};
}

ModbusAnswer write_single(const ModbusRequest& request, std::uint8_t address, Instrument& instrument)
{
    if (request.data.size() != 4)
        return exception(address, request.function, exception_code::illegal_value);
    const std::uint16_t value = word(request.data, 2);
    // Built up with room reserved: GCC 12 under ThreadSanitizer misreads an insert into a vector made
    // from a two-byte list as an out-of-bounds copy.
    std::vector<std::uint8_t> echo;
    echo.reserve(2 + request.data.size() + 2);
    echo.push_back(address);
    echo.push_back(request.function);
    echo.insert(echo.end(), request.data.begin(), request.data.end());
    append_modbus_crc(echo);
    // "INIT": the program's end-of-session command; acknowledged, nothing changes.
    if (request.first == init_register && value == 0)
        return {std::move(echo), AfterReply::nothing};
    auto& bank = instrument.bank();
    if (!bank.writable(request.first, 1))
        return exception(address, request.function, exception_code::illegal_address);
    bank.set(request.first, value);
    return {std::move(echo), instrument.on_written(request.first, 1)};
}

ModbusAnswer write_multiple(const ModbusRequest& request, std::uint8_t address, Instrument& instrument)
{
    const auto& data = request.data;
    if (data.size() < 5 || request.count == 0 || request.count > max_write_count || data[4] != 2 * request.count ||
        data.size() != 5u + data[4])
        return exception(address, request.function, exception_code::illegal_value);
    auto& bank = instrument.bank();
    if (!bank.writable(request.first, request.count))
        return exception(address, request.function, exception_code::illegal_address);
    for (unsigned i = 0; i < request.count; ++i)
        bank.set(static_cast<std::uint16_t>(request.first + i), word(data, 5 + 2 * i));
    std::vector<std::uint8_t> reply{address, request.function};
    put_word(reply, request.first);
    put_word(reply, request.count);
    append_modbus_crc(reply);
    return {std::move(reply), instrument.on_written(request.first, request.count)};
}

} // namespace

void append_modbus_crc(std::vector<std::uint8_t>& frame)
{
    const std::uint16_t crc = modbus_crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

std::vector<std::uint8_t> modbus_exception(std::uint8_t address, std::uint8_t function, std::uint8_t code)
{
    std::vector<std::uint8_t> reply{address, static_cast<std::uint8_t>(function | 0x80), code};
    append_modbus_crc(reply);
    return reply;
}

std::optional<ModbusRequest> parse_modbus_request(std::span<const std::uint8_t> frame)
{
    if (frame.size() < 4)
        return std::nullopt;
    const auto body = frame.first(frame.size() - 2);
    const std::uint16_t crc = modbus_crc16(body);
    if (frame[frame.size() - 2] != (crc & 0xFF) || frame[frame.size() - 1] != (crc >> 8))
        return std::nullopt;
    ModbusRequest request;
    request.address = frame[0];
    request.function = frame[1];
    request.data.assign(body.begin() + 2, body.end());
    if (request.data.size() >= 4) {
        const auto& d = request.data;
        switch (request.function) {
        case 3:
        case 16:
            request.first = word(d, 0);
            request.count = word(d, 2);
            break;
        case 6:
            request.first = word(d, 0);
            request.count = 1;
            break;
        default:
            break;
        }
    }
    return request;
}

ModbusAnswer serve_modbus(const ModbusRequest& request, std::uint8_t reply_address, Instrument& instrument)
{
    switch (request.function) {
    case 3:
        return read_holding(request, reply_address, instrument);
    case 6:
        return write_single(request, reply_address, instrument);
    case 16:
        return write_multiple(request, reply_address, instrument);
    default:
        return exception(reply_address, request.function, exception_code::illegal_function);
    }
}

} // namespace zr740::sim
