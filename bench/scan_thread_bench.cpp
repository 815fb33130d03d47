// What the scanners cost and how steadily they poll.
//
// BM_AllSwitchedOff: the scanner thread with ten scanners, none switched on, for 2 s. Goal: no CPU
// time at all (the thread sleeps without a deadline).
// BM_TenScannersAt100ms: ten scanners at 100 ms against the simulator answering at once, for 5 s.
// Goal: under 2% of one core for the scanner thread; every scanner polled 50 times in 5.05 s (the
// first poll one period after switching on, the fiftieth 5000 ms after it), its mean interval
// 100 ms, i.e. 600 polls a minute.
//
// Each runs with the product's idle class and with the normal class: on a machine kept busy by other
// work the idle thread gets next to no time, which shows as missing polls, not as cost.
//
// The CPU time is the scanner thread's own (found by its name, from the kernel's per-thread
// accounting), so neither the simulator nor the benchmark's own thread counts.

#include "app/scan_thread.h"
#include "link/device.h"
#include "model/desc_branch.h"
#include "platform/run_state.h"
#include "platform/settings_store.h"
#include "app/app_shell.h"
#include "simulator/instrument_simulator.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

class NoSettings : public zr740::Settings {
  public:
    int read_link_value(std::string_view, int default_value) override { return default_value; }
    void write_link_value(std::string_view, int) override {}
    std::optional<std::string> read_link_text(std::string_view) override { return std::nullopt; }
    void write_link_text(std::string_view, std::string_view) override {}
    bool write_machine_text(std::string_view, std::string_view, std::string_view) override { return true; }
};

// Plays the main window: takes each record as it is announced and notes when it came.
class TimingShell : public zr740::AppShell {
  public:
    void message(const std::string&, const std::string&, zr740::Icon, zr740::Owner) override {}
    bool ask_yes_no(const std::string&, const std::string&, zr740::Icon) override { return false; }
    void set_wait_cursor(bool) override {}
    bool has_main_window() const override { return true; }
    // Called on the scanner thread; read only after the thread has been joined.
    void scan_results_ready() override
    {
        if (const auto result = scan->results().take())
            polls[result->channel].push_back(Clock::now());
    }

    zr740::ScanThread* scan = nullptr;
    std::map<int, std::vector<Clock::time_point>> polls;
};

// CPU time the thread of that name has used, in nanoseconds.
std::optional<std::uint64_t> thread_cpu_ns(const std::string& name)
{
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string found;
        if (!std::getline(comm, found) || found != name)
            continue;
        std::ifstream schedstat(task.path() / "schedstat");
        std::uint64_t on_cpu = 0;
        if (schedstat >> on_cpu)
            return on_cpu;
    }
    return std::nullopt;
}

struct Rig {
    Rig(bool with_line, zr740::ScanThread::Priority priority) : scan(link, shell, priority)
    {
        if (with_line) {
            zr740::sim::SimulatorOptions options;
            options.address = 5;
            simulator = std::make_unique<zr740::sim::InstrumentSimulator>(options);
            if (!simulator->start()) {
                error = simulator->error();
                return;
            }
            link.link_settings().set_value_by_name("Port", simulator->port_path());
            link.link_settings().set_value_by_name("0x0007", "5");
            if (link.open_port(false) != 0)
                error = "cannot open " + simulator->port_path();
            // As the program does after opening: the link check finds the converter automatic, so
            // requests are not keyed through RTS (which spins one character time per byte).
            else if (!link.check_link())
                error = "the simulator was not recognised";
        }
        shell.scan = &scan;
        // The instrument's measured values and some settings, one to three registers each.
        static constexpr std::array<std::pair<const char*, int>, 10> registers = {{{"0x0100", 2},
                                                                                   {"0x0102", 2},
                                                                                   {"0x0104", 2},
                                                                                   {"0x0106", 1},
                                                                                   {"0x0108", 2},
                                                                                   {"0x0007", 1},
                                                                                   {"0x0010", 1},
                                                                                   {"0x0018", 2},
                                                                                   {"0x001A", 2},
                                                                                   {"0x001C", 2}}};
        int channel = 0;
        for (const auto& [name, count] : registers) {
            auto parameter = std::make_unique<zr740::Parameter>(name);
            parameter->register_count = static_cast<std::uint8_t>(count);
            parameter->type_text = count == 1 ? "int" : "float";
            parameter->scanner_channel = channel++;
            scanners.append(std::move(parameter));
        }
    }

