// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Пусконаладка серии приборов": the open configuration goes into one instrument after another,
// each read back and recorded in a CSV report. The window shows the report's rows, the counts so
// far and the last instrument's verdict in large letters. The run's driver and the exchange thread
// do the work; what they find is handed to the window thread, which only shows it.

#include "app/commission_run.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace zr740 {
class AppShell;
class CHLB5Doc;
} // namespace zr740

namespace zr740::ui {

class WindowPost;

class CommissionDialog : public QDialog {
    Q_OBJECT
public:
    CommissionDialog(CHLB5Doc& document, AppShell& shell, QWidget* parent = nullptr);
    ~CommissionDialog() override;

    void set_report_path(const QString& path);
    void set_repeat(bool repeat);
    // Starts the run; false (saying why) when there is no report or it cannot be written.
    bool start();
    // The run ends after the transaction under way.
    void stop();
    bool running() const { return run_ && !finished_; }
    // Waits (turning the event loop) until the run has ended.
    void wait_until_finished();
    // Waits (turning the event loop) until `count` instruments have been done, or `limit` passed.
    bool wait_for_instruments(int count, int limit_ms);

    QTableWidget* table() const { return table_; }
    QLabel* verdict() const { return verdict_; }
    QLabel* counts() const { return counts_; }
    QLabel* status() const { return status_; }

protected:
    void reject() override;

private:
    void add_row(const std::vector<std::string>& fields);
    void show_record(const CommissionRecord& record);
    void show_counts();
    void finished();
    void load_report();

    CHLB5Doc& document_;
    AppShell& shell_;
    std::unique_ptr<CommissionRun> run_;
    bool finished_ = false;
    int ok_ = 0;
    int failed_ = 0;
    QLineEdit* report_ = nullptr;
    QPushButton* browse_ = nullptr;
    QCheckBox* repeat_ = nullptr;
    QCheckBox* apply_ = nullptr;
    QLabel* verdict_ = nullptr;
    QLabel* counts_ = nullptr;
    QLabel* status_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* start_ = nullptr;
    WindowPost* post_ = nullptr;
};

} // namespace zr740::ui
