// SPDX-License-Identifier: GPL-3.0-or-later
// The tree during a job on a slow (paced) line: each row shows its step's outcome while the job is
// still running, for a read, a compare and a write of the changed values, and the rows are
// announced as they change rather than all at once at the end.

#include "frame_fixture.h"

#include "model/model_texts.h"
#include "ui/chlb5_tree_list_ctrl.h"
#include "ui/chlb5_tree_list_view.h"
#include "ui/frame_texts.h"
#include "ui/progress_window.h"

#include <QSignalSpy>
#include <QTimer>

#include <functional>
#include <set>

namespace zr740::testing {
namespace {

class FrameLiveValuesTest : public FrameFixture {
protected:
    void SetUp() override
    {
        sim::SimulatorOptions options;
        options.pace = true;
        // A line slow enough that a person could watch the rows fill.
        options.turnaround = std::chrono::milliseconds{15};
        start(options);
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        for (Parameter* p : exchanged())
            ASSERT_NE(frame->view()->model().reveal(*p), nullptr) << p->name;
    }

    std::vector<Parameter*> exchanged()
    {
        std::vector<Parameter*> found;
        document->root()->for_each_parameter([&](Parameter& p) {
            if (p.exchangeable && p.linear_index >= 0)
                found.push_back(&p);
        });
        return found;
    }

    // What the row of the parameter shows in a column, as the view paints it.
    std::string shown(const Parameter& parameter, int column)
    {
        ui::CHLB5TreeListCtrl& model = frame->view()->model();
        return model.cell_text(*model.parameter_row(&parameter), column);
    }
};

TEST_F(FrameLiveValuesTest, RowsShowTheirOutcomesWhileTheJobRuns)
{
    const std::string no_data(zr740::texts::no_data);
    const struct {
        const char* what;
        int command;
        std::function<void()> before;
        // Whether the row shows the outcome of its step.
        std::function<bool(const Parameter&)> done;
        // Whether every row has it at the end (a compare notes only its first differences).
        bool all_at_end = true;
    } cases[] = {
        {"read", ui::texts::ids::read_all, {},
         [&](const Parameter& p) { return shown(p, 3) != no_data; },
         true},
        // Every value of a new configuration differs from the instrument's.
        {"compare", ui::texts::ids::compare, {},
         [this](const Parameter& p) { return !shown(p, 6).empty(); },
         false},
        {"write changed", ui::texts::ids::write_changed,
         [this] {
             // The instrument's own values, each marked changed; the network settings stay, as
             // writing them asks for the apply window.
             frame->run_command(ui::texts::ids::read_all);
             document->engine().wait_until_idle();
             for (Parameter* p : exchanged())
                 p->value_changed = p->writable() && !document->device()->is_network_parameter(p->name) &&
                                    !document->device()->is_reread_parameter(p->name);
             frame->view()->update_view();
         },
         [](const Parameter& p) { return p.value_changed == 0; },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        frame->view()->reset_document();
        ASSERT_TRUE(document->on_new_document());
        frame->initial_update();
        for (Parameter* p : exchanged())
            ASSERT_NE(frame->view()->model().reveal(*p), nullptr);
        if (c.before)
            c.before();
        const auto parameters = exchanged();
        QSignalSpy announced(&frame->view()->model(), &QAbstractItemModel::dataChanged);

        // Snapshots taken while the progress window stands: how many rows show their outcome.
        std::vector<std::size_t> done_counts;
        std::set<int> announcements_during_job;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!shell.progress_window() || !document->engine().job_active())
                return;
            std::size_t done = 0;
            for (const Parameter* p : parameters)
                done += c.done(*p) ? 1 : 0;
            done_counts.push_back(done);
            announcements_during_job.insert(static_cast<int>(announced.count()));
        });
        watch.start(5);
        frame->run_command(c.command);
        document->engine().wait_until_idle();
        watch.stop();

        ASSERT_FALSE(done_counts.empty());
        // Some rows had their outcome while others still waited for theirs, and the count grew.
        EXPECT_TRUE(std::any_of(done_counts.begin(), done_counts.end(),
                                [&](std::size_t n) { return n > 0 && n < parameters.size(); }));
        EXPECT_TRUE(std::is_sorted(done_counts.begin(), done_counts.end()));
        EXPECT_GT(announcements_during_job.size(), 3u);
        QApplication::processEvents();
        if (c.all_at_end) {
            for (const Parameter* p : parameters)
                EXPECT_TRUE(c.done(*p)) << p->name;
        }
    }
}

} // namespace
} // namespace zr740::testing
