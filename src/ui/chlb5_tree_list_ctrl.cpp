#include "ui/chlb5_tree_list_ctrl.h"

#include "app/chlb5_doc.h"
#include "model/model_texts.h"
#include "model/text.h"
#include "ui/tree_texts.h"

#include <QBrush>
#include <QColor>

namespace zr740::ui {
namespace {

using Kind = TreeNode::Kind;

// FNV-1a over the fields a row shows: enough to tell a changed row from an unchanged one.
class Fingerprint {
public:
    void add(std::string_view text)
    {
        for (const char c : text)
            mix(static_cast<unsigned char>(c));
        mix(0xFF); // keeps "ab"+"c" apart from "a"+"bc"
    }
    void add(long long number)
    {
        for (int i = 0; i < 8; ++i)
            mix(static_cast<unsigned char>((static_cast<unsigned long long>(number) >> (8 * i)) & 0xFFu));
    }
    std::uint64_t value() const { return hash_; }

private:
    void mix(unsigned char byte)
    {
        hash_ ^= byte;
        hash_ *= 1099511628211ull;
    }
    std::uint64_t hash_ = 14695981039346656037ull;
};

bool has_bit_rows(const Parameter& parameter)
{
    return equals_no_case(parameter.name, "r.cn") || equals_no_case(parameter.name, "s.do");
}

std::string attribute_text(const Parameter& parameter, int column)
{
    // A parameter without attributes shows none: the instrument keeps no attributes for it.
    if (parameter.attribute_mode == 0)
        return {};
    if (column == CHLB5TreeListCtrl::editable)
        return std::string(parameter.editable ? zr740::texts::attr_editable : zr740::texts::attr_read_only);
    return std::string(parameter.factory_owned ? zr740::texts::attr_factory : zr740::texts::attr_user);
}

QColor windows_colour(std::uint32_t bgr)
{
    return QColor(static_cast<int>(bgr & 0xFFu), static_cast<int>((bgr >> 8) & 0xFFu), static_cast<int>((bgr >> 16) & 0xFFu));
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

std::string CHLB5TreeListCtrl::cell_text(const TreeNode& node, int column) const
{
    switch (node.kind) {
    case Kind::root:
        if (column != caption)
            return {};
        return std::string(texts::root_prefix) + title_.toStdString() + std::string(texts::root_suffix);
    case Kind::placeholder:
        if (column == caption)
            return std::string(texts::parameters_item);
        return column == count ? std::string(texts::not_defined) : std::string();
    case Kind::element:
        return column == caption ? node.element->name : std::string();
    case Kind::scanner_header:
        switch (column) {
        case caption:
            return std::string(texts::scanner_header_name);
        case name:
            return std::string(texts::scanner_header_period);
        case value:
            return std::string(texts::scanner_header_value);
        case status:
            return std::string(texts::scanner_header_status);
        default:
            return {};
        }
    case Kind::scanner: {
        const Parameter& p = *node.parameter;
        switch (column) {
        case caption:
            if (p.indexed)
                return p.caption +
                       fill_placeholders(texts::scanner_index, {p.name, std::to_string(p.linear_index)});
            return p.caption;
        case name:
            return std::to_string(p.poll_period);
        case value:
            return node.scan_value;
        case status:
            return node.scan_status;
        default:
            return {};
        }
    }
    case Kind::bit:
        switch (column) {
        case caption: {
            const auto* device = document_.device();
            const auto bit_name = device ? device->status_bit_name(node.bit) : std::nullopt;
            return bit_name ? *bit_name : std::string();
        }
        case name:
            return fill_placeholders(texts::bit_number, {std::to_string(node.bit)});
        case value:
            return std::string(node.bit_set ? texts::bit_on : texts::bit_off);
        default:
            return {};
        }
    case Kind::parameter: {
        const Parameter& p = *node.parameter;
        switch (column) {
        case caption:
            return p.caption;
        case name:
            return p.name;
        case count:
            return std::to_string(p.register_count);
        case value:
            return p.value_text;
        case editable:
        case owner:
            return attribute_text(p, column);
        case status:
            return p.status_text;
        default:
            return {};
        }
    }
    }
    return {};
}

std::uint32_t CHLB5TreeListCtrl::colour(const TreeNode& node) const
{
    switch (node.kind) {
    case Kind::parameter:
        return node.parameter->row_colour();
    case Kind::scanner:
        return node.scan_status.empty() ? 0u : 0x0000FFu;
    default:
        return 0;
    }
}

std::uint64_t CHLB5TreeListCtrl::fingerprint(const TreeNode& node) const
{
    Fingerprint f;
    switch (node.kind) {
    case Kind::parameter: {
        const Parameter& p = *node.parameter;
        f.add(p.caption);
        f.add(p.name);
        f.add(p.value_text);
        f.add(p.status_text);
        f.add((p.register_count << 16) | (p.attribute_mode << 8) | (p.editable << 1) | p.factory_owned);
        break;
    }
    case Kind::scanner:
        // Never the parameter's value or status: the scanner thread writes those.
        f.add(node.parameter->caption);
        f.add(node.scan_value);
        f.add(node.scan_status);
        f.add((static_cast<long long>(node.parameter->poll_period) << 1) | node.parameter->poll_running);
        break;
    case Kind::bit:
        f.add(node.bit_set ? 1 : 0);
        break;
    case Kind::element:
        f.add(node.element->name);
        break;
    case Kind::root:
        f.add(title_.toStdString());
        break;
    default:
        break;
    }
    return f.value();
}

void CHLB5TreeListCtrl::remember(TreeNode& node)
{
    node.shown_texts = fingerprint(node);
    node.shown_colour = colour(node);
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
    node.shown_texts = texts;
    node.shown_colour = shown;
    if (!roles.isEmpty())
        emit dataChanged(index_of(node, 0), index_of(node, column_count - 1), roles);
    if (node.kind == Kind::scanner && node.filled)
        refresh_children(node);
}

void CHLB5TreeListCtrl::refresh_children(TreeNode& parent)
{
    int first = -1;
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
        emit dataChanged(index(first, 0, parent_index), index(last, column_count - 1, parent_index), roles);
        first = -1;
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

QVariant CHLB5TreeListCtrl::data(const QModelIndex& index, int role) const
{
    const TreeNode* item = node(index);
    if (!item)
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return QString::fromStdString(cell_text(*item, column));
    case Qt::ForegroundRole:
        if (const std::uint32_t bgr = colour(*item))
            return QBrush(windows_colour(bgr));
        return {};
    case Qt::DecorationRole:
        if (column != caption)
            return {};
        switch (item->kind) {
        case Kind::root:
            return icons_.icon(25);
        case Kind::placeholder:
            return icons_.icon(1);
        case Kind::scanner_header:
            return icons_.icon(49);
        case Kind::element:
            return icons_.icon(item->element->icon_index());
        case Kind::parameter:
        case Kind::scanner:
            return icons_.icon(item->parameter->icon_index());
        case Kind::bit:
            return {};
        }
        return {};
    case Qt::TextAlignmentRole: {
        const bool left = column == caption || column == status;
        return QVariant::fromValue(Qt::Alignment((left ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter));
    }
    case Qt::CheckStateRole:
        if (item->kind == Kind::scanner && column == caption)
            return item->parameter->poll_running ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

QVariant CHLB5TreeListCtrl::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= column_count)
        return {};
    // Several headings are wider than their columns: aligned left, their beginnings stay readable.
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    if (role != Qt::DisplayRole)
        return {};
    static constexpr std::string_view headings[column_count] = {
        texts::column_caption, texts::column_register, texts::column_count, texts::column_value,
        texts::column_editable, texts::column_owner,   texts::column_status};
    const std::string_view heading = headings[section];
    return QString::fromUtf8(heading.data(), static_cast<qsizetype>(heading.size()));
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
