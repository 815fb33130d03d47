// Reading written parameters back, and reading neighbouring parameters in blocks, against the
// simulator: a register that acknowledges a write and keeps its old value must fail the job and be
// named; block reads must end exactly as single reads do, whatever the instrument holds or refuses.

#include "app/engine_texts.h"
#include "platform/temp_dir.h"
#include "support/program_run.h"
#include "support/configuration_files.h"
#include "support/simulated_document.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace zr740 {
namespace {

using sim::Fault;

// Everything a read leaves behind that a person or a calling program could see.
struct ReadOutcome {
    std::vector<std::string> lines;
    std::vector<std::pair<std::string, std::string>> values; // value and status text, in tree order
    std::string error_log;
    std::uint32_t exit_status = 0;
    int made = 0;
    int failed = 0;
    JobResult result{0, 0};
    bool operator==(const ReadOutcome&) const = default;
};

class BlockReadTest : public testing::SimulatedDocument {
protected:
    void SetUp() override
    {
        SimulatedDocument::SetUp();
        document.engine().window_linger = std::chrono::milliseconds{0};
        context.error_log_path = (dir.path() / "errors.log").string();
    }

    ReadOutcome read_all(bool blocks)
    {
        document.root()->reset_values();
        shell.progress_lines.clear();
        std::ofstream(context.error_log_path, std::ios::trunc).close();
        context.run.exit_status = 0;
        context.block_reads = blocks;
        EXPECT_TRUE(document.engine().read(document.root()));
        document.engine().wait_until_idle();
        ReadOutcome outcome;
        outcome.lines = shell.progress_lines;
        document.root()->for_each_parameter(
            [&](Parameter& p) { outcome.values.emplace_back(p.value_text, p.status_text); });
        outcome.error_log = testing::file_text(context.error_log_path);
        outcome.exit_status = context.run.exit_status;
        outcome.made = document.engine().last_exchanges().made;
        outcome.failed = document.engine().last_exchanges().failed;
        outcome.result = document.engine().last_result();
        return outcome;
    }

    // Every register of the instrument's parameters filled at random: enumerations out of range,
    // texts of any bytes, floats of any bits.
    void randomise(std::mt19937& random)
    {
        std::uniform_int_distribution<int> word(0, 0xFFFF);
        for (std::uint16_t number = 0x0007; number < 0x0050; ++number)
            if (simulator->register_value(number))
                simulator->set_register(number, static_cast<std::uint16_t>(word(random)));
    }

    std::uint64_t requests() const { return simulator->stats().requests; }

