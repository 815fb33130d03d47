// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/trend_plot.h"

#include "app/trend_store.h"
#include "ui/trend_texts.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>

namespace zr740::ui {
namespace {

// Colours told apart on screen and on paper, one a series in turn.
const QColor palette[] = {
    QColor(31, 119, 180), QColor(214, 39, 40),  QColor(44, 160, 44),   QColor(255, 127, 14), QColor(148, 103, 189),
    QColor(140, 86, 75),  QColor(227, 119, 194), QColor(127, 127, 127), QColor(188, 189, 34), QColor(23, 190, 207),
};

QColor colour_of(std::size_t series)
{
    return palette[series % std::size(palette)];
}

QString caption_of(const TrendSeries& series)
{
    return QString::fromStdString(series.caption());
}

// A value as the cursor reads it: up to seven significant digits, "." as the point.
QString value_text(double value)
{
    return QString::number(value, 'g', 7);
}

} // namespace

TrendPlot::TrendPlot(const TrendStore& store, QWidget* parent) : QCustomPlot(parent), store_(store)
{
    setObjectName("trendPlot");
    // Redraws are asked for by the window's clock, not by each new point; antialiasing only for
    // the lines when the view stands still.
    setNoAntialiasingOnDrag(true);
    setPlottingHint(QCP::phFastPolylines, true);
    setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);

    time_ticker_ = QSharedPointer<QCPAxisTickerDateTime>::create();
    time_ticker_->setDateTimeSpec(Qt::LocalTime);
    xAxis->setTicker(time_ticker_);
    xAxis->setLabel(q(texts::trend_time_axis));
    yAxis->setVisible(false);

    legend->setVisible(true);
    legend->setBrush(QColor(255, 255, 255, 210));
    axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignLeft);

    cursor_line_ = new QCPItemStraightLine(this);
    cursor_line_->setPen(QPen(QColor(90, 90, 90), 1, Qt::DashLine));
    cursor_label_ = new QCPItemText(this);
    cursor_label_->setPositionAlignment(Qt::AlignTop | Qt::AlignLeft);
    cursor_label_->position->setTypeX(QCPItemPosition::ptPlotCoords);
    cursor_label_->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
    cursor_label_->setTextAlignment(Qt::AlignLeft);
    cursor_label_->setPadding(QMargins(5, 3, 5, 3));
    cursor_label_->setBrush(QColor(255, 255, 240, 230));
    cursor_label_->setPen(QPen(QColor(150, 150, 150)));
    cursor_label_->setClipToAxisRect(true);
    for (QCPAbstractItem* item : {static_cast<QCPAbstractItem*>(cursor_line_), static_cast<QCPAbstractItem*>(cursor_label_)})
        item->setVisible(false);

    empty_note_ = new QCPItemText(this);
    empty_note_->position->setType(QCPItemPosition::ptAxisRectRatio);
    empty_note_->position->setCoords(0.5, 0.5);
    empty_note_->setText(q(texts::trend_empty));
    empty_note_->setColor(QColor(110, 110, 110));

    // Dragging or turning the wheel over the plot takes the view from the clock.
    connect(this, &QCustomPlot::mousePress, this, [this](QMouseEvent* event) {
        if (event->button() == Qt::LeftButton)
            emit view_taken();
    });
    connect(this, &QCustomPlot::mouseWheel, this, [this] { emit view_taken(); });
    connect(this, &QCustomPlot::mouseMove, this, [this](QMouseEvent* event) {
        if (axisRect()->rect().contains(event->pos()) && !lines_.empty()) {
            move_cursor(xAxis->pixelToCoord(event->pos().x()));
            replot(rpQueuedReplot);
        } else if (cursor_shown()) {
            hide_cursor();
            replot(rpQueuedReplot);
        }
    });
    connect(xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, [this](const QCPRange& shown) {
        // Ticks closer than a second apart need the milliseconds to tell them apart.
        time_ticker_->setDateTimeFormat(shown.size() < 10.0 ? QStringLiteral("hh:mm:ss.zzz") : QStringLiteral("hh:mm:ss"));
        update_antialiasing();
    });
    const auto now = static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
    xAxis->setRange(now - 60.0, now);
}

