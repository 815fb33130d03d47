// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/trend_store.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zr740 {

TrendSeries::TrendSeries(int channel, std::string caption, std::string unit)
    : channel_(channel), caption_(std::move(caption)), unit_(std::move(unit))
{
}

void TrendSeries::add(double time, double value)
{
    if (!times_.empty())
        time = std::max(time, times_.back());
    times_.push_back(time);
    values_.push_back(value);
}

void TrendSeries::limit(std::size_t cap)
{
    cap = std::max<std::size_t>(cap, 16);
    while (times_.size() > cap)
        thin_older_half();
}

void TrendSeries::clear()
{
    times_.clear();
    values_.clear();
    ++generation_;
}

std::size_t TrendSeries::lower_bound(double time) const
{
    return static_cast<std::size_t>(std::lower_bound(times_.begin(), times_.end(), time) - times_.begin());
}

void TrendSeries::thin_older_half()
{
    // Each four points of the older half become two: the lowest and the highest in their order, so
    // peaks and troughs both survive; a group with a gap keeps the gap and one value beside it.
    const std::size_t groups = times_.size() / 8;
    std::size_t out = 0;
    const auto keep = [&](std::size_t index) {
        times_[out] = times_[index];
        values_[out] = values_[index];
        ++out;
    };
    for (std::size_t group = 0; group < groups; ++group) {
        const std::size_t first = 4 * group;
        std::size_t low = first;
        std::size_t high = first;
        std::size_t gap = first + 4;
        for (std::size_t i = first; i < first + 4; ++i) {
            if (std::isnan(values_[i])) {
                gap = std::min(gap, i);
                continue;
            }
            if (std::isnan(values_[low]) || values_[i] < values_[low])
                low = i;
            if (std::isnan(values_[high]) || values_[i] > values_[high])
                high = i;
        }
        if (gap < first + 4) {
            // The value nearest the gap's far side keeps the line's end there.
            const std::size_t value = gap == first ? first + 3 : first;
            keep(std::min(gap, value));
            keep(std::max(gap, value));
        } else if (low == high) {
            keep(first);
            keep(first + 3);
        } else {
            keep(std::min(low, high));
            keep(std::max(low, high));
        }
    }
    const auto rest = static_cast<std::ptrdiff_t>(4 * groups);
    const auto tail = static_cast<std::ptrdiff_t>(out);
    std::move(times_.begin() + rest, times_.end(), times_.begin() + tail);
    std::move(values_.begin() + rest, values_.end(), values_.begin() + tail);
    times_.resize(times_.size() - 2 * groups);
    values_.resize(values_.size() - 2 * groups);
    ++generation_;
}

TrendStore::TrendStore(std::size_t point_budget) : budget_(point_budget) {}

std::size_t TrendStore::series_for(int channel, const std::string& caption, const std::string& unit)
{
    for (std::size_t i = 0; i < series_.size(); ++i)
        if (series_[i].channel() == channel && series_[i].caption() == caption)
            return i;
    series_.emplace_back(channel, caption, unit);
    return series_.size() - 1;
}

std::size_t TrendStore::series_cap() const
{
    return std::max(min_series_cap, budget_ / std::max<std::size_t>(series_.size(), 1));
}

void TrendStore::add(std::size_t series, double time, double value)
{
    TrendSeries& target = series_.at(series);
    target.add(time, value);
    const std::size_t cap = series_cap();
    if (target.size() > cap)
        target.limit(cap);
}

void TrendStore::clear()
{
    for (auto& one : series_)
        one.clear();
}

std::size_t TrendStore::points() const
{
    std::size_t total = 0;
    for (const auto& one : series_)
        total += one.size();
    return total;
}

double TrendStore::newest() const
{
    double newest = std::numeric_limits<double>::quiet_NaN();
    for (const auto& one : series_)
        if (one.size() > 0 && !(one.times().back() <= newest))
            newest = one.times().back();
    return newest;
}

} // namespace zr740
