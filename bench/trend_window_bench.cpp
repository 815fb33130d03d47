// SPDX-License-Identifier: GPL-3.0-or-later
// The trend window under four hours of polls, offscreen: 10 scanners at 10 Hz for 4 hours (1.44
// million points) are handed to the window, which then follows the newest point.
//  - the redraw while following, 5 minutes shown and 10 new points each time: median goal <= 16 ms
//    (also the whole four hours shown, and a cursor move, for comparison);
//  - the program's memory with all points kept (resident and its peak): goal <= 200 MB;
//  - then `seconds` (first argument, default 20) of live polls, 10 scanners at 10 Hz, queued from a
//    thread as the scanners queue them: the longest window-thread stall, goal <= 50 ms.
// Prints the figures; exits non-zero when a goal is missed.

#include "app/scan_result_queue.h"
#include "loop_stall_meter.h"
#include "model/parameter.h"
#include "ui/qt_shell.h"
#include "ui/trend_plot.h"
#include "ui/trend_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace zr740;
using Clock = std::chrono::steady_clock;
using SystemClock = std::chrono::system_clock;

constexpr int series_count = 10;
constexpr int rate_hz = 10;
constexpr int hours = 4;

// A field of /proc/self/status in MB ("VmRSS", "VmHWM").
double memory_mb(const char* field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0)
            return std::strtod(line.c_str() + std::string(field).size() + 1, nullptr) / 1024.0;
    return 0.0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// The scanners: three units shared, the rest without a unit.
std::vector<Parameter> make_scanners()
{
    const char* captions[series_count] = {
        "Давление 1, кПа", "Давление 2, кПа", "Выходной ток 1, мА", "Выходной ток 2, мА", "Температура 1, °С",
        "Температура 2, °С", "Давление в процентах", "Слово состояния", "Расход", "Уровень"};
    std::vector<Parameter> made;
    for (int i = 0; i < series_count; ++i) {
        Parameter scanner("0x" + std::to_string(100 + 2 * i));
        scanner.type_text = "float";
        scanner.caption = captions[i];
        scanner.linear_index = i;
        made.push_back(scanner);
    }
    return made;
}

// Scanner `i`'s poll at `at`, as the scanner thread makes it: a value text of three decimals, one
// poll in 500 failed.
ScanResult poll(Parameter& scanner, int i, SystemClock::time_point at, long long n)
{
    ScanResult result;
    result.parameter = &scanner;
    result.channel = i;
    result.polled_at = at;
    const double t = static_cast<double>(n) / rate_hz;
    if (n % 500 == 499) {
        result.status_text = "Таймаут при передаче данных (нет связи)";
    } else {
        char text[32];
        std::snprintf(text, sizeof text, "%.3f", 50.0 + 10.0 * i + 5.0 * std::sin(t / (30.0 + i)) + 0.3 * std::sin(t));
        result.value_text = text;
    }
    return result;
}

