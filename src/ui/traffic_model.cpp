// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/traffic_model.h"

#include "link/frame_decoder.h"
#include "ui/traffic_texts.h"

#include <QBrush>
#include <QColor>
#include <QFontDatabase>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace zr740::ui {
namespace {

const QColor error_text(170, 0, 20);
const QColor error_background(255, 226, 226);
const QColor warning_text(150, 85, 0);
const QColor port_text(90, 90, 90);

Text kind_text(TrafficKind kind)
{
    switch (kind) {
    case TrafficKind::request: return texts::traffic_kind_request;
    case TrafficKind::reply: return texts::traffic_kind_reply;
    case TrafficKind::retry: return texts::traffic_kind_retry;
    case TrafficKind::timeout: return texts::traffic_kind_timeout;
    case TrafficKind::skipped: return texts::traffic_kind_skipped;
    case TrafficKind::unmatched: return texts::traffic_kind_unmatched;
    case TrafficKind::port_opened: return texts::traffic_kind_opened;
    case TrafficKind::port_closed: return texts::traffic_kind_closed;
    case TrafficKind::line_error: return texts::traffic_kind_line_error;
    }
    return texts::traffic_kind_line_error;
}

// "HH:MM:SS.mmm" in local time. Painted for every visible row at every turn of a busy line, so
// without the general date formatting's cost.
QString clock_time(std::chrono::system_clock::time_point time)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm local{};
    if (!localtime_r(&seconds, &local))
        return {};
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(ms % 1000));
    return QString::fromLatin1(text);
}

bool is_frame(const TrafficEvent& event)
{
    return (event.kind == TrafficKind::request || event.kind == TrafficKind::reply ||
            event.kind == TrafficKind::unmatched) &&
           !event.bytes.empty();
}

} // namespace

TrafficModel::TrafficModel(std::size_t capacity, QObject* parent)
    : QAbstractTableModel(parent), capacity_(std::max<std::size_t>(capacity, 1))
{
}

void TrafficModel::make_room(std::size_t incoming)
{
    if (events_.size() + incoming <= capacity_)
        return;
    overflowed_ = true;
    const std::size_t leaving = std::min(events_.size(), events_.size() + incoming - capacity_);
    const std::uint64_t new_first = first_number_ + leaving;
    const auto hidden = std::lower_bound(shown_.begin(), shown_.end(), new_first);
    const auto rows = static_cast<int>(hidden - shown_.begin());
    if (rows > 0) {
        beginRemoveRows({}, 0, rows - 1);
        shown_.erase(shown_.begin(), hidden);
        endRemoveRows();
    }
    events_.erase(events_.begin(), events_.begin() + static_cast<std::ptrdiff_t>(leaving));
    first_number_ = new_first;
}

void TrafficModel::append(std::vector<TrafficEvent> events)
{
    if (events.empty())
        return;
    // More than the model keeps: the oldest of the batch never make it in.
    std::size_t from = 0;
    if (events.size() > capacity_) {
        from = events.size() - capacity_;
        first_number_ += events_.size() + from;
        overflowed_ = true;
        if (!shown_.empty()) {
            beginRemoveRows({}, 0, static_cast<int>(shown_.size()) - 1);
            shown_.clear();
            endRemoveRows();
        }
        events_.clear();
    }
    make_room(events.size() - from);
    std::vector<std::uint64_t> passing;
    std::uint64_t number = first_number_ + events_.size();
    for (std::size_t i = from; i < events.size(); ++i, ++number) {
        if (filter_.matches(events[i]))
            passing.push_back(number);
        events_.push_back(std::move(events[i]));
    }
    if (passing.empty())
        return;
    const auto first_row = static_cast<int>(shown_.size());
    beginInsertRows({}, first_row, first_row + static_cast<int>(passing.size()) - 1);
    shown_.insert(shown_.end(), passing.begin(), passing.end());
    endInsertRows();
}

void TrafficModel::clear()
{
    beginResetModel();
    first_number_ += events_.size();
    events_.clear();
    shown_.clear();
    overflowed_ = false;
    endResetModel();
}

void TrafficModel::set_filter(const TrafficFilter& filter)
{
    beginResetModel();
    filter_ = filter;
    shown_.clear();
    for (std::size_t i = 0; i < events_.size(); ++i)
        if (filter_.matches(events_[i]))
            shown_.push_back(first_number_ + i);
    endResetModel();
}

const TrafficEvent& TrafficModel::event(int row) const
{
    return events_[static_cast<std::size_t>(shown_[static_cast<std::size_t>(row)] - first_number_)];
}

int TrafficModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int TrafficModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : column_count;
}

QVariant TrafficModel::display(const TrafficEvent& event, int column) const
{
    switch (column) {
    case time_column:
        return clock_time(event.time);
    case kind_column:
        return q(kind_text(event.kind));
    case address_column:
        return event.address >= 0 ? QVariant(event.address) : QVariant();
    case bytes_column: {
        std::string hex;
        append_hex_bytes(hex, event.bytes);
        return hex.empty() ? QString() : QString::fromLatin1(hex.data() + 1, static_cast<qsizetype>(hex.size() - 1));
    }
    case meaning_column:
        return q(event.text);
    case crc_column:
        return is_frame(event) ? q(event.crc_ok ? texts::traffic_crc_good : texts::traffic_crc_bad) : QVariant();
    case response_column:
        if ((event.kind == TrafficKind::reply || event.kind == TrafficKind::timeout) && event.response_us > 0)
            return QString::number(static_cast<double>(event.response_us) / 1000.0, 'f', 1);
        return {};
    default:
        return {};
    }
}

QVariant TrafficModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount())
        return {};
    const TrafficEvent& row = event(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return display(row, index.column());
    case Qt::ToolTipRole:
        return index.column() == meaning_column || index.column() == bytes_column ? display(row, index.column())
                                                                                  : QVariant();
    case Qt::ForegroundRole:
        if (is_traffic_error(row))
            return QBrush(error_text);
        if (is_traffic_warning(row))
            return QBrush(warning_text);
        if (row.kind == TrafficKind::port_opened || row.kind == TrafficKind::port_closed)
            return QBrush(port_text);
        return {};
    case Qt::BackgroundRole:
        return is_traffic_error(row) ? QVariant(QBrush(error_background)) : QVariant();
    case Qt::FontRole:
        return index.column() == bytes_column ? QVariant(QFontDatabase::systemFont(QFontDatabase::FixedFont))
                                              : QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == address_column || index.column() == response_column
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant();
    default:
        return {};
    }
}

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static constexpr Text headers[] = {texts::traffic_column_time,    texts::traffic_column_direction,
                                       texts::traffic_column_address, texts::traffic_column_bytes,
                                       texts::traffic_column_meaning, texts::traffic_column_crc,
                                       texts::traffic_column_response};
    return section >= 0 && section < column_count ? q(headers[section]) : QVariant();
}

} // namespace zr740::ui