    ::zr740::testing::TempDir dir;
};

TEST_F(BlockReadTest, EndsExactlyAsSingleReadsDo)
{
    // The instrument as shipped, then register contents at random with registers that refuse
    // every request touching them: the refusals fall inside blocks, at their edges and alone.
    const std::vector<std::uint16_t> parameter_registers{0x0000, 0x0007, 0x0009, 0x000D, 0x0010, 0x0015, 0x0018,
                                                         0x001B, 0x001E, 0x001F, 0x0022, 0x0024, 0x0026, 0x0029,
                                                         0x002C, 0x0030, 0x0033, 0x0039, 0x0040, 0x0043};
    for (int seed = 0; seed < 8; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        simulator->clear_faults();
        std::mt19937 random(static_cast<unsigned>(seed));
        if (seed > 0)
            randomise(random);
        std::uniform_int_distribution<std::size_t> pick(0, parameter_registers.size() - 1);
        for (int refused = 0; refused < seed % 4; ++refused)
            simulator->inject(Fault::exception(parameter_registers[pick(random)], 2, -1));

        const ReadOutcome single = read_all(false);
        const auto before = requests();
        const ReadOutcome blocks = read_all(true);
        const auto block_requests = requests() - before;
        EXPECT_EQ(blocks, single);
        EXPECT_EQ(blocks.lines, single.lines); // the difference, when there is one, line by line
        EXPECT_EQ(blocks.error_log, single.error_log);
        // Fewer requests whatever was refused: at worst a refused block costs one more request
        // than its single reads.
        if (seed == 0) {
            EXPECT_LE(block_requests, 20u);
        }
        EXPECT_LT(block_requests, static_cast<std::uint64_t>(single.result.first));
    }
}

TEST_F(BlockReadTest, ARefusedBlockFallsBackToSingleReads)
{
    // 0x0015..0x001E is one block without gaps; 0x0018 refuses, its neighbours answer.
    simulator->inject(Fault::exception(0x0018, 2, -1));
    ASSERT_TRUE(simulator->set_value(0x001A, "-5"));
    const ReadOutcome single = read_all(false);
    const ReadOutcome blocks = read_all(true);
    EXPECT_EQ(blocks, single);
    EXPECT_EQ(at("0x0018").status_text, "Не могу раскодировать ответ");
    EXPECT_EQ(at("0x001A").value_text, "-5.000");
    EXPECT_TRUE(at("0x001A").status_text.empty());
    EXPECT_NE(blocks.error_log.find("0x0018 - Не могу раскодировать ответ"), std::string::npos);
    // One failed parameter of many: partly read, not a silent instrument.
    EXPECT_EQ(blocks.failed, 1);
}

TEST_F(BlockReadTest, ASilentInstrumentStopsAfterFiveParametersAsBefore)
{
    simulator->inject(Fault::no_reply(-1));
    const ReadOutcome single = read_all(false);
    const ReadOutcome blocks = read_all(true);
    EXPECT_EQ(blocks, single);
    EXPECT_EQ(single.failed, 5);
    EXPECT_NE(single.exit_status & exit_bits::no_reply, 0u);
}

class VerifyWritesTest : public BlockReadTest {
protected:
    enum class Job { write_all, write_changed, branch_write_all };
    bool run(Job job)
    {
        shell.progress_lines.clear();
        context.verify_writes = true;
        bool shown = false;
        switch (job) {
        case Job::write_all:
            shown = document.engine().write_all(document.root());
            break;
        case Job::write_changed:
            shown = document.engine().write_changed(document.root());
            break;
        case Job::branch_write_all:
            shown = document.engine().write_all(branch("Параметры измерения"));
            break;
        }
        document.engine().wait_until_idle();
        return shown;
    }
    DescBranch* branch(std::string_view name)
    {
        for (auto& child : document.root()->children)
            if (child->name == name)
                return child.get();
        return nullptr;
    }
    bool has_line(std::string_view text) const
    {
        return std::find(shell.progress_lines.begin(), shell.progress_lines.end(), text) != shell.progress_lines.end();
    }
};

TEST_F(VerifyWritesTest, AValueTheInstrumentDidNotKeepFailsTheParameter)
{
    struct Case {
        const char* what;
        Job job;
        bool blocks;
    };
    const Case cases[] = {
        {"write all", Job::write_all, false},
        {"write all, block reads", Job::write_all, true},
        {"write changed", Job::write_changed, false},
        {"write changed, block reads", Job::write_changed, true},
        {"branch", Job::branch_write_all, false},
        {"branch, block reads", Job::branch_write_all, true},
    };
    // 0x0018 holds a float across two registers; its high half keeps the factory 1.0.
    simulator->inject(Fault::stuck(0x0018));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        context.block_reads = c.blocks;
        context.run.exit_status = 0;
        read_all(c.blocks);
        ASSERT_EQ(at("0x0018").value_text, "1.000");
        ASSERT_EQ(at("0x0018").set_value_from_input("7.25", false), 1);
        ASSERT_EQ(at("0x0010").set_value_from_input("40", false), 1);
        std::ofstream(context.error_log_path, std::ios::trunc).close();
        ASSERT_TRUE(run(c.job));

        const VerifyResult& verify = document.engine().last_verify();
        EXPECT_TRUE(verify.requested);
        EXPECT_EQ(verify.failed, 1);
        EXPECT_EQ(verify.failed_names(), std::vector<std::string>{"0x0018"});
        EXPECT_EQ(verify.verified + verify.failed + verify.skipped, verify.written);
        EXPECT_EQ(verify.written, c.job == Job::write_changed ? 2 : document.engine().last_result().first);
        EXPECT_EQ(at("0x0018").status_text, "Прибор хранит 1.000 вместо 7.250");
        EXPECT_EQ(at("0x0018").value_text, "7.250"); // the configuration keeps what was meant
        EXPECT_TRUE(at("0x0018").value_changed);    // and a write of the changed values tries again
        EXPECT_EQ(testing::file_text(context.error_log_path), "0x0018 - Прибор хранит 1.000 вместо 7.250\n");
        EXPECT_TRUE(has_line("Проверяем записанные параметры"));
        EXPECT_TRUE(has_line("  Проверка: 0x0018 = 1.000 - Прибор хранит 1.000 вместо 7.250"));
        EXPECT_TRUE(has_line("  Проверка: 0x001A = " + at("0x001A").value_text) || c.job == Job::write_changed);
        const auto exchanges = document.engine().last_exchanges();
        EXPECT_GT(exchanges.failed, 0);
        EXPECT_LT(exchanges.failed, exchanges.made); // part failed: 207 for a run without a window
        EXPECT_EQ(document.engine().last_result().second, 1);
    }
}

