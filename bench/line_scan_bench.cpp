// A search of the whole address range (1..247) at 9600 baud on the paced simulator, which answers
// at one address only: 246 silent addresses and one instrument. Goal: at most 15 s in all, 60 ms
// per silent address.

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "app/line_scan.h"
#include "simulator/instrument_simulator.h"
#include "support/memory_settings.h"
#include "support/recording_shell.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

void BM_ScanWholeRange(benchmark::State& state)
{
    zr740::AppContext context;
    context.program_folder = std::string(ZR740_BINARY_DIR) + "/bin";
    zr740::sim::SimulatorOptions options;
    options.description_path = context.program_folder + "/zr740.dat";
    options.live_values = false;
    options.address = 16;
    options.baud = 9600;
    options.pace = true;
    zr740::sim::InstrumentSimulator simulator(options);
    if (!simulator.start()) {
        state.SkipWithError(simulator.error().c_str());
        return;
    }
    zr740::testing::RecordingShell shell;
    zr740::testing::MemorySettings memory;
    zr740::CHLB5Doc document{context, shell, memory, {}};
    document.link().link_settings().set_value_by_name("Port", simulator.port_path());
    document.link().load_link_settings();
    double seconds = 0;
    std::size_t found = 0;
    for (auto _ : state) {
        zr740::LineScan scan(document.link());
        zr740::LineScanOptions range;
        range.baud_rates = {9600};
        const auto start = Clock::now();
        scan.run(range, [&](const zr740::FoundInstrument&) { ++found; }, nullptr);
        seconds += std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(0);
    }
    if (state.iterations() == 0)
        return;
    const double n = static_cast<double>(state.iterations());
    state.counters["scan_s"] = seconds / n;
    state.counters["ms_per_address"] = seconds / n / 247.0 * 1e3;
    state.counters["found_per_scan"] = static_cast<double>(found) / n;
}

BENCHMARK(BM_ScanWholeRange)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
