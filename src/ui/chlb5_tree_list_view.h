#pragma once
// The one view of the main window: the configuration as a tree list of seven columns over the
// document's tree, with in-place editing, the context menus of branches and parameters, the branch
// and single-parameter commands, the navigation between problem parameters, and the scanner rows
// fed from the scanners' result queue.

#include "app/scan_result_queue.h"
#include "ui/command.h"
#include "ui/window_post.h"

#include <QTreeView>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QMenu;

namespace zr740 {
class CHLB5Doc;
class DescBranch;
class Parameter;
class Shell;
} // namespace zr740

namespace zr740::ui {

class CHLB5TreeListCtrl;
class TreeItemDelegate;
class TreeRowEditor;
struct TreeNode;

// The view's commands by their numbers, under the names code written against the numbers knows.
namespace view_commands {
inline constexpr int previous_problem = number(Command::previous_problem);
inline constexpr int next_problem = number(Command::next_problem);
inline constexpr int read_branch = number(Command::branch_read);
inline constexpr int write_branch = number(Command::branch_write_all);
inline constexpr int write_changed_branch = number(Command::branch_write_changed);
inline constexpr int compare_branch = number(Command::branch_compare);
inline constexpr int read_parameter = number(Command::read_parameter);
inline constexpr int write_parameter = number(Command::write_parameter);
inline constexpr int set_no_data = number(Command::set_no_data);
} // namespace view_commands

class CHLB5TreeListView : public QWidget {
    Q_OBJECT
public:
    CHLB5TreeListView(CHLB5Doc& document, Shell& shell, QWidget* parent = nullptr);
    ~CHLB5TreeListView() override;

    // Once per (new or opened) document: fills the tree, starts the switched-on scanners and the
    // exchange thread, lets the device object know, expands the root and the parameter item.
    void initial_update();
    // Before the document's tree is cleared or replaced: drops every row.
    void reset_document();
    // The document changed values: every row shows its texts and colours again (changed rows only).
    void update_view();
    // New scanner results are queued (called on the window thread): shown in their rows, and
    // returned, those of the tree's scanners only, for the trend window.
    std::vector<ScanResult> take_scan_results();
    // The branch, navigation and single-parameter commands; false for any other command.
    bool run_view_command(Command command);
    bool run_view_command(int id) { return run_view_command(static_cast<Command>(id)); }
    QTreeView* tree() const;
    // Selects the row of the parameter tree's parameter `name` (with `index` for an indexed one,
    // -1 for one without), opening its branches; the one of the same caption when several match.
    // False when the tree holds no such parameter (the description changed since).
    bool show_parameter(const std::string& name, int index, const std::string& caption);
    // The exchange thread's outcomes that wait: applied to the document and their rows repainted
    // (called on the window thread, which owns the values).
    void take_outcomes();

    // The document title shown in the root row; the frame sets it when the title changes.
    void set_document_title(const QString& title);
    CHLB5TreeListCtrl& model() const { return *model_; }
    // The context menu of a row (menu 321 for a branch, 310 for a parameter), or none. Its actions
    // run their commands on the row, which becomes the current one.
    std::unique_ptr<QMenu> context_menu(const QModelIndex& index);

signals:
    // An edit changed the document.
    void documentModified();

private:
    void on_expanded(const QModelIndex& index);
    void show_context_menu(const QPoint& position);
    void run_branch_command(Command command);
    void navigate(bool forward);
    void select(TreeNode& node);
    TreeNode* current_node() const;
    DescBranch* selected_branch() const;
    // The instrument parameter of the current row; none on a row of the program's link settings.
    Parameter* selected_parameter() const;
    bool editing(const TreeNode& node) const;

    CHLB5Doc& document_;
    Shell& shell_;
    QString title_;
    std::unique_ptr<TreeRowEditor> editor_;
    CHLB5TreeListCtrl* model_;
    TreeItemDelegate* delegate_;
    QTreeView* tree_;
    WindowPost* post_ = nullptr; // the exchange thread's announcements of outcomes
};

} // namespace zr740::ui
