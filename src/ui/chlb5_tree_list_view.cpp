#include "ui/chlb5_tree_list_view.h"

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "app/step_outcome.h"
#include "model/c_numbers.h"
#include "model/model_texts.h"
#include "model/text.h"
#include "app/app_shell.h"
#include "platform/wait_cursor.h"
#include "ui/chlb5_tree_list_ctrl.h"
#include "ui/tree_item_delegate.h"
#include "ui/tree_row_editor.h"
#include "ui/tree_texts.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QMenu>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <unordered_set>

namespace zr740::ui {
namespace {

using Kind = TreeNode::Kind;

// The parameters of a branch in the order the tree shows them: the branch's own, then each child
// branch (a branch of one parameter shows as that parameter's row).
void display_order(DescBranch& branch, std::vector<Parameter*>& out)
{
    for (auto& parameter : branch.parameters)
        out.push_back(parameter.get());
    for (auto& child : branch.children) {
        if (child->children.empty() && child->parameters.size() == 1)
            out.push_back(child->parameters.front().get());
        else
            display_order(*child, out);
    }
}

// Separator rows of the description have a name of blanks only.
bool is_separator(const Parameter& parameter)
{
    return std::all_of(parameter.name.begin(), parameter.name.end(), [](char c) { return c == ' '; });
}

} // namespace

CHLB5TreeListView::CHLB5TreeListView(CHLB5Doc& document, Shell& shell, QWidget* parent)
    : QWidget(parent), document_(document), shell_(shell),
      editor_(std::make_unique<TreeRowEditor>(document, shell)),
      model_(new CHLB5TreeListCtrl(document, this)),
      delegate_(new TreeItemDelegate(*model_, shell, this)),
      tree_(new QTreeView(this))
{
    editor_->on_modified = [this] { emit documentModified(); };
    editor_->on_link_changed = [this] { update_view(); };
    model_->set_edit_handler([this](TreeNode& node, int column, const QVariant& value, int role) {
        return editor_->commit(node, column, value, role);
    });

    // Rows of one height let the view skip measuring every row on each refresh: with 20,000 live
    // rows that is the difference between milliseconds and seconds.
    tree_->setUniformRowHeights(true);
    tree_->setModel(model_);
    tree_->setItemDelegate(delegate_);
    tree_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::DoubleClicked |
                           QAbstractItemView::EditKeyPressed);
    tree_->setAllColumnsShowFocus(true);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->header()->setStretchLastSection(false);
    tree_->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The widths are those the users know, widened where the heading or the longest attribute text
    // would otherwise be clipped in the desktop's font.
    const QFontMetrics metrics(tree_->font());
    const int cell_margin = 2 * tree_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree_) + 8;
    auto text_width = [&](std::string_view text) {
        return metrics.horizontalAdvance(QString::fromUtf8(text.data(), static_cast<int>(text.size()))) + cell_margin;
    };
    for (int column = 0; column < CHLB5TreeListCtrl::column_count; ++column) {
        const QString heading = model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        int width = std::max(CHLB5TreeListCtrl::column_width(column), metrics.horizontalAdvance(heading) + 2 * cell_margin);
        if (column == 4)
            width = std::max({width, text_width(zr740::texts::attr_read_only), text_width(zr740::texts::attr_editable)});
        if (column == 5)
            width = std::max(width, text_width(zr740::texts::attr_user));
        tree_->header()->resizeSection(column, width);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tree_);

    connect(tree_, &QTreeView::expanded, this, &CHLB5TreeListView::on_expanded);
    connect(tree_, &QWidget::customContextMenuRequested, this, &CHLB5TreeListView::show_context_menu);

    // The window thread owns what the rows show: the exchange thread's outcomes wait for it and are
    // taken as soon as it gets to them, so each row shows its value or its error as its step ends.
    post_ = new WindowPost(this);
    document_.outcomes().attach_owner(
        [this] { post_->post([this] { take_outcomes(); }); },
        [this] { take_outcomes(); });
}