TEST_F(VerifyWritesTest, AnHonestInstrumentVerifiesEveryValue)
{
    for (const bool blocks : {false, true}) {
        SCOPED_TRACE(blocks ? "block reads" : "single reads");
        context.block_reads = blocks;
        read_all(blocks);
        ASSERT_EQ(at("0x0018").set_value_from_input("7.25", false), 1);
        std::ofstream(context.error_log_path, std::ios::trunc).close();
        const auto before = requests();
        ASSERT_TRUE(run(Job::write_all));
        const VerifyResult& verify = document.engine().last_verify();
        EXPECT_EQ(verify.failed, 0);
        EXPECT_GT(verify.verified, 20);
        EXPECT_EQ(verify.verified + verify.skipped, verify.written);
        EXPECT_TRUE(at("0x0018").status_text.empty());
        EXPECT_EQ(testing::file_text(context.error_log_path), "");
        EXPECT_EQ(context.run.exit_status.load(), 0u);
        const auto writes = static_cast<std::uint64_t>(document.engine().last_result().first);
        if (blocks) {
            EXPECT_LT(requests() - before, writes + writes / 2);
        } else {
            EXPECT_EQ(requests() - before, writes + static_cast<std::uint64_t>(verify.verified));
        }
    }
}

// The program run as another program runs it.
class VerifyRun : public ::testing::Test {
protected:
    void start()
    {
        sim::SimulatorOptions options;
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

    const std::string bin = std::string(ZR740_BINARY_DIR) + "/bin";
    ::zr740::testing::TempDir dir;
    std::unique_ptr<sim::InstrumentSimulator> simulator;
    std::string out;
    std::string err;
};

TEST_F(VerifyRun, AWriteTheInstrumentDidNotKeepEndsWith207AndIsNamed)
{
    start();
    const std::string source = file("setup.zr740");
    ASSERT_TRUE(testing::write_configuration(bin, source, [](const Parameter& p) {
        if (p.name == "0x0018")
            return std::string("7.25");
        return p.name == "0x0010" ? std::string("40") : std::string("Нет данных");
    }));
    const std::string log = file("errors.log");
    ASSERT_EQ(run({"/write/verify/close/" + port_option(), "-elog:" + log, source}), 0) << err;
    EXPECT_EQ(testing::file_text(log), "");
    EXPECT_NE(out.find("  Проверка: 0x0018 = 7.250"), std::string::npos) << out;

    simulator->inject(Fault::stuck(0x0010));
    ASSERT_TRUE(simulator->set_value(0x0010, "0"));
    for (const char* options : {"/write/verify/close/", "/write/verify/block/close/"}) {
        SCOPED_TRACE(options);
        EXPECT_EQ(run({options + port_option(), "-elog:" + log, source}), 207) << err;
        EXPECT_EQ(testing::file_text(log), "0x0010 - Прибор хранит 0 вместо 40\n");
    }
    // Without "verify" the same write looks like a success.
    EXPECT_EQ(run({"/write/close/" + port_option(), "-elog:" + log, source}), 0) << err;
}

TEST_F(VerifyRun, BlockReadsSaveTheSameFileAndLog)
{
    start();
    simulator->inject(Fault::exception(0x0022, 2, -1));
    ASSERT_TRUE(simulator->set_value(0x0018, "3.5"));
    std::map<std::string, std::string> saved[2];
    std::string logs[2];
    int codes[2] = {0, 0};
    // The same file names both times: the log names them.
    const std::string target = file("line.zr740");
    const std::string partial = file("line.partial.zr740");
    const std::string log = file("errors.log");
    for (int blocks = 0; blocks < 2; ++blocks) {
        codes[blocks] = run({std::string(blocks ? "-read/block/close/" : "-read/close/") + port_option(),
                             "-elog:" + log, target});
        // One refused parameter: the read is partial and saved beside the named file.
        saved[blocks] = testing::configuration_values(bin, partial);
        logs[blocks] = testing::file_text(log);
        std::filesystem::remove(partial);
    }
    EXPECT_EQ(codes[0], 207);
    EXPECT_EQ(codes[1], codes[0]);
    ASSERT_FALSE(saved[0].empty());
    EXPECT_EQ(saved[1], saved[0]);
    EXPECT_EQ(saved[1].at("0x0018"), "3.500");
    EXPECT_EQ(logs[1], logs[0]);
    EXPECT_EQ(logs[0].rfind("0x0022 - Не могу раскодировать ответ\n", 0), 0u) << logs[0];
}

} // namespace
} // namespace zr740
