// The parameter list page of a large description: 20,000 parameters in 2,100 elements, half of
// them indexed, a fifth with enumeration types (listed item by item), captions with characters that
// must be escaped. The page is built in memory, and written to a file the way the menu command does.
// Goal: well under a second on the project's 2-core machine, so the wait cursor is a blink.

#include "app/html_export.h"
#include "model/desc_branch.h"
#include "app/app_shell.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// 100 groups of 20 elements of 10 parameters. In every other group the same ten register names
// recur in each element at rising linear indices, as the copies of a multi-instance branch do.
std::unique_ptr<zr740::DescBranch> make_tree()
{
    auto root = std::make_unique<zr740::DescBranch>("Прибор", 1, 1, 0, 0);
    for (int group = 0; group < 100; ++group) {
        auto group_branch = std::make_unique<zr740::DescBranch>("Группа " + std::to_string(group), 1, 1, 0, 0);
        const bool indexed = group % 2 == 1;
        for (int b = 0; b < 20; ++b) {
            const int number = group * 20 + b;
            auto element = std::make_unique<zr740::DescBranch>("Элемент " + std::to_string(number), 1, 1, 0, 0);
            for (int p = 0; p < 10; ++p) {
                char name[16];
                std::snprintf(name, sizeof name, "0x%04X", indexed ? 0x4000 + group * 10 + p : number * 10 + p);
                auto& parameter = element->append(std::make_unique<zr740::Parameter>(name));
                parameter.caption = "Параметр <" + std::to_string(p) + "> канала №1 & прочее";
                parameter.type_text = p % 5 == 0 ? "Отключена:Включена:Режим_проверки" : "float";
                parameter.register_count = 2;
                parameter.min = p % 2 ? -100.0 : 0.0;
                parameter.max = p % 2 ? 100.0 : 0.0;
                parameter.attribute_mode = static_cast<std::uint8_t>(p % 3);
                if (indexed) {
                    parameter.indexed = 1;
                    parameter.linear_index = b * 4;
                }
            }
            group_branch->add_child(std::move(element));
        }
        root->add_child(std::move(group_branch));
    }
    return root;
}

class QuietShell : public zr740::AppShell {
public:
    void message(const std::string&, const std::string&, zr740::Icon, zr740::Owner) override {}
    bool ask_yes_no(const std::string&, const std::string&, zr740::Icon) override { return false; }
    void set_wait_cursor(bool) override {}
};

void BM_ParameterListPage(benchmark::State& state)
{
    const auto root = make_tree();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string page = zr740::parameter_list_page(*root, "ЗР740");
        bytes = page.size();
        benchmark::DoNotOptimize(page.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 20000);
    state.counters["page_MB"] = static_cast<double>(bytes) / (1 << 20);
}
BENCHMARK(BM_ParameterListPage)->Unit(benchmark::kMillisecond);

void BM_ExportParameterListFile(benchmark::State& state)
{
    const auto root = make_tree();
    std::string folder = (std::filesystem::temp_directory_path() / "zr740-html-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    QuietShell shell;
    for (auto _ : state)
        benchmark::DoNotOptimize(zr740::export_parameter_list(*root, "ЗР740", shell, folder + "/cache"));
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(folder);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 20000);
}
BENCHMARK(BM_ExportParameterListFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
