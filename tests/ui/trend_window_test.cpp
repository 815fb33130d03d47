// SPDX-License-Identifier: GPL-3.0-or-later
// The trend window against the simulated instrument: the lines of running scanners, one value
// axis per unit, pause and follow, the cursor, and the visible range saved as a picture and as a
// CSV table.

#include "frame_fixture.h"

#include "ui/trend_plot.h"
#include "ui/trend_window.h"

#include <QFile>
#include <QImage>
#include <QWheelEvent>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

namespace zr740::testing {
namespace {

using namespace std::chrono_literals;

class TrendWindowTest : public FrameFixture {
protected:
    void SetUp() override
    {
        FrameFixture::SetUp();
        ASSERT_TRUE(frame->run_command(ui::Command::trend_window));
        trends = frame->trend_window();
        ASSERT_NE(trends, nullptr);
        ASSERT_TRUE(trends->isVisible());
        folder = std::filesystem::temp_directory_path() / ("zr740-trend-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override
    {
        FrameFixture::TearDown();
        std::filesystem::remove_all(folder);
    }

    std::size_t points_of(std::size_t series) const { return trends->store().series().at(series).size(); }

    // A poll's result at `at` seconds after t0, failed when the value is NaN.
    ScanResult result(Parameter& parameter, double at, double value) const
    {
        ScanResult made;
        made.parameter = &parameter;
        made.channel = parameter.linear_index;
        if (std::isnan(value))
            made.status_text = "Таймаут";
        else
            made.value_text = std::to_string(value);
        made.polled_at = std::chrono::system_clock::time_point(
            std::chrono::duration_cast<std::chrono::system_clock::duration>(std::chrono::duration<double>(t0 + at)));
        return made;
    }
    // Values at 10 Hz from `from` to `to` tenths of a second: 10 + the seconds.
    void feed(Parameter& parameter, int from, int to)
    {
        std::vector<ScanResult> results;
        for (int tenth = from; tenth <= to; ++tenth)
            results.push_back(result(parameter, tenth / 10.0, 10.0 + tenth / 10.0));
        trends->add_results(results);
        trends->refresh();
    }
    static Parameter made(const char* name, const char* caption, int channel)
    {
        Parameter parameter(name);
        parameter.type_text = "float";
        parameter.caption = caption;
        parameter.linear_index = channel;
        return parameter;
    }

    const double t0 = 1'796'905'493.0; // 2026-12-10T12:24:53Z
    ui::TrendWindow* trends = nullptr;
    std::filesystem::path folder;
};

TEST_F(TrendWindowTest, RunningScannersBecomeLinesWithAnAxisPerUnit)
{
    EXPECT_TRUE(frame->action(ui::Command::trend_window)->isChecked());
    Parameter& pressure = *document->scanners()->find("0x0100");
    Parameter& current = *document->scanners()->find("0x0102");
    for (Parameter* scanner : {&pressure, &current})
        ASSERT_TRUE(document->scanners_thread().set_period(*scanner, 100));
    ASSERT_EQ(document->scanners_thread().switch_on_together({&pressure, &current}), 0);
    // The points come through the main window's queue while both scanners run.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return trends->store().series().size() == 2 && points_of(0) >= 5 && points_of(1) >= 5; }, 10000));
    document->scanners_thread().switch_off(pressure);
    document->scanners_thread().switch_off(current);
    const auto& series = trends->store().series();
    EXPECT_EQ(series[0].caption(), "Давление");
    EXPECT_EQ(series[1].caption(), "Выходной ток, мА");
    EXPECT_EQ(series[1].unit(), "мА");
    EXPECT_EQ(series[0].values().back(), std::stod(*simulator->value(0x0100)));
    QTest::qWait(200);
    trends->refresh();
    ui::TrendPlot* plot = trends->plot();
    EXPECT_EQ(plot->series_graph(0)->dataCount(), static_cast<int>(points_of(0)));
    EXPECT_EQ(plot->value_axis_labels(), QStringList({"Давление", "мА"}));
    // Following: the time axis ends at the newest point.
    EXPECT_NEAR(plot->time_range().upper, trends->store().newest(), plot->time_range().size() * 0.02);

    // Series of one unit share an axis; one without a unit has its own, named by its caption;
    // a failed poll is a gap in its line.
    Parameter second = made("0x0200", "Ток второго выхода, мА", 40);
    Parameter state = made("0x0202", "Слово состояния", 41);
    trends->add_results({result(second, 0, 12.5), result(second, 0.1, NAN), result(state, 0, 3)});
    trends->refresh();
    EXPECT_EQ(plot->value_axis_labels(), QStringList({"Давление", "мА", "Слово состояния"}));
    EXPECT_EQ(plot->series_axis(2), plot->series_axis(1));
    EXPECT_NE(plot->series_axis(3), plot->series_axis(1));
    EXPECT_TRUE(std::isnan(plot->series_graph(2)->data()->at(1)->value));
    EXPECT_EQ(plot->legend->itemCount(), 4);
}

TEST_F(TrendWindowTest, PauseHoldsTheViewWhilePointsKeepComingAndFollowMovesOn)
{
    Parameter pressure = made("0x0300", "Давление, кПа", 50);
    trends->set_span(60);
    feed(pressure, 0, 1000);
    ui::TrendPlot* plot = trends->plot();
    EXPECT_NEAR(plot->time_range().upper, t0 + 100, 1.0);
    EXPECT_NEAR(plot->time_range().lower, t0 + 40, 1e-3);

    trends->set_paused(true);
    const QCPRange held = plot->time_range();
    feed(pressure, 1001, 1300);
    EXPECT_EQ(plot->time_range(), held);
    EXPECT_EQ(points_of(0), 1301u);
    EXPECT_EQ(plot->series_graph(0)->dataCount(), 1301);
    EXPECT_TRUE(trends->note_text().startsWith("Пауза")) << trends->note_text().toStdString();

    trends->set_paused(false);
    EXPECT_NEAR(plot->time_range().upper, t0 + 130, 1.0);

    // Turning the wheel over the plot zooms and stops following.
    const QPointF middle = plot->axisRect()->rect().center();
    QWheelEvent wheel(middle, plot->mapToGlobal(middle), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(plot, &wheel);
    EXPECT_TRUE(trends->paused());
    EXPECT_LT(plot->time_range().size(), 60.0);
    const QCPRange zoomed = plot->time_range();
    feed(pressure, 1301, 1400);
    EXPECT_EQ(plot->time_range(), zoomed);

    // The cursor reads the time and the values at or before it.
    plot->move_cursor(t0 + 120.05);
    EXPECT_TRUE(plot->cursor_shown());
    EXPECT_TRUE(plot->cursor_text().endsWith("\nДавление, кПа: 130")) << plot->cursor_text().toStdString();
    EXPECT_TRUE(plot->cursor_text().startsWith(
        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>((t0 + 120.05) * 1000)).toString("hh:mm:ss.")));

    // Cleared, the line stays in the legend without points; new points start it again.
    trends->clear();
    EXPECT_EQ(plot->series_graph(0)->dataCount(), 0);
    feed(pressure, 1401, 1410);
    EXPECT_EQ(plot->series_graph(0)->dataCount(), 10);
}

TEST_F(TrendWindowTest, TheVisibleRangeIsSavedAsAPictureAndATable)
{
    Parameter pressure = made("0x0300", "Давление", 50);
    Parameter current = made("0x0302", "Выходной ток, мА", 51);
    std::vector<ScanResult> results;
    for (int i = 0; i <= 100; ++i) {
        results.push_back(result(pressure, i * 0.1, i == 55 ? NAN : 60 + i * 0.125));
        results.push_back(result(current, i * 0.1 + 0.004, 4 + i * 0.01));
    }
    trends->add_results(results);
    trends->refresh();
    trends->set_paused(true);
    trends->plot()->xAxis->setRange(t0 + 4.95, t0 + 5.55);

    const QString png = QString::fromStdString((folder / "trend.png").string());
    ASSERT_TRUE(trends->save_png(png));
    const QImage picture(png);
    EXPECT_EQ(picture.size(), trends->plot()->size());

    const QString csv = QString::fromStdString((folder / "trend.csv").string());
    ASSERT_TRUE(trends->save_csv(csv));
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 2 * 6) << lines.join('\n').toStdString();
    EXPECT_EQ(lines[0], "time,Давление,\"Выходной ток, мА\"");
    EXPECT_EQ(lines[1], "2026-12-10T12:24:58.000Z,66.25,");
    EXPECT_EQ(lines[2], "2026-12-10T12:24:58.004Z,,4.5");
    EXPECT_EQ(lines[3], "2026-12-10T12:24:58.100Z,66.375,");
    EXPECT_EQ(lines[11], "2026-12-10T12:24:58.500Z,,"); // the failed poll
    EXPECT_EQ(lines[12], "2026-12-10T12:24:58.504Z,,4.55");
    EXPECT_TRUE(boxes("Тренды").empty());

    // A file that cannot be written is told about.
    EXPECT_FALSE(trends->save_csv(QString::fromStdString((folder / "missing" / "trend.csv").string())));
    EXPECT_FALSE(trends->save_png(QString::fromStdString((folder / "missing" / "trend.png").string())));
    const auto told = boxes("Тренды");
    ASSERT_EQ(told.size(), 2u);
    EXPECT_TRUE(told[0].text.starts_with("Не удается сохранить значения в ")) << told[0].text;
    EXPECT_EQ(told[0].icon, Icon::stop);
}

// Lines of a text file.
std::vector<std::string> file_lines(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST_F(TrendWindowTest, TheLogStartedFromTheWindowWritesEveryRoundUntilStopped)
{
    const auto path = folder / "log.csv";
    const QString file = QString::fromStdString(path.string());
    // Nothing polled: nothing to log.
    EXPECT_FALSE(trends->start_log(file));
    auto told = boxes("Тренды");
    ASSERT_EQ(told.size(), 1u);
    EXPECT_TRUE(told[0].text.starts_with("Нет сканеров для записи")) << told[0].text;
    shell.clear_shown_boxes();

    Parameter& pressure = *document->scanners()->find("0x0100");
    Parameter& current = *document->scanners()->find("0x0102");
    for (Parameter* scanner : {&pressure, &current})
        ASSERT_TRUE(document->scanners_thread().set_period(*scanner, 100));
    ASSERT_EQ(document->scanners_thread().switch_on_together({&pressure, &current}), 0);
    ASSERT_TRUE(trends->start_log(file));
    EXPECT_TRUE(trends->logging());
    // The log is written on the scanners' thread: the lines come while this thread only waits.
    ASSERT_TRUE(QTest::qWaitFor([&] { return file_lines(path).size() >= 6; }, 10000));
    EXPECT_TRUE(trends->log_status().startsWith("Запись в " + file + ": строк ")) << trends->log_status().toStdString();
    trends->stop_log();
    document->scanners_thread().switch_off(pressure);
    document->scanners_thread().switch_off(current);
    EXPECT_FALSE(trends->logging());
    const auto lines = file_lines(path);
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0], "time,Давление,\"Выходной ток, мА\",status");
    // A round the busy machine delayed past the next one is written without its late value, so
    // not every line need hold the pressure; each starts with its time.
    const std::string value = *simulator->value(0x0100);
    std::size_t with_pressure = 0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].find("Z,"), 23u) << lines[i]; // "2026-12-10T12:24:58.000Z,"
        with_pressure += lines[i].find("Z," + value + ",") != std::string::npos ? 1 : 0;
    }
    EXPECT_GE(with_pressure, 3u);
    EXPECT_EQ(trends->log_status(),
              QString("Запись в %1 остановлена: строк %2").arg(file).arg(lines.size() - 1));
    QTest::qWait(300);
    EXPECT_EQ(file_lines(path).size(), lines.size());
    EXPECT_TRUE(boxes("Тренды").empty());
}