// The median time of `rounds` redraws, `before` run ahead of each.
template <typename Step> double redraw_median(ui::TrendWindow& window, int rounds, Step before)
{
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        before(round);
        // As the clock redraws: the queued redraw runs and the window is painted when the loop turns.
        QElapsedTimer timer;
        timer.start();
        window.refresh();
        window.plot()->replot(QCustomPlot::rpQueuedReplot);
        QApplication::processEvents();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

// Times every event the window thread handles, to name the longest.
class TimedApplication : public QApplication {
public:
    using QApplication::QApplication;
    double longest_ms = 0.0;
    std::string longest_what;

    bool notify(QObject* receiver, QEvent* event) override
    {
        const auto start = Clock::now();
        const int type = event->type();
        const bool handled = QApplication::notify(receiver, event);
        const double spent = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (spent > longest_ms) {
            longest_ms = spent;
            longest_what = std::string(receiver->metaObject()->className()) + " event " + std::to_string(type);
        }
        return handled;
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TimedApplication application(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const double start_rss = memory_mb("VmRSS");

    ui::QtShell shell;
    shell.set_unattended_boxes(true);
    std::vector<Parameter> scanners = make_scanners();
    ui::TrendWindow window(shell);
    window.resize(1200, 500);
    window.show();
    QApplication::processEvents();

    // Four hours of polls ending now, handed over a minute at a time as the queue would.
    const long long polls = static_cast<long long>(hours) * 3600 * rate_hz;
    const auto period = std::chrono::milliseconds(1000 / rate_hz);
    const auto first = SystemClock::now() - period * polls;
    const auto load_start = Clock::now();
    std::vector<ScanResult> batch;
    for (long long n = 0; n < polls; ++n) {
        for (int i = 0; i < series_count; ++i)
            batch.push_back(poll(scanners[static_cast<std::size_t>(i)], i, first + period * n, n));
        if (batch.size() >= 600 * series_count || n + 1 == polls) {
            window.add_results(batch);
            batch.clear();
        }
    }
    window.refresh();
    QApplication::processEvents();
    const double load_s = std::chrono::duration<double>(Clock::now() - load_start).count();
    const double loaded_rss = memory_mb("VmRSS");

    // Following with 5 minutes shown: each redraw after 10 new points, as one round of polls.
    long long next = polls;
    const auto new_round = [&](int) {
        std::vector<ScanResult> round;
        for (int i = 0; i < series_count; ++i)
            round.push_back(poll(scanners[static_cast<std::size_t>(i)], i, first + period * next, next));
        ++next;
        window.add_results(round);
    };
    window.set_span(300);
    const double follow_ms = redraw_median(window, 200, new_round);
    window.set_span(0);
    const double all_ms = redraw_median(window, 50, new_round);
    window.set_span(300);
    ui::TrendPlot* plot = window.plot();
    const QCPRange shown = plot->time_range();
    const double cursor_ms = redraw_median(window, 100, [&](int round) {
        plot->move_cursor(shown.lower + shown.size() * (0.1 + 0.008 * round));
    });
    plot->hide_cursor();
    const double followed_rss = memory_mb("VmRSS");

    // Live: a thread queues 10 polls every 100 ms and announces them, as the scanner thread does;
    // the window takes them when the announcement reaches it.
    ScanResultQueue queue;
    std::atomic<bool> done{false};
    application.longest_ms = 0.0;
    LoopStallMeter stall;
    std::thread scanner_thread([&] {
        auto due = Clock::now();
        const auto end = due + std::chrono::seconds(seconds);
        for (long long n = next; Clock::now() < end; ++n) {
            for (int i = 0; i < series_count; ++i) {
                queue.push(poll(scanners[static_cast<std::size_t>(i)], i, SystemClock::now(), n));
                QMetaObject::invokeMethod(&window, [&] { window.add_results(queue.take_all()); });
            }
            due += period;
            std::this_thread::sleep_until(due);
        }
        done = true;
    });
    QTimer finish;
    QObject::connect(&finish, &QTimer::timeout, [&] {
        if (done)
            QApplication::quit();
    });
    finish.start(50);
    QApplication::exec();
    scanner_thread.join();
    const double live_stall = stall.longest_ms();
    const double longest_event = application.longest_ms;
    const double peak = memory_mb("VmHWM");

    std::printf("trend window: %d series x %d Hz x %d h = %zu points loaded in %.1f s\n", series_count, rate_hz,
                hours, window.store().points(), load_s);
    std::printf("  redraw following, 5 min shown: median %.2f ms (goal <= 16)\n", follow_ms);
    std::printf("  redraw following, all 4 h shown: median %.2f ms\n", all_ms);
    std::printf("  redraw with the cursor moving: median %.2f ms\n", cursor_ms);
    std::printf("  memory: %.1f MB resident before, %.1f MB loaded, %.1f MB after following, peak %.1f MB "
                "(goal <= 200)\n",
                start_rss, loaded_rss, followed_rss, peak);
    std::printf("  live %d s at %d Hz x %d series: longest window-thread stall %.1f ms (goal <= 50)\n", seconds,
                rate_hz, series_count, live_stall);
    std::printf("  longest single event: %.1f ms (%s)\n", longest_event, application.longest_what.c_str());
    const bool met = follow_ms <= 16.0 && peak <= 200.0 && live_stall <= 50.0;
    std::printf("%s\n", met ? "goals met" : "GOAL MISSED");
    return met ? 0 : 1;
}
