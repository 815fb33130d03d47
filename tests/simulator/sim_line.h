#pragma once
// The master's end of the line for simulator tests: a raw tty opened on the simulator's port,
// hand-built frames, and a reader that gathers a reply.

#include "link/modbus_frame.h"
#include "simulator/instrument_simulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace zr740::sim::testing {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

inline const std::string shipped_description = ZR740_BINARY_DIR "/bin/zr740.dat";

inline SimulatorOptions default_options()
{
    SimulatorOptions options;
    options.description_path = shipped_description;
    options.live_values = false;
    return options;
}

inline Bytes with_crc(Bytes frame)
{
    const auto crc = modbus_crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}

inline bool crc_valid(const Bytes& frame)
{
    return frame.size() >= 4 && with_crc(Bytes(frame.begin(), frame.end() - 2)) == frame;
}

inline Bytes read_request(std::uint8_t address, std::uint16_t first, std::uint16_t count)
{
    return with_crc({address, 3, static_cast<std::uint8_t>(first >> 8), static_cast<std::uint8_t>(first),
                     static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count)});
}

inline Bytes write_request(std::uint8_t address, std::uint16_t number, std::uint16_t value)
{
    return with_crc({address, 6, static_cast<std::uint8_t>(number >> 8), static_cast<std::uint8_t>(number),
                     static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)});
}

inline Bytes write_multiple_request(std::uint8_t address, std::uint16_t first, const std::vector<std::uint16_t>& values)
{
    Bytes frame{address, 16, static_cast<std::uint8_t>(first >> 8), static_cast<std::uint8_t>(first), 0,
                static_cast<std::uint8_t>(values.size()), static_cast<std::uint8_t>(2 * values.size())};
    for (const auto value : values) {
        frame.push_back(static_cast<std::uint8_t>(value >> 8));
        frame.push_back(static_cast<std::uint8_t>(value));
    }
    return with_crc(frame);
}

// Register values of a function-3 reply.
inline std::vector<std::uint16_t> reply_registers(const Bytes& reply)
{
    std::vector<std::uint16_t> values;
    if (reply.size() < 5 || reply[1] != 3 || reply.size() != 5u + reply[2])
        return values;
    for (std::size_t i = 0; i + 1 < reply[2]; i += 2)
        values.push_back(static_cast<std::uint16_t>((reply[3 + i] << 8) | reply[4 + i]));
    return values;
}

struct Received {
    Bytes bytes;
    std::vector<std::chrono::steady_clock::time_point> arrivals; // one per read that brought bytes
};

class LineClient {
public:
    explicit LineClient(const std::string& path)
    {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0)
            return;
        termios settings{};
        tcgetattr(fd_, &settings);
        cfmakeraw(&settings);
        tcsetattr(fd_, TCSANOW, &settings);
    }
    ~LineClient()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    LineClient(const LineClient&) = delete;
    LineClient& operator=(const LineClient&) = delete;

    bool is_open() const { return fd_ >= 0; }

    void send(const Bytes& bytes) const
    {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void send(const std::string& text) const { send(Bytes(text.begin(), text.end())); }

    // Gathers bytes until `complete` says so, until `quiet` passes without a byte after the first,
    // or until `timeout` passes without any.
    Received receive(std::chrono::milliseconds timeout, const std::function<bool(const Bytes&)>& complete,
                     std::chrono::milliseconds quiet = 100ms) const
    {
        Received received;
        auto wait = timeout;
        while (true) {
            pollfd line{fd_, POLLIN, 0};
            if (poll(&line, 1, static_cast<int>(wait.count())) <= 0)
                return received;
            std::uint8_t buffer[512];
            const auto count = ::read(fd_, buffer, sizeof buffer);
            if (count <= 0)
                return received;
            received.bytes.insert(received.bytes.end(), buffer, buffer + count);
            received.arrivals.push_back(std::chrono::steady_clock::now());
            if (complete(received.bytes))
                return received;
            wait = quiet;
        }
    }

    // A whole Modbus reply (or what came before the silence).
    Bytes modbus(const Bytes& request, std::chrono::milliseconds timeout = 1000ms) const
    {
        send(request);
        return receive(timeout, [](const Bytes& b) { return modbus_reply_complete(b); }).bytes;
    }

    // A Korvel line up to its carriage return.
    std::string korvel(const std::string& request, std::chrono::milliseconds timeout = 1000ms) const
    {
        send(request);
        const auto bytes =
            receive(timeout, [](const Bytes& b) { return !b.empty() && b.back() == '\r'; }).bytes;
        return std::string(bytes.begin(), bytes.end());
    }

    // Nothing arrives within `span`.
    bool silent_for(std::chrono::milliseconds span) const
    {
        return receive(span, [](const Bytes&) { return true; }).bytes.empty();
    }

private:
    int fd_ = -1;
};

// A started simulator with a client on its port.
class SimulatorTest : public ::testing::Test {
protected:
    void start(SimulatorOptions options = default_options())
    {
        simulator = std::make_unique<InstrumentSimulator>(std::move(options));
        ASSERT_TRUE(simulator->start()) << simulator->error();
        line = std::make_unique<LineClient>(simulator->port_path());
        ASSERT_TRUE(line->is_open());
    }

    // The simulator changes its settings just after its reply has left, so a test that has the
    // reply may look a moment too early.
    NetworkSettings network_once_settled(const NetworkSettings& expected) const
    {
        const auto give_up = std::chrono::steady_clock::now() + 2s;
        auto settings = simulator->network();
        while (settings != expected && std::chrono::steady_clock::now() < give_up) {
            std::this_thread::sleep_for(1ms);
            settings = simulator->network();
        }
        return settings;
    }

    std::unique_ptr<InstrumentSimulator> simulator;
    std::unique_ptr<LineClient> line;
};

} // namespace zr740::sim::testing
