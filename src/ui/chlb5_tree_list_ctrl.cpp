#include "ui/chlb5_tree_list_ctrl.h"

#include "app/chlb5_doc.h"
#include "model/model_texts.h"
#include "model/text.h"
#include "ui/tree_texts.h"


#include <algorithm>

namespace zr740::ui {
namespace {

using Kind = TreeNode::Kind;

bool has_bit_rows(const Parameter& parameter)
{
    return equals_no_case(parameter.name, "r.cn") || equals_no_case(parameter.name, "s.do");
}

} // namespace

CHLB5TreeListCtrl::CHLB5TreeListCtrl(CHLB5Doc& document, QObject* parent)
    : QAbstractItemModel(parent), document_(document)
{
}

CHLB5TreeListCtrl::~CHLB5TreeListCtrl() = default;

int CHLB5TreeListCtrl::column_width(int column)
{
    static constexpr int widths[column_count] = {360, 130, 120, 180, 150, 90, 220};
    return column >= 0 && column < column_count ? widths[column] : 100;
}

void CHLB5TreeListCtrl::fill(const QString& title, bool with_scanners)
{
    beginResetModel();
    scanner_rows_.clear();
    parameter_rows_.clear();
    title_ = title;
    root_ = std::make_unique<TreeNode>();
    root_->kind = Kind::root;
    root_->filled = true;
    remember(*root_);
    parameters_ = scanners_ = nullptr;

    auto element_node = [](InvisibleElement* element, DescBranch* branch) {
        auto node = std::make_unique<TreeNode>();
        node->kind = Kind::element;
        node->element = element;
        node->branch = branch;
        return node;
    };
    if (DescBranch* tree = document_.root()) {
        parameters_ = &add(*root_, element_node(tree, tree));
    } else {
        auto placeholder = std::make_unique<TreeNode>();
        placeholder->kind = Kind::placeholder;
        placeholder->filled = true;
        parameters_ = &add(*root_, std::move(placeholder));
    }
    // The program's own link settings sit beside the instrument's tree, so the port can be chosen
    // where the other settings are edited.
    add(*root_, element_node(&document_.link().link_settings(), nullptr));
    if (with_scanners && document_.scanners()) {
        auto scanners = element_node(document_.scanners(), document_.scanners());
        scanners->in_scanners = true;
        scanners_ = &add(*root_, std::move(scanners));
    }
    endResetModel();
}

void CHLB5TreeListCtrl::clear()
{
    beginResetModel();
    scanner_rows_.clear();
    parameter_rows_.clear();
    root_.reset();
    parameters_ = scanners_ = nullptr;
    endResetModel();
}

void CHLB5TreeListCtrl::set_title(const QString& title)
{
    title_ = title;
    if (root_)
        refresh(*root_);
}

TreeNode& CHLB5TreeListCtrl::add(TreeNode& parent, std::unique_ptr<TreeNode> child)
{
    child->parent = &parent;
    child->row = static_cast<int>(parent.children.size());
    if (parent.in_scanners)
        child->in_scanners = true;
    remember(*child);
    parent.children.push_back(std::move(child));
    return *parent.children.back();
}

bool CHLB5TreeListCtrl::may_have_children(const TreeNode& node)
{
    switch (node.kind) {
    case Kind::element:
        return !node.element->parameters.empty() || (node.branch && !node.branch->children.empty()) || node.in_scanners;
    case Kind::scanner:
        return has_bit_rows(*node.parameter);
    case Kind::root:
        return true;
    default:
        return false;
    }
}

void CHLB5TreeListCtrl::create_children(TreeNode& node, std::vector<std::unique_ptr<TreeNode>>& out) const
{
    auto parameter_row = [&](Parameter* parameter) {
        auto row = std::make_unique<TreeNode>();
        row->kind = node.in_scanners ? Kind::scanner : Kind::parameter;
        row->parameter = parameter;
        out.push_back(std::move(row));
    };
    if (node.kind == Kind::scanner) {
        const int bits = node.parameter->register_count * 16;
        for (int bit = 0; bit < bits; ++bit) {
            auto row = std::make_unique<TreeNode>();
            row->kind = Kind::bit;
            row->parameter = node.parameter;
            row->bit = bit;
            out.push_back(std::move(row));
        }
        return;
    }
    if (node.kind != Kind::element)
        return;
    if (&node == scanners_) {
        auto header = std::make_unique<TreeNode>();
        header->kind = Kind::scanner_header;
        header->filled = true;
        out.push_back(std::move(header));
    }
    for (auto& parameter : node.element->parameters)
        parameter_row(parameter.get());
    if (!node.branch)
        return;
    for (auto& child : node.branch->children) {
        // A branch of one parameter is that parameter's row: the parameter carries its name.
        if (child->children.empty() && child->parameters.size() == 1) {
            parameter_row(child->parameters.front().get());
            continue;
        }
        auto row = std::make_unique<TreeNode>();
        row->kind = Kind::element;
        row->element = child.get();
        row->branch = child.get();
        out.push_back(std::move(row));
    }
}

void CHLB5TreeListCtrl::fill_node(TreeNode& node)
{
    if (node.filled)
        return;
    node.filled = true;
    std::vector<std::unique_ptr<TreeNode>> rows;
    create_children(node, rows);
    if (rows.empty())
        return;
    beginInsertRows(index_of(node), 0, static_cast<int>(rows.size()) - 1);
    node.children.reserve(rows.size());
    for (auto& row : rows) {
        TreeNode& added = add(node, std::move(row));
        if (added.kind == Kind::scanner)
            scanner_rows_.emplace(added.parameter, &added);
        else if (added.kind == Kind::parameter)
            parameter_rows_.emplace(added.parameter, &added);
    }
    endInsertRows();
}

TreeNode* CHLB5TreeListCtrl::node(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<TreeNode*>(index.internalPointer()) : nullptr;
}

QModelIndex CHLB5TreeListCtrl::index_of(const TreeNode& node, int column) const
{
    return createIndex(node.row, column, const_cast<TreeNode*>(&node));
}

TreeNode* CHLB5TreeListCtrl::scanner_row(const Parameter* parameter) const
{
    const auto found = scanner_rows_.find(parameter);
    return found == scanner_rows_.end() ? nullptr : found->second;
}

TreeNode* CHLB5TreeListCtrl::parameter_row(const Parameter* parameter) const
{
    const auto found = parameter_rows_.find(parameter);
    return found == parameter_rows_.end() ? nullptr : found->second;
}

TreeNode* CHLB5TreeListCtrl::reveal(const Parameter& parameter)
{
    auto contains = [&](DescBranch& branch) {
        bool found = false;
        branch.for_each_branch([&](DescBranch& each) {
            for (const auto& candidate : each.parameters)
                found |= candidate.get() == &parameter;
        });
        return found;
    };
    TreeNode* at = parameters_;
    if (!at || !at->branch || !contains(*at->branch))
        return nullptr;
    while (at) {
        fill_node(*at);
        TreeNode* next = nullptr;
        for (auto& child : at->children) {
            if (child->parameter == &parameter)
                return child.get();
            if (!next && child->branch && contains(*child->branch))
                next = child.get();
        }
        at = next;
    }
    return nullptr;
}

QModelIndex CHLB5TreeListCtrl::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || column >= column_count)
        return {};
    if (!parent.isValid())
        return root_ && row == 0 ? createIndex(0, column, root_.get()) : QModelIndex();
    if (parent.column() != 0)
        return {};
    const TreeNode* holder = node(parent);
    if (!holder || row >= static_cast<int>(holder->children.size()))
        return {};
    return createIndex(row, column, holder->children[static_cast<std::size_t>(row)].get());
}

