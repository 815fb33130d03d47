// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The choice of the instrument to work with offline ("Выберите прибор"): one row per description
// variant the program serves. OK sets the description variant of the run.

#include <QDialog>

class QTreeWidget;

namespace zr740 {
class Shell;
struct RunState;
}

namespace zr740::ui {

class CSelectDeviceDlg : public QDialog {
    Q_OBJECT
public:
    CSelectDeviceDlg(Shell& shell, RunState& run, QWidget* parent);
    QTreeWidget* list() const { return list_; }

public slots:
    void accept() override;

private:
    Shell& shell_;
    RunState& run_;
    QTreeWidget* list_;
};

} // namespace zr740::ui
