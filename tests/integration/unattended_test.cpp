// The program as another program runs it: the built zr740 executable against the simulator on a
// pseudo-terminal, with the outcome read from the exit code and the files.

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "app/configuration_file.h"
#include "platform/temp_dir.h"
#include "simulator/instrument_simulator.h"
#include "support/configuration_files.h"
#include "support/memory_settings.h"
#include "support/program_run.h"
#include "support/recording_shell.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <semaphore.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace zr740 {
namespace {

using sim::Fault;
namespace fs = std::filesystem;

const std::string bin = std::string(ZR740_BINARY_DIR) + "/bin";

class UnattendedRun : public ::testing::Test {
protected:
    void start(sim::SimulatorOptions options = {})
    {
        options.description_path = bin + "/zr740.dat";
        options.live_values = false;
        simulator = std::make_unique<sim::InstrumentSimulator>(options);
        ASSERT_TRUE(simulator->start()) << simulator->error();
    }
    std::string port_option() const { return "port:" + simulator->port_path(); }
    std::string file(const char* name) const { return (dir.path() / name).string(); }

    int run(const std::vector<std::string>& arguments)
    {
        testing::ProgramRun program(bin + "/zr740", arguments, dir.path().string());
        const int code = program.wait();
        out = program.out();
        err = program.err();
        return code;
    }

    // A configuration of the shipped description with every value set from `value_of`.
    void write_configuration(const std::string& path, const std::function<std::string(const Parameter&)>& value_of)
    {
        ASSERT_TRUE(testing::write_configuration(bin, path, value_of));
    }
    std::map<std::string, std::string> values_of(const std::string& path)
    {
        return testing::configuration_values(bin, path);
    }

    testing::TempDir dir;
    std::unique_ptr<sim::InstrumentSimulator> simulator;
    std::string out;
    std::string err;
};

TEST_F(UnattendedRun, ReadSavesWhatTheInstrumentHolds)
{
    start();
    ASSERT_TRUE(simulator->set_value(0x0018, "12.5"));
    const std::string target = file("line3.zr740");
    std::ofstream(target) << "previous contents";
    ASSERT_EQ(run({"-read/close/" + port_option(), target}), 0) << err;
    const auto values = values_of(target);
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(values.at("0x0018"), "12.500");
    EXPECT_EQ(values.at("0x0007"), "16");
    EXPECT_EQ(values.at("0x0009"), "9600");
    EXPECT_EQ(values.at("0x0000"), "ZR740_RS");
    EXPECT_NE(out.find("Идет чтение параметров из прибора"), std::string::npos);
}

TEST_F(UnattendedRun, WritePutsTheFileIntoTheInstrument)
{
    start();
    const std::string source = file("setup.zr740");
    write_configuration(source, [](const Parameter& p) {
        return p.name == "0x0018" ? std::string("7.25") : std::string("Нет данных");
    });
    const std::string log = file("errors.log");
    ASSERT_EQ(run({"/write/close/" + port_option(), "-elog:" + log, source}), 0) << err;
    EXPECT_EQ(simulator->value(0x0018), "7.250");
    EXPECT_NE(out.find("  Запись: 0x0018 = 7.25 [новое значение]"), std::string::npos) << out;
    EXPECT_EQ(fs::file_size(log), 0u);
}

TEST_F(UnattendedRun, ExitCodesComeFromTheirRealCauses)
{
    start();
    const std::string missing = file("missing.zr740");
    std::ofstream(file("empty.zr740"));
    std::ofstream(file("foreign.zr740")) << "<html>not ours</html>";
    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        int code;
    };
    const std::vector<Case> cases{
        {"write of a missing file", {"-write/close/" + port_option(), missing}, 200},
        {"write of an empty file", {"-write/close/" + port_option(), file("empty.zr740")}, 200},
        {"write of a file that is not ours", {"-write/close/" + port_option(), file("foreign.zr740")}, 200},
        {"a port that does not open", {"-read/close/port:/nonexistent/tty", file("out.zr740")}, 201},
        {"close alone", {"-close/" + port_option()}, 0},
        {"test", {"-test/" + port_option()}, 0},
    };
    for (const auto& c : cases) {
        const auto before = simulator->stats().requests;
        EXPECT_EQ(run(c.arguments), c.code) << c.what << "\n" << err;
        // A missing or empty file is refused before the instrument is even asked for its name.
        if (c.code == 200 && c.what != std::string("write of a file that is not ours")) {
            EXPECT_EQ(simulator->stats().requests, before) << c.what;
        }
    }
    EXPECT_FALSE(fs::exists(file("out.zr740")));
}

TEST_F(UnattendedRun, AnInstrumentThatNeverAnswersIsNoSuccess)
{
    start();
    simulator->inject(Fault::no_reply(1000000));
    EXPECT_EQ(run({"-read/close/silent/" + port_option(), file("dead.zr740")}), 202) << err;
}

TEST_F(UnattendedRun, AnotherInstrumentEndsWith206)
{
    start();
    // The name now begins "XX" instead of "ZR".
    simulator->set_register(0x0000, 0x5858);
    EXPECT_EQ(run({"-read/close/" + port_option(), file("other.zr740")}), 206) << err;
    EXPECT_FALSE(fs::exists(file("other.zr740")));
}

