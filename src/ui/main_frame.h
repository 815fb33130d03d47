#pragma once
// The main window: menu bar, toolbar and status bar around the tree list view of the document.
// Every command (menu item, toolbar button, accelerator, command posted by the core) is a number
// that `run_command` dispatches; the program modes are the check marks of their menu items, bound
// to the run's shared state so the core sees what the person sees.

#include "ui/ui_text.h"

#include <QMainWindow>
#include <QPoint>
#include <QSize>

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace zr740 {
class CHLB5Doc;
class Settings;
} // namespace zr740

namespace zr740::ui {

class CHLB5TreeListView;
class QtShell;

// The caption of a description variant ("ЗР740", "ЗР740(old)", "<неизвестен>").
std::string_view variant_caption(int variant);

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // `settings` keeps the recent-file list. The shell's posted commands, scanner announcements
    // and view updates go to this window from now on.
    CMainFrame(CHLB5Doc& document, QtShell& shell, Settings& settings, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Fills the view from the document's tree (after the document was created or replaced).
    void initial_update();
    // Runs a command by its number; false for a number that is no command of this window.
    bool run_command(int id);
    // Commands posted by the core: the run's own first (an unattended run's jobs), then the
    // window's.
    void posted_command(int id);
    std::function<bool(int)> app_command;

    QAction* action(int id) const;
    CHLB5TreeListView* view() const { return view_; }
    CHLB5Doc& document() const { return document_; }
    QToolBar* tool_bar() const { return toolbar_; }

    // The configuration file shown; empty for a new one.
    const std::string& path() const { return path_; }
    // Opening and saving without a file dialog.
    bool open_path(const std::string& path);
    bool save_to(const std::string& path);
    // The document is this file from now on (named on the command line, or saved into after a
    // read): the caption, the root row and Ctrl+S follow it.
    void adopt_path(const std::string& path, bool recent);
    std::vector<std::string> recent_files() const { return recent_; }

    // The window keeps the place and size the command line gave it until the first job ends.
    void set_placement_lock(bool on);
    bool placement_locked() const { return placement_locked_; }

    // A lasting note in the status bar (no link at start-up, result of the link check).
    void set_status_note(const QString& text);
    QString status_note() const;

    // The help page; by default the program folder's "help/index.html".
    std::string help_path;

    // The run was told to end from outside: every box and dialog is closed without an answer, the
    // worker threads are stopped, unsaved changes go to the recovery file, and the window closes
    // without asking.
    void end_from_outside();
    // At the start of a person's run: changes kept by a run that was ended from outside are
    // offered back; taken or refused, the recovery file is gone afterwards.
    void offer_recovery();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    // A configuration file dropped on the window is opened.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void build_menus();
    void build_toolbar();
    void build_status_bar();
    QAction* add_command(QMenu* menu, int id, Text text, const char* shortcut = nullptr);
    // The same for any text (empty: a key without a menu item); without a menu on the window itself.
    QAction* add_action(QMenu* menu, int id, const QString& text, const char* shortcut);
    void refresh_commands();
    void refresh_recent_menu();
    void update_caption();

    // Commands.
    bool confirm_discard();
    void file_new();
    void file_open();
    bool file_save();
    bool file_save_as();
    void open_recent(int index);
    void tree_job(int id);
    void link_check();
    void init_command();
    void open_help();
    void html_export();
    void about();
    void note(std::string_view text);
    void remember_recent(const std::string& path);
    void load_recent();
    void store_recent();

    CHLB5Doc& document_;
    QtShell& shell_;
    Settings& settings_;
    CHLB5TreeListView* view_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QMenu* file_menu_ = nullptr;
    QAction* recent_anchor_ = nullptr;
    QLabel* note_ = nullptr;
    std::map<int, QAction*> actions_;
    std::vector<QAction*> recent_actions_;
    std::vector<std::string> recent_;
    std::string path_;
    bool no_attributes_ = false;
    bool placement_locked_ = false;
    QPoint locked_position_;
    bool closing_ = false;
};

} // namespace zr740::ui
