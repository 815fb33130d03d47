// SPDX-License-Identifier: GPL-3.0-or-later
// The traffic monitor against the simulated instrument: frames arrive while a job runs, a time-out
// and a damaged reply show as errors, the filters, pause, the statistics in the monitor and the
// status bar, and the rows saved and copied in the trace file's form. Then the table's rows on
// their own: the newest kept, the filter's rows following them.

#include "frame_fixture.h"

#include "support/trace_lines.h"
#include "ui/traffic_model.h"
#include "ui/traffic_window.h"

#include <QClipboard>
#include <QDockWidget>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTimer>

#include <filesystem>
#include <unistd.h>

namespace zr740::testing {
namespace {

using ui::TrafficModel;

class TrafficWindowTest : public FrameFixture {
protected:
    void SetUp() override
    {
        sim::SimulatorOptions options;
        options.pace = true;
        options.turnaround = std::chrono::milliseconds{10};
        start(options);
        ASSERT_TRUE(frame->run_command(ui::Command::traffic_monitor));
        monitor = frame->traffic_window();
        ASSERT_NE(monitor, nullptr);
        ASSERT_TRUE(monitor->isVisible());
    }

    // Every row shown.
    std::vector<TrafficEvent> rows() const
    {
        std::vector<TrafficEvent> found;
        for (int row = 0; row < monitor->model().rowCount(); ++row)
            found.push_back(monitor->model().event(row));
        return found;
    }

    static bool has(const std::vector<TrafficEvent>& events, const std::function<bool(const TrafficEvent&)>& test)
    {
        return std::any_of(events.begin(), events.end(), test);
    }

    ui::TrafficWindow* monitor = nullptr;
};

TEST_F(TrafficWindowTest, AReadAllShowsItsFramesAndFaultsAsTheyHappen)
{
    EXPECT_TRUE(frame->action(ui::Command::traffic_monitor)->isChecked());
    // A time-out on the damping, a damaged reply on the lower limit: each once, then retried.
    simulator->inject(sim::Fault::no_reply(1).at(0x0018));
    simulator->inject(sim::Fault::bad_crc(1).at(0x001A));

    std::vector<int> counts_during_job;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (document->engine().job_active())
            counts_during_job.push_back(monitor->model().rowCount());
    });
    watch.start(20);
    frame->run_command(ui::Command::read_all);
    document->engine().wait_until_idle();
    watch.stop();
    monitor->take_traffic();

    const int total = monitor->model().rowCount();
    ASSERT_FALSE(counts_during_job.empty());
    EXPECT_TRUE(std::any_of(counts_during_job.begin(), counts_during_job.end(),
                            [total](int n) { return n > 0 && n < total; }));
    const auto all = rows();
    EXPECT_TRUE(has(all, [](const TrafficEvent& e) {
        return e.kind == TrafficKind::request && e.address == address && e.text.find("Чтение") == 0;
    }));
    EXPECT_TRUE(has(all, [](const TrafficEvent& e) { return e.kind == TrafficKind::reply && e.response_us > 0; }));

    // Errors only: the time-out and the damaged reply, painted as errors.
    monitor->set_errors_only(true);
    const auto errors = rows();
    EXPECT_TRUE(std::all_of(errors.begin(), errors.end(), is_traffic_error));
    EXPECT_TRUE(has(errors, [](const TrafficEvent& e) { return e.kind == TrafficKind::timeout && e.first_register == 0x18; }));
    EXPECT_TRUE(has(errors, [](const TrafficEvent& e) { return e.kind == TrafficKind::reply && !e.crc_ok; }));
    const QModelIndex first = monitor->model().index(0, TrafficModel::meaning_column);
    EXPECT_TRUE(monitor->model().data(first, Qt::BackgroundRole).isValid());
    EXPECT_EQ(monitor->model().data(monitor->model().index(0, TrafficModel::kind_column), Qt::DisplayRole).toString()
                  .isEmpty(),
              false);

    // One register: its request, the silence, the retry and the reply; nothing of other registers.
    monitor->set_errors_only(false);
    EXPECT_FALSE(monitor->set_register_filter("рег"));
    ASSERT_TRUE(monitor->set_register_filter("0x0018"));
    const auto damping = rows();
    EXPECT_TRUE(std::all_of(damping.begin(), damping.end(),
                            [](const TrafficEvent& e) { return e.concerns_register(0x18); }));
    for (const auto kind : {TrafficKind::request, TrafficKind::timeout, TrafficKind::retry, TrafficKind::reply})
        EXPECT_TRUE(has(damping, [kind](const TrafficEvent& e) { return e.kind == kind; })) << traffic_word(kind);
    ASSERT_TRUE(monitor->set_register_filter(""));
    EXPECT_EQ(monitor->model().rowCount(), total);