TEST_F(UnattendedRun, ExitEventAndTerminationStopTheJobWith205)
{
    // A line paced at 9600 baud: the read takes long enough to be stopped half-way.
    sim::SimulatorOptions slow;
    slow.pace = true;
    start(slow);
    for (const bool use_semaphore : {true, false}) {
        const std::string target = file(use_semaphore ? "a.zr740" : "b.zr740");
        testing::ProgramRun program(bin + "/zr740", {"-read/close/exitevent:LineThree/" + port_option(), target},
                                    dir.path().string());
        ASSERT_TRUE(program.wait_for_output("Чтение: ")) << program.err();
        if (use_semaphore) {
            sem_t* event = sem_open("/linethree", 0);
            ASSERT_NE(event, SEM_FAILED);
            sem_post(event);
            sem_close(event);
        } else {
            program.signal(SIGTERM);
        }
        EXPECT_EQ(program.wait(std::chrono::seconds(20)), 205) << program.err();
        // A stopped read holds only part of the instrument: the named file is not written.
        EXPECT_FALSE(fs::exists(target));
    }
}

TEST_F(UnattendedRun, AdapterUnpluggedWhileTheProgramRunsIsReadOnceItIsBack)
{
    // The instrument serves under a stable device name. Its answer to the start-up's version
    // request is held back, so that the adapter goes while the program waits for it.
    const std::string name = file("ttyUSB-zr740");
    sim::SimulatorOptions first;
    first.link_path = name;
    first.faults.push_back(Fault::delayed(std::chrono::seconds(10)).at(4));
    start(first);
    ASSERT_TRUE(simulator->set_value(0x0018, "7.25"));
    sim::SimulatorOptions second;
    second.description_path = bin + "/zr740.dat";
    second.live_values = false;
    sim::InstrumentSimulator back(second);
    ASSERT_TRUE(back.start()) << back.error();
    ASSERT_TRUE(back.set_value(0x0018, "12.5"));

    const std::string target = file("replugged.zr740");
    testing::ProgramRun program(bin + "/zr740", {"-read/close/port:" + name, target}, dir.path().string());
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (simulator->stats().requests < 2 && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(simulator->stats().requests, 2u) << "the name and the version request";
    // Unplugged, and plugged back under the same name as another pseudo-terminal.
    simulator->stop();
    fs::create_symlink(back.port_path(), name);

    EXPECT_EQ(program.wait(), 0) << program.err();
    const auto values = values_of(target);
    ASSERT_FALSE(values.empty()) << program.err();
    EXPECT_EQ(values.at("0x0018"), "12.500");
    EXPECT_EQ(values.at("0x0000"), "ZR740_RS");
    EXPECT_GT(back.stats().requests, 20u);
}

TEST_F(UnattendedRun, OptionsIgnoreCaseAndPrtyCanDropThePortSettings)
{
    start();
    ASSERT_EQ(run({"-READ/CLOSE/PORT:" + simulator->port_path(), file("upper.zr740")}), 0) << err;
    EXPECT_FALSE(values_of(file("upper.zr740")).empty());

    // The port given before "prty:mark" is not applied: the saved port is tried, not the simulator.
    fs::create_directories(dir.path() / "config" / "Korvel");
    std::ofstream(dir.path() / "config" / "Korvel" / "ZR740.conf") << "[ZR740]\nport_name=/nonexistent/saved\n";
    const auto before = simulator->stats().requests;
    EXPECT_EQ(run({"-prty:even/" + port_option(), "-prty:mark/read/close", file("dropped.zr740")}), 201);
    EXPECT_EQ(simulator->stats().requests, before);
}

TEST_F(UnattendedRun, FailedParametersGoToTheErrorLog)
{
    start();
    simulator->inject(Fault::exception(0x0018, 2, 1000));
    const std::string log = file("errors.log");
    std::ofstream(log) << "old line\n";
    ASSERT_EQ(run({"-read/close/" + port_option(), "/elog:" + log, file("partial.zr740")}), 207) << err;
    std::ifstream lines(log);
    std::string first;
    std::getline(lines, first);
    EXPECT_EQ(first, "0x0018 - Не могу раскодировать ответ");
}

TEST_F(UnattendedRun, AplySendsTheApplyCommandAfterWritingNetworkSettings)
{
    start();
    const std::string source = file("net.zr740");
    write_configuration(source, [](const Parameter& p) {
        return p.name == "0x0007" ? std::string("16") : std::string("Нет данных");
    });
    const auto commands = simulator->stats().commands;
    ASSERT_EQ(run({"-write/aply/bps:9600/close/" + port_option(), source}), 0) << err;
    EXPECT_EQ(simulator->wait_for_commands(commands + 1).commands, commands + 1);
}

TEST_F(UnattendedRun, HelpAndAStartWithoutADisplay)
{
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_NE(out.find("Exit codes"), std::string::npos);
    EXPECT_EQ(run({}), 1);
    EXPECT_NE(err.find("no display"), std::string::npos);
}

} // namespace
} // namespace zr740
