// Overhead of the batch exchange engine per parameter beyond the transaction itself: a generated
// description of 2,000 parameters read, written and compared against the simulator without pacing.
// The same transactions run bare (read_registers in a loop) give the baseline.
// Goal: under 30 µs per parameter.

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "model/text.h"
#include "platform/shell.h"
#include "simulator/instrument_simulator.h"

#include "support/compound_file_writer.h"
#include "support/memory_settings.h"
#include "support/recording_shell.h"
#include "generated_description.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <time.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int branches = 200;
constexpr int per_branch = 10;

double seconds(Clock::duration span) { return std::chrono::duration<double>(span).count(); }

// CPU time of the whole process (worker, simulator and this thread): the waits on the line, which
// dominate the wall time and vary by milliseconds, do not count.
Clock::duration cpu_now()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

} // namespace

int main()
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("zr740-engine-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string packed = (folder / "zr740.dat").string();
    zr740::test::write_compound_file(
        packed, {zr740::test::CompoundEntry::stream("zr740.tree",
                                                    zr740::test::zlib_compress(zr740::utf8_to_cp1251(make_generated_description(ZR740_SOURCE_DIR, branches, per_branch))))});

    zr740::sim::SimulatorOptions options;
    options.description_path = packed;
    options.live_values = false;
    zr740::sim::InstrumentSimulator simulator(options);
    if (!simulator.start()) {
        std::fprintf(stderr, "simulator: %s\n", simulator.error().c_str());
        return 1;
    }

    zr740::AppContext context;
    context.program_folder = folder.string();
    zr740::testing::RecordingShell shell;
    zr740::testing::MemorySettings settings;
    zr740::CHLB5Doc document(context, shell, settings, {});
    document.link().link_settings().set_value_by_name("Port", simulator.port_path());
    if (document.link().open_port(true) != 0 || !document.on_new_document())
        return 1;
    // An automatic converter: no per-byte pacing of the request, which would spin a character time
    // per byte and swamp what is measured here.
    document.link().sio().automatic_converter = 1;
    auto& engine = document.engine();
    engine.window_linger = std::chrono::milliseconds{0};
    zr740::DescBranch& root = *document.root();

    std::vector<zr740::Parameter*> generated;
    root.for_each_parameter([&](zr740::Parameter& p) {
        if (p.name.rfind("0x1", 0) == 0)
            generated.push_back(&p);
    });
    const int all = zr740::BatchEngine::count(root, zr740::CountMode::all);

    auto bare = [&](bool write) {
        const auto start = cpu_now();
        root.for_each_parameter([&](zr740::Parameter& p) { document.link().read_registers(p, write); });
        return cpu_now() - start;
    };
    auto job = [&](auto&& run) {
        const auto start = cpu_now();
        run();
        engine.wait_until_idle();
        return cpu_now() - start;
    };

    // The best of five runs each, as other work on the machine only ever adds time.
    auto best = [](auto&& measure) {
        auto least = measure();
        for (int run = 1; run < 5; ++run)
            least = std::min(least, measure());
        return least;
    };
    const auto read_job = best([&] { return job([&] { engine.read(&root); }); });
    const auto read_bare = best([&] { return bare(false); });
    const auto write_job = best([&] { return job([&] { engine.write_all(&root); }); });
    const auto write_bare = best([&] { return bare(true); });
    const auto compare_job = best([&] { return job([&] { engine.compare(&root); }); });
    const auto compare_bare = best([&] { return bare(false); });

    std::printf("parameters: %d (%zu generated)\n", all, generated.size());
    auto report = [&](const char* name, Clock::duration with_engine, Clock::duration alone) {
        const double per = seconds(with_engine) / all * 1e6;
        const double base = seconds(alone) / all * 1e6;
        std::printf("%-8s CPU: job %7.1f ms, bare transactions %7.1f ms; per parameter %6.1f us, engine overhead %6.1f us\n", name,
                    seconds(with_engine) * 1e3, seconds(alone) * 1e3, per, per - base);
    };
    report("read", read_job, read_bare);
    report("write", write_job, write_bare);
    report("compare", compare_job, compare_bare);
    document.stop_threads();
    fs::remove_all(folder);
    return 0;
}
