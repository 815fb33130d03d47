// SPDX-License-Identifier: GPL-3.0-or-later
// The trend's data without a window: units read from captions, numbers from value texts, the
// store's bound on its points, and the CSV table of a time range.

#include "app/trend_csv.h"
#include "app/trend_store.h"
#include "app/trend_values.h"
#include "model/parameter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>

namespace zr740 {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

TEST(TrendValues, UnitFromCaption)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Давление, кПа", "кПа"},
        {"Выходной ток, мА", "мА"},
        {"Температура датчика, °С", "°С"},
        {"Скорость обмена, бит/с", "бит/с"},
        {"Давление в процентах, %", "%"},
        {"Давление", ""},
        {"Уставка, 1", ""},
        {"Давление,", ""},
        {"Ток, а это очень длинное пояснение", ""},
        {"Ток, мА, выход 2, мА ", "мА"},
    };
    for (const auto& [caption, unit] : cases)
        EXPECT_EQ(unit_from_caption(caption), unit) << caption;
}

TEST(TrendValues, NumbersFromValueTexts)
{
    Parameter number("0x0100");
    number.type_text = "float";
    Parameter state("0x0030");
    state.type_text = "Логика_уставки:Выключена:Превышение:Понижение";
    struct Case {
        const Parameter* parameter;
        const char* text;
        std::optional<double> value; // NaN: a gap
    };
    const Case cases[] = {
        {&number, "63.125", 63.125},   {&number, "-1.500", -1.5},      {&number, " 42 ", 42.0},
        {&number, "1,5", std::nullopt}, {&number, "", std::nullopt},   {&number, "12:05", std::nullopt},
        {&number, "недопустимое значение", nan},
        {&state, "Превышение", 2.0},   {&state, "Выключена", 1.0},      {&state, "Иначе", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto value = trend_value(*c.parameter, c.text);
        ASSERT_EQ(value.has_value(), c.value.has_value()) << c.text;
        if (!value)
            continue;
        if (std::isnan(*c.value))
            EXPECT_TRUE(std::isnan(*value)) << c.text;
        else
            EXPECT_EQ(*value, *c.value) << c.text;
    }
}

TEST(TrendStore, ThinsTheOlderHalfKeepingPeaksGapsAndTheNewestPoints)
{
    TrendSeries series(0, "Давление", "");
    for (int i = 0; i < 64; ++i)
        series.add(i, i == 10 ? nan : (i == 21 ? 1000.0 : (i == 6 ? -1000.0 : i)));
    const auto before = series.generation();
    series.limit(40);
    EXPECT_LE(series.size(), 40u);
    EXPECT_GT(series.generation(), before);
    const auto times = series.times();
    const auto values = series.values();
    EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
    // The newest quarter is untouched.
    EXPECT_EQ(times.back(), 63.0);
    EXPECT_EQ(std::count(times.begin(), times.end(), 50.0), 1);
    // The gap, the peak and the trough survive.
    EXPECT_EQ(std::count_if(values.begin(), values.end(), [](double v) { return std::isnan(v); }), 1);
    EXPECT_NE(std::find(values.begin(), values.end(), 1000.0), values.end());
    EXPECT_NE(std::find(values.begin(), values.end(), -1000.0), values.end());

    // A clock set back does not unsort the series.
    series.add(5.0, 1.0);
    EXPECT_EQ(series.times().back(), 63.0);
    EXPECT_EQ(series.lower_bound(50.0), static_cast<std::size_t>(std::find(times.begin(), times.end(), 50.0) -
                                                                  times.begin()));
}

TEST(TrendStore, SeriesShareTheBudget)
{
    struct Case {
        std::size_t budget;
        int series;
        int points_each;
        std::size_t most_each;
    };
    const Case cases[] = {
        {2'000'000, 10, 30'000, 30'000},                          // within the budget: all kept
        {100'000, 2, 60'000, 50'000},                             // past its share: thinned
        {100'000, 10, 30'000, TrendStore::min_series_cap},        // never below the floor
    };
    for (const auto& c : cases) {
        TrendStore store(c.budget);
        for (int s = 0; s < c.series; ++s)
            store.series_for(s, "Параметр " + std::to_string(s), "");
        for (int i = 0; i < c.points_each; ++i)
            for (int s = 0; s < c.series; ++s)
                store.add(static_cast<std::size_t>(s), i * 0.1, s);
        for (const auto& one : store.series()) {
            EXPECT_LE(one.size(), c.most_each) << c.budget;
            EXPECT_GT(one.size(), c.most_each / 2) << c.budget;
        }
        EXPECT_DOUBLE_EQ(store.newest(), (c.points_each - 1) * 0.1);
        store.clear();
        EXPECT_EQ(store.points(), 0u);
        EXPECT_EQ(store.series().size(), static_cast<std::size_t>(c.series));
        EXPECT_TRUE(std::isnan(store.newest()));
    }
    TrendStore store;
    EXPECT_EQ(store.series_for(3, "Ток, мА", "мА"), 0u);
    EXPECT_EQ(store.series_for(4, "Ток, мА", "мА"), 1u);
    EXPECT_EQ(store.series_for(3, "Ток, мА", "мА"), 0u);
}

TEST(TrendCsv, WritesTheRangeAsRowsOfMilliseconds)
{
    TrendStore store;
    const std::size_t pressure = store.series_for(0, "Давление", "");
    const std::size_t current = store.series_for(1, "Выходной ток, мА", "мА");
    const double t0 = 1'796'905'493.0; // 2026-12-10T12:24:53Z
    store.add(pressure, t0, 63.125);
    store.add(current, t0 + 0.0004, 10.3); // the same millisecond: one row
    store.add(pressure, t0 + 0.1, nan);    // a failed poll: an empty cell
    store.add(current, t0 + 0.125, 10.25);
    store.add(pressure, t0 + 0.2, -0.5);
    store.add(pressure, t0 + 5.0, 1.0); // outside the range

    struct Case {
        double from, to;
        std::size_t rows;
        const char* text;
    };
    const Case cases[] = {
        {t0, t0 + 1.0, 4,
         "time,Давление,\"Выходной ток, мА\"\n"
         "2026-12-10T12:24:53.000Z,63.125,10.3\n"
         "2026-12-10T12:24:53.100Z,,\n"
         "2026-12-10T12:24:53.125Z,,10.25\n"
         "2026-12-10T12:24:53.200Z,-0.5,\n"},
        {t0 + 0.125, t0 + 0.125, 1,
         "time,Давление,\"Выходной ток, мА\"\n"
         "2026-12-10T12:24:53.125Z,,10.25\n"},
        {t0 + 10.0, t0 + 20.0, 0, "time,Давление,\"Выходной ток, мА\"\n"},
    };
    for (const auto& c : cases) {
        std::ostringstream out;
        EXPECT_EQ(write_trend_csv(out, store, c.from, c.to), c.rows);
        EXPECT_EQ(out.str(), c.text);
    }
    EXPECT_EQ(iso_utc_milliseconds(0.9995), "1970-01-01T00:00:01.000Z");
    EXPECT_EQ(iso_utc_milliseconds(-0.25), "1969-12-31T23:59:59.750Z");
}

} // namespace
} // namespace zr740
