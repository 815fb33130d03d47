// The tree view with a large configuration, offscreen: a generated description of 20,000 parameters
// in 2,000 branches. Measures how long the tree takes to be filled, expanded and painted, and how
// long one refresh takes after every value has changed (the view update after a read of all).

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "model/text.h"
#include "support/memory_settings.h"
#include "support/recording_shell.h"
#include "ui/chlb5_tree_list_ctrl.h"
#include "ui/chlb5_tree_list_view.h"

#include <QApplication>
#include <QTreeView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int branches = 2000;
constexpr int per_branch = 10;

std::string make_description()
{
    std::string text = "type Режим Первый Второй Третий\n";
    std::string names;
    for (int b = 0; b < branches; ++b) {
        std::string line = "branch Ветвь_" + std::to_string(b) + " 1 2 3";
        for (int p = 0; p < per_branch; ++p) {
            char name[16];
            std::snprintf(name, sizeof name, "0x%04X", 0x1000 + b * per_branch + p);
            text += std::string("parameter ") + name + (p % 3 == 0 ? " 1 Режим Параметр_" : " 2 float Параметр_") +
                    std::to_string(p) + "\n";
            line += ' ';
            line += name;
        }
        text += line + "\n";
        names += " Ветвь_" + std::to_string(b);
    }
    text += "root Параметры_прибора 1 1 1" + names + "\n";
    return text;
}

void fill_all(zr740::ui::CHLB5TreeListCtrl& model, zr740::ui::TreeNode& node)
{
    model.fill_node(node);
    for (auto& child : node.children)
        fill_all(model, *child);
}

double ms(Clock::duration span) { return std::chrono::duration<double, std::milli>(span).count(); }

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);

    zr740::AppContext context;
    zr740::testing::RecordingShell shell;
    zr740::testing::MemorySettings settings;
    zr740::CHLB5Doc document(context, shell, settings, {});
    document.load_description_text(zr740::utf8_to_cp1251(make_description()));
    int count = 0;
    document.root()->for_each_parameter([&](zr740::Parameter&) { ++count; });
    std::printf("tree: %d parameters in %zu branches\n", count, document.root()->children.size());

    std::vector<double> shown;
    std::vector<double> updates;
    std::vector<double> refreshes; // the model's part: comparing rows and announcing changes
    std::vector<double> unchanged; // a refresh that finds nothing changed
    for (int round = 0; round < 5; ++round) {
        zr740::ui::CHLB5TreeListView view(document, shell);
        view.resize(1280, 900);
        const auto start = Clock::now();
        view.initial_update();
        fill_all(view.model(), *view.model().root_node());
        view.tree()->expandAll();
        view.show();
        QApplication::processEvents(); // lays out
        view.tree()->viewport()->repaint(); // and paints, whether or not the platform asked for it
        shown.push_back(ms(Clock::now() - start));

        for (int pass = 0; pass < 5; ++pass) {
            const std::string value = std::to_string(round * 10 + pass) + ".500";
            document.root()->for_each_parameter([&](zr740::Parameter& parameter) { parameter.value_text = value; });
            const auto before = Clock::now();
            view.update_view();
            const auto refreshed = Clock::now();
            QApplication::processEvents();
            view.tree()->viewport()->repaint(); // the rows on screen show the new values
            updates.push_back(ms(Clock::now() - before));
            refreshes.push_back(ms(refreshed - before));
        }
        {
            const auto before = Clock::now();
            view.update_view(); // nothing changed: the comparison alone
            unchanged.push_back(ms(Clock::now() - before));
        }
        view.reset_document();
        document.stop_threads();
    }
    std::printf("shown and expanded: median %.1f ms, best %.1f ms (goal < 300 ms)\n", median(shown),
                *std::min_element(shown.begin(), shown.end()));
    std::printf("update of all %d values: median %.1f ms, best %.1f ms (goal < 50 ms)\n", count, median(updates),
                *std::min_element(updates.begin(), updates.end()));
    std::printf("  of which the model's refresh: median %.1f ms; a refresh with nothing changed: median %.1f ms\n",
                median(refreshes), median(unchanged));
    return 0;
}
