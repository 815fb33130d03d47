#include "link/register_layout.h"

#include "model/c_numbers.h"

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
                                 const std::array<std::uint8_t, 4>& raw)
{
    WriteRequest request;
    const auto hi = static_cast<std::uint8_t>(register_number >> 8);
    const auto lo = static_cast<std::uint8_t>(register_number & 0xFF);
    if (register_count <= 1) {
        // The instrument takes the value's two raw bytes in exchanged order.
        request.function = 6;
        request.data = {hi, lo, raw[1], raw[0]};
    } else {
        request.function = 16;
        request.data = {hi, lo, 0, register_count, static_cast<std::uint8_t>(2 * register_count),
                        raw[0], raw[1], raw[2], raw[3]};
    }
    return request;
}

} // namespace zr740
