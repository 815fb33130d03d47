// Commissioning as a production line runs it: the built program against the simulator, whose
// instrument is replaced by fresh ones while the program waits, and the report read back. The
// threads of a commissioning run (driver, exchange thread, a stop from another thread) are tested
// in-process as well.

#include "app/commission_report.h"
#include "app/commission_run.h"
#include "platform/temp_dir.h"
#include "support/configuration_files.h"
#include "support/program_run.h"
#include "support/simulated_document.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace zr740 {
namespace {

using sim::Fault;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string bin = std::string(ZR740_BINARY_DIR) + "/bin";

// The report's lines after its header, each split into its fields.
std::vector<std::vector<std::string>> report_rows(const std::string& path)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream text(testing::file_text(path));
    std::string line;
    bool header = true;
    while (std::getline(text, line)) {
        if (header) {
            EXPECT_EQ(line, commission_report_header());
            header = false;
            continue;
        }
        rows.push_back(split_csv_line(line));
    }
    return rows;
}

class CommissionLine : public ::testing::Test {
protected:
    void start(std::vector<Fault> faults = {}, std::string serial = "SN0001")
    {
        sim::SimulatorOptions options;
        options.description_path = bin + "/zr740.dat";
        options.live_values = false;
        options.serial = std::move(serial);
        options.faults = std::move(faults);
        simulator = std::make_unique<sim::InstrumentSimulator>(options);
        ASSERT_TRUE(simulator->start()) << simulator->error();
        // A configuration that sets two parameters; the rest is left as the instrument has it.
        ASSERT_TRUE(testing::write_configuration(bin, configuration(), [](const Parameter& p) {
            if (p.name == "0x0018")
                return std::string("7.25");
            return p.name == "0x0010" ? std::string("40") : std::string("Нет данных");
        }));
    }
    std::string file(const char* name) const { return (dir.path() / name).string(); }
    std::string configuration() const { return file("line3.zr740"); }
    std::string port_option() const { return "port:" + simulator->port_path(); }
    std::string report() const { return file("line3.csv"); }

    testing::TempDir dir;
    std::unique_ptr<sim::InstrumentSimulator> simulator;
};

TEST_F(CommissionLine, EachNewInstrumentOnceUntilStopped)
{
    // The program starts before the first instrument is attached: the line is silent.
    start({Fault::no_reply(-1)});
    testing::ProgramRun program(bin + "/zr740",
                                {"-commission/repeat/" + port_option(), "-report:" + report(), configuration()},
                                dir.path().string());
    ASSERT_TRUE(program.wait_for_output("ожидание первого прибора")) << program.err();
    simulator->clear_faults();
    ASSERT_TRUE(program.wait_for_output("№ SN0001")) << program.err();
    for (const char* serial : {"SN0002", "SN0003"}) {
        // The same instrument stays attached for a few polls first: it is not commissioned again.
        std::this_thread::sleep_for(1500ms);
        simulator->replace_instrument(serial);
        ASSERT_TRUE(program.wait_for_output(std::string("№ ") + serial)) << program.out() << program.err();
        EXPECT_EQ(simulator->value(0x0018), "7.250") << serial;
    }
    std::this_thread::sleep_for(1500ms);
    program.signal(SIGTERM);
    EXPECT_EQ(program.wait(), 205) << program.err();

    const auto rows = report_rows(report());
    ASSERT_EQ(rows.size(), 3u) << testing::file_text(report());
    std::set<std::string> serials;
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 9u);
        serials.insert(row[1]);
        EXPECT_EQ(row[4], "ok");
        EXPECT_EQ(row[5], "2"); // written
        EXPECT_EQ(row[6], "2"); // verified
        EXPECT_EQ(row[7], "0");
    }
    EXPECT_EQ(serials, (std::set<std::string>{"SN0001", "SN0002", "SN0003"}));
    EXPECT_NE(program.out().find("годных приборов 3, с ошибками 0"), std::string::npos) << program.out();
}

