// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The traffic monitor: a dock under the tree with one row per frame or link event, live while
// jobs, scanners, the single-parameter poll and the connection setup use the line. It listens to
// the link's trace from its first opening to the program's end, so closing and opening it again
// keeps what it saw. Events wait in a TrafficLog and are taken ten times a second: the line's
// thread never waits for the window, and the window paints a batch, not a frame at a time.

#include "app/traffic_log.h"

#include <QDockWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QTableView;
class QTimer;
class QToolButton;

namespace zr740 {
class FrameTrace;
struct LinkStatisticsSnapshot;
}

namespace zr740::ui {

class QtShell;
class TrafficModel;

// The link statistics in words: in full for the monitor, briefly for the status bar.
QString link_statistics_text(const LinkStatisticsSnapshot& statistics, bool brief);

class TrafficWindow : public QDockWidget {
    Q_OBJECT
public:
    TrafficWindow(FrameTrace& trace, QtShell& shell, QWidget* parent = nullptr);
    ~TrafficWindow() override;

    // Starts hearing the line (done when first shown); further calls do nothing.
    void start_listening();
    // What the clock does: takes the waiting events into the table unless paused, and renews the
    // statistics and the notes.
    void take_traffic();

    void set_paused(bool paused);
    bool paused() const;
    // The register filter as typed; false (and the filter unchanged) for a text naming no register.
    bool set_register_filter(const QString& text);
    void set_errors_only(bool on);
    void clear();
    void reset_statistics();

    // The rows as the trace file writes them: the selected ones, or all shown.
    QString selected_text() const;
    QString shown_text() const;
    void copy_selection() const;
    // Writes the rows shown (the filter applies) to `path`; a failure is told through the shell.
    bool save_to(const QString& path);

    TrafficModel& model() const { return *model_; }
    QTableView* table() const { return table_; }
    QString statistics_text() const;
    QString note_text() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build();
    void save_as();
    QString rows_text(const std::vector<int>& rows) const;

    FrameTrace& trace_;
    QtShell& shell_;
    TrafficLog log_;
    bool listening_ = false;
    TrafficModel* model_ = nullptr;
    QTableView* table_ = nullptr;
    QToolButton* pause_ = nullptr;
    QLineEdit* register_ = nullptr;
    QCheckBox* errors_only_ = nullptr;
    QLabel* statistics_ = nullptr;
    QLabel* note_ = nullptr;
    QTimer* clock_ = nullptr;
};

} // namespace zr740::ui
