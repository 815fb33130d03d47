#include "link/modbus_frame.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace zr740 {
namespace {

// "10 03 04" → {0x10, 0x03, 0x04}
std::vector<std::uint8_t> hex(std::string_view text)
{
    std::vector<std::uint8_t> bytes;
    std::istringstream in{std::string(text)};
    unsigned value = 0;
    while (in >> std::hex >> value)
        bytes.push_back(static_cast<std::uint8_t>(value));
    return bytes;
}

std::vector<std::uint8_t> ascii(std::string_view text)
{
    return {text.begin(), text.end()};
}

TEST(ModbusCrc, MatchesPublishedValues)
{
    EXPECT_EQ(modbus_crc16(ascii("123456789")), 0x4B37);
    EXPECT_EQ(modbus_crc16({}), 0xFFFF);
    // Read of ten registers from slave 1, a frame found in every Modbus manual: CRC bytes C5 CD.
    EXPECT_EQ(modbus_crc16(hex("01 03 00 00 00 0A")), 0xCDC5);
    EXPECT_EQ(modbus_crc16(hex("01 03 00 00 00 01")), 0x0A84);
}

TEST(ModbusRequest, BuildsFramesAndRefusesWhatTheLineCannotCarry)
{
    struct Row {
        int address;
        int function;
        std::string_view data;
        int result;
        std::string_view frame;
    };
    const Row rows[] = {
        {1, 3, "00 00 00 0A", 0, "01 03 00 00 00 0A C5 CD"},
        {0x10, 3, "00 09 00 01", 0, "10 03 00 09 00 01 57 49"},
        {0x10, 6, "00 07 00 11", 0, "10 06 00 07 00 11 FB 46"},
        {0x10, 16, "00 20 00 02 04 41 20 00 00", 0, "10 10 00 20 00 02 04 41 20 00 00 B4 7D"},
        {0, 6, "00 07 00 11", 0, "00 06 00 07 00 11 F9 D6"}, // broadcast
        {247, 17, "", 0, "F7 11 87 8C"},
        {0x10, 4, "00 00 00 01", 0, "10 04 00 00 00 01 32 8B"},
        {0x10, 65, "01", 0, "10 41 01 81 95"},
        {248, 3, "00 00 00 01", ModbusFrame::refused, ""},
        {-1, 3, "00 00 00 01", ModbusFrame::refused, ""},
        {1, 0, "", ModbusFrame::refused, ""},
        {1, 1, "", ModbusFrame::refused, ""},
        {1, 5, "", ModbusFrame::refused, ""},
        {1, 66, "", ModbusFrame::refused, ""},
        {1, 73, "", ModbusFrame::refused, ""},
        {1, 74, "", ModbusFrame::refused, ""},
        {1, 3 | 0x80, "", ModbusFrame::refused, ""},
        {1, 256 + 3, "", ModbusFrame::refused, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "address " << row.address << " function " << row.function);
        ModbusFrame frame;
        // A refusal must not leave an earlier request behind to be sent by mistake.
        ASSERT_EQ(frame.build_request(2, 3, hex("00 00 00 01")), 0);
        const auto data = hex(row.data);
        EXPECT_EQ(frame.build_request(row.address, row.function, data), row.result);
        if (row.result != 0) {
            EXPECT_TRUE(frame.request.empty());
            continue;
        }
        EXPECT_EQ(frame.slave_address, row.address);
        EXPECT_EQ(frame.function, row.function);
        EXPECT_EQ(frame.request, hex(row.frame));
    }
}

TEST(ModbusRequest, DataLengthIsLimitedByTheLargestFrame)
{
    ModbusFrame frame;
    EXPECT_EQ(frame.build_request(1, 65, std::vector<std::uint8_t>(252, 0x55)), 0);
    EXPECT_EQ(frame.request.size(), 256u);
    EXPECT_EQ(frame.build_request(1, 65, std::vector<std::uint8_t>(253, 0x55)), ModbusFrame::refused);
}

TEST(ModbusCompleteness, WaitsForTheAnnouncedLengthAndAValidCrc)
{
    struct Row {
        std::string_view gathered;
        bool complete;
    };
    const Row rows[] = {
        {"", false},
        {"10 83 02 90", false},
        {"10 83 02 90 F4", true}, // exception reply: five bytes
        {"10 83 02 90 F5", false},
        // Byte count 4: the CRC of the first six bytes happens to follow them, yet four data bytes
        // were announced, so three more must come.
        {"10 03 04 01 02 03 57 1A", false},
        {"10 03 04 01 02 03 04 5A", false},
        {"10 03 04 01 02 03 04 5A 3D", true},
        {"10 03 04 01 02 03 04 5A 3E", false},
        {"10 03 04 01 02 03 04 5B 3D", false},
        {"10 04 02 00 01 84 F3", true},
        {"10 03 00 70 F5", true},
        {"10 03 FF 00 00 00 00", false}, // announces more than can ever have arrived
        {"10 06 00 07 00 11 FB 46", true},
        {"10 06 00 07 00 11 FB", false},
        {"10 10 00 20 00 02 43 43", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.gathered);
        EXPECT_EQ(modbus_reply_complete(hex(row.gathered)), row.complete);
    }
}

TEST(ModbusReply, DecodesPayloadOrRefusesWithoutCopying)
{
    struct Row {
        int function; // of the request, slave 0x10
        std::string_view request; // its data
        std::string_view gathered;
        int result;
        std::string_view payload;
        int exception_code;
    };
    const Row rows[] = {
        {3, "00 07 00 02", "10 03 04 01 02 03 04 5A 3D", 0, "01 02 03 04", 0},
        {3, "00 07 00 01", "10 03 02 25 80 5F 77", 0, "25 80", 0},
        {3, "00 07 00 00", "10 03 00 70 F5", 0, "", 0},
        {4, "00 00 00 01", "10 04 02 00 01 84 F3", 0, "00 01", 0},
        {17, "", "10 11 03 AA BB CC AC 49", 0, "AA BB CC", 0},
        {6, "00 07 00 11", "10 06 00 07 00 11 FB 46", 0, "00 11", 0},
        {16, "00 20 00 02 04 41 20 00 00", "10 10 00 20 00 02 43 43", 0, "00 20 00 02", 0},
        {65, "01", "10 41 DE AD CC ED", 0, "DE AD", 0},
        // Incomplete or corrupted.
        {3, "00 07 00 02", "10 03 04 01 02 03 57 1A", -1, "", 0},
        {3, "00 07 00 02", "10 03 04 01 02 03 04 5A 3E", -1, "", 0},
        {3, "00 07 00 02", "", -1, "", 0},
        // Another slave answered.
        {3, "00 07 00 01", "11 03 02 00 01 B8 47", ModbusFrame::wrong_address, "", 0},
        // Exceptions, also for a function other than the request's.
        {3, "00 07 00 01", "10 83 02 90 F4", 2, "", 2},
        {3, "00 07 00 01", "10 86 03 52 64", 3, "", 3},
        // An exception with code 0 must not pass for success.
        {3, "00 07 00 01", "10 83 00 11 35", ModbusFrame::wrong_function, "", 0},
        // Another function.
        {3, "00 07 00 01", "10 04 02 00 01 84 F3", ModbusFrame::wrong_function, "", 0},
        {6, "00 20 00 02", "10 10 00 20 00 02 43 43", ModbusFrame::wrong_function, "", 0},
        // Function 6 without the echoed register and value.
        {6, "00 07 00 11", "10 06 00 73 A5", ModbusFrame::not_this_request, "", 0},
        {6, "00 07 00 11", "10 06 00 07 A5 27", ModbusFrame::not_this_request, "", 0},
        // Well-formed replies to another request: never a value.
        {3, "00 07 00 01", "10 03 04 01 02 03 04 5A 3D", ModbusFrame::not_this_request, "", 0}, // two registers
        {3, "00 07 00 02", "10 03 02 25 80 5F 77", ModbusFrame::not_this_request, "", 0},       // one register
        {6, "00 07 00 12", "10 06 00 07 00 11 FB 46", ModbusFrame::not_this_request, "", 0},    // other value
        {6, "00 08 00 11", "10 06 00 07 00 11 FB 46", ModbusFrame::not_this_request, "", 0},    // other register
        {16, "00 20 00 03 06 41 20 00 00 00 00", "10 10 00 20 00 02 43 43", ModbusFrame::not_this_request, "", 0},
        {16, "00 22 00 02 04 41 20 00 00", "10 10 00 20 00 02 43 43", ModbusFrame::not_this_request, "", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "function " << row.function << ": " << row.gathered);
        ModbusFrame frame;
        ASSERT_EQ(frame.build_request(0x10, row.function, hex(row.request)), 0);
        frame.exception_code = 99; // left from an earlier reply
        std::vector<std::uint8_t> payload = {0xEE, 0xEE};
        EXPECT_EQ(frame.decode_reply(hex(row.gathered), payload), row.result);
        EXPECT_EQ(payload, hex(row.payload));
        EXPECT_EQ(frame.exception_code, row.exception_code);
    }
}

// The reply to a request among what the line gathered: stray bytes, the request's own echo and
// frames answering other requests are passed over.
TEST(ModbusReply, FoundAmongWhatTheLineGathered)
{
    const auto request = [](std::string_view data, int function = 3) {
        ModbusFrame frame;
        EXPECT_EQ(frame.build_request(0x10, function, hex(data)), 0);
        return frame.request;
    };
    const std::string read_one = "10 03 02 25 80 5F 77";
    const std::string read_two = "10 03 04 01 02 03 04 5A 3D";
    const std::string write_echo = "10 06 00 07 00 11 FB 46";
    struct Row {
        const char* what;
        std::vector<std::uint8_t> request;
        std::string gathered;
        bool echo_expected;
        bool found;
        std::size_t start;
        bool after_echo;
    };
    const auto read_request = request("00 07 00 01");
    const auto write_request = request("00 07 00 11", 6);
    const auto echo_hex = [](const std::vector<std::uint8_t>& bytes) {
        std::ostringstream out;
        for (const auto b : bytes)
            out << std::hex << int{b} << ' ';
        return out.str();
    };
    const Row rows[] = {
        {"plain", read_request, read_one, false, true, 0, false},
        {"stray byte first", read_request, "FF " + read_one, false, true, 1, false},
        {"stray address byte first", read_request, "10 " + read_one, false, true, 1, false},
        {"stray bytes that look like a header", read_request, "10 03 10 " + read_one, false, true, 3, false},
        {"still arriving", read_request, "FF 10 03 02 25 80 5F", false, false, 0, false},
        {"echo then reply", read_request, echo_hex(read_request) + read_one, false, true, 8, true},
        {"echo alone", read_request, echo_hex(read_request), false, false, 0, false},
        {"part of the echo", read_request, "10 03 00 07 00", false, false, 0, false},
        {"reply of another count", read_request, read_two, false, false, 0, false},
        {"stale reply then ours", read_request, read_two + " " + read_one, false, true, 9, false},
        {"short reply", request("00 07 00 02"), read_one, false, false, 0, false},
        {"damaged then good", read_request, "10 03 02 25 81 5F 77 " + read_one, false, true, 7, false},
        {"exception", read_request, "10 83 02 90 F4", false, true, 0, false},
        {"write without echo", write_request, write_echo, false, true, 0, false},
        {"write on an echoing line: echo only", write_request, write_echo, true, false, 0, false},
        {"write on an echoing line", write_request, write_echo + " " + write_echo, true, true, 8, true},
        {"write, other value echoed", request("00 07 00 12", 6), write_echo, false, false, 0, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const auto gathered = hex(row.gathered);
        const auto location = find_reply(row.request, gathered, row.echo_expected);
        EXPECT_EQ(location.found, row.found);
        if (!row.found)
            continue;
        EXPECT_EQ(location.start, row.start);
        EXPECT_EQ(location.after_echo, row.after_echo);
        EXPECT_EQ(location.start + location.length <= gathered.size(), true);
        ModbusFrame frame;
        frame.build_request(row.request[0], row.request[1],
                            std::span(row.request).subspan(2, row.request.size() - 4));
        std::vector<std::uint8_t> payload;
        const int decoded = frame.decode_reply(std::span(gathered).subspan(location.start, location.length), payload);
        EXPECT_TRUE(decoded == 0 || decoded == 2) << decoded;
    }
}

} // namespace
} // namespace zr740
