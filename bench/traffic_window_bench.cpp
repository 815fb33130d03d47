// SPDX-License-Identifier: GPL-3.0-or-later
// The traffic monitor under a busy line, offscreen: a thread hands the link's trace 1,000 frames a
// second (500 read transactions; every 50th times out, every 70th reply is damaged) for `seconds`
// (first argument, default 60) while the monitor is shown and follows the end of its table.
//  - the longest stretch the window thread's event loop went without turning: goal <= 50 ms;
//  - the program's memory (resident, and its peak): goal <= 100 MB.
// Then, unpaced, enough events to fill the table to its cap, and the memory again: what the
// monitor costs at most, however long the program runs.
// Prints the figures; exits non-zero when a goal is missed.

#include "link/frame_trace.h"
#include "link/sio.h"
#include "loop_stall_meter.h"
#include "ui/qt_shell.h"
#include "ui/traffic_model.h"
#include "ui/traffic_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace zr740;
using Clock = std::chrono::steady_clock;

// A field of /proc/self/status in MB ("VmRSS", "VmHWM").
double memory_mb(const char* field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0)
            return std::strtod(line.c_str() + std::string(field).size() + 1, nullptr) / 1024.0;
    return 0.0;
}

// One read transaction as the link reports it.
void transaction(FrameTrace& trace, std::uint64_t number)
{
    static const std::vector<std::uint8_t> request = {0x10, 0x03, 0x00, 0x18, 0x00, 0x02, 0x47, 0x4D};
    static const std::vector<std::uint8_t> reply = {0x10, 0x03, 0x04, 0x3F, 0x80, 0x00, 0x00, 0xF6, 0xCE};
    static const std::vector<std::uint8_t> damaged = {0x10, 0x03, 0x04, 0x3F, 0x80, 0x00, 0x00, 0xF6, 0xCF};
    trace.sent(request);
    if (number % 50 == 49) {
        trace.received(request, {}, transfer_timeout, 0, 0, 220'000);
        trace.retry(1, RetryCause::timeout);
    } else if (number % 70 == 69) {
        trace.received(request, damaged, transfer_timeout, 0, 0, 220'000);
    } else {
        trace.received(request, reply, transfer_ok, 0, 0, 12'000);
    }
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
        if (spent > longest_ms && depth_ == 0) {
            longest_ms = spent;
            longest_what = std::string(receiver->metaObject()->className()) + " event " + std::to_string(type);
        }
        return handled;
    }

private:
    int depth_ = 0;
};

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TimedApplication application(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;

    FrameTrace trace;
    ui::QtShell shell;
    shell.set_unattended_boxes(true);
    ui::TrafficWindow monitor(trace, shell);
    monitor.resize(1200, 500);
    monitor.show();
    // The first paint loads fonts and fills caches: the measures start on a window already shown.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    application.longest_ms = 0.0;

    std::atomic<bool> done{false};
    std::atomic<std::uint64_t> transactions{0};
    LoopStallMeter stall;
    std::thread line([&] {
        const auto start = Clock::now();
        const auto end = start + std::chrono::seconds(seconds);
        auto next = start;
        for (std::uint64_t n = 0; Clock::now() < end; ++n) {
            transaction(trace, n);
            transactions = n + 1;
            next += std::chrono::microseconds(2000); // two frames every 2 ms
            std::this_thread::sleep_until(next);
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
    line.join();
    monitor.take_traffic();
    const double paced_stall = stall.longest_ms();
    const double longest_event = application.longest_ms;
    const std::string longest_what = application.longest_what;
    const double paced_rss = memory_mb("VmRSS");
    const int rows = monitor.model().rowCount();

    // To the cap, unpaced: the table holds its last 100,000 events and no more.
    const auto burst_start = Clock::now();
    for (std::uint64_t n = 0; n < 60'000; ++n)
        transaction(trace, n);
    monitor.take_traffic();
    QApplication::processEvents();
    const double burst_ms = std::chrono::duration<double, std::milli>(Clock::now() - burst_start).count();
    const double capped_rss = memory_mb("VmRSS");
    const double peak = memory_mb("VmHWM");

    std::printf("traffic monitor: %d s at 1,000 frames/s: %llu transactions, %d rows shown\n", seconds,
                static_cast<unsigned long long>(transactions.load()), rows);
    std::printf("  longest window-thread stall: %.1f ms (goal <= 50)\n", paced_stall);
    std::printf("  longest single event: %.1f ms (%s)\n", longest_event, longest_what.c_str());
    std::printf("  memory after the paced run: %.1f MB resident\n", paced_rss);
    std::printf("  filled to the cap (%zu kept, %d shown; burst taken in %.0f ms): %.1f MB resident, peak %.1f MB "
                "(goal <= 100)\n",
                monitor.model().kept(), monitor.model().rowCount(), burst_ms, capped_rss, peak);
    const bool met = paced_stall <= 50.0 && peak <= 100.0;
    std::printf("%s\n", met ? "goals met" : "GOAL MISSED");
    return met ? 0 : 1;
}