CHLB5TreeListView::~CHLB5TreeListView()
{
    // An editor still open loses its focus while the widgets go away and would commit into a view
    // that is half destroyed: such an unfinished edit is dropped.
    model_->set_edit_handler({});
    // What is still on its way goes into the document, which outlives the view.
    document_.outcomes().detach_owner();
}

QTreeView* CHLB5TreeListView::tree() const { return tree_; }

void CHLB5TreeListView::take_outcomes()
{
    std::vector<TreeNode*> changed;
    bool reactions = false;
    for (const StepOutcome& outcome : document_.outcomes().apply_waiting()) {
        if (!outcome.target) {
            reactions = true;
            continue;
        }
        TreeNode* row = model_->parameter_row(outcome.target);
        if (row && std::find(changed.begin(), changed.end(), row) == changed.end())
            changed.push_back(row);
    }
    // The device class's reactions may change any value (dependent limits, a reread).
    if (reactions) {
        model_->refresh_all();
        return;
    }
    for (TreeNode* row : changed)
        model_->refresh(*row);
}

void CHLB5TreeListView::set_document_title(const QString& title)
{
    title_ = title;
    model_->set_title(title);
}

void CHLB5TreeListView::initial_update()
{
    if (model_->filled())
        return;
    WaitCursor wait(shell_);
    auto* device = document_.device();
    const bool with_scanners = device && device->shows_scanners_branch() && document_.scanners();
    // Records of an earlier tree would name parameters that are gone.
    document_.scanners_thread().results().take_all();
    model_->fill(title_, with_scanners);
    // Scanner rows exist from the start, collapsed or not, so that no result finds them missing.
    if (TreeNode* scanners = model_->scanners_node())
        model_->fill_node(*scanners);
    if (with_scanners)
        document_.start_scanners();
    if (!document_.engine().running())
        document_.engine().start();
    if (device)
        device->on_tree_built();
    tree_->expand(model_->index_of(*model_->root_node()));
    if (TreeNode* parameters = model_->parameters_node())
        tree_->expand(model_->index_of(*parameters));
}

void CHLB5TreeListView::reset_document()
{
    model_->clear();
    document_.scanners_thread().results().take_all();
}

void CHLB5TreeListView::update_view()
{
    WaitCursor wait(shell_);
    model_->refresh_all();
}

bool CHLB5TreeListView::editing(const TreeNode& node) const
{
    return delegate_->editing() == &node;
}

std::vector<ScanResult> CHLB5TreeListView::take_scan_results()
{
    std::vector<TreeNode*> changed;
    std::vector<ScanResult> taken;
    auto& queue = document_.scanners_thread().results();
    while (auto record = queue.take()) {
        // A record of a parameter without a row is an earlier tree's: its parameter is gone.
        TreeNode* row = model_->scanner_row(record->parameter);
        if (!row)
            continue;
        taken.push_back(*record);
        // While its value is being edited the row keeps what the person sees.
        if (editing(*row))
            continue;
        row->scan_value = std::move(record->value_text);
        row->scan_status = std::move(record->status_text);
        if (!row->children.empty() && row->scan_status.empty()) {
            const unsigned long bits = static_cast<unsigned long>(c_atol(row->scan_value));
            for (auto& bit_row : row->children)
                bit_row->bit_set = bit_row->bit < 32 && ((bits >> bit_row->bit) & 1UL) != 0;
        }
        if (std::find(changed.begin(), changed.end(), row) == changed.end())
            changed.push_back(row);
    }
    for (TreeNode* row : changed)
        model_->refresh(*row);
    return taken;
}

