// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The points of the trend window, kept apart from any drawing: one series a polled parameter, each
// a pair of vectors (time, value) in the order the polls came. A failed poll is a NaN value, which
// breaks the line there.
//
// The store holds a bounded number of points whatever the program's running time: once a series
// reaches its share of the budget, the older half of it is thinned to half as many points, keeping
// the lowest and the highest of each four and every gap. The oldest points lose detail
// first; the newest stay as they were polled.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zr740 {

class TrendSeries {
  public:
    TrendSeries(int channel, std::string caption, std::string unit);

    int channel() const { return channel_; }
    const std::string& caption() const { return caption_; }
    const std::string& unit() const { return unit_; }

    // Times are seconds since 1970-01-01 UTC, never decreasing; a time before the last one is taken
    // as the last (a clock set back must not unsort the series).
    void add(double time, double value);
    // Thins the older half of the points while there are more than `cap` (at least 16).
    void limit(std::size_t cap);
    void clear();

    std::size_t size() const { return times_.size(); }
    std::span<const double> times() const { return times_; }
    std::span<const double> values() const { return values_; }
    // How many times points were thinned or dropped: a copy of the points made before is stale once
    // this changes, while points added since can be appended to it.
    std::uint64_t generation() const { return generation_; }
    // The index of the first point at or after `time`.
    std::size_t lower_bound(double time) const;

  private:
    void thin_older_half();

    int channel_ = 0;
    std::string caption_;
    std::string unit_;
    std::vector<double> times_;
    std::vector<double> values_;
    std::uint64_t generation_ = 0;
};

class TrendStore {
  public:
    // 10 series polled at 10 Hz for four hours keep every point.
    static constexpr std::size_t default_budget = 2'000'000;
    // However many series share the budget, each keeps at least this many points.
    static constexpr std::size_t min_series_cap = 20'000;

    explicit TrendStore(std::size_t point_budget = default_budget);

    // The series of the scanner on `channel` with this caption, made (with its unit) on first use.
    std::size_t series_for(int channel, const std::string& caption, const std::string& unit);
    // Adds a point, thinning the series when it is past its share of the budget.
    void add(std::size_t series, double time, double value);
    // Drops every point; the series stay, empty.
    void clear();

    const std::vector<TrendSeries>& series() const { return series_; }
    std::size_t points() const;
    // The time of the newest point of any series; NaN when there is none.
    double newest() const;
    // The points a series may keep now.
    std::size_t series_cap() const;

  private:
    std::size_t budget_;
    std::vector<TrendSeries> series_;
};

} // namespace zr740
