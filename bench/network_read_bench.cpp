// A read of every parameter of the shipped description from the simulator over its serial line (a
// pseudo-terminal) and over "tcp://" on loopback to the same kind of simulator behind its TCP
// front. Each iteration runs both, one after the other, so that a busy machine slows both alike;
// the counters give each mean and the ratio. Goal: over TCP at most 1.1 times the serial read.
//
// Paced at 9600 baud the line dominates, as it does at a real instrument behind a serial device
// server; unpaced the simulator answers at once and the network hop's own cost shows as much as it
// ever can. Modbus TCP is measured beside RTU over TCP.

#include "app/app_context.h"
#include "app/batch_engine.h"
#include "app/chlb5_doc.h"
#include "simulator/instrument_simulator.h"
#include "support/memory_settings.h"
#include "support/recording_shell.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

std::unique_ptr<zr740::sim::InstrumentSimulator> simulator(const std::string& folder, bool paced,
                                                           std::optional<zr740::sim::Framing> network)
{
    zr740::sim::SimulatorOptions options;
    options.description_path = folder + "/zr740.dat";
    options.live_values = false;
    options.address = 5;
    options.baud = 9600;
    options.pace = paced;
    if (network) {
        options.tcp_port = 0;
        options.framing = *network;
    }
    auto made = std::make_unique<zr740::sim::InstrumentSimulator>(options);
    if (!made->start())
        return nullptr;
    return made;
}

void BM_ReadAllOverNetwork(benchmark::State& state)
{
    const bool paced = state.range(0) != 0;
    const auto framing = state.range(1) != 0 ? zr740::sim::Framing::modbus_tcp : zr740::sim::Framing::rtu;
    zr740::AppContext context;
    context.program_folder = std::string(ZR740_BINARY_DIR) + "/bin";
    const auto serial = simulator(context.program_folder, paced, std::nullopt);
    const auto remote = simulator(context.program_folder, paced, framing);
    if (!serial || !remote) {
        state.SkipWithError("the simulator does not start");
        return;
    }
    const std::string url = std::string(framing == zr740::sim::Framing::rtu ? "tcp" : "modbus-tcp") +
                            "://127.0.0.1:" + std::to_string(remote->tcp_port());
    zr740::testing::RecordingShell shell;
    zr740::testing::MemorySettings memory;
    zr740::CHLB5Doc document{context, shell, memory, {}};
    document.link().link_settings().set_value_by_name("0x0007", "5");
    const auto use = [&](const std::string& port) {
        document.link().link_settings().set_value_by_name("Port", port);
        const bool opened = document.link().open_port(false) == 0;
        document.link().sio().automatic_converter = 1;
        return opened;
    };
    if (!use(serial->port_path()) || !document.on_new_document()) {
        state.SkipWithError("the document does not open against the simulator");
        return;
    }
    document.engine().window_linger = std::chrono::milliseconds{0};
    const auto read_all = [&] {
        const auto start = Clock::now();
        document.engine().read(document.root());
        document.engine().wait_until_idle();
        return std::chrono::duration<double>(Clock::now() - start).count();
    };
    double over_serial = 0;
    double over_network = 0;
    for (auto _ : state) {
        if (!use(serial->port_path())) {
            state.SkipWithError("the serial line does not open");
            break;
        }
        over_serial += read_all();
        if (!use(url)) {
            state.SkipWithError(document.link().sio().open_error().c_str());
            break;
        }
        over_network += read_all();
        state.SetIterationTime(0); // the counters carry the figures
    }
    if (state.iterations() == 0)
        return;
    const double n = static_cast<double>(state.iterations());
    state.counters["serial_ms"] = over_serial / n * 1e3;
    state.counters["network_ms"] = over_network / n * 1e3;
    state.counters["network_over_serial"] = over_network / over_serial;
}

BENCHMARK(BM_ReadAllOverNetwork)->Args({0, 0})->Args({0, 1})->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAllOverNetwork)->Args({1, 0})->Args({1, 1})->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
