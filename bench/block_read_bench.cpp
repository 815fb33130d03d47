// A read of all parameters of the shipped description against the simulator paced like a real line
// at 9600 baud, with single reads and with block reads; and the commissioning of one instrument at
// 19200 baud: write all parameters and read them back (verify), with single and with block reads.
//
// Each run is set beside the bound of the line itself, computed from the frames the run put on the
// wire: per exchange, request and reply characters times the character time (10 bits at 8N1),
// plus the slave's 3.5 characters of end-of-frame silence and its turnaround (2 ms), plus the
// master's silence before its next request (3.5 characters, 1.75 ms above 19200 baud).
// Goals: block read within 1.2 x its bound; write + verify with block reads under 2 s.

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "link/traffic_event.h"
#include "simulator/instrument_simulator.h"

#include "support/memory_settings.h"
#include "support/recording_shell.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::microseconds turnaround{2000};

// The frames a run put on the line.
class WireCount : public zr740::TrafficSink {
public:
    void on_traffic(const zr740::TrafficEvent& event) override
    {
        std::lock_guard lock(mutex_);
        if (event.kind == zr740::TrafficKind::request) {
            ++exchanges_;
            bytes_ += event.bytes.size();
        } else if (event.kind == zr740::TrafficKind::reply) {
            bytes_ += event.bytes.size();
        }
    }
    void reset()
    {
        std::lock_guard lock(mutex_);
        exchanges_ = bytes_ = 0;
    }
    std::pair<std::size_t, std::size_t> take()
    {
        std::lock_guard lock(mutex_);
        return {exchanges_, bytes_};
    }

private:
    std::mutex mutex_;
    std::size_t exchanges_ = 0;
    std::size_t bytes_ = 0;
};

struct Line {
    explicit Line(int baud)
    {
        options.description_path = folder + "/zr740.dat";
        options.pace = true;
        options.baud = baud;
        options.turnaround = turnaround;
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
        link.link_settings().set_value_by_name("0x0009", std::to_string(*options.baud));
        if (!link.check_link() || !document.on_new_document() || link.open_port(true) != 0) {
            std::fprintf(stderr, "the simulated instrument was not found\n");
            return false;
        }
        link.sio().automatic_converter = 1;
        link.trace().add_sink(&wire);
        document.engine().window_linger = std::chrono::milliseconds{0};
        return true;
    }
    ~Line()
    {
        document.link().trace().remove_sink(&wire);
        document.stop_threads();
    }

    // The bound of the line for what the last run put on it, in seconds.
    double bound()
    {
        const auto [exchanges, bytes] = wire.take();
        const double character = 10.0 / *options.baud;
        const double master_silence = document.link().sio().interframe_silence() / 1e3;
        return static_cast<double>(bytes) * character +
               static_cast<double>(exchanges) *
                   (3.5 * character + std::chrono::duration<double>(turnaround).count() + master_silence);
    }

    // The best of three runs of the job, with its bound and exchange count.
    template <typename Job> void measure(const char* name, Job job, double goal_factor = 0, double goal_seconds = 0)
    {
        double best = 1e9;
        double bound_of_best = 0;
        std::size_t exchanges = 0;
        for (int run = 0; run < 3; ++run) {
            wire.reset();
            const auto start = Clock::now();
            job();
            document.engine().wait_until_idle();
            const double wall = std::chrono::duration<double>(Clock::now() - start).count();
            exchanges = wire.take().first;
            const double line = bound();
            if (wall < best) {
                best = wall;
                bound_of_best = line;
            }
        }
        std::printf("%-34s %8.0f ms  exchanges %3zu  line bound %7.0f ms  %4.2f x bound", name, best * 1e3, exchanges,
                    bound_of_best * 1e3, best / bound_of_best);
        if (goal_factor > 0)
            std::printf("  (goal <= %.1f x)", goal_factor);
        if (goal_seconds > 0)
            std::printf("  (goal <= %.0f ms)", goal_seconds * 1e3);
        std::printf("\n");
    }

    std::string folder = std::string(ZR740_BINARY_DIR) + "/bin";
    zr740::sim::SimulatorOptions options;
    zr740::AppContext context;
    zr740::testing::RecordingShell shell;
    zr740::testing::MemorySettings settings;
    zr740::CHLB5Doc document{context, shell, settings, {}};
    std::unique_ptr<zr740::sim::InstrumentSimulator> simulator;
    WireCount wire;
};

} // namespace

int main()
{
    {
        Line line(9600);
        if (!line.start())
            return 1;
        auto& engine = line.document.engine();
        auto* root = line.document.root();
        std::printf("parameters read: %d\n", zr740::BatchEngine::count(*root, zr740::CountMode::all));
        line.context.block_reads = false;
        line.measure("read all, 9600, single reads", [&] { engine.read(root); });
        line.context.block_reads = true;
        line.measure("read all, 9600, block reads", [&] { engine.read(root); }, 1.2);
    }
    {
        Line line(19200);
        if (!line.start())
            return 1;
        auto& engine = line.document.engine();
        auto* root = line.document.root();
        engine.read(root);
        engine.wait_until_idle();
        std::printf("parameters written: %d\n", zr740::BatchEngine::count(*root, zr740::CountMode::write_all));
        line.context.verify_writes = true;
        line.context.block_reads = false;
        line.measure("write + verify, 19200, single reads", [&] { engine.write_all(root); });
        line.context.block_reads = true;
        line.measure("write + verify, 19200, block reads", [&] { engine.write_all(root); }, 0, 2.0);
        const auto& verify = engine.last_verify();
        std::printf("verified %d of %d written, %d failed, %d skipped\n", verify.verified, verify.written,
                    verify.failed, verify.skipped);
    }
    return 0;
}
