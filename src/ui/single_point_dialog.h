// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The single-point window ("Произвольный доступ к отдельным параметрам (Single Point)"): any
// described parameter, picked or typed by name, is read or written once, outside the tree, and the
// outcome is listed. The exchange and its lines are the core's; this is the window around them.
//
// The Korvel protocol's index controls (an index sent in the address or in the request) are not
// offered: the Modbus exchange this program speaks carries neither.

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace zr740 {
class DescriptionLists;
class DeviceIO;
class Shell;
} // namespace zr740

namespace zr740::ui {

class CSinglePoint : public QDialog {
    Q_OBJECT
public:
    CSinglePoint(const DescriptionLists& lists, DeviceIO& link, Shell& shell, QWidget* parent = nullptr);

    QComboBox* name_box() const { return name_; }
    QLineEdit* identifier() const { return identifier_; }
    QLabel* description() const { return description_; }
    QRadioButton* read_button() const { return read_; }
    QRadioButton* write_button() const { return write_; }
    QLabel* value_label() const { return value_label_; }
    QComboBox* value_box() const { return value_; }
    QPushButton* run_button() const { return run_; }
    QListWidget* results() const { return results_; }
    QPushButton* exit_button() const { return exit_; }

    // "Выполнить!".
    void run();

private:
    void name_chosen(const QString& name);
    void operation_chosen();

    const DescriptionLists& lists_;
    DeviceIO& link_;
    Shell& shell_;
    QComboBox* name_;
    QLineEdit* identifier_;
    QLabel* description_;
    QRadioButton* read_;
    QRadioButton* write_;
    QLabel* value_label_;
    QComboBox* value_;
    QPushButton* run_;
    QListWidget* results_;
    QPushButton* exit_;
};

} // namespace zr740::ui