void TrendPlot::update_antialiasing()
{
    // Smooth lines cost about three times as much to draw: worth it while the lines are sparse,
    // not when tens of thousands of points are shown, where the pixels hide the difference anyway.
    const QCPRange shown = xAxis->range();
    std::size_t visible = 0;
    for (const auto& series : store_.series())
        visible += series.lower_bound(shown.upper) - series.lower_bound(shown.lower);
    const bool smooth = visible <= smooth_points;
    for (const Line& line : lines_)
        line.graph->setAntialiased(smooth);
}

bool TrendPlot::sync()
{
    bool changed = false;
    const auto& all = store_.series();
    while (lines_.size() < all.size()) {
        add_line(lines_.size());
        changed = true;
    }
    for (std::size_t n = 0; n < lines_.size(); ++n) {
        Line& line = lines_[n];
        const TrendSeries& series = all[n];
        if (line.generation != series.generation()) {
            line.graph->data()->clear();
            line.copied = 0;
            line.generation = series.generation();
            changed = true;
        }
        if (line.copied == series.size())
            continue;
        const auto times = series.times().subspan(line.copied);
        const auto values = series.values().subspan(line.copied);
        line.graph->addData(QVector<double>(times.begin(), times.end()), QVector<double>(values.begin(), values.end()),
                            true);
        line.copied = series.size();
        changed = true;
    }
    if (changed) {
        update_empty_note();
        update_antialiasing();
    }
    return changed;
}

void TrendPlot::add_line(std::size_t n)
{
    const TrendSeries& series = store_.series()[n];
    const QColor colour = colour_of(n);
    const std::string key = series.unit().empty() ? "\x01" + series.caption() : series.unit();
    const QString label = series.unit().empty() ? caption_of(series) : QString::fromStdString(series.unit());
    QCPAxis* axis = axis_for(key, label, colour);

    Line line;
    line.graph = addGraph(xAxis, axis);
    line.graph->setName(caption_of(series));
    line.graph->setPen(QPen(colour, 1.6));
    line.graph->setAdaptiveSampling(true);
    line.graph->setAntialiased(lines_.empty() || lines_.front().graph->antialiased());
    line.graph->setLineStyle(QCPGraph::lsLine);
    line.tracer = new QCPItemTracer(this);
    line.tracer->setInterpolating(false);
    line.tracer->setStyle(QCPItemTracer::tsCircle);
    line.tracer->setSize(7);
    line.tracer->setPen(QPen(colour, 1.5));
    line.tracer->setBrush(Qt::white);
    line.tracer->setVisible(cursor_shown());
    lines_.push_back(line);
    update_interactive_axes();
}

QCPAxis* TrendPlot::axis_for(const std::string& key, const QString& label, const QColor& colour)
{
    if (const auto found = axes_.find(key); found != axes_.end()) {
        // A shared axis tells no single series' colour.
        found->second->setLabelColor(Qt::black);
        return found->second;
    }
    // The first axis stands on the left, the second on the right, then outwards in turn.
    QCPAxis* axis = nullptr;
    const std::size_t count = axis_order_.size();
    if (count == 0) {
        axis = yAxis;
    } else if (count == 1) {
        axis = yAxis2;
    } else {
        axis = axisRect()->addAxis(count % 2 == 0 ? QCPAxis::atLeft : QCPAxis::atRight);
    }
    axis->setVisible(true);
    axis->setTickLabels(true);
    axis->setLabel(label);
    axis->setLabelColor(colour);
    axis->setRange(0, 1);
    axes_[key] = axis;
    axis_order_.push_back(axis);
    return axis;
}

void TrendPlot::update_interactive_axes()
{
    const QList<QCPAxis*> values(axis_order_.begin(), axis_order_.end());
    axisRect()->setRangeDragAxes({xAxis}, values);
    axisRect()->setRangeZoomAxes({xAxis}, values);
}

void TrendPlot::update_empty_note()
{
    empty_note_->setVisible(store_.points() == 0);
}

