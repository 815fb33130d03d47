// The simulated instrument over a pseudo-terminal, driven with hand-built Modbus-RTU frames.

#include "sim_line.h"

#include "link/register_layout.h"
#include "model/my_converter.h"

#include <bit>
#include <cmath>

namespace zr740::sim::testing {
namespace {

std::string text_of(const Bytes& reply)
{
    return reply.size() > 5 ? std::string(reply.begin() + 3, reply.end() - 2) : std::string();
}

float float_of(std::uint16_t high, std::uint16_t low)
{
    return std::bit_cast<float>((std::uint32_t{high} << 16) | low);
}

std::vector<std::uint16_t> float_registers(float value)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    return {static_cast<std::uint16_t>(bits >> 16), static_cast<std::uint16_t>(bits & 0xFFFF)};
}

// The frame the program sends to write a value of the given type: encoded by the value type,
// placed by the same layout the program uses.
Bytes program_write(std::uint8_t address, std::uint16_t number, std::uint8_t count, const std::string& type,
                    const std::string& text)
{
    MyConverter value(number, count, 6);
    value.type_text = type;
    value.value_text = text;
    std::array<std::uint8_t, 4> raw{};
    int length = 0;
    EXPECT_EQ(value.encode(raw, length), 1);
    const auto request = build_write_request(number, count, raw, length);
    Bytes frame{address, request.function};
    frame.insert(frame.end(), request.data.begin(), request.data.end());
    return with_crc(frame);
}

struct Identity {
    int variant;
    const char* firmware;
    const char* expected; // registers 0-6 as text
};

class Identification : public SimulatorTest, public ::testing::WithParamInterface<Identity> {};

TEST_P(Identification, NameAndVersionRegisters)
{
    auto options = default_options();
    options.variant = GetParam().variant;
    options.firmware = GetParam().firmware;
    start(options);
    const auto reply = line->modbus(read_request(16, 0, 7));
    ASSERT_TRUE(crc_valid(reply));
    EXPECT_EQ(text_of(reply), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Simulator, Identification,
                         ::testing::Values(Identity{0, "1.5", "ZR740_RS1.5   "}, Identity{1, "1.2", "ZR740   1.2   "},
                                           Identity{0, "12.345.6", "ZR740_RS12.345"}));

class ModbusSlave : public SimulatorTest {};

// Initial values come from the description's init lines, laid out as the program's writes lay them:
// each value's 16 bits high byte first (a one-byte value as it is), enumerations as
// item numbers plus the register's offset, floats and names across two registers.
TEST_F(ModbusSlave, InitialValuesAsTheInstrumentHoldsThem)
{
    start();
    const struct {
        std::uint16_t first;
        std::vector<std::uint16_t> expected;
    } cases[] = {
        {0x0007, {16}},                 // address, int
        {0x0008, {2}},                  // ModBus-RTU: item 1, register 8 counts from 1
        {0x0009, {2}},                  // 9600: item 2
        {0x000A, {8}},                  // data bits: item 1 + 7
        {0x000B, {1}},                  // stop bits: item 0 + 1
        {0x000C, {0}},                  // no parity
        {0x000D, {0x080E, 0x3646}},     // name "ZR74"
        {0x0013, {60}},                 // 1:00 as seconds
        {0x0017, {100}},                // int16 100: factory contents read back as they are
        {0x0018, float_registers(1.0f)},
        {0x001A, float_registers(0.0f)},
        {0x001C, float_registers(160.0f)}, // the sensor's own range
        {0x0022, float_registers(4.0f)},
        {0x0038, {0}},                  // no init line
    };
    for (const auto& c : cases) {
        const auto reply = line->modbus(read_request(16, c.first, static_cast<std::uint16_t>(c.expected.size())));
        EXPECT_EQ(reply_registers(reply), c.expected) << "register " << c.first;
    }
}

TEST_F(ModbusSlave, Int16WriteArrivesAsItsValue)
{
    start();
    const auto request = program_write(16, 0x0017, 1, "int16", "256");
    EXPECT_EQ(line->modbus(request), request); // function 6 is echoed
    EXPECT_EQ(simulator->register_value(0x0017), 256);
    EXPECT_EQ(reply_registers(line->modbus(read_request(16, 0x0017, 1))), std::vector<std::uint16_t>{256});
}

TEST_F(ModbusSlave, Exceptions)
{
    start();
    const struct {
        const char* what;
        Bytes request;
        std::uint8_t function;
        std::uint8_t code;
    } cases[] = {
        {"read of 0 registers", read_request(16, 0x0007, 0), 3, 3},
        {"read of 126 registers", read_request(16, 0x0000, 126), 3, 3},
        {"read of an undescribed register", read_request(16, 0x0050, 1), 3, 2},
        {"read running into a gap", read_request(16, 0x0106, 2), 3, 2},
        {"read of a command register", read_request(16, 0x000F, 1), 3, 2},
        {"write of an undescribed register", write_request(16, 0x0050, 1), 6, 2},
        {"write of the identification", write_request(16, 0x0001, 0x4142), 6, 2},
        {"write of multiple with a wrong byte count", with_crc({16, 16, 0, 0x18, 0, 2, 3, 1, 2, 3}), 16, 3},
        {"write of multiple into a gap", write_multiple_request(16, 0x0106, {1, 2}), 16, 2},
        {"function 4", with_crc({16, 4, 0, 0x07, 0, 1}), 4, 1},
        {"function 8", with_crc({16, 8, 0, 0, 0x12, 0x34}), 8, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(line->modbus(c.request), with_crc({16, static_cast<std::uint8_t>(c.function | 0x80), c.code}))
            << c.what;
    }
    // A failed write changes nothing.
    EXPECT_EQ(simulator->register_value(0x0001), 0x3734); // "74" of "ZR740_RS"
}

TEST_F(ModbusSlave, AnswersOnlyItsAddressAndActsOnBroadcasts)
{
    start();
    EXPECT_TRUE(line->modbus(read_request(17, 0x0007, 1), 200ms).empty());
    EXPECT_EQ(simulator->stats().ignored, 1u);

    line->send(write_request(0, 0x0010, 42));
    EXPECT_TRUE(line->silent_for(200ms));
    EXPECT_EQ(simulator->register_value(0x0010), 42);

    line->send(Bytes{16, 3, 0, 7, 0, 1, 0x12, 0x34}); // bad CRC
    EXPECT_TRUE(line->silent_for(200ms));
    EXPECT_EQ(reply_registers(line->modbus(read_request(16, 0x0007, 1))), std::vector<std::uint16_t>{16});
}

TEST_F(ModbusSlave, ApplyMovesToTheNetworkValuesWrittenBefore)
{
    start();
    ASSERT_FALSE(line->modbus(write_request(16, 0x0007, 17)).empty());
    ASSERT_FALSE(line->modbus(write_request(16, 0x0009, 4)).empty()); // item 4: 19200
    ASSERT_FALSE(line->modbus(write_request(16, 0x000C, 1)).empty()); // even parity
    // Written, not yet in force.
    EXPECT_EQ(reply_registers(line->modbus(read_request(16, 0x0007, 1))), std::vector<std::uint16_t>{17});
    EXPECT_EQ(simulator->network().address, 16);

    // The reply to the apply command still comes from the old address.
    const auto apply = write_request(16, 0x000F, 129);
    EXPECT_EQ(line->modbus(apply), apply);
    EXPECT_EQ(network_once_settled({17, 19200, 8, 1, 1}), (NetworkSettings{17, 19200, 8, 1, 1}));
    EXPECT_TRUE(line->modbus(read_request(16, 0x0007, 1), 200ms).empty());
    EXPECT_EQ(reply_registers(line->modbus(read_request(17, 0x0007, 1))), std::vector<std::uint16_t>{17});

    // Any other value in the apply register does nothing.
    ASSERT_FALSE(line->modbus(write_request(17, 0x0007, 18)).empty());
    ASSERT_FALSE(line->modbus(write_request(17, 0x000F, 128)).empty());
    EXPECT_EQ(simulator->network().address, 17);
}

TEST_F(ModbusSlave, BroadcastApplyTakesEffectWithoutReply)
{
    start();
    ASSERT_FALSE(line->modbus(write_request(16, 0x0007, 33)).empty());
    line->send(write_request(0, 0x000F, 129));
    EXPECT_TRUE(line->silent_for(200ms));
    EXPECT_EQ(simulator->network().address, 33);
}

TEST_F(ModbusSlave, FactoryInitialisationRestoresTheDescriptionValues)
{
    auto options = default_options();
    options.address = 5;
    options.baud = 115200;
    start(options);
    EXPECT_EQ(simulator->network(), (NetworkSettings{5, 115200, 8, 1, 0}));
    ASSERT_FALSE(line->modbus(write_request(5, 0x0010, 99)).empty());
    ASSERT_FALSE(line->modbus(write_request(5, 0x000B, 2)).empty());

    // The program's factory command: "1" of type int16 into register 0x0020.
    const auto request = program_write(5, 0x0020, 1, "int16", "1");
    EXPECT_EQ(line->modbus(request), request);
    EXPECT_EQ(network_once_settled({16, 9600, 8, 1, 0}), (NetworkSettings{16, 9600, 8, 1, 0}));
    EXPECT_EQ(reply_registers(line->modbus(read_request(16, 0x0007, 8))),
              (std::vector<std::uint16_t>{16, 2, 2, 8, 1, 0, 0x080E, 0x3646}));
    EXPECT_EQ(reply_registers(line->modbus(read_request(16, 0x0010, 1))), std::vector<std::uint16_t>{0});
}

TEST_F(ModbusSlave, InitCommandIsAcknowledgedWithoutEffect)
{
    start();
    const auto init = write_request(16, 0x0000, 0);
    EXPECT_EQ(line->modbus(init), init);
    EXPECT_EQ(text_of(line->modbus(read_request(16, 0, 4))), "ZR740_RS");
}

TEST_F(ModbusSlave, CalibrationCorrectsTheIndication)
{
    start(); // steady pressure
    const auto pressure = [&] {
        const auto values = reply_registers(line->modbus(read_request(16, 0x0100, 4)));
        EXPECT_EQ(values.size(), 4u);
        return values.size() == 4 ? std::pair(float_of(values[0], values[1]), float_of(values[2], values[3]))
                                  : std::pair(0.0f, 0.0f);
    };
    const auto [before, current_before] = pressure();
    EXPECT_NEAR(current_before, 4.0f + 16.0f * before / 160.0f, 1e-3);

    const auto offset = write_multiple_request(16, 0x0034, float_registers(50.0f));
    EXPECT_EQ(line->modbus(offset), with_crc({16, 16, 0x00, 0x34, 0x00, 0x02}));
    EXPECT_NEAR(pressure().first, 50.0f, 1e-3);
    EXPECT_EQ(simulator->value(0x0100), "50.000"); // as the program decodes it

    ASSERT_FALSE(line->modbus(write_multiple_request(16, 0x0036, float_registers(100.0f))).empty());
    const auto [after, current_after] = pressure();
    EXPECT_NEAR(after, 100.0f, 1e-3);
    EXPECT_NEAR(current_after, 14.0f, 1e-3); // 4 + 16 * 100 / 160
}

TEST_F(ModbusSlave, LiveValuesFollowTheConfiguration)
{
    auto options = default_options();
    options.live_values = true;
    start(options);
    const auto read = [&] { return reply_registers(line->modbus(read_request(16, 0x0100, 7))); };
    auto values = read();
    ASSERT_EQ(values.size(), 7u);
    const float pressure = float_of(values[0], values[1]);
    EXPECT_GT(pressure, 55.0f);
    EXPECT_LT(pressure, 71.0f);
    EXPECT_NEAR(float_of(values[2], values[3]), 4.0f + 16.0f * pressure / 160.0f, 1e-3);
    EXPECT_EQ(values[6], 0); // status: in range, measuring

    // Upper range limit below the pressure: the output saturates and the status says so.
    ASSERT_FALSE(line->modbus(write_multiple_request(16, 0x001C, float_registers(40.0f))).empty());
    values = read();
    ASSERT_EQ(values.size(), 7u);
    EXPECT_FLOAT_EQ(float_of(values[2], values[3]), 20.5f);
    EXPECT_EQ(values[6], 0x0001);

    // Fixed current mode.
    ASSERT_FALSE(line->modbus(write_request(16, 0x0021, 1)).empty());
    ASSERT_FALSE(line->modbus(write_multiple_request(16, 0x0022, float_registers(12.0f))).empty());
    values = read();
    ASSERT_EQ(values.size(), 7u);
    EXPECT_FLOAT_EQ(float_of(values[2], values[3]), 12.0f);
    EXPECT_EQ(values[6], 0x0005);
}

} // namespace
} // namespace zr740::sim::testing
