// The built program with its window, run as a person runs it (no options) against the simulator and
// ended from outside: it ends within two seconds whatever stands, keeps the unsaved changes, and its
// next start gives them back. The program runs on Qt's VNC platform, so that the test can use its
// keys and answer its boxes over the network as a person at a remote screen would.

#include "platform/temp_dir.h"
#include "simulator/instrument_simulator.h"
#include "support/configuration_files.h"
#include "support/program_run.h"
#include "support/vnc_keyboard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

namespace zr740 {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using testing::VncKeyboard;
namespace keysym = testing::keysym;

const std::string bin = std::string(ZR740_BINARY_DIR) + "/bin";
constexpr std::uint16_t marker = 0x0018;

// Waits until `done` holds; false when the limit passed first.
bool eventually(const std::function<bool()>& done, std::chrono::seconds limit = std::chrono::seconds(30))
{
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

class WindowStop : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim::SimulatorOptions options;
        options.description_path = bin + "/zr740.dat";
        options.live_values = false;
        options.address = 5;
        simulator = std::make_unique<sim::InstrumentSimulator>(options);
        ASSERT_TRUE(simulator->start()) << simulator->error();
        ASSERT_TRUE(simulator->set_value(marker, "3.5"));
        // The program's own link settings point at the simulator, as the connection setup leaves them.
        fs::create_directories(dir.path() / "config" / "Korvel");
        std::ofstream(dir.path() / "config" / "Korvel" / "ZR740.conf")
            << "[ZR740]\nport_name=" << simulator->port_path() << "\naddress=5\n";
    }

    fs::path recovery() const { return dir.path() / "state" / "zr740" / "recovery.zr740"; }

    // The program with its window on a VNC screen, and the keyboard connected to it.
    std::unique_ptr<testing::ProgramRun> start(VncKeyboard& keyboard)
    {
        const int port = VncKeyboard::free_port();
        auto program = std::make_unique<testing::ProgramRun>(
            bin + "/zr740", std::vector<std::string>{}, dir.path().string(), false,
            std::vector<std::string>{"QT_QPA_PLATFORM=vnc:size=1280x1024:port=" + std::to_string(port),
                                     "LSAN_OPTIONS=suppressions=" ZR740_SOURCE_DIR "/tests/support/lsan.supp"});
        EXPECT_TRUE(keyboard.connect(port)) << program->err();
        return program;
    }

    // Waits until the instrument has heard nothing for a while: the start-up link check, or a job,
    // is over.
    void wait_for_quiet_line(std::chrono::milliseconds quiet = std::chrono::milliseconds(600))
    {
        auto count = simulator->stats().requests;
        auto since = Clock::now();
        while (Clock::now() - since < quiet) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (const auto now = simulator->stats().requests; now != count) {
                count = now;
                since = Clock::now();
            }
        }
    }

    // Once the start-up link check is over, "Прочитать все параметры" (Alt+R), whose values make the
    // document modified. The keys are pressed again until the read is seen on the line, in case the
    // window was not yet taking them. False when no read came.
    bool read_all_by_keys(VncKeyboard& keyboard)
    {
        if (!eventually([&] { return simulator->stats().requests > 0; }))
            return false;
        wait_for_quiet_line();
        const auto before = simulator->stats().requests;
        const bool read = eventually([&] {
            keyboard.press({keysym::alt, 'r'});
            return eventually([&] { return simulator->stats().requests > before + 10; }, std::chrono::seconds(1));
        });
        wait_for_quiet_line();
        return read;
    }

    // SIGTERM; the exit code, and how long the program took to end.
    std::pair<int, Clock::duration> terminate(testing::ProgramRun& program)
    {
        const auto sent = Clock::now();
        program.signal(SIGTERM);
        const int code = program.wait(std::chrono::seconds(10));
        return {code, Clock::now() - sent};
    }

    testing::TempDir dir;
    std::unique_ptr<sim::InstrumentSimulator> simulator;
};

TEST_F(WindowStop, UnsavedChangesSurviveSigtermAndComeBackAtTheNextStart)
{
    {
        VncKeyboard keyboard;
        auto program = start(keyboard);
        ASSERT_TRUE(read_all_by_keys(keyboard)) << program->err();
        // The progress window may still stand with its result.
        const auto [code, took] = terminate(*program);
        EXPECT_EQ(code, 205) << program->err();
        EXPECT_LT(took, std::chrono::seconds(2));
        ASSERT_TRUE(fs::exists(recovery())) << program->err();
        EXPECT_EQ(testing::configuration_values(bin, recovery().string())["0x0018"], "3.500");
    }

    // The instrument now holds another value: what the next start shows can only come from the
    // recovery file.
    ASSERT_TRUE(simulator->set_value(marker, "9.0"));
    {
        VncKeyboard keyboard;
        auto program = start(keyboard);
        // The offer's default answer is "yes"; the file is gone once the changes are taken back.
        ASSERT_TRUE(eventually([&] {
            keyboard.press({keysym::enter});
            return eventually([&] { return !fs::exists(recovery()); }, std::chrono::seconds(1));
        })) << program->err();
        // Restored changes are unsaved changes: another stop keeps them again (the file was gone
        // in between, so this one is the second run's).
        const auto [code, took] = terminate(*program);
        EXPECT_EQ(code, 205) << program->err();
        EXPECT_LT(took, std::chrono::seconds(2));
        ASSERT_TRUE(fs::exists(recovery())) << program->err();
        EXPECT_EQ(testing::configuration_values(bin, recovery().string())["0x0018"], "3.500");
    }
}

TEST_F(WindowStop, AStateFolderThatCannotBeWrittenIsReportedAndTheRunEndsAnyway)
{
    std::ofstream(dir.path() / "state") << "a file where the state folder should be";
    VncKeyboard keyboard;
    auto program = start(keyboard);
    ASSERT_TRUE(read_all_by_keys(keyboard)) << program->err();
    const auto [code, took] = terminate(*program);
    EXPECT_EQ(code, 205) << program->err();
    EXPECT_LT(took, std::chrono::seconds(2));
    EXPECT_NE(program->err().find("Не удалось записать несохраненные изменения"), std::string::npos)
        << program->err();
}

} // namespace
} // namespace zr740