void CHLB5TreeListView::on_expanded(const QModelIndex& index)
{
    TreeNode* node = model_->node(index);
    if (!node)
        return;
    model_->fill_node(*node);
    // The program's own link settings are no registers of the instrument: nothing to read there.
    if (node->kind != Kind::element || node->in_scanners || !document_.context().auto_read ||
        node->element == &document_.link().link_settings())
        return;
    WaitCursor wait(shell_);
    for (auto& child : node->children) {
        if (child->kind != Kind::parameter || is_separator(*child->parameter))
            continue;
        document_.engine().auto_read(child->parameter);
        model_->refresh(*child);
        // Five failed reads in a row switch auto-read off: the rest of the branch stays as it is.
        if (!document_.context().auto_read)
            break;
    }
}

TreeNode* CHLB5TreeListView::current_node() const { return model_->node(tree_->currentIndex()); }

DescBranch* CHLB5TreeListView::selected_branch() const
{
    const TreeNode* node = current_node();
    if (!node || node->kind != Kind::element || node->in_scanners)
        return nullptr;
    return node->branch;
}

Parameter* CHLB5TreeListView::selected_parameter() const
{
    const TreeNode* node = current_node();
    if (!node || node->kind != Kind::parameter || editor_->is_program_setting(*node))
        return nullptr;
    return node->parameter;
}

bool CHLB5TreeListView::run_view_command(Command command)
{
    switch (command) {
    case Command::previous_problem:
    case Command::next_problem:
        navigate(command == Command::next_problem);
        return true;
    case Command::branch_read:
    case Command::branch_write_all:
    case Command::branch_write_changed:
    case Command::branch_compare:
        run_branch_command(command);
        return true;
    case Command::read_parameter:
    case Command::write_parameter: {
        Parameter* parameter = selected_parameter();
        const bool done = command == Command::read_parameter ? document_.engine().read_one(parameter)
                                                             : document_.engine().write_one(parameter);
        if (done)
            update_view();
        return true;
    }
    case Command::set_no_data:
        if (Parameter* parameter = selected_parameter()) {
            parameter->value_text = zr740::texts::no_data;
            parameter->status_text.clear();
            parameter->clear_changed();
            emit documentModified();
            update_view();
        }
        return true;
    default:
        return false;
    }
}

void CHLB5TreeListView::run_branch_command(Command command)
{
    DescBranch* branch = selected_branch();
    if (!branch) {
        shell_.message(utf8(texts::branch_undefined), utf8(texts::app_title), Icon::stop,
                       Owner::main_window);
        return;
    }
    BatchEngine& engine = document_.engine();
    bool done = false;
    switch (command) {
    case Command::branch_read:
        done = engine.read(branch);
        break;
    case Command::branch_write_all:
        done = engine.write_all(branch);
        break;
    case Command::branch_write_changed:
        done = engine.write_changed(branch);
        break;
    default:
        done = engine.compare(branch);
        break;
    }
    if (done)
        update_view();
}

void CHLB5TreeListView::select(TreeNode& node)
{
    for (TreeNode* above = node.parent; above; above = above->parent)
        if (!tree_->isExpanded(model_->index_of(*above)))
            tree_->expand(model_->index_of(*above));
    const QModelIndex index = model_->index_of(node);
    tree_->setCurrentIndex(index);
    tree_->scrollTo(index);
}

bool CHLB5TreeListView::show_parameter(const std::string& name, int index, const std::string& caption)
{
    DescBranch* root = document_.root();
    if (!root)
        return false;
    std::vector<Parameter*> order;
    display_order(*root, order);
    Parameter* found = nullptr;
    for (Parameter* parameter : order) {
        if (parameter->name != name || (index >= 0 ? parameter->linear_index != index : parameter->indexed))
            continue;
        if (!found || (found->caption != caption && parameter->caption == caption))
            found = parameter;
    }
    TreeNode* row = found ? model_->reveal(*found) : nullptr;
    if (!row)
        return false;
    select(*row);
    tree_->setFocus();
    return true;
}

