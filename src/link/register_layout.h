#pragma once
// How a parameter maps onto Modbus holding registers: its register number from its name, and the
// value bytes of a write request from the raw form its value type produces.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zr740 {

class MyConverter;

// The name read as a hexadecimal number; when the name holds a "!", only its last six characters.
std::uint16_t register_number_from_name(std::string_view name);

// The request data of a write: for one register (function 6) the register number and the first two
// raw bytes swapped (the raw buffer is zero-filled first, so a one-byte value v goes out as 0x00 v
// and a two-byte value b0 b1 as b1 b0); for two or more registers (function 16) the number, the
// count, the byte count 2 x count and the first four raw bytes as the value type gave them.
struct WriteRequest {
    std::uint8_t function = 0;
    std::vector<std::uint8_t> data;
};
WriteRequest build_write_request(std::uint16_t register_number, std::uint8_t register_count,
                                 const std::array<std::uint8_t, 4>& raw);

// The request data of a read: function 3 with register number and count.
std::vector<std::uint8_t> build_read_request(std::uint16_t register_number, std::uint8_t register_count);

} // namespace zr740
