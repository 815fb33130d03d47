#include "link/register_layout.h"
#include "model/parameter.h"

#include <gtest/gtest.h>

#include <vector>

namespace zr740 {
namespace {

TEST(RegisterLayout, NumberFromName)
{
    struct Case {
        const char* name;
        std::uint16_t number;
    };
    const Case cases[] = {
        {"0x0009", 9}, {"x!0x0009", 9}, {"!0x0009", 9}, {"long name!0x001A", 0x1A}, {"0X00ff", 0xFF},
        {"POUt", 0},   {"", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(register_number_from_name(c.name), c.number) << c.name;
}

// The request data of a write, from the value text through the value type, against bytes worked
// out by hand from the Modbus request layout.
TEST(RegisterLayout, WriteRequestsCarryTheValueAsModbusDoes)
{
    using Bytes = std::vector<std::uint8_t>;
    struct Case {
        const char* type;
        const char* value;
        std::uint8_t count;
        std::uint8_t function;
        Bytes data;
    };
    const Case cases[] = {
        // Function 6: the register value high byte first; a one-byte value v is 0x00 v.
        {"int", "16", 1, 6, {0x00, 0x15, 0x00, 0x10}},
        {"int", "255", 1, 6, {0x00, 0x15, 0x00, 0xFF}},
        {"int", "4660", 1, 6, {0x00, 0x15, 0x12, 0x34}},
        {"int16", "1", 1, 6, {0x00, 0x15, 0x00, 0x01}},
        {"int16", "100", 1, 6, {0x00, 0x15, 0x00, 0x64}},
        {"int16", "256", 1, 6, {0x00, 0x15, 0x01, 0x00}},
        {"CLK_frm", "10:00", 1, 6, {0x00, 0x15, 0x02, 0x58}},
        {"CLK_frm", "1:00", 1, 6, {0x00, 0x15, 0x00, 0x3C}},
        {"a:b:c", "c", 1, 6, {0x00, 0x15, 0x00, 0x02}},
        {"void", "", 0, 6, {0x00, 0x15, 0x00, 0x00}},
        {"stored_dot", "5.25", 1, 6, {0x00, 0x15, 0x22, 0x0D}},
        // Function 16: count, byte count 2 x count, the value bytes, then zeros up to the byte count.
        {"float", "10", 2, 16, {0x00, 0x15, 0x00, 0x02, 0x04, 0x41, 0x20, 0x00, 0x00}},
        {"stored_dot", "5000", 2, 16, {0x00, 0x15, 0x00, 0x02, 0x04, 0x00, 0x13, 0x88, 0x00}},
        {"name", "A.B1", 2, 16, {0x00, 0x15, 0x00, 0x02, 0x04, 0x4E, 0x02, 0x16, 0x15}},
        {"float", "10", 3, 16, {0x00, 0x15, 0x00, 0x03, 0x06, 0x41, 0x20, 0x00, 0x00, 0x00, 0x00}},
        {"float", "-2", 4, 16,
         {0x00, 0x15, 0x00, 0x04, 0x08, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        Parameter parameter("0x0015");
        parameter.type_text = c.type;
        parameter.value_text = c.value;
        std::array<std::uint8_t, 4> raw{};
        int length = 0;
        ASSERT_EQ(parameter.encode(raw, length), 1) << c.type << " " << c.value;
        const auto request = build_write_request(0x0015, c.count, raw, length);
        EXPECT_EQ(request.function, c.function) << c.type << " " << c.value;
        EXPECT_EQ(request.data, c.data) << c.type << " " << c.value << " on " << int{c.count} << " registers";
    }
}

TEST(RegisterLayout, RegisterImageIsWhatTheRegistersHoldAfterTheWrite)
{
    const std::array<std::uint8_t, 4> raw{0x41, 0x20, 0x00, 0x00};
    // One register, a value of one byte: the register holds 0x00 v.
    EXPECT_EQ(register_image(build_write_request(0x0008, 1, raw, 1)), (std::vector<std::uint8_t>{0x00, 0x41}));
    EXPECT_EQ(register_image(build_write_request(0x0010, 1, raw, 2)), (std::vector<std::uint8_t>{0x41, 0x20}));
    // Several registers: the value bytes, then zeros to the last register.
    EXPECT_EQ(register_image(build_write_request(0x000D, 3, raw, 4)),
              (std::vector<std::uint8_t>{0x41, 0x20, 0, 0, 0, 0}));
    EXPECT_TRUE(register_image(WriteRequest{}).empty());
}

TEST(RegisterLayout, LongestWriteAndRead)
{
    const std::array<std::uint8_t, 4> raw{1, 2, 3, 4};
    // 123 registers are the most one function-16 request carries (246 data bytes).
    const auto longest = build_write_request(0x0100, max_write_registers, raw, 4);
    EXPECT_EQ(longest.function, 16);
    ASSERT_EQ(longest.data.size(), 5u + 246u);
    EXPECT_EQ(longest.data[4], 246);
    const auto beyond = build_write_request(0x0100, max_write_registers + 1, raw, 4);
    EXPECT_EQ(beyond.function, 0);
    EXPECT_TRUE(beyond.data.empty());
    EXPECT_EQ(build_read_request(0x0102, 2), (std::vector<std::uint8_t>{0x01, 0x02, 0x00, 0x02}));
}

} // namespace
} // namespace zr740