void TrendPlot::follow(double span)
{
    const double newest = store_.newest();
    if (std::isnan(newest))
        return;
    double oldest = newest;
    for (const auto& series : store_.series())
        if (series.size() > 0)
            oldest = std::min(oldest, series.times().front());
    double from = span > 0 ? std::max(oldest, newest - span) : oldest;
    double to = newest;
    if (to - from < 1.0) {
        from = to - 1.0;
    }
    // A little room after the newest point, so its mark is not cut by the frame.
    xAxis->setRange(from, to + (to - from) * 0.01);
    fit_values();
}

void TrendPlot::fit_values()
{
    const QCPRange shown = xAxis->range();
    for (QCPAxis* axis : axis_order_) {
        bool found_any = false;
        QCPRange range;
        for (QCPGraph* graph : axis->graphs()) {
            bool found = false;
            const QCPRange one = graph->getValueRange(found, QCP::sdBoth, shown);
            if (!found)
                continue;
            range = found_any ? QCPRange(std::min(range.lower, one.lower), std::max(range.upper, one.upper)) : one;
            found_any = true;
        }
        if (!found_any)
            continue;
        const double size = range.size();
        const double margin = size > 0 ? size * 0.08 : std::max(std::abs(range.lower) * 0.01, 0.5);
        axis->setRange(range.lower - margin, range.upper + margin);
    }
}

void TrendPlot::move_cursor(double time)
{
    cursor_time_ = time;
    cursor_line_->point1->setCoords(time, 0);
    cursor_line_->point2->setCoords(time, 1);
    cursor_line_->setVisible(true);
    const auto& all = store_.series();
    for (std::size_t n = 0; n < lines_.size(); ++n) {
        // The mark stands on the last point at or before the cursor; none before the line's first
        // point or where the poll failed.
        const TrendSeries& series = all[n];
        const std::size_t after = series.lower_bound(std::nextafter(time, INFINITY));
        const bool on_line = after > 0 && !std::isnan(series.values()[after - 1]);
        // A tracer on a graph without points complains at every redraw: tied only while shown.
        lines_[n].tracer->setGraph(on_line ? lines_[n].graph : nullptr);
        if (on_line)
            lines_[n].tracer->setGraphKey(series.times()[after - 1]);
        lines_[n].tracer->setVisible(on_line);
    }
    cursor_label_->setText(cursor_text());
    // The label stands right of the line, or left of it in the right half of the plot.
    const bool right_half = xAxis->coordToPixel(time) > axisRect()->center().x();
    cursor_label_->setPositionAlignment(Qt::AlignTop | (right_half ? Qt::AlignRight : Qt::AlignLeft));
    cursor_label_->position->setCoords(time, 0.02);
    cursor_label_->setVisible(true);
}

void TrendPlot::hide_cursor()
{
    cursor_line_->setVisible(false);
    cursor_label_->setVisible(false);
    for (Line& line : lines_)
        line.tracer->setVisible(false);
}

bool TrendPlot::cursor_shown() const
{
    return cursor_line_->visible();
}

QString TrendPlot::cursor_text() const
{
    const auto when = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::llround(cursor_time_ * 1000.0)));
    QString text = when.toString(QStringLiteral("hh:mm:ss.zzz"));
    const auto& all = store_.series();
    for (std::size_t n = 0; n < lines_.size() && n < all.size(); ++n) {
        const TrendSeries& series = all[n];
        // The last point at or before the cursor.
        const std::size_t after = series.lower_bound(std::nextafter(cursor_time_, INFINITY));
        if (after == 0)
            continue;
        const double value = series.values()[after - 1];
        text += QStringLiteral("\n%1: ").arg(caption_of(series));
        // The caption names the unit where there is one.
        text += std::isnan(value) ? q(texts::trend_cursor_failed) : value_text(value);
    }
    return text;
}

QStringList TrendPlot::value_axis_labels() const
{
    QStringList labels;
    for (const QCPAxis* axis : axis_order_)
        labels << axis->label();
    return labels;
}

void TrendPlot::leaveEvent(QEvent* event)
{
    if (cursor_shown()) {
        hide_cursor();
        replot(rpQueuedReplot);
    }
    QCustomPlot::leaveEvent(event);
}

} // namespace zr740::ui
