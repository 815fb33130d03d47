#include "ui/difference_model.h"

#include "ui/report_texts.h"

#include <QColor>

#include <array>
#include <optional>

namespace zr740::ui {
namespace {

// The colour of a difference in the tree's rows.
const QColor difference_colour(0x40, 0x40, 0xFF);

constexpr std::array<Text, DifferenceModel::column_count> headings{
    texts::report_column_command,
    texts::report_column_index,
    texts::report_column_caption,
    texts::report_column_configuration_value,
    texts::report_column_configuration_access,
    texts::report_column_configuration_owner,
    texts::report_column_instrument_value,
    texts::report_column_instrument_access,
    texts::report_column_instrument_owner,
};

// A cell's text as a number when all of it is one ("12.500", "-3"), else nothing.
std::optional<double> as_number(const QString& text)
{
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}

} // namespace

DifferenceModel::DifferenceModel(QObject* parent) : QAbstractTableModel(parent) {}

void DifferenceModel::set_differences(std::vector<CompareDifference> differences)
{
    beginResetModel();
    differences_ = std::move(differences);
    endResetModel();
}

const CompareDifference& DifferenceModel::difference(int row) const
{
    return differences_.at(static_cast<std::size_t>(row));
}

int DifferenceModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(differences_.size());
}

int DifferenceModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : column_count;
}

QString DifferenceModel::text(const CompareDifference& d, int column) const
{
    switch (column) {
    case command_column:
        return q(d.name);
    case index_column:
        return d.index < 0 ? QString() : QString::number(d.index);
    case caption_column:
        return q(d.caption);
    case configuration_value:
        return q(d.configuration.value);
    case configuration_access:
        return q(d.configuration.access());
    case configuration_owner:
        return q(d.configuration.owner());
    case instrument_value:
        return q(d.instrument.value);
    case instrument_access:
        return q(d.instrument.access());
    case instrument_owner:
        return q(d.instrument.owner());
    default:
        return {};
    }
}

bool DifferenceModel::differs(const CompareDifference& d, int column) const
{
    switch (column) {
    case configuration_value:
    case instrument_value:
        return d.configuration.value != d.instrument.value;
    case configuration_access:
    case instrument_access:
        return d.configuration.editable != d.instrument.editable;
    case configuration_owner:
    case instrument_owner:
        return d.configuration.factory_owned != d.instrument.factory_owned;
    default:
        return false;
    }
}

QVariant DifferenceModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= column_count)
        return {};
    const CompareDifference& d = difference(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return text(d, index.column());
    case Qt::ToolTipRole:
        return index.column() == caption_column ? q(d.caption) : QVariant();
    case Qt::ForegroundRole:
        return differs(d, index.column()) ? QVariant(difference_colour) : QVariant();
    case sort_role:
        if (index.column() == index_column)
            return d.index;
        if (index.column() == configuration_value || index.column() == instrument_value) {
            const QString value = text(d, index.column());
            if (const auto number = as_number(value))
                return *number;
            return value;
        }
        return text(d, index.column());
    default:
        return {};
    }
}

QVariant DifferenceModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= column_count)
        return QAbstractTableModel::headerData(section, orientation, role);
    return q(headings[static_cast<std::size_t>(section)]);
}

DifferenceSorter::DifferenceSorter(QObject* parent) : QSortFilterProxyModel(parent)
{
    setSortRole(DifferenceModel::sort_role);
    setSortLocaleAware(true);
}

bool DifferenceSorter::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const QVariant a = left.data(sortRole());
    const QVariant b = right.data(sortRole());
    const bool a_number = a.typeId() == QMetaType::Double || a.typeId() == QMetaType::Int;
    const bool b_number = b.typeId() == QMetaType::Double || b.typeId() == QMetaType::Int;
    // Numbers before texts; among themselves by value or as the language sorts; equal ones stay in
    // the tree's order, whichever way the column is sorted.
    if (a_number != b_number)
        return a_number;
    if (a_number) {
        if (a.toDouble() != b.toDouble())
            return a.toDouble() < b.toDouble();
    } else if (const int order = QString::localeAwareCompare(a.toString(), b.toString()); order != 0) {
        return order < 0;
    }
    return sortOrder() == Qt::AscendingOrder ? left.row() < right.row() : left.row() > right.row();
}

} // namespace zr740::ui
