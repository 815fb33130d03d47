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

// The request data of a write, from the value bytes its type encoded (`raw`, `length` of them,
// the rest zero). One register (function 6): the register number and the 16-bit value high byte
// first, as Modbus carries it; a value encoded in one byte v is that register value, 0x00 v.
// Two or more registers (function 16): the number, the count, the byte count 2 x count, then
// 2 x count data bytes: the value bytes as the type gave them, then zeros. A run of more
// registers than one request may carry gives function 0 and no data.
struct WriteRequest {
    std::uint8_t function = 0;
    std::vector<std::uint8_t> data;
};
inline constexpr std::uint8_t max_write_registers = 123;
WriteRequest build_write_request(std::uint16_t register_number, std::uint8_t register_count,
                                 const std::array<std::uint8_t, 4>& raw, int length);

// What the registers hold after the instrument took the write request: two bytes a register, high
// byte first. Empty for a request without data.
std::vector<std::uint8_t> register_image(const WriteRequest& request);

// The request data of a read: function 3 with register number and count.
std::vector<std::uint8_t> build_read_request(std::uint16_t register_number, std::uint8_t register_count);

} // namespace zr740
