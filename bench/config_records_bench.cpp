// Storing and loading the configuration records of a large tree: 20,000 parameters in 2,100 branches.
// Goal: under 30 ms for each on the project's 2-core machine, with a peak memory use well below the
// size of the tree itself.
//
// Memory counters (MB): tree_MB is what building one tree adds to the resident set; peak_extra_MB is
// how far the resident set rose above its level before the timed loop (the peak is reset through
// /proc/self/clear_refs first; where that is refused the figure is left out).

#include "model/archive.h"
#include "model/configuration_records.h"
#include "model/desc_branch.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

// A field of /proc/self/status in kB, -1 when it cannot be read.
long status_kb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.starts_with(prefix))
            return std::stol(line.substr(prefix.size()));
    return -1;
}

bool reset_peak()
{
    std::ofstream clear_refs("/proc/self/clear_refs");
    clear_refs << "5";
    clear_refs.flush();
    return static_cast<bool>(clear_refs);
}

// 100 groups of 20 branches of 10 parameters; every other group is a multi-instance one, so half the
// parameters are indexed.
std::unique_ptr<zr740::DescBranch> make_tree()
{
    auto root = std::make_unique<zr740::DescBranch>("Прибор", 1, 1, 0, 0);
    for (int group = 0; group < 100; ++group) {
        auto group_branch = std::make_unique<zr740::DescBranch>("Группа " + std::to_string(group), 1, 1, 0, 0);
        for (int b = 0; b < 20; ++b) {
            const int number = group * 20 + b;
            auto branch = std::make_unique<zr740::DescBranch>("Ветвь " + std::to_string(number), 1, 1, 0, 0);
            for (int p = 0; p < 10; ++p) {
                char name[16];
                std::snprintf(name, sizeof name, "0x%04X", (number * 10 + p) & 0xFFFF);
                auto& parameter = branch->append(std::make_unique<zr740::Parameter>(name));
                parameter.caption = "Параметр номер " + std::to_string(p);
                parameter.value_text = std::to_string(number * 10 + p);
                parameter.type_text = "float";
                if (group % 2 == 1) {
                    parameter.indexed = 1;
                    parameter.linear_index = b;
                }
            }
            group_branch->add_child(std::move(branch));
        }
        root->add_child(std::move(group_branch));
    }
    return root;
}

struct Fixture {
    long tree_kb = 0;
    std::unique_ptr<zr740::DescBranch> source;
    std::unique_ptr<zr740::DescBranch> target;
    std::vector<std::uint8_t> stored;
};

Fixture& fixture()
{
    static Fixture f = [] {
        Fixture made;
        const long before = status_kb("VmRSS");
        made.source = make_tree();
        made.tree_kb = status_kb("VmRSS") - before;
        made.target = make_tree();
        zr740::ArchiveWriter writer;
        zr740::store_branch(writer, *made.source);
        made.stored = writer.take();
        return made;
    }();
    return f;
}

void report_memory(benchmark::State& state, long rss_before_kb, bool peak_reset)
{
    auto& f = fixture();
    state.counters["tree_MB"] = static_cast<double>(f.tree_kb) / 1024.0;
    state.counters["archive_MB"] = static_cast<double>(f.stored.size()) / (1024.0 * 1024.0);
    if (peak_reset)
        state.counters["peak_extra_MB"] = static_cast<double>(status_kb("VmHWM") - rss_before_kb) / 1024.0;
}

void BM_StoreTree(benchmark::State& state)
{
    auto& f = fixture();
    const long rss_before = status_kb("VmRSS");
    const bool peak_reset = reset_peak();
    for (auto _ : state) {
        zr740::ArchiveWriter writer;
        zr740::store_branch(writer, *f.source);
        benchmark::DoNotOptimize(writer.bytes().data());
    }
    report_memory(state, rss_before, peak_reset);
}
BENCHMARK(BM_StoreTree)->Unit(benchmark::kMillisecond);

void BM_LoadTree(benchmark::State& state)
{
    auto& f = fixture();
    const long rss_before = status_kb("VmRSS");
    const bool peak_reset = reset_peak();
    long parameters = 0;
    for (auto _ : state) {
        zr740::ArchiveReader reader(f.stored, zr740::record_classes());
        zr740::load_branch(reader, *f.target);
        if (!reader.at_end()) {
            state.SkipWithError("the stored tree did not load whole");
            break;
        }
    }
    f.target->for_each_parameter([&](zr740::Parameter& p) { parameters += p.value_text == "19999"; });
    if (parameters != 1)
        state.SkipWithError("the loaded tree lacks the stored values");
    report_memory(state, rss_before, peak_reset);
}
BENCHMARK(BM_LoadTree)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
