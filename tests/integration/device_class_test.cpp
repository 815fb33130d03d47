// The ZR740's own commands against the simulator: the factory reset, the apply command through the
// dialog and unattended, the broadcast, and the reports of a failed apply.

#include "support/simulated_document.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace zr740 {
namespace {

using sim::Fault;

class DeviceClassTest : public testing::SimulatedDocument {
protected:
    Parameter& network(const char* name) { return *document.network_branch()->find(name); }
    // Reads the instrument's network parameters into the tree.
    void read_network()
    {
        for (auto& parameter : document.network_branch()->parameters)
            document.link().read_registers(*parameter, false);
        ASSERT_EQ(network("0x0007").value_text, "5");
    }
    // Puts a new address into the instrument, to take effect with the apply command.
    void write_address(const char* new_address)
    {
        network("0x0007").value_text = new_address;
        ASSERT_EQ(document.link().read_registers(network("0x0007"), true), 0);
    }
};

TEST_F(DeviceClassTest, FactoryResetMovesTheProgramToTheFactorySettings)
{
    ASSERT_TRUE(simulator->set_value(0x0018, "12.5"));
    shell.answer = true;
    const auto commands = simulator->stats().commands;
    document.device()->initialise_device();
    ASSERT_EQ(simulator->wait_for_commands(commands + 1).commands, commands + 1);

    EXPECT_TRUE(shell.messages.empty()) << shell.messages[0].text;
    EXPECT_NE(simulator->value(0x0018), "12.500");
    EXPECT_EQ(simulator->network().address, 16);
    EXPECT_EQ(settings().value_by_name("0x0007"), "16");
    EXPECT_EQ(settings().value_by_name("0x0009"), "9600");
    EXPECT_EQ(settings().value_by_name("0x000A"), "8");
    EXPECT_EQ(settings().value_by_name("0x000B"), "1");
    EXPECT_EQ(settings().value_by_name("0x000C"), "Отсутствует");
    EXPECT_EQ(settings().value_by_name("Prot"), "ModBus-RTU");
    ASSERT_EQ(shell.questions.size(), 1u);
    EXPECT_EQ(shell.questions[0].icon, Icon::information);
    EXPECT_EQ(shell.posted, std::vector<int>{command_ids::read_all});

    // The reopened port talks to the instrument at its factory address.
    Parameter damping("0x0018");
    damping.register_count = 2;
    damping.type_text = "float";
    EXPECT_EQ(document.link().read_registers(damping, false), 0);
}

TEST_F(DeviceClassTest, ApplyDialogMovesInstrumentAndProgramTogether)
{
    read_network();
    write_address("7");
    shell.apply_choices.broadcast = true;
    const auto commands = simulator->stats().commands;
    document.on_apply_command();
    // The apply write and the broadcast, sent three times as the window offers by default.
    ASSERT_EQ(simulator->wait_for_commands(commands + 4).commands, commands + 4);

    ASSERT_EQ(shell.apply_dialog_texts.size(), 1u);
    EXPECT_EQ(shell.apply_dialog_texts[0].find("Длина слова данных"), std::string::npos);
    EXPECT_NE(shell.apply_dialog_texts[0].find("Адрес: 7\n"), std::string::npos);
    EXPECT_EQ(simulator->network().address, 7);
    EXPECT_EQ(settings().value_by_name("0x0007"), "7");
    // The broadcast went out: the link has cleared the apply parameter's mark.
    EXPECT_EQ(document.device()->apply_parameter(false).scanner_channel, 0);
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(shell.view_updates, 1);
    EXPECT_EQ(document.link().read_registers(network("0x0009"), false), 0);
}

TEST_F(DeviceClassTest, UnattendedApplyNeedsTheOption)
{
    read_network();
    write_address("9");
    context.options = option_flags::any | option_flags::read;
    const auto before = simulator->stats().requests;
    document.on_apply_command();
    EXPECT_EQ(simulator->stats().requests, before);
    EXPECT_EQ(simulator->network().address, 5);

    context.options |= option_flags::aply;
    const auto commands = simulator->stats().commands;
    document.on_apply_command();
    EXPECT_TRUE(shell.apply_dialog_texts.empty());
    simulator->wait_for_commands(commands + 1);
    EXPECT_EQ(simulator->network().address, 9);
    EXPECT_EQ(settings().value_by_name("0x0007"), "9");
    EXPECT_EQ(document.link().read_registers(network("0x0009"), false), 0);
}

TEST_F(DeviceClassTest, UnknownNetworkValuesAreNotCopiedButTheCommandStillGoesOut)
{
    // Nothing was read: the instrument's network values are all "Нет данных".
    settings().set_value_by_name("0x0009", "9600");
    document.on_apply_command();
    EXPECT_EQ(settings().value_by_name("0x0007"), "5");
    EXPECT_EQ(settings().value_by_name("0x0009"), "9600");
    EXPECT_EQ(simulator->register_value(0x000F), 0); // carried out and cleared by the instrument
    EXPECT_TRUE(document.link().sio().is_open());
}

TEST_F(DeviceClassTest, AFailedApplyIsReportedOnce)
{
    read_network();
    simulator->inject(Fault::no_reply(100));
    document.on_apply_command();
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, "Ошибка параметра 'dev':\nНе могу раскодировать ответ\n");
    EXPECT_EQ(shell.messages[0].caption, "ЗР740");
    EXPECT_EQ(shell.messages[0].icon, Icon::stop);

}

TEST_F(DeviceClassTest, AnUncheckedChangeBoxLeavesTheProgramsSettingsAlone)
{
    read_network();
    write_address("7");
    shell.apply_choices.change_program_settings = false;
    const auto commands = simulator->stats().commands;
    document.on_apply_command();

    simulator->wait_for_commands(commands + 1);
    EXPECT_EQ(simulator->network().address, 7);
    EXPECT_EQ(settings().value_by_name("0x0007"), "5");
    // The apply write itself succeeded: the instrument no longer answering is no news to report.
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(DeviceClassTest, TheBroadcastGoesOutThriceOnlyWhenAsked)
{
    for (const bool thrice : {true, false}) {
        SCOPED_TRACE(thrice);
        shell.apply_choices.broadcast = true;
        shell.apply_choices.send_three_times = thrice;
        const auto before = simulator->stats();
        document.on_apply_command();
        // The apply write and one command per broadcast; the last may still be on its way.
        const auto commands = before.commands + (thrice ? 4u : 2u);
        const auto after = simulator->wait_for_commands(commands);
        EXPECT_EQ(after.commands, commands);
        // The broadcasts are the requests nobody answers.
        EXPECT_EQ((after.requests - before.requests) - (after.replies - before.replies), thrice ? 3u : 1u);
    }
}

} // namespace
} // namespace zr740