    zr740::RunState run;
    TimingShell shell;
    NoSettings settings;
    zr740::Device link{run, shell, settings, {}};
    std::unique_ptr<zr740::sim::InstrumentSimulator> simulator;
    zr740::DescBranch scanners{"scanners", 1, 1, 5, 5};
    zr740::ScanThread scan;
    std::string error;
};

// Argument 0: the product's idle class; 1: the normal class, to tell the cost of the polls from
// what a busy machine leaves to an idle thread.
zr740::ScanThread::Priority priority_of(const benchmark::State& state)
{
    return state.range(0) == 0 ? zr740::ScanThread::Priority::idle : zr740::ScanThread::Priority::normal;
}

// Waits for the scanner thread to show up and returns its CPU time so far.
std::optional<std::uint64_t> started_cpu()
{
    for (int i = 0; i < 200; ++i) {
        if (const auto ns = thread_cpu_ns("zr740-scan"))
            return ns;
        std::this_thread::sleep_for(1ms);
    }
    return std::nullopt;
}

void BM_AllSwitchedOff(benchmark::State& state)
{
    Rig rig(false, priority_of(state));
    rig.scan.start_scanners(&rig.scanners);
    const auto before = started_cpu();
    if (!before) {
        state.SkipWithError("scanner thread not found");
        return;
    }
    std::uint64_t used = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        std::this_thread::sleep_for(2s);
        used = thread_cpu_ns("zr740-scan").value_or(*before) - *before;
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    rig.scan.stop();
    state.counters["thread_cpu_us"] = static_cast<double>(used) / 1e3;
}

void BM_TenScannersAt100ms(benchmark::State& state)
{
    Rig rig(true, priority_of(state));
    if (!rig.error.empty()) {
        state.SkipWithError(rig.error.c_str());
        return;
    }
    rig.scan.start_scanners(&rig.scanners);
    const auto before = started_cpu();
    if (!before) {
        state.SkipWithError("scanner thread not found");
        return;
    }
    double seconds = 0;
    std::uint64_t used = 0;
    Clock::time_point switched_on;
    for (auto _ : state) {
        switched_on = Clock::now();
        for (auto& scanner : rig.scanners.parameters) {
            rig.scan.set_period(*scanner, 100);
            rig.scan.switch_on(*scanner);
        }
        // Half a period past the fiftieth deadline, so that it is in and the fifty-first is not.
        std::this_thread::sleep_for(5050ms);
        for (auto& scanner : rig.scanners.parameters)
            rig.scan.switch_off(*scanner);
        seconds = std::chrono::duration<double>(Clock::now() - switched_on).count();
        used = thread_cpu_ns("zr740-scan").value_or(*before) - *before;
        state.SetIterationTime(seconds);
    }
    rig.scan.stop(); // joins: the shell's records are complete and visible from here

    std::size_t fewest = SIZE_MAX;
    std::size_t most = 0;
    double first_poll_ms = 1e9;
    double last_poll_ms = 0;
    double interval_sum_ms = 0;
    for (int channel = 0; channel < 10; ++channel) {
        const auto& times = rig.shell.polls[channel];
        fewest = std::min(fewest, times.size());
        most = std::max(most, times.size());
        if (times.size() < 2)
            continue;
        first_poll_ms =
            std::min(first_poll_ms, std::chrono::duration<double, std::milli>(times.front() - switched_on).count());
        last_poll_ms =
            std::max(last_poll_ms, std::chrono::duration<double, std::milli>(times.back() - switched_on).count());
        interval_sum_ms += std::chrono::duration<double, std::milli>(times.back() - times.front()).count() /
                           static_cast<double>(times.size() - 1);
    }
    const double mean_interval_ms = interval_sum_ms / 10;
    state.counters["cpu_%_of_core"] = static_cast<double>(used) / 1e9 / seconds * 100.0;
    state.counters["thread_cpu_ms"] = static_cast<double>(used) / 1e6;
    state.counters["polls_min"] = static_cast<double>(fewest);
    state.counters["polls_max"] = static_cast<double>(most);
    state.counters["first_poll_ms"] = first_poll_ms;
    // The fiftieth poll of a scanner that does not drift comes 5000 ms after switching on.
    state.counters["last_poll_ms"] = last_poll_ms;
    state.counters["mean_interval_ms"] = mean_interval_ms;
    state.counters["polls_per_minute"] = 60000.0 / mean_interval_ms;
    state.counters["line_requests"] = static_cast<double>(rig.simulator->stats().requests);
}

BENCHMARK(BM_AllSwitchedOff)
    ->ArgName("normal")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TenScannersAt100ms)
    ->ArgName("normal")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
