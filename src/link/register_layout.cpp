#include "link/register_layout.h"

#include "model/c_numbers.h"

#include <algorithm>

namespace zr740 {

std::uint16_t register_number_from_name(std::string_view name)
{
    if (name.find('!') != std::string_view::npos && name.size() > 6)
        name = name.substr(name.size() - 6);
    return static_cast<std::uint16_t>(c_strtoul16(name));
}

std::vector<std::uint8_t> build_read_request(std::uint16_t register_number, std::uint8_t register_count)
{
    return {static_cast<std::uint8_t>(register_number >> 8), static_cast<std::uint8_t>(register_number & 0xFF), 0,
            register_count};
}

WriteRequest build_write_request(std::uint16_t register_number, std::uint8_t register_count,
                                 const std::array<std::uint8_t, 4>& raw, int length)
{
    WriteRequest request;
    const auto hi = static_cast<std::uint8_t>(register_number >> 8);
    const auto lo = static_cast<std::uint8_t>(register_number & 0xFF);
    if (register_count <= 1) {
        request.function = 6;
        if (length <= 1)
            request.data = {hi, lo, 0x00, raw[0]};
        else
            request.data = {hi, lo, raw[0], raw[1]};
    } else if (register_count <= max_write_registers) {
        request.function = 16;
        const auto bytes = static_cast<std::uint8_t>(2 * register_count);
        constexpr std::size_t header = 5;
        request.data.assign(header + bytes, 0);
        request.data[0] = hi;
        request.data[1] = lo;
        request.data[3] = register_count;
        request.data[4] = bytes;
        // At least two registers, so the four value bytes always fit.
        std::copy(raw.begin(), raw.end(), request.data.begin() + header);
    }
    return request;
}

std::vector<std::uint8_t> register_image(const WriteRequest& request)
{
    const auto& d = request.data;
    if (request.function == 6 && d.size() == 4)
        return {d[2], d[3]};
    constexpr std::size_t header = 5;
    if (request.function == 16 && d.size() > header)
        return {d.begin() + header, d.end()};
    return {};
}

} // namespace zr740
