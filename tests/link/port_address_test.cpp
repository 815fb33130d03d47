// Port texts that name network ends, well formed and hostile; the Modbus TCP framing both ways.

#include "link/mbap_frame.h"
#include "link/modbus_frame.h"
#include "link/port_address.h"
#include "link/sio.h"

#include <gtest/gtest.h>

#include <chrono>

namespace zr740 {
namespace {

TEST(PortAddress, ReadsNetworkEndsAndRefusesWhatNamesNone)
{
    const struct {
        const char* text;
        bool valid;
        PortKind kind;
        const char* host;
        int port;
        const char* message; // a piece of the reason for an invalid text
    } rows[] = {
        {"/dev/ttyUSB0", true, PortKind::serial, "", 0, ""},
        {"COM3", true, PortKind::serial, "", 0, ""},
        {"tcp://127.0.0.1:5020", true, PortKind::rtu_over_tcp, "127.0.0.1", 5020, ""},
        {"TCP://gw.plant.local:4001/", true, PortKind::rtu_over_tcp, "gw.plant.local", 4001, ""},
        {"modbus-tcp://192.168.1.7:502", true, PortKind::modbus_tcp, "192.168.1.7", 502, ""},
        {"modbus-tcp://[::1]:1502", true, PortKind::modbus_tcp, "::1", 1502, ""},
        {"tcp://", false, PortKind::rtu_over_tcp, "", 0, "не указан узел"},
        {"tcp://host", false, PortKind::rtu_over_tcp, "", 0, "не указан TCP-порт"},
        {"tcp://host:", false, PortKind::rtu_over_tcp, "", 0, "не указан TCP-порт"},
        {"tcp://:502", false, PortKind::rtu_over_tcp, "", 0, "не указан узел"},
        {"tcp://host:70000", false, PortKind::rtu_over_tcp, "", 0, "от 1 до 65535"},
        {"tcp://host:0", false, PortKind::rtu_over_tcp, "", 0, "от 1 до 65535"},
        {"tcp://host:50x", false, PortKind::rtu_over_tcp, "", 0, "от 1 до 65535"},
        {"tcp://::1:502", false, PortKind::rtu_over_tcp, "", 0, "неверная запись"},
        {"tcp://[::1]", false, PortKind::rtu_over_tcp, "", 0, "не указан TCP-порт"},
        {"tcp://[::1:502", false, PortKind::rtu_over_tcp, "", 0, "неверная запись"},
        {"tcp://host/path:502", false, PortKind::rtu_over_tcp, "", 0, "неверная запись"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        PortAddress address;
        std::string error;
        EXPECT_EQ(names_network_end(row.text), row.kind != PortKind::serial);
        ASSERT_EQ(parse_port_address(row.text, address, error), row.valid) << error;
        if (row.valid) {
            EXPECT_EQ(address.kind, row.kind);
            EXPECT_EQ(address.host, row.host);
            EXPECT_EQ(address.port, row.port);
            if (row.kind != PortKind::serial) {
                PortAddress again;
                ASSERT_TRUE(parse_port_address(port_text(address), again, error));
                EXPECT_EQ(again.host, address.host);
                EXPECT_EQ(again.port, address.port);
            }
        } else {
            EXPECT_NE(error.find(row.message), std::string::npos) << error;
            EXPECT_NE(error.find(row.text), std::string::npos) << error;
        }
    }
}

// Ends that cannot be reached say why and name the host; none hangs past its connect time-out.
TEST(PortAddress, UnreachableEndsFailToOpenWithTheirReason)
{
    const struct {
        const char* text;
        const char* message;
    } rows[] = {
        {"tcp://", "не указан узел"},
        {"modbus-tcp://127.0.0.1:70000", "от 1 до 65535"},
        {"tcp://nonexistent.invalid:502", "Узел nonexistent.invalid не найден"},
        // Port 1 on loopback: nobody listens, the connection is refused at once.
        {"tcp://127.0.0.1:1", "Не удается соединиться с 127.0.0.1:1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        Sio sio;
        sio.port_name = row.text;
        sio.connect_timeout = 500;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(sio.open(), -1);
        EXPECT_FALSE(sio.is_open());
        EXPECT_NE(sio.open_error().find(row.message), std::string::npos) << sio.open_error();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    }
}

std::vector<std::uint8_t> with_crc(std::vector<std::uint8_t> frame)
{
    const std::uint16_t crc = modbus_crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}

TEST(MbapFrame, WrapsRequestsAndUnwrapsTheirRepliesOnly)
{
    const auto request = with_crc({0x10, 0x03, 0x00, 0x07, 0x00, 0x01});
    EXPECT_EQ(mbap_from_rtu(request, 0x1234),
              (std::vector<std::uint8_t>{0x12, 0x34, 0x00, 0x00, 0x00, 0x06, 0x10, 0x03, 0x00, 0x07, 0x00, 0x01}));
    EXPECT_TRUE(mbap_from_rtu(std::vector<std::uint8_t>{0x10, 0x03, 0x00}, 1).empty());

    const std::vector<std::uint8_t> reply_7 = {0x00, 0x07, 0x00, 0x00, 0x00, 0x05, 0x10, 0x03, 0x02, 0x00, 0x10};
    const std::vector<std::uint8_t> reply_8 = {0x00, 0x08, 0x00, 0x00, 0x00, 0x05, 0x10, 0x03, 0x02, 0x00, 0x11};
    const struct {
        const char* name;
        std::vector<std::vector<std::uint8_t>> pieces;
        std::vector<std::uint8_t> frames; // for transaction 8
        std::size_t dropped;
        std::size_t held;
    } rows[] = {
        {"whole", {reply_8}, with_crc({0x10, 0x03, 0x02, 0x00, 0x11}), 0, 0},
        {"in pieces", {{reply_8.begin(), reply_8.begin() + 3}, {reply_8.begin() + 3, reply_8.end()}},
         with_crc({0x10, 0x03, 0x02, 0x00, 0x11}), 0, 0},
        {"a late one first", {reply_7, reply_8}, with_crc({0x10, 0x03, 0x02, 0x00, 0x11}), reply_7.size(), 0},
        {"header only", {{reply_8.begin(), reply_8.begin() + 7}}, {}, 0, 7},
        {"protocol not 0", {{0x00, 0x08, 0x00, 0x01, 0x00, 0x05, 0x10, 0x03}}, {}, 8, 0},
        {"length 0", {{0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x10}}, {}, 7, 0},
        {"length 300", {{0x00, 0x08, 0x00, 0x00, 0x01, 0x2C, 0x10}}, {}, 7, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        MbapReader reader;
        std::vector<std::uint8_t> frames;
        std::vector<std::uint8_t> dropped;
        for (const auto& piece : row.pieces) {
            reader.add(piece);
            for (const auto& frame : reader.take(8, dropped))
                frames.insert(frames.end(), frame.begin(), frame.end());
        }
        EXPECT_EQ(frames, row.frames);
        EXPECT_EQ(dropped.size(), row.dropped);
        EXPECT_EQ(reader.held(), row.held);
    }
}

} // namespace
} // namespace zr740
