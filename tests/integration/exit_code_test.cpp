// Exit codes of unattended runs from their real causes: the built program against the simulator,
// one table row per cause, each with what must then hold for the named file and the instrument.

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
#include <functional>
#include <sstream>

namespace zr740 {
namespace {

using sim::Fault;
namespace fs = std::filesystem;

const std::string bin = std::string(ZR740_BINARY_DIR) + "/bin";
constexpr const char* previous = "previous contents";
// The parameter every write case changes, and its value before and in the file.
constexpr std::uint16_t marker = 0x0018;
constexpr const char* marker_before = "3.500";
constexpr const char* marker_written = "7.250";

// What the named file holds after the run.
enum class Target {
    unchecked,
    absent, // not there at all
    read,   // a configuration with the instrument's values
    kept,   // the earlier file, untouched, and nothing beside it
    beside, // the earlier file untouched, the partial result beside it
};

// What happens while the run is under way, once its output shows `when`.
enum class Action { none, sigterm, exit_event, silence };

struct Case {
    const char* what;
    std::vector<std::string> arguments; // "{port}", "{file}", "{source}", "{dir}", "{log}" are filled in
    int code;
    Target target = Target::unchecked;
    bool instrument_written = false;
    std::function<void(sim::InstrumentSimulator&)> set_up = {};
    sim::SimulatorOptions simulator = {};
    Action action = Action::none;
    std::string when = {};
    bool sighup_at_start = false; // SIGHUP as soon as the exit semaphore exists
    bool closed_output = false;
    std::string log_contains = {};
};

class ExitCodes : public ::testing::Test {
  protected:
    std::string fill(std::string text, const std::string& port) const
    {
        const std::pair<std::string, std::string> fields[] = {{"{port}", port},
                                                              {"{file}", target()},
                                                              {"{source}", source()},
                                                              {"{dir}", dir.path().string()},
                                                              {"{log}", log()}};
        for (const auto& [name, value] : fields)
            for (auto at = text.find(name); at != std::string::npos; at = text.find(name))
                text.replace(at, name.size(), value);
        return text;
    }
    std::string target() const { return (dir.path() / "line3.zr740").string(); }
    std::string partial() const { return (dir.path() / "line3.partial.zr740").string(); }
    std::string source() const { return (dir.path() / "setup.zr740").string(); }
    std::string log() const { return (dir.path() / "errors.log").string(); }

    // A configuration of the description variant in which every parameter the simulator holds
    // carries its value, the marker the new one, and the instrument's read-only identification
    // and serial number "Нет данных" (never written).
    void write_source(sim::InstrumentSimulator& simulator, int variant)
    {
        AppContext context;
        context.program_folder = bin;
        context.run.description_variant = static_cast<std::uint8_t>(variant);
        testing::RecordingShell shell;
        testing::MemorySettings settings;
        CHLB5Doc document(context, shell, settings, {});
        ASSERT_TRUE(document.on_new_document());
        document.root()->for_each_parameter([&](Parameter& p) {
            const auto number = static_cast<std::uint16_t>(std::stoi(p.name, nullptr, 16));
            const auto value = simulator.value(number);
            p.value_text = number == marker                                              ? "7.25"
                           : number < 7 || number == 0x0040 || !value || !p.exchangeable ? "Нет данных"
                                                                                         : *value;
        });
        ASSERT_TRUE(save_configuration(document, source()));
    }

    // The marker's value in a configuration file; empty when the file is not one.
    std::string marker_in(const std::string& path)
    {
        const auto values = testing::configuration_values(bin, path);
        const auto marker_value = values.find("0x0018");
        return marker_value == values.end() ? std::string() : marker_value->second;
    }

