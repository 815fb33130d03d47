// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Поиск приборов": finds the instruments on the line (every address of a range at each chosen
// baud rate) and lets the person connect to one: its address and baud rate become the program's
// link settings. The search runs on a worker thread and stops at once; what it finds is handed to
// the window thread as it answers.

#include "app/line_scan.h"

#include <QDialog>

#include <thread>
#include <vector>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace zr740 {
class DeviceIO;
}

namespace zr740::ui {

class WindowPost;

class LineSearchDialog : public QDialog {
    Q_OBJECT
public:
    LineSearchDialog(DeviceIO& link, QWidget* parent = nullptr);
    ~LineSearchDialog() override;

    void set_range(int first, int last);
    // The baud rates ticked (all of those offered, at first).
    std::vector<int> chosen_rates() const;
    // Ticks exactly these of the rates offered.
    void choose_rates(const std::vector<int>& rates);
    void start();
    void stop();
    bool running() const { return worker_.joinable() && !finished_; }
    // Waits (turning the event loop) until the search has ended.
    void wait_until_finished();

    const std::vector<FoundInstrument>& found() const { return found_; }
    QTableWidget* table() const { return table_; }
    QLabel* status() const { return status_; }
    // Makes the instrument of the row the program's link (address and baud rate) and closes.
    bool connect_to(int row);

protected:
    void reject() override;

private:
    void finished(LineScan::Outcome outcome);
    void join();

    DeviceIO& link_;
    LineScan scan_;
    std::thread worker_;
    bool finished_ = false;
    std::vector<FoundInstrument> found_;
    QSpinBox* first_ = nullptr;
    QSpinBox* last_ = nullptr;
    std::vector<std::pair<int, QCheckBox*>> rates_;
    QPushButton* start_ = nullptr;
    QPushButton* connect_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QTableWidget* table_ = nullptr;
    WindowPost* post_ = nullptr;
};

} // namespace zr740::ui
