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

// The bytes a write puts on the wire, from the value text through the value type.
std::vector<std::uint8_t> write_data(const char* type, const char* value, std::uint8_t count, int& function)
{
    Parameter parameter("0x0015");
    parameter.type_text = type;
    parameter.value_text = value;
    std::array<std::uint8_t, 4> raw{};
    int length = 0;
    EXPECT_EQ(parameter.encode(raw, length), 1) << type << " " << value;
    const auto request = build_write_request(0x0015, count, raw);
    function = request.function;
    return request.data;
}

TEST(RegisterLayout, WritePlacesTheRawBytesAsTheInstrumentExpects)
{
    int function = 0;
    // One byte v goes out as 0x00 v.
    EXPECT_EQ(write_data("int", "16", 1, function), (std::vector<std::uint8_t>{0x00, 0x15, 0x00, 0x10}));
    EXPECT_EQ(function, 6);
    // Two big-endian bytes are exchanged: "256" as int16 arrives as register value 1.
    EXPECT_EQ(write_data("int16", "256", 1, function), (std::vector<std::uint8_t>{0x00, 0x15, 0x00, 0x01}));
    EXPECT_EQ(write_data("int", "4660", 1, function), (std::vector<std::uint8_t>{0x00, 0x15, 0x34, 0x12}));
    // Two registers: function 16, count, byte count, four bytes as the value type gives them.
    EXPECT_EQ(write_data("float", "10", 2, function),
              (std::vector<std::uint8_t>{0x00, 0x15, 0x00, 0x02, 0x04, 0x41, 0x20, 0x00, 0x00}));
    EXPECT_EQ(function, 16);
    EXPECT_EQ(build_read_request(0x0102, 2), (std::vector<std::uint8_t>{0x01, 0x02, 0x00, 0x02}));
}

} // namespace
} // namespace zr740
