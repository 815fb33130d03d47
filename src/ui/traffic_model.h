// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rows of the traffic monitor: the newest events (at most `capacity`; older ones leave) and,
// of those, the ones the filter lets through. Rows only ever arrive at the end and leave at the
// front, so the view is told of exactly those rows and keeps its place and selection.

#include "app/traffic_log.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <deque>
#include <vector>

namespace zr740::ui {

class TrafficModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { time_column, kind_column, address_column, bytes_column, meaning_column, crc_column,
                  response_column, column_count };

    explicit TrafficModel(std::size_t capacity = TrafficLog::default_capacity, QObject* parent = nullptr);

    void append(std::vector<TrafficEvent> events);
    void clear();
    void set_filter(const TrafficFilter& filter);
    const TrafficFilter& filter() const { return filter_; }

    // The event of a row shown.
    const TrafficEvent& event(int row) const;
    // Events kept, shown or not, and how many are kept at most.
    std::size_t kept() const { return events_.size(); }
    std::size_t capacity() const { return capacity_; }
    // Whether events have left to make room since the last clear.
    bool overflowed() const { return overflowed_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QVariant display(const TrafficEvent& event, int column) const;
    // Makes room for `incoming` more events.
    void make_room(std::size_t incoming);

    const std::size_t capacity_;
    std::deque<TrafficEvent> events_;
    std::uint64_t first_number_ = 0;   // the number of events_.front(); numbers only grow
    std::deque<std::uint64_t> shown_;  // numbers of the events the filter lets through
    TrafficFilter filter_;
    bool overflowed_ = false;
};

} // namespace zr740::ui
