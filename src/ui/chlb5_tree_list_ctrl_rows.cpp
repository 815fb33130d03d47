#include "ui/chlb5_tree_list_ctrl.h"

// What each row shows: the texts of its cells, its colour and picture, and the fingerprint that tells
// a refresh whether the row changed.

#include "app/chlb5_doc.h"
#include "model/model_texts.h"
#include "model/text.h"
#include "ui/tree_texts.h"

#include <QBrush>
#include <QColor>

#include <functional>
#include <mutex>

namespace zr740::ui {
namespace {

using Kind = TreeNode::Kind;

// A hash of the fields a row shows: enough to tell a changed row from an unchanged one. The library's
// string hash works a word at a time, which matters with 20,000 rows per refresh.
class Fingerprint {
public:
    void add(std::string_view text) { mix(std::hash<std::string_view>{}(text)); }
    void add(long long number) { mix(static_cast<std::uint64_t>(number)); }
    std::uint64_t value() const { return hash_; }

private:
    void mix(std::uint64_t part)
    {
        hash_ ^= part + 0x9E3779B97F4A7C15ull + (hash_ << 6) + (hash_ >> 2);
    }
    std::uint64_t hash_ = 14695981039346656037ull;
};

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

std::string CHLB5TreeListCtrl::cell_text(const TreeNode& node, int column) const
{
    switch (node.kind) {
    case Kind::root:
        if (column != caption)
            return {};
        return utf8(texts::root_prefix) + title_.toStdString() + utf8(texts::root_suffix);
    case Kind::placeholder:
        if (column == caption)
            return utf8(texts::parameters_item);
        return column == count ? utf8(texts::not_defined) : std::string();
    case Kind::element:
        return column == caption ? node.element->name : std::string();
    case Kind::scanner_header:
        switch (column) {
        case caption:
            return utf8(texts::scanner_header_name);
        case name:
            return utf8(texts::scanner_header_period);
        case value:
            return utf8(texts::scanner_header_value);
        case status:
            return utf8(texts::scanner_header_status);
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
            return utf8(node.bit_set ? texts::bit_on : texts::bit_off);
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

QVariant CHLB5TreeListCtrl::data(const QModelIndex& index, int role) const
{
    const TreeNode* item = node(index);
    if (!item)
        return {};
    // The program's link settings may be changed by the thread that opens the line meanwhile.
    std::unique_lock<std::mutex> settings;
    const NetRS485prg& link_settings = document_.link().link_settings();
    if (item->parent && item->parent->element == &link_settings)
        settings = std::unique_lock(link_settings.values_lock());
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
    static constexpr Text headings[column_count] = {
        texts::column_caption, texts::column_register, texts::column_count, texts::column_value,
        texts::column_editable, texts::column_owner,   texts::column_status};
    return q(headings[section]);
}

} // namespace zr740::ui