QModelIndex CHLB5TreeListCtrl::parent(const QModelIndex& child) const
{
    const TreeNode* item = node(child);
    if (!item || !item->parent)
        return {};
    return index_of(*item->parent);
}

int CHLB5TreeListCtrl::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return root_ ? 1 : 0;
    if (parent.column() != 0)
        return 0;
    return static_cast<int>(node(parent)->children.size());
}

int CHLB5TreeListCtrl::columnCount(const QModelIndex&) const { return column_count; }

bool CHLB5TreeListCtrl::hasChildren(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return root_ != nullptr;
    if (parent.column() != 0)
        return false;
    const TreeNode* item = node(parent);
    return item->filled ? !item->children.empty() : may_have_children(*item);
}

void CHLB5TreeListCtrl::remember(TreeNode& node)
{
    node.shown_texts = fingerprint(node);
    node.shown_colour = colour(node);
}

int CHLB5TreeListCtrl::first_changed_column(const TreeNode& node, bool colour_changed)
{
    // A parameter's caption and picture never change: when its colour stays, only the columns from
    // the name on need repainting, which also spares the view a look at the row's children.
    return node.kind == Kind::parameter && !colour_changed ? name : caption;
}

void CHLB5TreeListCtrl::refresh_all()
{
    if (!root_)
        return;
    refresh(*root_);
    refresh_children(*root_);
}

