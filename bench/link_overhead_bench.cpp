// Software overhead of one transaction: one-register reads over a pseudo-terminal from the simulator
// answering as fast as it can, made by the program's own link (DeviceIO::read_registers on the
// termios line) and, in the same run, by libmodbus (modbus_read_registers, one call per register) as
// the reference master. Goal: a median not slower than libmodbus, p99 under 200 µs.

#include "link/device_io.h"
#include "model/parameter.h"
#include "platform/run_state.h"
#include "platform/shell.h"
#include "simulator/instrument_simulator.h"

#include "support/memory_settings.h"
#include "support/recording_shell.h"

#include <modbus.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int reads = 3000;

struct Figures {
    double median_us = 0;
    double p99_us = 0;
    int failures = 0;
};

template <typename Read> Figures measure(Read&& read)
{
    std::vector<double> spans;
    spans.reserve(reads);
    Figures figures;
    for (int i = 0; i < reads; ++i) {
        const auto start = Clock::now();
        if (!read())
            ++figures.failures;
        spans.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(spans.begin(), spans.end());
    figures.median_us = spans[spans.size() / 2];
    figures.p99_us = spans[spans.size() * 99 / 100];
    return figures;
}

} // namespace

int main()
{
    zr740::sim::SimulatorOptions options;
    options.description_path = std::string(ZR740_BINARY_DIR) + "/bin/zr740.dat";
    options.live_values = false;
    zr740::sim::InstrumentSimulator simulator(options);
    if (!simulator.start()) {
        std::fprintf(stderr, "simulator: %s\n", simulator.error().c_str());
        return 1;
    }

    Figures own;
    {
        zr740::RunState run;
        zr740::testing::RecordingShell shell;
        zr740::testing::MemorySettings settings;
        zr740::DeviceIO link(run, shell, settings, {});
        link.link_settings().set_value_by_name("Port", simulator.port_path());
        if (link.open_port(false) != 0)
            return 1;
        // As the link check leaves it with an automatic converter: no RTS keying per byte.
        link.sio().automatic_converter = 1;
        // Software against software: libmodbus keeps no silence between frames either.
        link.sio().silence_on_pseudo_terminal = false;
        zr740::Parameter address("0x0007");
        address.register_count = 1;
        address.type_text = "int";
        own = measure([&] { return link.read_registers(address, false) == 0; });
    } // closes the line, which is opened exclusively

    modbus_t* context = modbus_new_rtu(simulator.port_path().c_str(), 9600, 'N', 8, 1);
    if (!context || modbus_set_slave(context, 16) != 0 || modbus_connect(context) != 0) {
        std::fprintf(stderr, "libmodbus could not open the line\n");
        return 1;
    }
    Figures reference = measure([&] {
        std::uint16_t value = 0;
        return modbus_read_registers(context, 7, 1, &value) == 1;
    });
    modbus_close(context);
    modbus_free(context);

    std::printf("%-10s median %7.1f us  p99 %7.1f us  failures %d\n", "zr740", own.median_us, own.p99_us, own.failures);
    std::printf("%-10s median %7.1f us  p99 %7.1f us  failures %d\n", "libmodbus", reference.median_us,
                reference.p99_us, reference.failures);
    std::printf("median ratio zr740/libmodbus %.2f (goal <= 1), p99 goal < 200 us\n", own.median_us / reference.median_us);
    return 0;
}
