// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The trend window's drawing: a line a series of the trend store against time, one value axis per
// unit (series of one unit share it; a series without a unit has an axis of its own, labelled with
// its caption), a legend of the captions and a cursor that reads the time and every series' value
// under the mouse. The store owns the points; the graphs hold a copy that sync() brings up to date
// by appending what came since, and by copying anew only after the store thinned a series.

#include <QStringList>

#include <qcustomplot.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zr740 {
class TrendStore;
}

namespace zr740::ui {

class TrendPlot : public QCustomPlot {
    Q_OBJECT
public:
    // Up to this many points in the time range shown, the lines are drawn smooth (antialiased).
    static constexpr std::size_t smooth_points = 20'000;

    explicit TrendPlot(const TrendStore& store, QWidget* parent = nullptr);

    // Brings the graphs up to the store: new series get a line (and an axis for a new unit), new
    // points are appended. Returns whether anything changed.
    bool sync();
    // The time axis shows the last `span` seconds up to the newest point (all points when fewer
    // or span is 0); the value axes fit the values shown.
    void follow(double span);
    // Fits the value axes to the values of the time range shown.
    void fit_values();

    // The cursor at a time: a vertical line, a mark on each line and a label with the time and the
    // values at or before it. Hidden again by hide_cursor (or when the mouse leaves).
    void move_cursor(double time);
    void hide_cursor();
    bool cursor_shown() const;
    QString cursor_text() const;

    QCPRange time_range() const { return xAxis->range(); }
    int value_axis_count() const { return static_cast<int>(axes_.size()); }
    QStringList value_axis_labels() const;
    // The graph and value axis of the store's n-th series.
    QCPGraph* series_graph(std::size_t n) const { return lines_.at(n).graph; }
    QCPAxis* series_axis(std::size_t n) const { return lines_.at(n).graph->valueAxis(); }

signals:
    // The person dragged or zoomed the view: the window stops following.
    void view_taken();

protected:
    void leaveEvent(QEvent* event) override;

private:
    struct Line {
        QCPGraph* graph = nullptr;
        QCPItemTracer* tracer = nullptr;
        std::size_t copied = 0;       // the store's points the graph holds
        std::uint64_t generation = 0; // the store's thinning when they were copied
    };

    void add_line(std::size_t series);
    QCPAxis* axis_for(const std::string& key, const QString& label, const QColor& colour);
    void update_interactive_axes();
    void update_empty_note();
    void update_antialiasing();

    const TrendStore& store_;
    std::vector<Line> lines_;
    std::map<std::string, QCPAxis*> axes_; // by unit, or by caption for a series without one
    std::vector<QCPAxis*> axis_order_;
    QCPItemStraightLine* cursor_line_ = nullptr;
    QCPItemText* cursor_label_ = nullptr;
    QCPItemText* empty_note_ = nullptr;
    QSharedPointer<QCPAxisTickerDateTime> time_ticker_;
    double cursor_time_ = 0.0;
};

} // namespace zr740::ui