void CHLB5TreeListCtrl::refresh(TreeNode& node)
{
    const std::uint64_t texts = fingerprint(node);
    const std::uint32_t shown = colour(node);
    QList<int> roles;
    if (texts != node.shown_texts) {
        roles << Qt::DisplayRole << Qt::EditRole;
        if (node.kind == Kind::scanner)
            roles << Qt::CheckStateRole;
    }
    if (shown != node.shown_colour)
        roles << Qt::ForegroundRole;
    const int first_column = first_changed_column(node, shown != node.shown_colour);
    node.shown_texts = texts;
    node.shown_colour = shown;
    if (!roles.isEmpty())
        emit dataChanged(index_of(node, first_column), index_of(node, column_count - 1), roles);
    if (node.kind == Kind::scanner && node.filled)
        refresh_children(node);
}

void CHLB5TreeListCtrl::refresh_children(TreeNode& parent)
{
    int first = -1;
    int first_column = column_count;
    bool texts_changed = false;
    bool colour_changed = false;
    bool scanner_rows = false;
    auto announce = [&](int last) {
        if (first < 0)
            return;
        QList<int> roles;
        if (texts_changed) {
            roles << Qt::DisplayRole << Qt::EditRole;
            if (scanner_rows)
                roles << Qt::CheckStateRole;
        }
        if (colour_changed)
            roles << Qt::ForegroundRole;
        const QModelIndex parent_index = index_of(parent);
        emit dataChanged(index(first, first_column, parent_index), index(last, column_count - 1, parent_index), roles);
        first = -1;
        first_column = column_count;
        texts_changed = colour_changed = scanner_rows = false;
    };
    const int rows = static_cast<int>(parent.children.size());
    for (int row = 0; row < rows; ++row) {
        TreeNode& child = *parent.children[static_cast<std::size_t>(row)];
        const std::uint64_t texts = fingerprint(child);
        const std::uint32_t shown = colour(child);
        const bool texts_differ = texts != child.shown_texts;
        const bool colour_differs = shown != child.shown_colour;
        if (texts_differ || colour_differs) {
            if (first < 0)
                first = row;
            texts_changed |= texts_differ;
            colour_changed |= colour_differs;
            scanner_rows |= child.kind == Kind::scanner;
            first_column = std::min(first_column, first_changed_column(child, colour_differs));
            child.shown_texts = texts;
            child.shown_colour = shown;
        } else {
            announce(row - 1);
        }
    }
    announce(rows - 1);
    for (auto& child : parent.children)
        if (!child->children.empty())
            refresh_children(*child);
}

Qt::ItemFlags CHLB5TreeListCtrl::flags(const QModelIndex& index) const
{
    const TreeNode* item = node(index);
    if (!item)
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const int column = index.column();
    if (item->kind == Kind::parameter) {
        const Parameter& p = *item->parameter;
        // A value the maker owns cannot be changed here.
        if (column == value && !p.factory_owned)
            result |= Qt::ItemIsEditable;
        if (column == editable && p.attribute_mode != 0)
            result |= Qt::ItemIsEditable;
    } else if (item->kind == Kind::scanner) {
        if (column == caption)
            result |= Qt::ItemIsUserCheckable;
        if (column == name || column == value)
            result |= Qt::ItemIsEditable;
    }
    const bool leaf = item->kind == Kind::parameter || item->kind == Kind::bit || item->kind == Kind::scanner_header ||
                      (item->kind == Kind::scanner && !may_have_children(*item));
    if (leaf)
        result |= Qt::ItemNeverHasChildren;
    return result;
}

bool CHLB5TreeListCtrl::setData(const QModelIndex& index, const QVariant& edited, int role)
{
    TreeNode* item = node(index);
    if (!item || !edit_handler_ || (role != Qt::EditRole && role != Qt::CheckStateRole))
        return false;
    const bool taken = edit_handler_(*item, index.column(), edited, role);
    refresh(*item);
    return taken;
}

} // namespace zr740::ui