TEST_F(CommissionLine, OneInstrumentEndsWithItsVerdict)
{
    struct Case {
        const char* what;
        std::vector<Fault> faults;
        std::vector<std::string> arguments; // besides the port and the configuration
        int code;
        const char* result;   // the report line's; nullptr: no line, no request to the instrument
        const char* failed;
    };
    const std::string unwritable = (dir.path() / "missing" / "line3.csv").string();
    const std::vector<Case> cases{
        {"honest", {}, {"-report:" + report()}, 0, "ok", ""},
        // 0x0018 holds a float in two registers; its high half keeps the factory 1.0.
        {"stuck register", {Fault::stuck(0x0018)}, {"-report:" + report()}, 207, "failed", "0x0018"},
        {"write refused", {Fault::exception(0x0018, 2, -1)}, {"-report:" + report()}, 207, "failed", "0x0018"},
        {"no report named", {}, {}, 200, nullptr, nullptr},
        {"report cannot be written", {}, {"-report:" + unwritable}, 200, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        start(c.faults);
        fs::remove(report());
        std::vector<std::string> arguments{"-commission/close/" + port_option()};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        arguments.push_back(configuration());
        testing::ProgramRun program(bin + "/zr740", arguments, dir.path().string());
        EXPECT_EQ(program.wait(), c.code) << program.err();
        if (!c.result) {
            EXPECT_EQ(simulator->stats().requests, 0u);
            EXPECT_FALSE(program.err().empty());
            continue;
        }
        const auto rows = report_rows(report());
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0][1], "SN0001");
        EXPECT_EQ(rows[0][2], "1.5");
        EXPECT_EQ(rows[0][3], "16");
        EXPECT_EQ(rows[0][4], c.result);
        EXPECT_EQ(rows[0][8], c.failed);
        EXPECT_NE(program.out().find("№ SN0001"), std::string::npos);
    }
}

class CommissionRunThreads : public testing::SimulatedDocument {
protected:
    void SetUp() override
    {
        SimulatedDocument::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_EQ(at("0x0018").set_value_from_input("7.25", false), 1);
    }
    testing::TempDir dir;
};

TEST_F(CommissionRunThreads, AStopFromAnotherThreadEndsTheWaitAtOnce)
{
    simulator->replace_instrument("SN0001");
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<CommissionRecord> records;
    bool finished = false;
    CommissionEvents events;
    events.commissioned = [&](const CommissionRecord& record) {
        std::lock_guard lock(mutex);
        records.push_back(record);
        changed.notify_all();
    };
    events.finished = [&](int, int) {
        std::lock_guard lock(mutex);
        finished = true;
        changed.notify_all();
    };
    CommissionOptions options;
    options.report_path = (dir.path() / "line.csv").string();
    options.repeat = true;
    options.poll_period = 200ms;
    CommissionRun run(document, shell, options, events);
    ASSERT_TRUE(run.start());
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, 20s, [&] { return records.size() == 1; }));
    // A few polls find the same instrument again.
    lock.unlock();
    std::this_thread::sleep_for(700ms);
    const auto requests = simulator->stats().requests;
    EXPECT_GE(requests, 3u);
    const auto asked = std::chrono::steady_clock::now();
    run.stop();
    lock.lock();
    ASSERT_TRUE(changed.wait_for(lock, 5s, [&] { return finished; }));
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 500ms);
    EXPECT_EQ(records.size(), 1u);
    EXPECT_TRUE(records[0].ok);
    EXPECT_EQ(records[0].serial, "SN0001");
    EXPECT_EQ(run.ok_count(), 1);
    EXPECT_EQ(simulator->value(0x0018), "7.250");
}

} // namespace
} // namespace zr740

namespace zr740 {
namespace {

TEST_F(CommissionLine, AplyMovesTheOneInstrumentAndTheLinkAlong)
{
    start();
    ASSERT_TRUE(testing::write_configuration(bin, configuration(), [](const Parameter& p) {
        return p.name == "0x0007" ? std::string("7") : std::string("Нет данных");
    }));
    testing::ProgramRun program(bin + "/zr740",
                                {"-commission/aply/close/" + port_option(), "-report:" + report(), configuration()},
                                dir.path().string());
    // Good, and the session's closing INIT follows the instrument to its new address.
    EXPECT_EQ(program.wait(), 0) << program.err();
    EXPECT_EQ(simulator->wait_for_commands(1).commands, 1u);
    EXPECT_EQ(simulator->network().address, 7);
    // Nothing went to the address the instrument left.
    EXPECT_EQ(simulator->stats().ignored, 0u);
    const auto rows = report_rows(report());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][4], "ok");
}

} // namespace
} // namespace zr740
