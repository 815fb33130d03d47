// The log of polled values at a busy rate: 10 scanners at 10 Hz for an hour, fed to the log the way
// the scanner thread hands over its polls (36,000 rounds, one line each). Reports the time per line,
// the longest single polled() call (the longest the scanner thread is held by the log) and checks
// that the file holds every line. Goal: a line in microseconds, and no call near the 100 ms period.

#include "app/csv_log.h"
#include "model/parameter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

void BM_CsvLogHourAt10Hz(benchmark::State& state)
{
    constexpr int scanners = 10;
    constexpr int rounds = 36'000;
    std::vector<zr740::Parameter> parameters(scanners);
    std::vector<zr740::Parameter*> columns;
    for (int i = 0; i < scanners; ++i) {
        parameters[static_cast<std::size_t>(i)].caption = "Канал " + std::to_string(i) + ", кПа";
        columns.push_back(&parameters[static_cast<std::size_t>(i)]);
    }
    const auto path = std::filesystem::temp_directory_path() / "zr740-csv-log-bench.csv";
    Clock::duration longest{};
    std::size_t lines = 0;
    Clock::duration spent{};
    for (auto _ : state) {
        const auto began = Clock::now();
        std::string error;
        auto log = zr740::CsvLog::open(path.string(), columns, error);
        if (!log) {
            state.SkipWithError(error.c_str());
            return;
        }
        const auto start = Clock::time_point(std::chrono::hours(1));
        const auto wall = std::chrono::system_clock::now();
        zr740::ScanResult result;
        for (int round = 0; round < rounds; ++round) {
            result.slot = start + std::chrono::milliseconds(100) * round;
            result.polled_at = wall + std::chrono::milliseconds(100) * round;
            for (int i = 0; i < scanners; ++i) {
                result.parameter = columns[static_cast<std::size_t>(i)];
                // A failed poll now and then, so the status column is written too.
                if ((round + i) % 997 == 0) {
                    result.value_text.clear();
                    result.status_text = "Нет ответа";
                } else {
                    result.value_text = std::to_string(100.0 + (round % 1000) * 0.001 + i);
                    result.status_text.clear();
                }
                const auto before = Clock::now();
                log->polled(result);
                longest = std::max(longest, Clock::now() - before);
            }
        }
        log->close();
        spent += Clock::now() - began;
        lines = log->lines();
        if (log->failed())
            state.SkipWithError(log->failure().c_str());
    }
    // Every line is in the file: the header and one per round.
    std::ifstream in(path);
    std::size_t in_file = 0;
    for (std::string line; std::getline(in, line);)
        ++in_file;
    std::filesystem::remove(path);
    if (lines != rounds || in_file != rounds + 1)
        state.SkipWithError("lines lost");
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * rounds);
    state.counters["us_per_line"] = std::chrono::duration<double, std::micro>(spent).count() /
                                    (static_cast<double>(state.iterations()) * rounds);
    state.counters["longest_polled_us"] = std::chrono::duration<double, std::micro>(longest).count();
    state.counters["lines_in_file"] = static_cast<double>(in_file);
}
BENCHMARK(BM_CsvLogHourAt10Hz)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
