// Commissioning one instrument against the simulator paced like a real line at 19200 baud: identify
// it (name, firmware version, serial number), write every parameter of the configuration, read
// each back, and append its line to the report; with single reads and with block reads for the
// read-back. The time runs from the start of the run to its end, report line written.
// Goal: at most 2 s with block reads.

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "app/commission_run.h"
#include "simulator/instrument_simulator.h"

#include "support/memory_settings.h"
#include "support/recording_shell.h"

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

struct Line {
    Line()
    {
        options.description_path = folder + "/zr740.dat";
        options.pace = true;
        options.baud = 19200;
        options.live_values = false;
        context.program_folder = folder;
    }

    bool start()
    {
        simulator = std::make_unique<zr740::sim::InstrumentSimulator>(options);
        if (!simulator->start()) {
            std::fprintf(stderr, "simulator: %s\n", simulator->error().c_str());
            return false;
        }
        auto& link = document.link();
        link.link_settings().set_value_by_name("Port", simulator->port_path());
        link.link_settings().set_value_by_name("0x0009", "19200");
        if (!link.check_link() || !document.on_new_document() || link.open_port(true) != 0) {
            std::fprintf(stderr, "the simulated instrument was not found\n");
            return false;
        }
        link.sio().automatic_converter = 1;
        document.engine().window_linger = std::chrono::milliseconds{0};
        // The configuration: what the instrument holds, as a read gives it.
        document.engine().read(document.root());
        document.engine().wait_until_idle();
        return true;
    }
    ~Line() { document.stop_threads(); }

    // One instrument commissioned by a run of its own; the time in seconds, or a negative one
    // when it did not end well.
    double commission_one(const std::string& serial, const std::string& report)
    {
        simulator->replace_instrument(serial);
        std::mutex mutex;
        std::condition_variable changed;
        bool finished = false;
        bool ok = false;
        zr740::CommissionEvents events;
        events.commissioned = [&](const zr740::CommissionRecord& record) { ok = record.ok; };
        events.finished = [&](int, int) {
            std::lock_guard lock(mutex);
            finished = true;
            changed.notify_all();
        };
        zr740::CommissionOptions settings_of_run;
        settings_of_run.report_path = report;
        const auto start = Clock::now();
        zr740::CommissionRun run(document, shell, settings_of_run, events);
        if (!run.start())
            return -1;
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return finished; });
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        return ok ? seconds : -seconds;
    }

    std::string folder = std::string(ZR740_BINARY_DIR) + "/bin";
    zr740::sim::SimulatorOptions options;
    zr740::AppContext context;
    zr740::testing::RecordingShell shell;
    zr740::testing::MemorySettings settings;
    zr740::CHLB5Doc document{context, shell, settings, {}};
    std::unique_ptr<zr740::sim::InstrumentSimulator> simulator;
};

} // namespace

int main()
{
    Line line;
    if (!line.start())
        return 1;
    const std::string report =
        (std::filesystem::temp_directory_path() / ("zr740-commission-bench-" + std::to_string(::getpid()) + ".csv"))
            .string();
    std::printf("parameters written: %d\n",
                zr740::BatchEngine::count(*line.document.root(), zr740::CountMode::write_all));
    int serial = 0;
    bool failed = false;
    for (const bool blocks : {false, true}) {
        line.context.block_reads = blocks;
        double best = 1e9;
        for (int run = 0; run < 3; ++run) {
            char text[16];
            std::snprintf(text, sizeof text, "BN%06d", ++serial);
            const double seconds = line.commission_one(text, report);
            if (seconds < 0)
                failed = true;
            best = std::min(best, seconds < 0 ? -seconds : seconds);
        }
        std::printf("commission one instrument, 19200, %-13s %6.0f ms%s%s\n", blocks ? "block reads" : "single reads",
                    best * 1e3, blocks ? "  (goal <= 2000 ms)" : "", failed ? "  NOT OK" : "");
    }
    std::filesystem::remove(report);
    return failed ? 1 : 0;
}