void CHLB5TreeListView::navigate(bool forward)
{
    DescBranch* root = document_.root();
    if (!root)
        return;
    WaitCursor wait(shell_);
    std::vector<Parameter*> order;
    display_order(*root, order);
    if (order.empty()) {
        shell_.message(utf8(texts::no_more_problems), utf8(texts::app_title), Icon::information,
                       Owner::main_window);
        return;
    }

    // Where the search starts, and whether the row there counts itself: a branch stands for its first
    // parameter row, which is taken when it is a problem; a parameter row looks past itself.
    std::size_t start = 0;
    bool inclusive = true;
    const TreeNode* node = current_node();
    if (node && node->kind == Kind::parameter) {
        const auto found = std::find(order.begin(), order.end(), node->parameter);
        if (found != order.end()) {
            start = static_cast<std::size_t>(found - order.begin());
            inclusive = false;
        }
    } else if (node && node->kind == Kind::element && node->branch && !node->in_scanners) {
        std::vector<Parameter*> inside;
        display_order(*node->branch, inside);
        const auto found = inside.empty() ? order.end() : std::find(order.begin(), order.end(), inside.front());
        if (found != order.end())
            start = static_cast<std::size_t>(found - order.begin());
    } else if (TreeNode* parameters = model_->parameters_node()) {
        select(*parameters);
        tree_->expand(model_->index_of(*parameters));
    }

    const auto problem = [&](std::size_t i) { return !order[i]->status_text.empty(); };
    std::optional<std::size_t> hit;
    if (inclusive && problem(start)) {
        hit = start;
    } else if (forward) {
        for (std::size_t i = start + 1; i < order.size() && !hit; ++i)
            if (problem(i))
                hit = i;
    } else {
        for (std::size_t i = start; i-- > 0 && !hit;)
            if (problem(i))
                hit = i;
    }
    if (hit)
        if (TreeNode* row = model_->reveal(*order[*hit])) {
            select(*row);
            return;
        }
    shell_.message(utf8(texts::no_more_problems), utf8(texts::app_title), Icon::information,
                   Owner::main_window);
}

std::unique_ptr<QMenu> CHLB5TreeListView::context_menu(const QModelIndex& index)
{
    const TreeNode* node = model_->node(index);
    if (!node || node->in_scanners)
        return nullptr;
    struct Item {
        const Text* text; // nullptr: a separator
        Command command;
    };
    std::vector<Item> items;
    if (node->kind == Kind::element && node->branch) {
        items = {{&texts::menu_read_branch, Command::branch_read},
                 {&texts::menu_write_branch, Command::branch_write_all},
                 {&texts::menu_write_changed, Command::branch_write_changed},
                 {&texts::menu_compare_branch, Command::branch_compare}};
    } else if (node->kind == Kind::parameter && !editor_->is_program_setting(*node)) {
        // The program's own link settings are edited in place only: read from the instrument or
        // emptied to "Нет данных" they would become a baud rate or an address that cannot connect.
        const Parameter& parameter = *node->parameter;
        items.push_back({&texts::menu_read_parameter, Command::read_parameter});
        // A parameter the instrument does not have cannot be written to it.
        if (parameter.exchangeable && parameter.linear_index >= 0)
            items.push_back({&texts::menu_write_parameter, Command::write_parameter});
        items.push_back({nullptr, {}});
        items.push_back({&texts::menu_set_no_data, Command::set_no_data});
    } else {
        return nullptr;
    }
    tree_->setCurrentIndex(model_->index_of(*node));
    auto menu = std::make_unique<QMenu>(this);
    for (const Item& item : items) {
        if (!item.text) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(q(*item.text));
        action->setData(number(item.command));
        connect(action, &QAction::triggered, this, [this, command = item.command] { run_view_command(command); });
    }
    return menu;
}

void CHLB5TreeListView::show_context_menu(const QPoint& position)
{
    auto menu = context_menu(tree_->indexAt(position));
    if (!menu)
        return;
    QMenu* shown = menu.release();
    shown->setAttribute(Qt::WA_DeleteOnClose);
    shown->popup(tree_->viewport()->mapToGlobal(position));
}

} // namespace zr740::ui
