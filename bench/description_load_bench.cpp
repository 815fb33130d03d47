// Inflate + parse + build of a large description: 20,000 parameters in 2,000 branches.
// Goal: under 40 ms and under 40 MB on the project's 2-core machine.

#include "description/description_loader.h"
#include "model/text.h"
#include "platform/shell.h"

#include "support/compound_file_writer.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

class SilentShell : public zr740::Shell {
public:
    void message(const std::string&, const std::string&, zr740::Icon, zr740::Owner) override { ++messages; }
    bool ask_yes_no(const std::string&, const std::string&, zr740::Icon) override { return false; }
    void set_wait_cursor(bool) override {}
    int messages = 0;
};

// 2,000 branches of 10 parameters each, under 100 groups of 20 branches, with the usual mix of types,
// limits, initial values and attribute fields.
std::string make_description()
{
    std::string text = "; generated\nconst N 4\ntype Единицы кПа МПа бар кгс/см2 мм_рт.ст.\n";
    const char* types[] = {"int", "float", "Единицы", "stored_dot", "CLK_frm", "int16:2", "1:2:3", "name"};
    std::string root = "root Прибор 1 0 0";
    for (int group = 0; group < 100; ++group) {
        std::string group_line = "branch Группа_" + std::to_string(group) + " 1 1 1";
        for (int b = 0; b < 20; ++b) {
            const int branch = group * 20 + b;
            std::string branch_line = "branch Ветвь_" + std::to_string(branch) + " 1 2 3";
            for (int p = 0; p < 10; ++p) {
                char name[16];
                std::snprintf(name, sizeof name, "0x%04X", branch * 10 + p);
                text += "parameter ";
                text += name;
                text += " 2 ";
                text += types[p % 8];
                text += " Параметр_номер_" + std::to_string(p) + (p % 3 == 0 ? " table2+ 4\n" : "\n");
                if (p % 2 == 0)
                    text += std::string("rule ") + name + " 0 1000\ninit " + name + " 10\n";
                branch_line += ' ';
                branch_line += name;
            }
            text += branch_line + "\n";
            group_line += " Ветвь_" + std::to_string(branch);
        }
        text += group_line + "\n";
        root += " Группа_" + std::to_string(group);
    }
    return text + root + "\n";
}

const std::string& packed_file()
{
    static const std::string path = [] {
        auto file = std::filesystem::temp_directory_path() / ("zr740-bench-" + std::to_string(getpid()) + ".dat");
        zr740::test::write_compound_file(
            file.string(),
            {zr740::test::CompoundEntry::stream("zr740.tree",
                                                zr740::test::zlib_compress(zr740::utf8_to_cp1251(make_description())))});
        return file.string();
    }();
    return path;
}

void BM_LoadDescription(benchmark::State& state)
{
    const auto& path = packed_file();
    long parameters = 0;
    for (auto _ : state) {
        zr740::DescriptionLists lists;
        zr740::PoutTable pout{};
        SilentShell shell;
        zr740::LoadedTrees trees;
        if (!zr740::load_description_file(path, 0, lists, {}, pout, shell, trees) || shell.messages != 0 ||
            !trees.root) {
            state.SkipWithError("description did not load cleanly");
            break;
        }
        parameters = 0;
        trees.root->for_each_parameter([&](zr740::Parameter&) { ++parameters; });
        benchmark::DoNotOptimize(trees.root.get());
    }
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["parameters"] = static_cast<double>(parameters);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_LoadDescription)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove(packed_file());
    benchmark::Shutdown();
    return 0;
}
