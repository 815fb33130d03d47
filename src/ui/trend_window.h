// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The trend window: a dock beside the tree where every polled scanner is a line against time,
// live. It is fed the scanners' results as the main window takes them from their queue, from its
// first opening to the program's end, shown or not; the points wait in a TrendStore and a clock
// redraws at most 15 times a second, only when something came. Following, the time axis moves
// with the newest point; paused (or once the person drags or zooms the plot) the view holds
// still while points are still collected. The visible range can be saved as a picture or a CSV
// table, and a CSV log of every poll started and stopped here: it is written on the scanners'
// thread, so a busy window never holds it up.

#include "app/scan_result_queue.h"
#include "app/trend_store.h"

#include <QDockWidget>

#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QTimer;
class QToolButton;

namespace zr740 {
class CsvLog;
class Parameter;
class ScanThread;
} // namespace zr740

namespace zr740::ui {

class QtShell;
class TrendPlot;

class TrendWindow : public QDockWidget {
    Q_OBJECT
public:
    explicit TrendWindow(QtShell& shell, QWidget* parent = nullptr);
    ~TrendWindow() override;

    // Takes the results of polls: a number becomes a point, a failed poll a gap, a text that is
    // no number is left out. The records' parameters must be alive (the view's current scanners).
    void add_results(const std::vector<ScanResult>& results);
    // What the clock does: brings the plot up to the store, moves the view when following, and
    // redraws when something changed.
    void refresh();

    void set_paused(bool paused);
    bool paused() const;
    // The time span shown while following, in seconds; 0: everything.
    void set_span(int seconds);
    int span() const;
    void clear();

    // The picture of the plot as shown, and the values of the time range shown as CSV; a failure
    // is told through the shell.
    bool save_png(const QString& path);
    bool save_csv(const QString& path);

    // Where the CSV log gets its polls and its columns (the scanners polled when it starts).
    void set_log_source(ScanThread* scanners, std::function<std::vector<Parameter*>()> columns);
    // Starts the log into `path`, written on the scanners' thread from now on: false, told
    // through the shell, when it cannot start. A write error stops it and is told the same way.
    bool start_log(const QString& path);
    void stop_log();
    bool logging() const { return log_ != nullptr; }
    // The log's file and lines, while it runs and after it stopped; empty before the first.
    QString log_status() const;

    const TrendStore& store() const { return store_; }
    TrendPlot* plot() const { return plot_; }
    QString note_text() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build();
    void save_png_as();
    void save_csv_as();
    void log_clicked();
    // On the window thread after the log met a write error.
    void log_failed();
    void update_log_controls();
    void tell_failure(const QString& text);

    QtShell& shell_;
    TrendStore store_;
    TrendPlot* plot_ = nullptr;
    QToolButton* pause_ = nullptr;
    QComboBox* span_ = nullptr;
    QLabel* note_ = nullptr;
    QToolButton* log_button_ = nullptr;
    QLabel* log_status_ = nullptr;
    ScanThread* scanners_ = nullptr;
    std::function<std::vector<Parameter*>()> log_columns_;
    std::unique_ptr<CsvLog> log_;
    QString log_path_;
    std::size_t log_lines_ = 0; // of the last log, once stopped
    QTimer* clock_ = nullptr;
    bool dirty_ = true;
};

} // namespace zr740::ui
