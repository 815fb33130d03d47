// The window's two timing goals, offscreen against the instrument simulator:
//  - start-up to an interactive window: from the start of the program's window run to the main
//    window standing with its tree, the event loop free (goal: under 500 ms);
//  - ten scanners polling at 10 Hz while a read of the whole tree runs on a line paced like a
//    real one: the longest stretch the window thread's event loop went without turning (goal: never
//    more than 50 ms).
// Prints the figures; exits non-zero when a goal is missed.

#include "app/app_context.h"
#include "app/chlb5_app.h"
#include "app/chlb5_doc.h"
#include "loop_stall_meter.h"
#include "paced_window.h"
#include "support/memory_settings.h"
#include "simulator/instrument_simulator.h"
#include "ui/chlb5_tree_list_view.h"
#include "ui/main_frame.h"
#include "ui/qt_front.h"
#include "ui/qt_shell.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <vector>

namespace {

using namespace zr740;
using Clock = std::chrono::steady_clock;

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// One interactive start of the program with windows; the time until the window stands and the
// event loop has turned once after it. `linked` tells whether the instrument was found (a window
// opened offline would be measuring something else).
double start_up_once(const std::string& folder, const std::string& port, bool& linked)
{
    AppContext context;
    context.program_folder = folder;
    testing::MemorySettings settings;
    settings.texts["port_name"] = port;
    settings.values["address"] = 16;
    ui::QtShell shell;
    shell.set_unattended_boxes(true);

    const auto started = Clock::now();
    Clock::time_point ready{};
    ui::QtFront front(shell, settings);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!front.frame() || !front.frame()->isVisible())
            return;
        watch.stop();
        ready = Clock::now();
        linked = front.frame()->status_note().isEmpty();
        front.frame()->close();
    });
    watch.start(0);
    CHLB5App app(context, shell, settings, {}, front);
    app.run({});
    return ms(ready - started);
}

// The longest gap between turns of the window thread's event loop while `work` runs.
double longest_stall(const std::function<void()>& work)
{
    const LoopStallMeter meter;
    work();
    return meter.longest_ms();
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    const std::string folder = std::filesystem::path(argv[0]).parent_path().string();
    bool met = true;

    {
        sim::SimulatorOptions options;
        options.description_path = folder + "/zr740.dat";
        options.address = 16;
        sim::InstrumentSimulator simulator(options);
        if (!simulator.start()) {
            std::cerr << simulator.error() << '\n';
            return 1;
        }
        std::vector<double> times;
        int linked_runs = 0;
        for (int run = 0; run < 10; ++run) {
            bool linked = false;
            times.push_back(start_up_once(folder, simulator.port_path(), linked));
            linked_runs += linked ? 1 : 0;
        }
        std::sort(times.begin(), times.end());
        std::cout << "start-up to an interactive window (10 runs, instrument found in " << linked_runs
                  << "): median " << times[5] << " ms, max " << times.back() << " ms (goal < 500 ms)\n";
        met = met && times.back() < 500.0 && linked_runs == 10;
    }

    {
        PacedWindow session(folder);
        session.options.live_values = true;
        if (!session.start() || !session.document->scanners())
            return 1;
        CHLB5Doc& document = *session.document;
        // The description has five scanners; each is polled twice over, as a person would watch ten.
        DescBranch& scanners = *document.scanners();
        const std::size_t described = scanners.parameters.size();
        for (std::size_t i = 0; i < described && scanners.parameters.size() < 10; ++i)
            scanners.append(std::make_unique<Parameter>(*scanners.parameters[i]));
        int switched_on = 0;
        document.scanners()->for_each_parameter([&](Parameter& parameter) {
            if (switched_on == 10 || !parameter.exchangeable)
                return;
            parameter.poll_period = 100;
            parameter.poll_running = 1;
            ++switched_on;
        });
        ui::CMainFrame& frame = session.show_frame();
        document.start_scanners();
        QApplication::processEvents();

        const auto started = Clock::now();
        const double stall = longest_stall([&] {
            frame.run_command(139);
            document.engine().wait_until_idle();
        });
        std::cout << "read-all with " << switched_on << " scanners at 10 Hz (paced line, "
                  << ms(Clock::now() - started) / 1000.0 << " s): longest event-loop stall " << stall
                  << " ms (goal <= 50 ms)\n";
        met = met && stall <= 50.0;
        frame.close();
    }
    return met ? 0 : 1;
}
