// A read of all parameters of the shipped description from the main window, offscreen, against the
// paced simulator (9600 baud, as a real line): the wall time from the command to the job's end,
// the median of five reads. The rows follow the job; this shows what that costs the read.

#include "paced_window.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

int main(int argc, char** argv)
{
    using namespace zr740;
    using Clock = std::chrono::steady_clock;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    const std::string folder = std::filesystem::path(argv[0]).parent_path().string();

    PacedWindow session(folder);
    session.options.live_values = true;
    if (!session.start())
        return 1;
    ui::CMainFrame& frame = session.show_frame();
    CHLB5Doc& document = *session.document;

    // Five reads with the rows following the job, then five with the outcomes applied where they
    // are made (on the exchange thread, as a run without a window does): the difference is what
    // handing the outcomes over to the window costs the read.
    const auto five_reads = [&] {
        std::vector<double> seconds;
        for (int run = 0; run < 5; ++run) {
            const auto started = Clock::now();
            frame.run_command(139);
            document.engine().wait_until_idle();
            QApplication::processEvents();
            seconds.push_back(std::chrono::duration<double>(Clock::now() - started).count());
        }
        std::sort(seconds.begin(), seconds.end());
        return seconds;
    };
    const std::vector<double> followed = five_reads();
    document.outcomes().detach_owner();
    const std::vector<double> in_place = five_reads();
    for (const auto& [what, seconds] : {std::pair{"rows following", &followed}, std::pair{"applied in place", &in_place}})
        std::printf("read of all %d parameters from the window, paced line (9600), %s: median %.3f s, best %.3f s, "
                    "worst %.3f s (5 reads)\n",
                    document.engine().last_result().first, what, (*seconds)[2], seconds->front(), seconds->back());
    return 0;
}