    static std::string contents(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    void check(const Case& c)
    {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(dir.path()))
            fs::remove_all(entry.path());
        sim::SimulatorOptions options = c.simulator;
        options.description_path = bin + "/zr740.dat";
        options.live_values = false;
        sim::InstrumentSimulator simulator(options);
        ASSERT_TRUE(simulator.start()) << simulator.error();
        ASSERT_TRUE(simulator.set_value(marker, "3.5"));
        write_source(simulator, c.simulator.variant == 1 ? 0 : c.simulator.variant);
        std::ofstream(target()) << previous;
        if (c.set_up)
            c.set_up(simulator);

        std::vector<std::string> arguments;
        for (const auto& argument : c.arguments)
            arguments.push_back(fill(argument, simulator.port_path()));
        const auto before = simulator.stats().requests;
        testing::ProgramRun program(bin + "/zr740", arguments, dir.path().string(), c.closed_output);
        std::uint64_t at_stop = 0;
        if (c.sighup_at_start) {
            // The run has blocked its signals before it creates the semaphore.
            sem_t* event = SEM_FAILED;
            for (int i = 0; i < 2000 && event == SEM_FAILED; ++i) {
                event = sem_open("/exitcodes", 0);
                if (event == SEM_FAILED)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            ASSERT_NE(event, SEM_FAILED);
            sem_close(event);
            program.signal(SIGHUP);
            at_stop = simulator.stats().requests;
        }
        if (c.action != Action::none) {
            ASSERT_TRUE(program.wait_for_output(c.when)) << program.err();
            at_stop = simulator.stats().requests;
            if (c.action == Action::sigterm) {
                program.signal(SIGTERM);
            } else if (c.action == Action::exit_event) {
                sem_t* event = sem_open("/exitcodes", 0);
                ASSERT_NE(event, SEM_FAILED);
                sem_post(event);
                sem_close(event);
            } else {
                simulator.inject(Fault::no_reply(-1));
            }
        }
        EXPECT_EQ(program.wait(std::chrono::seconds(60)), c.code) << program.err();
        if (c.action == Action::sigterm || c.action == Action::exit_event || c.sighup_at_start) {
            // At most the requests that went out between the count and the stop reaching the
            // program (its watcher thread has to be scheduled first: allow two on a busy machine),
            // the one on the line when the stop came, and the closing INIT; never the rest of a job.
            EXPECT_LE(simulator.stats().requests, at_stop + 5);
        }

        switch (c.target) {
        case Target::unchecked:
            break;
        case Target::absent:
            EXPECT_FALSE(fs::exists(target()));
            break;
        case Target::read:
            EXPECT_EQ(marker_in(target()), "3.500");
            EXPECT_FALSE(fs::exists(partial()));
            break;
        case Target::kept:
            EXPECT_EQ(contents(target()), previous);
            EXPECT_FALSE(fs::exists(partial()));
            break;
        case Target::beside:
            EXPECT_EQ(contents(target()), previous);
            EXPECT_FALSE(marker_in(partial()).empty());
            break;
        }
        EXPECT_EQ(simulator.value(marker), c.instrument_written ? marker_written : marker_before);
        if ((c.code == 200 || c.code == 208) && c.target == Target::kept) {
            EXPECT_EQ(simulator.stats().requests, before); // refused before the instrument was asked
        }
        if (!c.log_contains.empty()) {
            EXPECT_NE(contents(log()).find(c.log_contains), std::string::npos) << contents(log());
        }
    }

    testing::TempDir dir;
};

void foreign(sim::InstrumentSimulator& s)
{
    s.set_register(0x0000, 0x5858);
}
void dead(sim::InstrumentSimulator& s)
{
    s.inject(Fault::no_reply(-1));
}

TEST_F(ExitCodes, ComeFromTheirRealCauses)
{
    sim::SimulatorOptions paced;
    paced.pace = true;
    const std::vector<Case> cases{
        {"read", {"-read/close/port:{port}", "{file}"}, 0, Target::read},
        {"read without a display or \"close\"", {"-read/port:{port}", "{file}"}, 0, Target::read},
        {"read with its output into a closed pipe",
         {"-read/port:{port}", "{file}"},
         0,
         Target::read,
         false,
         {},
         {},
         Action::none,
         {},
         false,
         true},
        {"read without a file", {"-read/close/port:{port}"}, 200, Target::kept},
        {"read into a folder",
         {"-read/close/port:{port}", "{dir}/folder.zr740"},
         200,
         Target::unchecked,
         false,
         [this](sim::InstrumentSimulator&) { fs::create_directory(dir.path() / "folder.zr740"); }},
        {"read into /proc", {"-read/close/port:{port}", "/proc/line3.zr740"}, 200},
        {"read with a refused parameter",
         {"-read/close/port:{port}", "-elog:{log}", "{file}"},
         207,
         Target::beside,
         false,
         [](sim::InstrumentSimulator& s) { s.inject(Fault::exception(0x0009, 2, 10)); },
         {},
         Action::none,
         {},
         false,
         false,
         "0x0009 - Не могу раскодировать ответ"},
        {"read of an instrument that goes silent half-way",
         {"-read/close/port:{port}", "{file}"},
         202,
         Target::beside,
         false,
         {},
         paced,
         Action::silence,
         "Чтение: 0x0018"},
        {"read stopped by the exit event",
         {"-read/close/exitevent:ExitCodes/port:{port}", "{file}"},
         205,
         Target::kept,
         false,
         {},
         paced,
         Action::exit_event,
         "Чтение: 0x0009"},
        {"read of a foreign instrument", {"-read/close/port:{port}", "{file}"}, 206, Target::kept, false, foreign},
        {"read on a dead line", {"-read/close/silent/port:{port}", "{file}"}, 202, Target::kept, false, dead},
        {"read on a port that does not open",
         {"-read/close/port:/nonexistent/tty", "-elog:{log}", "{file}"},
         201,
         Target::kept,
         false,
         {},
         {},
         Action::none,
         {},
         false,
         false,
         "Port - "},
        {"read with a mistyped job",
         {"-raed/close/port:{port}", "-elog:{log}", "{file}"},
         208,
         Target::kept,
         false,
         {},
         {},
         Action::none,
         {},
         false,
         false,
         "'raed'"},
        {"write with a mistyped option", {"-write/clsoe/port:{port}", "{source}"}, 208, Target::kept},
        {"write", {"-write/close/port:{port}", "{source}"}, 0, Target::kept, true},
        {"write with refused parameters",
         {"-write/close/port:{port}", "{source}"},
         207,
         Target::kept,
         true,
         [](sim::InstrumentSimulator& s) {
             for (std::uint16_t reg : {0x0009, 0x000A, 0x000B, 0x000C, 0x0010, 0x0015, 0x0016})
                 s.inject(Fault::exception(reg, 2, 10));
         }},
        {"write to a foreign instrument", {"-write/close/port:{port}", "{source}"}, 206, Target::kept, false, foreign},
        {"write on a dead line", {"-write/close/port:{port}", "{source}"}, 202, Target::kept, false, dead},
        {"write on a port that does not open", {"-write/close/port:/nonexistent/tty", "{source}"}, 201, Target::kept},
        {"write of a missing file", {"-write/close/port:{port}", "{dir}/missing.zr740"}, 200, Target::kept},
        {"write stopped by SIGTERM",
         {"-write/close/port:{port}", "{source}"},
         205,
         Target::kept,
         false,
         {},
         paced,
         Action::sigterm,
         "Запись: 0x0009"},
        {"write stopped by SIGHUP during start-up",
         {"-write/close/exitevent:ExitCodes/port:{port}", "{source}"},
         205,
         Target::kept,
         false,
         {},
         paced,
         Action::none,
         {},
         true},
        {"test", {"-test/port:{port}"}, 0, Target::kept},
        {"test on a dead line", {"-test/port:{port}"}, 202, Target::kept, false, dead},
        {"test of a foreign instrument", {"-test/port:{port}"}, 206, Target::kept, false, foreign},
        {"page of the description", {"-html:{dir}/page.html"}, 0, Target::kept},
        {"page that cannot be written", {"-html:/proc/page.html"}, 200, Target::kept},
        {"page of a missing file", {"-html:{dir}/page.html", "{dir}/missing.zr740"}, 200, Target::kept},
    };
    for (const auto& c : cases)
        check(c);
}

TEST_F(ExitCodes, ThePageDocumentsTheDescriptionOfTheNamedFile)
{
    const std::string page = (dir.path() / "page.html").string();
    testing::ProgramRun current(bin + "/zr740", {"-html:" + page}, dir.path().string());
    ASSERT_EQ(current.wait(), 0) << current.err();
    const std::string text = contents(page);
    EXPECT_EQ(text.rfind("<html>", 0), 0u);
    EXPECT_NE(text.find("0x0018"), std::string::npos);
    // Windows-1251: "ЗР740" is C7 D0 37 34 30.
    EXPECT_NE(text.find("\xC7\xD0"
                        "740</title>"),
              std::string::npos);

    sim::SimulatorOptions options;
    options.description_path = bin + "/zr740.dat";
    sim::InstrumentSimulator simulator(options);
    ASSERT_TRUE(simulator.start());
    write_source(simulator, 1);
    testing::ProgramRun old(bin + "/zr740", {"/html:" + page, source()}, dir.path().string());
    ASSERT_EQ(old.wait(), 0) << old.err();
    EXPECT_NE(contents(page).find("\xC7\xD0"
                                  "740(old)</title>"),
              std::string::npos);
}

} // namespace
} // namespace zr740
