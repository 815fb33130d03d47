// Rows that follow a running job, offscreen against the paced simulator (9600 baud, as a real line):
// a description of 20,000 generated parameters in 2,000 branches, every branch expanded, and a read
// of all of them from the main window. While it runs:
//  - the latency from the end of a step (its outcome handed over by the exchange thread) to its row
//    being painted: goal median <= 50 ms, max <= 150 ms. The view follows the job as a person
//    scrolling along would, so every row read is on screen when it is painted;
//  - the longest stretch the window thread's event loop went without turning: goal <= 50 ms.
// The whole read would take minutes at 9600; it is stopped after `seconds` (first argument,
// default 20), which covers over a thousand steps on the full tree.
// Prints the figures; exits non-zero when a goal is missed.

#include "app/step_outcome.h"
#include "loop_stall_meter.h"
#include "model/text.h"
#include "ui/chlb5_tree_list_ctrl.h"
#include "ui/chlb5_tree_list_view.h"

#include "support/compound_file_writer.h"
#include "generated_description.h"
#include "paced_window.h"

#include <QApplication>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace {

using namespace zr740;
using Clock = std::chrono::steady_clock;

double ms(Clock::duration span) { return std::chrono::duration<double, std::milli>(span).count(); }

void fill_all(ui::CHLB5TreeListCtrl& model, ui::TreeNode& node)
{
    model.fill_node(node);
    for (auto& child : node.children)
        fill_all(model, *child);
}

// Notes when the tree's viewport is painted: every outcome applied before a paint is painted by it.
class PaintWatch : public QObject {
public:
    std::vector<Clock::time_point> applied_handed_over; // of outcomes applied, not yet painted
    std::vector<double> latencies;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            const auto now = Clock::now();
            for (const auto handed_over : applied_handed_over)
                latencies.push_back(ms(now - handed_over));
            applied_handed_over.clear();
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    const fs::path folder = fs::temp_directory_path() / ("zr740-live-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string packed = (folder / "zr740.dat").string();
    test::write_compound_file(
        packed, {test::CompoundEntry::stream(
                    "zr740.tree", test::zlib_compress(utf8_to_cp1251(make_generated_description(ZR740_SOURCE_DIR, 2000, 10))))});

    PacedWindow session(folder.string(), packed);
    if (!session.start())
        return 1;
    CHLB5Doc& document = *session.document;
    int parameters = 0;
    document.root()->for_each_parameter([&](Parameter&) { ++parameters; });

    ui::CMainFrame& frame = session.show_frame();
    ui::CHLB5TreeListView& view = *frame.view();
    fill_all(view.model(), *view.model().root_node());
    view.tree()->expandAll();
    QApplication::processEvents();

    PaintWatch watch;
    view.tree()->viewport()->installEventFilter(&watch);
    std::size_t applied = 0;
    document.outcomes().set_apply([&](const StepOutcome& outcome) {
        document.apply(outcome);
        if (!outcome.target || outcome.handed_over == Clock::time_point{})
            return;
        ++applied;
        watch.applied_handed_over.push_back(outcome.handed_over);
        // Follow the job: the row just read comes on screen if it is not.
        if (ui::TreeNode* row = view.model().parameter_row(outcome.target)) {
            const QModelIndex index = view.model().index_of(*row);
            if (!view.tree()->viewport()->rect().contains(view.tree()->visualRect(index)))
                view.tree()->scrollTo(index, QAbstractItemView::PositionAtTop);
        }
    });

    QTimer::singleShot(seconds * 1000, [&] { document.engine().abort_job(); });
    double stall = 0;
    const auto started = Clock::now();
    {
        const LoopStallMeter meter;
        frame.run_command(139);
        document.engine().wait_until_idle();
        QApplication::processEvents();
        stall = meter.longest_ms();
    }
    const double ran = ms(Clock::now() - started) / 1000.0;
    view.tree()->viewport()->removeEventFilter(&watch);
    document.outcomes().set_apply([&](const StepOutcome& outcome) { document.apply(outcome); });

    std::vector<double> latencies = watch.latencies;
    if (latencies.empty()) {
        std::fprintf(stderr, "no row was painted during the read\n");
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    const double median = latencies[latencies.size() / 2];
    const double longest = latencies.back();
    std::printf("tree: %d parameters, every branch expanded; read for %.1f s on a paced line (9600)\n", parameters,
                ran);
    std::printf("steps shown: %zu of %zu handed over; end of step to row painted: median %.1f ms, 95%% %.1f ms, "
                "max %.1f ms (goal median <= 50, max <= 150)\n",
                latencies.size(), applied, median, latencies[latencies.size() * 95 / 100], longest);
    std::printf("longest event-loop stall: %.1f ms (goal <= 50 ms)\n", stall);
    fs::remove_all(folder);
    return median <= 50.0 && longest <= 150.0 && stall <= 50.0 ? 0 : 1;
}
