// What reaches the instrument is what was meant: a configuration read and written back changes
// nothing and logs nothing, a value that cannot be written is refused with its reason instead of
// going out as zeros, and the factory reset puts exactly the value 1 into its register.

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "app/configuration_file.h"
#include "platform/temp_dir.h"
#include "simulator/instrument_simulator.h"
#include "support/configuration_files.h"
#include "support/memory_settings.h"
#include "support/program_run.h"
#include "support/recording_shell.h"
#include "support/simulated_document.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace zr740 {
namespace {

namespace fs = std::filesystem;

const std::string bin = std::string(ZR740_BINARY_DIR) + "/bin";

// Every register the simulated instrument holds, by number.
std::map<std::uint16_t, std::uint16_t> bank(const sim::InstrumentSimulator& simulator)
{
    std::map<std::uint16_t, std::uint16_t> registers;
    for (unsigned number = 0; number < 0x400; ++number)
        if (const auto value = simulator.register_value(static_cast<std::uint16_t>(number)))
            registers[static_cast<std::uint16_t>(number)] = *value;
    return registers;
}

// The program run as a production line runs it: read an instrument into a file, then write that
// file back. Values are chosen so that each kind of register a wrong byte order, a wrong register
// count or a refused encoding used to corrupt holds something other than zero.
TEST(RoundTrip, ReadThenWriteOfTheSameFileLogsNothingAndChangesNothing)
{
    testing::TempDir dir;
    sim::SimulatorOptions options;
    options.description_path = bin + "/zr740.dat";
    options.live_values = false;
    sim::InstrumentSimulator simulator(options);
    ASSERT_TRUE(simulator.start()) << simulator.error();
    ASSERT_TRUE(simulator.set_value(0x0017, "500"));   // int16, two bytes
    ASSERT_TRUE(simulator.set_value(0x0013, "10:00")); // CLK_frm, two bytes
    ASSERT_TRUE(simulator.set_value(0x0030, "5.25"));  // STORED_DOT on one register
    ASSERT_TRUE(simulator.set_value(0x0018, "12.5"));
    ASSERT_TRUE(simulator.set_value(0x000D, "P.T1"));
    simulator.set_register(0x0038, 0xFFFB); // sint -5: read, never written
    simulator.set_register(0x0039, 0x0055);
    simulator.set_register(0x0040, 0x3132); // serial number text
    const auto before = bank(simulator);

    const std::string port = "port:" + simulator.port_path();
    const std::string file = (dir.path() / "copy.zr740").string();
    const std::string read_log = (dir.path() / "read.log").string();
    const std::string write_log = (dir.path() / "write.log").string();
    {
        testing::ProgramRun program(bin + "/zr740", {"-read/close/" + port, "-elog:" + read_log, file},
                                    dir.path().string());
        ASSERT_EQ(program.wait(), 0) << program.err();
    }
    EXPECT_EQ(testing::file_text(read_log), "");
    const auto values = testing::configuration_values(bin, file);
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(values.at("0x0017"), "500");
    EXPECT_EQ(values.at("0x0013"), "10:00");
    EXPECT_EQ(values.at("0x0030"), "5.250");
    EXPECT_EQ(values.at("0x0038"), "-5");
    EXPECT_EQ(values.at("0x000D"), "P.T1 "); // four places, the last one blank
    EXPECT_EQ(values.at("0x0044"), "Нет данных"); // kept in files only, never asked for

    const auto requests = simulator.stats().requests;
    {
        testing::ProgramRun program(bin + "/zr740", {"-write/close/" + port, "-elog:" + write_log, file},
                                    dir.path().string());
        ASSERT_EQ(program.wait(), 0) << program.err();
        EXPECT_NE(program.out().find("  Запись: 0x0017 = 500 [новое значение]"), std::string::npos);
        // Read-only values are not part of "write all".
        EXPECT_EQ(program.out().find("  Запись: 0x0038"), std::string::npos);
        EXPECT_EQ(program.out().find("  Запись: 0x0000"), std::string::npos);
    }
    EXPECT_GT(simulator.stats().requests, requests);
    EXPECT_EQ(testing::file_text(write_log), "");
    EXPECT_EQ(bank(simulator), before);
}

class RefusedValues : public testing::SimulatedDocument {};

// Values a file or an edit can hold but the value type cannot write: each is refused with its
// reason, counted as failed and logged, and not one request goes out for it.
TEST_F(RefusedValues, AreReportedAndNeverSent)
{
    testing::TempDir dir;
    context.error_log_path = (dir.path() / "errors.log").string();
    document.engine().window_linger = std::chrono::milliseconds{0};
    struct Case {
        const char* name;
        const char* value;
        const char* status;
    };
    const Case cases[] = { // in the order of the tree
        {"0x0008", "ModBus-TCP", "Значение не записано: 'ModBus-TCP' нет в списке значений параметра"},
        {"0x000D", "ZR740NAME", "Сетевое имя слишком длинное"},
        {"0x0016", "2,5", "Значение не записано: '2,5' не является целым числом"},
        {"0x0018", "недопустимое значение", "Значение не записано: 'недопустимое значение' не является числом"},
        {"0x0013", "10.00", "Значение не записано: '10.00' не является временем в виде м:сс"},
        {"0x0038", "-3", "Параметр только для чтения: в прибор не записывается"},
        {"0x0040", "12345678", "Параметр только для чтения: в прибор не записывается"},
    };
    for (const auto& c : cases) {
        at(c.name).value_text = c.value;
        at(c.name).value_changed = 1;
    }
    const auto registers = bank(*simulator);
    const auto requests = simulator->stats().requests;
    ASSERT_TRUE(document.engine().write_changed(document.root()));
    document.engine().wait_until_idle();

    EXPECT_EQ(simulator->stats().requests, requests);
    EXPECT_EQ(bank(*simulator), registers);
    const int count = static_cast<int>(std::size(cases));
    EXPECT_EQ(document.engine().last_result(), (JobResult{count, count}));
    std::string log;
    for (const auto& c : cases) {
        EXPECT_EQ(at(c.name).status_text, c.status) << c.name;
        EXPECT_EQ(at(c.name).value_text, c.value) << c.name;
        EXPECT_EQ(at(c.name).value_changed, 1) << c.name;
        log += std::string(c.name) + " - " + c.status + "\n";
    }
    EXPECT_EQ(testing::file_text(context.error_log_path), log);
    // Refusals are no link failures: the job was not stopped as after five failed writes.
    EXPECT_EQ(context.run.exit_status.load(), 0u);
}

// The factory command is register 0x0020 receiving the value 1: request data 00 20 00 01.
TEST_F(RefusedValues, FactoryResetSendsTheValueOne)
{
    testing::TempDir dir;
    const std::string trace = (dir.path() / "trace.txt").string();
    ASSERT_TRUE(document.link().trace().open(trace));
    const auto commands = simulator->stats().commands;
    shell.answer = false;
    document.device()->initialise_device();
    document.link().trace().close();
    EXPECT_EQ(simulator->wait_for_commands(commands + 1).commands, commands + 1);
    EXPECT_NE(testing::file_text(trace).find(" TX 05 06 00 20 00 01 "), std::string::npos) << testing::file_text(trace);
}

} // namespace
} // namespace zr740
