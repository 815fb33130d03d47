// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rows of the compare report: one difference each, the parameter and then its value and
// attributes in the configuration and in the instrument; the cells that differ are coloured as
// the tree colours a difference. The sorter orders by any column: the index and values that are
// numbers as numbers, other texts as the user's language sorts them, equal cells in tree order.

#include "app/compare_report.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include <vector>

namespace zr740::ui {

class DifferenceModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        command_column,
        index_column,
        caption_column,
        configuration_value,
        configuration_access,
        configuration_owner,
        instrument_value,
        instrument_access,
        instrument_owner,
        column_count
    };
    // The role that gives a cell's key for sorting: a number or a text.
    static constexpr int sort_role = Qt::UserRole;

    explicit DifferenceModel(QObject* parent = nullptr);

    void set_differences(std::vector<CompareDifference> differences);
    const std::vector<CompareDifference>& differences() const { return differences_; }
    const CompareDifference& difference(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QString text(const CompareDifference& difference, int column) const;
    bool differs(const CompareDifference& difference, int column) const;

    std::vector<CompareDifference> differences_;
};

class DifferenceSorter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit DifferenceSorter(QObject* parent = nullptr);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};

} // namespace zr740::ui
