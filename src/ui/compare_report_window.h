// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The compare report: every difference the last compare found, in a table sortable by any column,
// saved as CSV or as an HTML page on request. It stands beside the main window (not modal) so the
// person can go through the differences and the tree together: a double click on a row selects
// that parameter in the tree.

#include "app/compare_report.h"

#include <QDialog>

#include <functional>
#include <vector>

class QLabel;
class QTableView;
class QPushButton;

namespace zr740::ui {

class DifferenceModel;
class DifferenceSorter;
class QtShell;

class CompareReportWindow : public QDialog {
    Q_OBJECT
public:
    explicit CompareReportWindow(QtShell& shell, QWidget* parent = nullptr);

    // The rows shown from now on, in the tree's order until a heading is clicked.
    void set_differences(std::vector<CompareDifference> differences);
    const std::vector<CompareDifference>& differences() const;

    // Write every difference (whatever the order shown) to `path`; a failure is told through the
    // shell.
    bool save_csv_to(const QString& path);
    bool save_html_to(const QString& path);

    QTableView* table() const { return table_; }
    DifferenceModel& model() const { return *model_; }
    QString summary() const;
    QPushButton* save_csv_button() const { return save_csv_; }
    QPushButton* save_html_button() const { return save_html_; }

    // A double click on a row: the difference of that row.
    std::function<void(const CompareDifference&)> on_chosen;

private:
    // Asks where to save (the last folder used, the name given), adding the extension when none
    // was typed; empty when the person cancelled.
    QString ask_path(const QString& caption, const QString& name, const QString& filter);
    bool report_failure(const QString& path, const std::string& reason);

    QtShell& shell_;
    DifferenceModel* model_ = nullptr;
    DifferenceSorter* sorter_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* summary_ = nullptr;
    QPushButton* save_csv_ = nullptr;
    QPushButton* save_html_ = nullptr;
    QString folder_;
};

} // namespace zr740::ui
