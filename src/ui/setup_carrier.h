// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The connection setup window ("Установка связи с прибором"): the program's link settings in an
// editable list, the buttons that try them, scan the baud rates, restore the factory settings or
// give up the link, and the status line. The work is LinkSetup's; this window shows it.
//
// Opened at start-up when the link check failed (working offline allowed) and from the menu (not
// allowed). exec() returns Accepted when a link was found or a variant was chosen to work offline.

#include "app/link_setup.h"
#include "ui/window_post.h"

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;
class QTableWidget;

namespace zr740 {
class Device;
class StopEvent;
class Shell;
struct RunState;
} // namespace zr740

namespace zr740::ui {

class CSetupCarrier : public QDialog {
    Q_OBJECT
public:
    CSetupCarrier(Device& link, StopEvent& stop, RunState& run, Shell& shell, bool offline_allowed, QWidget* parent);
    ~CSetupCarrier() override;

    // Set on the way offline: automatic reading is to be switched off.
    bool went_offline() const { return went_offline_; }

    QTableWidget* list() const { return list_; }
    QLabel* status() const { return status_; }
    bool status_is_error() const { return status_is_error_; }
    QPushButton* button(int id) const;
    const LinkSetup& setup() const { return setup_; }

    // The window's commands: the button ids of the window (1 OK, 2 "Выход", 3 "Работать offline",
    // 4 "Сканирование сети", 5 "Установить связь", 6 "Заводские сетевые настройки", 7 "Поиск приборов...").
    void command(int id);

public slots:
    void accept() override;
    void reject() override;

private:
    class View;
    void set_status(const QString& text, bool error);
    void show_value(int row, const QString& text);
    void on_offline();
    void commit_edit(int row, const QString& text);
    // Opens the search for instruments; the one the person picks is connected to.
    void search();

    Shell& shell_;
    RunState& run_;
    Device& link_;
    std::unique_ptr<View> view_;
    LinkSetup setup_;
    QTableWidget* list_;
    QLabel* status_;
    WindowPost* post_ = nullptr; // what the worker hands to the window thread
    bool status_is_error_ = false;
    bool went_offline_ = false;
    bool closing_ = false;
    friend class SetupValueDelegate;
};

} // namespace zr740::ui