    // The statistics since the port was opened, in the monitor and the status bar; then reset. A
    // damaged reply is no reply: its transfer ends in a time-out too.
    frame->refresh_link_statistics();
    EXPECT_TRUE(monitor->statistics_text().contains("Таймаутов: 2")) << monitor->statistics_text().toStdString();
    EXPECT_TRUE(monitor->statistics_text().contains("Ошибок CRC: 1")) << monitor->statistics_text().toStdString();
    EXPECT_TRUE(frame->link_statistics_note().contains("2 тайм., 1 CRC")) << frame->link_statistics_note().toStdString();
    monitor->reset_statistics();
    EXPECT_TRUE(monitor->statistics_text().startsWith("Запросов: 0 ")) << monitor->statistics_text().toStdString();
    frame->refresh_link_statistics();
    EXPECT_TRUE(frame->link_statistics_note().isEmpty());
}

TEST_F(TrafficWindowTest, PausedRowsWaitAndSavedRowsHaveTheTraceForm)
{
    auto& damping = at("0x0018");
    ASSERT_EQ(document->link().read_registers(damping, false), 0);
    monitor->take_traffic();
    const int before = monitor->model().rowCount();
    ASSERT_GE(before, 2);

    monitor->set_paused(true);
    ASSERT_EQ(document->link().read_registers(damping, false), 0);
    monitor->take_traffic();
    EXPECT_EQ(monitor->model().rowCount(), before);
    EXPECT_TRUE(monitor->note_text().startsWith("Пауза")) << monitor->note_text().toStdString();
    monitor->set_paused(false);
    EXPECT_EQ(monitor->model().rowCount(), before + 2);

    const auto path = std::filesystem::temp_directory_path() / ("traffic_" + std::to_string(getpid()) + ".txt");
    ASSERT_TRUE(monitor->save_to(QString::fromStdString(path.string())));
    const auto lines = trace_lines(path.string());
    std::filesystem::remove(path);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(before + 2));
    for (const auto& line : lines)
        EXPECT_TRUE(is_trace_line(line)) << line;
    EXPECT_EQ(lines_of(lines, "TX").size(), 2u);

    monitor->table()->selectRow(0);
    monitor->table()->selectionModel()->select(monitor->model().index(1, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
    monitor->copy_selection();
    const QString copied = QApplication::clipboard()->text();
    EXPECT_EQ(copied.count('\n'), 2);
    EXPECT_TRUE(copied.startsWith(QString::fromStdString(lines[0]))) << copied.toStdString();

    // A folder that is not there: said, not swallowed.
    shell.clear_shown_boxes();
    EXPECT_FALSE(monitor->save_to("/nonexistent-folder/traffic.txt"));
    ASSERT_EQ(boxes("Монитор обмена").size(), 1u);
    EXPECT_NE(boxes("Монитор обмена")[0].text.find("/nonexistent-folder/traffic.txt"), std::string::npos);

    monitor->clear();
    EXPECT_EQ(monitor->model().rowCount(), 0);
    // Closed and opened again, the monitor kept hearing the line.
    frame->run_command(ui::Command::traffic_monitor);
    EXPECT_FALSE(frame->action(ui::Command::traffic_monitor)->isChecked());
    ASSERT_EQ(document->link().read_registers(damping, false), 0);
    frame->run_command(ui::Command::traffic_monitor);
    monitor->take_traffic();
    EXPECT_EQ(monitor->model().rowCount(), 2);
}

TrafficEvent numbered(int number)
{
    TrafficEvent event;
    event.kind = number % 3 == 0 ? TrafficKind::timeout : TrafficKind::request;
    event.address = number;
    event.first_register = number % 2; // even events concern register 0, odd ones register 1
    event.register_count = 1;
    return event;
}

std::vector<TrafficEvent> batch(int from, int to)
{
    std::vector<TrafficEvent> events;
    for (int n = from; n < to; ++n)
        events.push_back(numbered(n));
    return events;
}

std::vector<int> shown(const TrafficModel& model)
{
    std::vector<int> numbers;
    for (int row = 0; row < model.rowCount(); ++row)
        numbers.push_back(model.event(row).address);
    return numbers;
}

TEST(TrafficModelRows, KeepTheNewestAndFollowTheFilter)
{
    const struct {
        const char* name;
        std::vector<std::pair<int, int>> batches;
        TrafficFilter filter;
        std::vector<int> expected;
    } cases[] = {
        {"under the cap", {{0, 3}}, {}, {0, 1, 2}},
        {"oldest leave", {{0, 3}, {3, 6}}, {}, {2, 3, 4, 5}},
        {"a batch over the cap", {{0, 2}, {2, 12}}, {}, {8, 9, 10, 11}},
        {"filtered rows leave with their events", {{0, 3}, {3, 6}}, {0, false}, {2, 4}},
        {"errors only", {{0, 7}}, {std::nullopt, true}, {3, 6}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TrafficModel model(4);
        model.set_filter(c.filter);
        for (const auto& [from, to] : c.batches)
            model.append(batch(from, to));
        EXPECT_EQ(shown(model), c.expected);
        EXPECT_LE(model.kept(), 4u);
        // The filter off again: every event kept comes back, in order.
        model.set_filter({});
        const auto all = shown(model);
        EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
        EXPECT_EQ(all.size(), model.kept());
        model.clear();
        EXPECT_EQ(model.rowCount(), 0);
        model.append(batch(20, 21));
        EXPECT_EQ(shown(model), std::vector<int>{20});
    }
}

} // namespace
} // namespace zr740::testing
