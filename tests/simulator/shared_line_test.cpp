// Several simulated instruments on one line, as on an RS-485 bus.

#include "platform/shell.h"
#include "support/program_run.h"
#include "sim_line.h"

#include <filesystem>
#include <memory>

namespace zr740::sim::testing {
namespace {

constexpr std::uint16_t int16_register = 0x0017;

class QuietShell : public Shell {
public:
    void message(const std::string&, const std::string&, Icon, Owner) override {}
    bool ask_yes_no(const std::string&, const std::string&, Icon) override { return false; }
    void set_wait_cursor(bool) override {}
};

class SharedLine : public SimulatorTest {
protected:
    void SetUp() override
    {
        auto options = default_options(); // the first at the description's address, 16
        options.extra_addresses = {17, 247};
        start(options);
    }

    // The register as read from 16, 17 and 247 in turn.
    std::vector<std::uint16_t> held_everywhere(std::uint16_t number) const
    {
        std::vector<std::uint16_t> values;
        for (const std::uint8_t address : {16, 17, 247}) {
            const auto read = reply_registers(line->modbus(read_request(address, number, 1)));
            values.push_back(read.size() == 1 ? read[0] : 0xDEAD);
        }
        return values;
    }
};

TEST_F(SharedLine, EachAddressAnswersFromItsOwnInstrument)
{
    // The serial number travels last character first: "SIM00017" reads 0x3731 ("71") first.
    const struct {
        std::uint8_t address;
        std::vector<std::uint16_t> serial;
    } cases[] = {
        {16, {0, 0, 0, 0}}, // the description's, empty
        {17, {0x3731, 0x3030, 0x304D, 0x4953}},
        {247, {0x3734, 0x3230, 0x304D, 0x4953}},
    };
    for (const auto& c : cases) {
        const auto own = line->modbus(read_request(c.address, reg::address, 1));
        EXPECT_EQ(own, with_crc({c.address, 3, 2, 0, c.address}));
        EXPECT_EQ(reply_registers(line->modbus(read_request(c.address, reg::serial, 4))), c.serial)
            << int{c.address};
    }
    line->send(read_request(18, reg::address, 1));
    EXPECT_TRUE(line->silent_for(200ms));
    EXPECT_EQ(simulator->stats().ignored, 1u);
}

TEST_F(SharedLine, WriteChangesOnlyTheAddressedInstrument)
{
    const std::uint8_t addresses[] = {16, 17, 247};
    auto expected = held_everywhere(int16_register);
    for (const std::size_t i : {1, 0, 2}) {
        const auto value = static_cast<std::uint16_t>(1000 + i);
        const auto request = write_request(addresses[i], int16_register, value);
        EXPECT_EQ(line->modbus(request), request);
        expected[i] = value;
        EXPECT_EQ(held_everywhere(int16_register), expected) << "after the write to " << int{addresses[i]};
    }
}

TEST_F(SharedLine, BroadcastReachesEveryInstrumentAndNobodyAnswers)
{
    line->send(write_request(0, int16_register, 4242));
    EXPECT_TRUE(line->silent_for(200ms));
    EXPECT_EQ(held_everywhere(int16_register), (std::vector<std::uint16_t>{4242, 4242, 4242}));
    EXPECT_EQ(simulator->register_value(247, int16_register), 4242);
}

TEST_F(SharedLine, ApplyMovesOnlyTheAddressedInstrument)
{
    ASSERT_FALSE(line->modbus(write_request(17, reg::address, 20)).empty());
    ASSERT_FALSE(line->modbus(write_request(17, reg::apply, apply_command)).empty());
    simulator->wait_for_commands(1);
    EXPECT_EQ(reply_registers(line->modbus(read_request(20, reg::serial, 4))),
              (std::vector<std::uint16_t>{0x3731, 0x3030, 0x304D, 0x4953}));
    EXPECT_FALSE(simulator->register_value(17, reg::address).has_value()); // nobody is at 17 now
    EXPECT_EQ(simulator->network().address, 16);
    EXPECT_EQ(reply_registers(line->modbus(read_request(16, reg::address, 1))), std::vector<std::uint16_t>{16});
}

TEST_F(SharedLine, FaultsShapeTheReplyOfWhicheverInstrumentAnswers)
{
    simulator->inject(Fault::bad_crc());
    const auto reply = line->modbus(read_request(247, reg::address, 1));
    ASSERT_EQ(reply.size(), 7u);
    EXPECT_EQ(reply[0], 247);
    EXPECT_FALSE(crc_valid(reply));
    EXPECT_TRUE(crc_valid(line->modbus(read_request(247, reg::address, 1))));
}

TEST(SharedLineSetup, SerialNumberReadsAsTheProgramDecodesIt)
{
    EXPECT_EQ(extra_serial_number(7), "SIM00007");
    RegisterBank bank;
    std::string error;
    QuietShell shell;
    ASSERT_TRUE(bank.load(shipped_description, 0, "1.5", shell, error)) << error;
    for (const std::string text : {"SIM00017", "A12", "123456789"}) {
        ASSERT_TRUE(bank.store_text(reg::serial, text));
        EXPECT_EQ(bank.read_value(reg::serial), text.substr(0, 8));
    }
    EXPECT_FALSE(bank.store_text(reg::address, "1")); // not a text parameter
}

TEST(SharedLineSetup, RefusesClashingAddresses)
{
    const std::vector<int> cases[] = {{16}, {17, 17}, {0}, {248}};
    for (const auto& extra : cases) {
        auto options = default_options();
        options.extra_addresses = extra;
        InstrumentSimulator simulator(options);
        EXPECT_FALSE(simulator.start());
        EXPECT_TRUE(simulator.refused_options()) << simulator.error();
    }
}

class SharedLineExecutable : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() / ("zr740-shared-line-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::unique_ptr<zr740::testing::ProgramRun> run(std::vector<std::string> arguments) const
    {
        arguments.insert(arguments.begin(), {"--description", shipped_description});
        return std::make_unique<zr740::testing::ProgramRun>(ZR740_BINARY_DIR "/bin/zr740-sim", arguments,
                                                            folder.string());
    }

    std::filesystem::path folder;
};

TEST_F(SharedLineExecutable, ServesEachInstrumentGiven)
{
    const auto program = run({"--instrument", "30", "--instrument", "31"});
    ASSERT_TRUE(program->wait_for_output("\n")) << program->err();
    const auto out = program->out();
    ASSERT_TRUE(out.starts_with("PTY /dev/")) << out;
    {
        LineClient line(out.substr(4, out.find('\n') - 4));
        for (const std::uint8_t address : {16, 30, 31})
            EXPECT_EQ(line.modbus(read_request(address, reg::address, 1)), with_crc({address, 3, 2, 0, address}));
    }
    program->signal(SIGTERM);
    EXPECT_EQ(program->wait(), 0);
}

TEST_F(SharedLineExecutable, RefusesBadInstrumentAddresses)
{
    const std::vector<std::vector<std::string>> cases = {
        {"--instrument", "0"},  {"--instrument", "248"}, {"--instrument", "x"},
        {"--instrument", "16"}, // the description's address, taken by the first instrument
        {"--address", "20", "--instrument", "20"},
        {"--instrument", "30", "--instrument", "30"},
    };
    for (const auto& arguments : cases) {
        const auto program = run(arguments);
        EXPECT_EQ(program->wait(), 2) << arguments[1];
        const auto message = program->err();
        EXPECT_NE(message.find(arguments[1]), std::string::npos) << message;
        EXPECT_EQ(program->out(), "");
    }
}

} // namespace
} // namespace zr740::sim::testing
