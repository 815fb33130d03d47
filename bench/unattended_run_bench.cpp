// An unattended read of the shipped description from the simulator without pacing, as a calling
// program sees it: process start to exit of `zr740 -read/close` with no display. Reported: the wall
// time (goal: under 150 ms), the same reads done bare in this process for comparison, and the peak
// memory of the process (goal: under 30 MB).

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "simulator/instrument_simulator.h"

#include "support/memory_settings.h"
#include "support/recording_shell.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

} // namespace

int main()
{
    namespace fs = std::filesystem;
    const std::string bin = std::string(ZR740_BINARY_DIR) + "/bin";
    zr740::sim::SimulatorOptions options;
    options.description_path = bin + "/zr740.dat";
    options.live_values = false;
    zr740::sim::InstrumentSimulator simulator(options);
    if (!simulator.start()) {
        std::fprintf(stderr, "simulator: %s\n", simulator.error().c_str());
        return 1;
    }

    // The transactions alone: every parameter read once, as the job does, in this process.
    double bare = 0;
    {
        zr740::AppContext context;
        context.program_folder = bin;
        zr740::testing::RecordingShell shell;
        zr740::testing::MemorySettings settings;
        zr740::CHLB5Doc document(context, shell, settings, {});
        document.link().link_settings().set_value_by_name("Port", simulator.port_path());
        document.link().check_link();
        document.on_new_document();
        document.link().open_port(true);
        const auto start = Clock::now();
        document.root()->for_each_parameter([&](zr740::Parameter& p) { document.link().read_registers(p, false); });
        bare = since(start);
    }

    const fs::path folder = fs::temp_directory_path() / ("zr740-run-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string target = (folder / "bench.zr740").string();
    const std::string config = "XDG_CONFIG_HOME=" + (folder / "config").string();
    const std::string port = "-read/close/port:" + simulator.port_path();
    double best_wall = 1e9;
    double worst_wall = 0;
    long peak_kb = 0;
    for (int run = 0; run < 5; ++run) {
        const auto start = Clock::now();
        const pid_t child = fork();
        if (child == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            char* argv[] = {const_cast<char*>("zr740"), const_cast<char*>(port.c_str()),
                            const_cast<char*>(target.c_str()), nullptr};
            char* envp[] = {const_cast<char*>(config.c_str()), nullptr};
            ::execve((bin + "/zr740").c_str(), argv, envp);
            ::_exit(127);
        }
        int status = 0;
        rusage usage{};
        ::wait4(child, &status, 0, &usage);
        const double wall = since(start);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "zr740 failed: status %d\n", status);
            return 1;
        }
        best_wall = std::min(best_wall, wall);
        worst_wall = std::max(worst_wall, wall);
        peak_kb = std::max(peak_kb, usage.ru_maxrss);
    }
    fs::remove_all(folder);

    std::printf("wall (best of 5)          %8.1f ms   (goal < 150 ms)\n", best_wall * 1e3);
    std::printf("wall (worst of 5)         %8.1f ms\n", worst_wall * 1e3);
    std::printf("transactions done bare    %8.1f ms\n", bare * 1e3);
    std::printf("peak memory of zr740      %8.1f MB   (goal < 30 MB)\n", peak_kb / 1024.0);
    return 0;
}
