// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The apply window ("Перевод прибора на новый режим работы"): shows the instrument's new network
// settings and asks whether the program moves along and whether the command is also broadcast. OK
// hands the boxes to the core's confirmation, which does the exchange, before the window closes.

#include "app/app_shell.h"

#include <QDialog>

#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QPushButton;

namespace zr740::ui {

class CApply : public QDialog {
    Q_OBJECT
public:
    CApply(const std::string& settings_text, std::function<void(const ApplyChoices&)> on_ok,
           QWidget* parent = nullptr);

    ApplyChoices choices() const;

    QLabel* settings_label() const { return settings_; }
    QCheckBox* change_program_box() const { return change_program_; }
    QCheckBox* broadcast_box() const { return broadcast_; }
    QCheckBox* three_times_box() const { return three_times_; }
    QPushButton* ok_button() const { return ok_; }
    QPushButton* cancel_button() const { return cancel_; }

protected:
    void accept() override;

private:
    std::function<void(const ApplyChoices&)> on_ok_;
    QLabel* settings_;
    QCheckBox* change_program_;
    QCheckBox* broadcast_;
    QCheckBox* three_times_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

} // namespace zr740::ui
