// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The calibration window ("Юстировка прибора"): a group per correction with its explanation, an
// edit box and "Применить", and "Закрыть". Each press hands the typed text to the core, which checks
// it, writes the one register and tells the outcome. Nothing is read when the window opens.

#include <QDialog>

#include <functional>
#include <string>

class QLineEdit;
class QPushButton;

namespace zr740::ui {

class CPageUstirovka : public QDialog {
    Q_OBJECT
public:
    // `apply` gets true for the range correction.
    explicit CPageUstirovka(std::function<void(bool, const std::string&)> apply, QWidget* parent = nullptr);

    QLineEdit* offset_edit() const { return offset_edit_; }
    QLineEdit* range_edit() const { return range_edit_; }
    QPushButton* offset_button() const { return offset_button_; }
    QPushButton* range_button() const { return range_button_; }
    QPushButton* close_button() const { return close_; }

private:
    void apply_correction(bool range);

    std::function<void(bool, const std::string&)> apply_;
    QLineEdit* offset_edit_;
    QLineEdit* range_edit_;
    QPushButton* offset_button_;
    QPushButton* range_button_;
    QPushButton* close_;
};

} // namespace zr740::ui
