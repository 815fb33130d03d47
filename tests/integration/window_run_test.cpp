// SPDX-License-Identifier: GPL-3.0-or-later
// Unattended runs of the built program on a window platform (offscreen), as a production-line
// script on a desktop starts them: they show their progress window but no box waits for a click,
// their messages go to the error stream and the error log, and they end with their exit codes.

#include "platform/temp_dir.h"
#include "simulator/instrument_simulator.h"
#include "support/program_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zr740 {
namespace {

#ifdef ZR740_PROGRAM_HAS_WINDOW

namespace fs = std::filesystem;
const std::string bin = std::string(ZR740_BINARY_DIR) + "/bin";

TEST(WindowPlatformRun, EndsByItselfWithItsCodeAndNoBox)
{
    const struct {
        const char* what;
        std::string options; // "{port}" is the simulator's
        int code;
        std::string on_error_stream;
        std::string in_error_log;
        bool line_untouched;
    } cases[] = {
        {"read on a port that does not open", "-read/close/port:/nonexistent/tty", 201,
         "Не удается открыть порт /nonexistent/tty", "Port - ", true},
        {"read with a mistyped job", "-raed/close/port:{port}", 208, "'raed'", "'raed'", true},
        {"read of a foreign instrument", "-read/close/port:{port}", 206, "не опознан", "не опознан", false},
        {"read", "-read/close/port:{port}", 0, "", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::TempDir dir;
        sim::SimulatorOptions options;
        options.description_path = bin + "/zr740.dat";
        options.live_values = false;
        sim::InstrumentSimulator simulator(options);
        ASSERT_TRUE(simulator.start()) << simulator.error();
        if (c.code == 206)
            simulator.set_register(0x0000, 0x5858);
        std::string option = c.options;
        if (const auto at = option.find("{port}"); at != std::string::npos)
            option.replace(at, 6, simulator.port_path());
        const fs::path file = dir.path() / "line3.zr740";
        const fs::path log = dir.path() / "errors.log";
        const auto before = simulator.stats().requests;
        testing::ProgramRun program(bin + "/zr740", {option, "-elog:" + log.string(), file.string()},
                                    dir.path().string(), false, {"QT_QPA_PLATFORM=offscreen"});
        // A box waiting for a click would keep it running until killed (-1).
        EXPECT_EQ(program.wait(std::chrono::seconds(c.code == 0 ? 60 : 10)), c.code) << program.err();
        EXPECT_NE(program.err().find(c.on_error_stream), std::string::npos) << program.err();
        EXPECT_NE(testing::file_text(log).find(c.in_error_log), std::string::npos) << testing::file_text(log);
        if (c.line_untouched) {
            EXPECT_EQ(simulator.stats().requests, before);
        }
        EXPECT_EQ(fs::exists(file), c.code == 0);
    }
}

#endif

} // namespace
} // namespace zr740
