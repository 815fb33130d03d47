#pragma once
// The main window: menu bar, toolbar and status bar around the tree list view of the document.
// Every command (menu item, toolbar button, accelerator, command posted by the core) is a Command
// that `run_command` dispatches; the menus, toolbar and keys are built from the command table
// (command_table.h). The program modes are the check marks of their menu items, bound to the run's
// shared state so the core sees what the person sees.

#include "app/compare_report.h"
#include "ui/command.h"

#include <QMainWindow>
#include <QPoint>
#include <QSize>

#include <cstddef>
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
class CompareReportWindow;
class TrafficWindow;
class TrendWindow;
struct CommandEntry;
enum class Menu;
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
    // Runs a command; false for one that is no command of this window.
    bool run_command(Command command);
    // The same by its number (QAction data, posted commands).
    bool run_command(int id) { return run_command(static_cast<Command>(id)); }
    // Commands posted by the core: the run's own first (an unattended run's jobs), then the
    // window's.
    void posted_command(int id);
    std::function<bool(int)> app_command;

    // The command's action; nullptr for a command without one.
    QAction* action(Command command) const;
    QAction* action(int id) const { return action(static_cast<Command>(id)); }
    CHLB5TreeListView* view() const { return view_; }
    CHLB5Doc& document() const { return document_; }
    QToolBar* tool_bar() const { return toolbar_; }
    // The traffic monitor; made on first use.
    TrafficWindow* traffic_window();
    // The trend window; made on first use, fed the scanners' results from then on.
    TrendWindow* trend_window();
    // The compare report; made on first use. A compare that finds more differences than a box
    // lists opens it; one open already shows the result of every later compare.
    CompareReportWindow* compare_report_window();
    static constexpr std::size_t compare_box_limit = 5;
    // The link statistics in the status bar, renewed twice a second.
    void refresh_link_statistics();
    QString link_statistics_note() const;

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
    // The menu of the command table, made on first use where the menu table puts it.
    QMenu* menu(Menu which, std::map<Menu, QMenu*>& made);
    void build_toolbar();
    void build_status_bar();
    // The row's action as `command` (a recent-file entry's own number); without a menu it is a key
    // of the window itself.
    QAction* add_action(QMenu* menu, const CommandEntry& entry, Command command);
    void refresh_commands();
    void refresh_recent_menu();
    void update_caption();

    // Commands, by group; each says whether the command was one of its group.
    bool run_file_command(Command command);
    bool run_device_command(Command command);
    bool run_mode_command(Command command);
    bool run_help_command(Command command);
    bool confirm_discard();
    void file_new();
    // Lets the tree go before another document takes its place: what still names its parameters
    // (the CSV log's columns) stops first.
    void drop_tree();
    void file_open();
    bool file_save();
    bool file_save_as();
    void open_recent(int index);
    void tree_job(Command command);
    void link_check();
    void init_command();
    void open_help();
    void html_export();
    void csv_export();
    // The end of a compare; true when the report window shows it rather than a box.
    bool compare_result(const std::vector<CompareDifference>& differences);
    void show_compare_report();
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
    QLabel* note_ = nullptr;
    QLabel* link_statistics_ = nullptr;
    TrafficWindow* traffic_ = nullptr;
    TrendWindow* trend_ = nullptr;
    CompareReportWindow* report_ = nullptr;
    std::vector<CompareDifference> last_differences_;
    std::map<Command, QAction*> actions_;
    std::vector<QAction*> recent_actions_;
    std::vector<std::string> recent_;
    std::string path_;
    bool no_attributes_ = false;
    bool placement_locked_ = false;
    QPoint locked_position_;
    bool closing_ = false;
};

} // namespace zr740::ui
