// SPDX-License-Identifier: GPL-3.0-or-later
// The connection setup window scanning a line with no instrument on it, offscreen (a
// pseudo-terminal that nobody answers):
//  - a full scan of the nine baud rates: the longest stretch the window thread's event loop went
//    without turning (goal: never more than 50 ms), and how long one attempt (one link check)
//    takes;
//  - "Выход" pressed at different points of a scan: the time from the press until the window
//    has closed (goal: within one attempt).
// Prints the figures; exits non-zero when a goal is missed.

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "loop_stall_meter.h"
#include "support/memory_settings.h"
#include "support/pty_pair.h"
#include "ui/qt_shell.h"
#include "ui/setup_carrier.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <optional>
#include <vector>

namespace {

using namespace zr740;
using Clock = std::chrono::steady_clock;

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Turns the event loop until `done` holds; the longest gap between two turns, in ms.
double loop_until(const std::function<bool()>& done)
{
    const LoopStallMeter meter;
    while (!done())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return meter.longest_ms();
}

struct Window {
    Window(testing::PtyPair& line)
    {
        settings.texts["port_name"] = line.slave_path();
        settings.values["baud_rate"] = 9600;
        shell.set_unattended_boxes(true);
        document = std::make_unique<CHLB5Doc>(context, shell, settings, std::vector<std::string>{});
        dialog = std::make_unique<ui::CSetupCarrier>(document->link(), document->job().stop, context.run, shell, true, nullptr);
        QObject::connect(dialog.get(), &QDialog::finished, [this](int) { closed = Clock::now(); });
        dialog->show();
    }
    ~Window()
    {
        dialog.reset();
        document.reset();
    }
    QString status() const { return dialog->status()->text(); }

    AppContext context;
    testing::MemorySettings settings;
    ui::QtShell shell;
    std::unique_ptr<CHLB5Doc> document;
    std::unique_ptr<ui::CSetupCarrier> dialog;
    std::optional<Clock::time_point> closed;
};

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    bool met = true;
    const QString failed = QString::fromUtf8("Не удалось установить связь с прибором!");

    testing::PtyPair line;
    double attempt_ms = 0;
    {
        Window window(line);
        // The first paint of a window (fonts, style) is not the scan's doing.
        const auto shown = Clock::now() + std::chrono::milliseconds(300);
        const double first_paint = loop_until([&] { return Clock::now() >= shown; });
        std::cout << "window shown: longest stall while it first paints " << first_paint << " ms\n";
        const auto started = Clock::now();
        window.dialog->button(4)->click();
        const double stall = loop_until([&] { return window.status() == failed; });
        const double total = ms(Clock::now() - started);
        attempt_ms = total / 9;
        const QString restored = window.dialog->list()->item(0, 1)->text();
        std::cout << "full scan of 9 rates, no instrument: " << total << " ms (one attempt ~" << attempt_ms
                  << " ms); longest window-thread stall " << stall << " ms (goal <= 50 ms); rate shown after: "
                  << restored.toStdString() << "\n";
        met = met && stall <= 50.0 && restored == "9600";
    }

    // "Выход" at several points of the scan: early in the first attempt, in its middle, near its
    // end, and in later attempts.
    const double fractions[] = {0.05, 0.5, 0.95, 1.3, 2.7};
    double longest_exit = 0;
    double longest_stall = 0;
    for (double fraction : fractions) {
        Window window(line);
        window.dialog->button(4)->click();
        const auto pressed_at = Clock::now() + std::chrono::microseconds(static_cast<long>(fraction * attempt_ms * 1000));
        longest_stall = std::max(longest_stall, loop_until([&] { return Clock::now() >= pressed_at; }));
        const auto pressed = Clock::now();
        window.dialog->button(2)->click();
        longest_stall = std::max(longest_stall, loop_until([&] { return window.closed.has_value(); }));
        const double took = ms(*window.closed - pressed);
        longest_exit = std::max(longest_exit, took);
        std::cout << "  \"Выход\" at " << fraction << " attempts: closed after " << took << " ms, status stayed "
                  << (window.dialog->status_is_error() ? "red" : "blue") << "\n";
        met = met && !window.dialog->status_is_error();
    }
    std::cout << "\"Выход\" during a scan: longest " << longest_exit << " ms until closed (goal <= one attempt, "
              << attempt_ms << " ms); longest window-thread stall " << longest_stall << " ms\n";
    met = met && longest_exit <= attempt_ms && longest_stall <= 50.0;
    return met ? 0 : 1;
}