TEST_F(TrendWindowTest, ANewDocumentEndsTheLogBeforeItsScannersGo)
{
    const auto path = folder / "new.csv";
    Parameter& pressure = *document->scanners()->find("0x0100");
    ASSERT_TRUE(document->scanners_thread().set_period(pressure, 100));
    ASSERT_EQ(document->scanners_thread().switch_on(pressure), 0);
    ASSERT_TRUE(trends->start_log(QString::fromStdString(path.string())));
    ASSERT_TRUE(QTest::qWaitFor([&] { return file_lines(path).size() >= 3; }, 10000));
    // The log's columns are the old tree's parameters: they must not outlive it.
    ASSERT_TRUE(frame->run_command(ui::Command::file_new));
    EXPECT_FALSE(trends->logging());
    const auto lines = file_lines(path);
    QTest::qWait(300);
    EXPECT_EQ(file_lines(path), lines);
    for (std::size_t i = 1; i < lines.size(); ++i)
        EXPECT_EQ(std::count(lines[i].begin(), lines[i].end(), ','), 2) << lines[i];
}

TEST_F(TrendWindowTest, AWriteErrorStopsTheLogAndIsTold)
{
    Parameter& pressure = *document->scanners()->find("0x0100");
    ASSERT_TRUE(document->scanners_thread().set_period(pressure, 100));
    ASSERT_EQ(document->scanners_thread().switch_on(pressure), 0);
    // The file size limit makes a write fail as a full disk makes it fail.
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 120;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool started = trends->start_log(QString::fromStdString((folder / "full.csv").string()));
    const bool stopped = started && QTest::qWaitFor([&] { return !trends->logging(); }, 10000);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, old_handler);
    document->scanners_thread().switch_off(pressure);
    ASSERT_TRUE(started);
    ASSERT_TRUE(stopped);
    const auto told = boxes("Тренды");
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].text.find("остановлена"), std::string::npos) << told[0].text;
    EXPECT_TRUE(trends->log_status().contains("остановлена")) << trends->log_status().toStdString();
}

} // namespace
} // namespace zr740::testing
