// A read of every parameter of the shipped description from the simulator, with and without the
// trace file written. Each iteration runs both, one after the other, so that a busy machine slows
// both alike; the counters give each mean and the ratio. Goal: the traced read at most 2 % slower.
//
// Paced at 9600 baud the line dominates, as it does for a person at a real instrument; unpaced the
// simulator answers at once and the link's own work (decoding, formatting, the write per line)
// shows as much as it ever can.

#include "app/app_context.h"
#include "app/batch_engine.h"
#include "app/chlb5_doc.h"
#include "simulator/instrument_simulator.h"
#include "support/memory_settings.h"
#include "support/recording_shell.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

void BM_ReadAllTraced(benchmark::State& state)
{
    const bool paced = state.range(0) != 0;
    zr740::AppContext context;
    context.program_folder = std::string(ZR740_BINARY_DIR) + "/bin";
    zr740::sim::SimulatorOptions options;
    options.description_path = context.program_folder + "/zr740.dat";
    options.live_values = false;
    options.address = 5;
    options.baud = 9600;
    options.pace = paced;
    zr740::sim::InstrumentSimulator simulator(options);
    if (!simulator.start()) {
        state.SkipWithError(simulator.error().c_str());
        return;
    }
    zr740::testing::RecordingShell shell;
    zr740::testing::MemorySettings memory;
    zr740::CHLB5Doc document{context, shell, memory, {}};
    document.link().link_settings().set_value_by_name("Port", simulator.port_path());
    document.link().link_settings().set_value_by_name("0x0007", "5");
    if (document.link().open_port(false) != 0 || !document.on_new_document()) {
        state.SkipWithError("the document does not open against the simulator");
        return;
    }
    document.link().sio().automatic_converter = 1;
    document.engine().window_linger = std::chrono::milliseconds{0};
    const auto path = std::filesystem::temp_directory_path() / ("trace_bench_" + std::to_string(getpid()));

    const auto read_all = [&] {
        const auto start = Clock::now();
        document.engine().read(document.root());
        document.engine().wait_until_idle();
        return std::chrono::duration<double>(Clock::now() - start).count();
    };
    double plain = 0;
    double traced = 0;
    for (auto _ : state) {
        plain += read_all();
        std::string error;
        if (!document.link().open_trace_file(path.string(), error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        traced += read_all();
        document.link().trace().close();
        state.SetIterationTime(0); // the counters carry the figures
    }
    const auto lines = document.link().trace().statistics().requests;
    const auto trace_size = std::filesystem::exists(path) ? std::filesystem::file_size(path) : 0;
    std::filesystem::remove(path);
    simulator.stop();
    if (state.iterations() == 0)
        return;
    const double n = static_cast<double>(state.iterations());
    state.counters["plain_ms"] = plain / n * 1e3;
    state.counters["traced_ms"] = traced / n * 1e3;
    state.counters["traced_over_plain_%"] = (traced / plain - 1.0) * 100.0;
    state.counters["requests_per_read"] = static_cast<double>(lines) / (2.0 * n);
    state.counters["trace_bytes"] = static_cast<double>(trace_size);
}

BENCHMARK(BM_ReadAllTraced)->Arg(0)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAllTraced)->Arg(1)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
