// Reads of 100 two-register parameters from the simulator pacing its line like a real slave,
// against the lower bound of the line itself: per exchange, request and reply characters times the
// character time, plus the slave's 3.5 characters of end-of-frame silence and its turnaround, plus
// the master's silence between the end of a reply and its next request (3.5 characters, 1.75 ms
// above 19200 baud), which the link keeps, as on a real line.
// Goal: within 5% of the bound at 9600 baud and within 15% at 115200.
//
// The master is the program's own link: DeviceIO::read_registers on the termios line, as the
// batch jobs use it. The unpaced benchmark keeps a raw descriptor with a plain poll/read loop, to
// show the simulator's own turnaround.

#include "link/device_io.h"
#include "link/modbus_frame.h"
#include "model/parameter.h"
#include "platform/run_state.h"

#include "support/memory_settings.h"
#include "support/recording_shell.h"
#include "simulator/instrument_simulator.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using zr740::sim::InstrumentSimulator;
using zr740::sim::SimulatorOptions;

constexpr int reads = 100;
constexpr std::size_t request_size = 8;
constexpr std::size_t reply_size = 9; // address, function, byte count, 4 data bytes, CRC
constexpr std::chrono::microseconds turnaround{2000};
// Two-register parameters of the shipped description.
constexpr std::array<std::uint16_t, 8> parameters = {0x000D, 0x0018, 0x001A, 0x001C,
                                                     0x0022, 0x0100, 0x0102, 0x0104};

std::vector<std::uint8_t> read_request(std::uint16_t first)
{
    std::vector<std::uint8_t> frame{16, 3, static_cast<std::uint8_t>(first >> 8), static_cast<std::uint8_t>(first), 0,
                                    2};
    const auto crc = zr740::modbus_crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}

// One exchange; false on a time-out.
bool transact(int fd, const std::vector<std::uint8_t>& request)
{
    if (write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size()))
        return false;
    std::uint8_t reply[64];
    std::size_t count = 0;
    while (!zr740::modbus_reply_complete(std::span(reply, count))) {
        pollfd line{fd, POLLIN, 0};
        if (poll(&line, 1, 1000) <= 0)
            return false;
        const auto got = read(fd, reply + count, sizeof reply - count);
        if (got <= 0)
            return false;
        count += static_cast<std::size_t>(got);
    }
    return true;
}

void BM_PacedReads(benchmark::State& state)
{
    SimulatorOptions options;
    options.pace = true;
    options.baud = static_cast<int>(state.range(0));
    options.turnaround = turnaround;
    InstrumentSimulator simulator(options);
    if (!simulator.start()) {
        state.SkipWithError(simulator.error().c_str());
        return;
    }
    zr740::RunState run;
    zr740::testing::RecordingShell shell;
    zr740::testing::MemorySettings memory;
    zr740::DeviceIO link(run, shell, memory, {});
    link.link_settings().set_value_by_name("Port", simulator.port_path());
    link.link_settings().set_value_by_name("0x0009", std::to_string(simulator.network().baud));
    if (link.open_port(false) != 0) {
        state.SkipWithError("the line does not open");
        return;
    }
    // As the link check leaves it with an automatic converter: no RTS keying per byte.
    link.sio().automatic_converter = 1;

    const auto character = zr740::sim::character_time(simulator.network());
    const auto master_silence = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::duration<double, std::milli>(link.sio().interframe_silence()));
    const auto per_exchange =
        (request_size + reply_size) * character + character * 7 / 2 + turnaround + master_silence;
    const std::chrono::duration<double> bound = reads * per_exchange;

    std::vector<zr740::Parameter> requests;
    for (int i = 0; i < reads; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "0x%04X", parameters[static_cast<std::size_t>(i) % parameters.size()]);
        zr740::Parameter parameter(name);
        parameter.register_count = 2;
        parameter.type_text = "float";
        requests.push_back(parameter);
    }

    double total = 0;
    std::vector<double> exchanges; // seconds each
    for (auto _ : state) {
        const auto start = Clock::now();
        auto previous = start;
        for (auto& request : requests) {
            if (link.read_registers(request, false) != 0) {
                state.SkipWithError("no reply");
                break;
            }
            const auto now = Clock::now();
            exchanges.push_back(std::chrono::duration<double>(now - previous).count());
            previous = now;
        }
        const std::chrono::duration<double> elapsed = Clock::now() - start;
        state.SetIterationTime(elapsed.count());
        total += elapsed.count();
    }
    simulator.stop();

    if (exchanges.empty())
        return;
    const double mean = total / static_cast<double>(state.iterations());
    std::sort(exchanges.begin(), exchanges.end());
    const double median = exchanges[exchanges.size() / 2];
    state.counters["bound_ms"] = bound.count() * 1e3;
    state.counters["master_silence_us"] = static_cast<double>(master_silence.count()) / 1e3;
    state.counters["measured_ms"] = mean * 1e3;
    state.counters["over_bound_%"] = (mean / bound.count() - 1.0) * 100.0;
    state.counters["overhead_us_per_read"] = (mean - bound.count()) / reads * 1e6;
    // Scheduling delays on a busy machine land in the mean; the median shows the simulator's own.
    state.counters["median_over_bound_%"] = (median / (bound.count() / reads) - 1.0) * 100.0;
}

// For comparison: the same master against the simulator answering as fast as it can; one
// one-register read per iteration.
void BM_UnpacedRead(benchmark::State& state)
{
    InstrumentSimulator simulator(SimulatorOptions{});
    if (!simulator.start()) {
        state.SkipWithError(simulator.error().c_str());
        return;
    }
    const int fd = open(simulator.port_path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    tcgetattr(fd, &settings);
    cfmakeraw(&settings);
    tcsetattr(fd, TCSANOW, &settings);
    auto request = read_request(0x0007);
    request[5] = 1;
    const auto crc = zr740::modbus_crc16(std::span(request).first(6));
    request[6] = static_cast<std::uint8_t>(crc & 0xFF);
    request[7] = static_cast<std::uint8_t>(crc >> 8);
    for (auto _ : state) {
        if (!transact(fd, request)) {
            state.SkipWithError("no reply");
            break;
        }
    }
    close(fd);
}

BENCHMARK(BM_UnpacedRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PacedReads)->Arg(9600)->Arg(115200)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
