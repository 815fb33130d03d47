// The transactions over the real termios line against the instrument simulator on a
// pseudo-terminal: identification, reads and writes with the instrument's byte placement, the retry
// policy, broadcasts, faults, and the Korvel frame exchange.

#include "app/exit_policy.h"
#include "link/device.h"
#include "platform/run_state.h"
#include "platform/temp_dir.h"
#include "simulator/instrument_simulator.h"
#include "support/memory_settings.h"
#include "support/recording_shell.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

namespace zr740 {
namespace {

using sim::Fault;
using sim::InstrumentSimulator;
using sim::SimulatorOptions;

const std::string description = std::string(ZR740_BINARY_DIR) + "/bin/zr740.dat";

class DeviceIOTest : public ::testing::Test {
protected:
    // The run's exit code follows what the link finds, as in the program.
    DeviceIOTest() { device.set_report(&exit_policy); }

    void start(SimulatorOptions options = {})
    {
        options.description_path = description;
        options.live_values = false;
        simulator = std::make_unique<InstrumentSimulator>(options);
        ASSERT_TRUE(simulator->start()) << simulator->error();
        device.link_settings().set_value_by_name("Port", options.link_path.empty() ? simulator->port_path()
                                                                                    : options.link_path);
        ASSERT_EQ(device.open_port(true), 0) << device.sio().open_error();
    }

    // The adapter comes back: a new pseudo-terminal under the same name.
    void plug_in(const std::string& name)
    {
        simulator.reset();
        SimulatorOptions options;
        options.description_path = description;
        options.live_values = false;
        options.link_path = name;
        simulator = std::make_unique<InstrumentSimulator>(options);
        ASSERT_TRUE(simulator->start()) << simulator->error();
    }

    Parameter parameter(const char* name, std::uint8_t count, const char* type)
    {
        Parameter p(name);
        p.register_count = count;
        p.type_text = type;
        return p;
    }

    std::uint64_t requests() const { return simulator->stats().requests; }

    RunState run;
    testing::RecordingShell shell;
    testing::MemorySettings settings;
    Device device{run, shell, settings, {}};
    ExitPolicy exit_policy{run};
    std::unique_ptr<InstrumentSimulator> simulator;
};

TEST_F(DeviceIOTest, IdentifiesTheInstrumentAndItsFirmware)
{
    SimulatorOptions options;
    options.firmware = "2.7";
    start(options);
    run.description_variant = 1;
    run.exit_status = exit_bits::protocol_error | exit_bits::not_recognised | exit_bits::no_reply;
    ASSERT_TRUE(device.check_link());
    EXPECT_EQ(run.description_variant.load(), 0);
    EXPECT_EQ(device.instrument_version.major, 2);
    EXPECT_EQ(device.instrument_version.minor, 7);
    // A good link check clears the protocol and recognition bits only.
    EXPECT_EQ(run.exit_status.load(), exit_bits::no_reply);
    EXPECT_EQ(device.sio().automatic_converter, 1);

    EXPECT_EQ(device.identify(true), DeviceIO::answered | DeviceIO::recognised);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, "Прибор: ZR740_RS\nВерсия ПО: 2.7   \n");
    EXPECT_EQ(shell.messages[0].caption, "ЗР740");
    EXPECT_EQ(shell.messages[0].icon, Icon::information);
}

TEST_F(DeviceIOTest, OlderInstrumentSelectsTheOlderDescription)
{
    SimulatorOptions options;
    options.variant = 1;
    start(options);
    ASSERT_TRUE(device.check_link());
    EXPECT_EQ(run.description_variant.load(), 1);
}

TEST_F(DeviceIOTest, ReadsAndWritesWithTheInstrumentsBytePlacement)
{
    start();
    auto damping = parameter("0x0018", 2, "float");
    damping.value_text = "12.5";
    damping.value_changed = 1;
    ASSERT_EQ(device.read_registers(damping, true), 0);
    EXPECT_EQ(damping.value_changed, 0);
    EXPECT_EQ(simulator->value(0x0018), "12.500");

    damping.value_text = "?";
    ASSERT_EQ(device.read_registers(damping, false), 0);
    EXPECT_EQ(damping.value_text, "12.500");
    EXPECT_EQ(damping.status_text, "");

    // An int16 arrives as its value: the register's high byte goes out first.
    auto period = parameter("0x0017", 1, "int16");
    period.value_text = "256";
    ASSERT_EQ(device.read_registers(period, true), 0);
    EXPECT_EQ(simulator->register_value(0x0017), 256);
    // An int below 256 arrives as itself.
    auto delay = parameter("x!0x0010", 1, "int");
    delay.value_text = "200";
    ASSERT_EQ(device.read_registers(delay, true), 0);
    EXPECT_EQ(simulator->register_value(0x0010), 200);
    EXPECT_EQ(delay.register_number, 0x0010);
}

TEST_F(DeviceIOTest, TimeOutIsRetriedExactlyOnce)
{
    start();
    auto address = parameter("0x0007", 1, "int");
    simulator->inject(Fault::no_reply(1));
    auto before = requests();
    EXPECT_EQ(device.read_registers(address, false), 0);
    EXPECT_EQ(address.value_text, "16");
    EXPECT_EQ(requests() - before, 2u);

    simulator->inject(Fault::no_reply(3));
    before = requests();
    EXPECT_EQ(device.read_registers(address, false), 2);
    EXPECT_EQ(address.status_text, "Не могу раскодировать ответ");
    EXPECT_EQ(address.value_text, "16"); // a failed read keeps the value
    EXPECT_EQ(requests() - before, 2u);
    EXPECT_EQ(device.trace().counters().timeouts, 3u);
}

struct FaultCase {
    const char* name;
    Fault fault;
    int expected;
};

TEST_F(DeviceIOTest, FaultyRepliesEndAsUndecodedOrRecover)
{
    start();
    const FaultCase cases[] = {
        {"exception", Fault::exception(0x0007, 2, 1), 2},
        // Another slave's reply is no reply to this request: the retry gets the right one.
        {"wrong address once", Fault::wrong_address(17, 1), 0},
        {"wrong address twice", Fault::wrong_address(17, 2), 2},
        {"bad crc once", Fault::bad_crc(1), 0},  // waits out the silence, then the retry succeeds
        {"bad crc twice", Fault::bad_crc(2), 2},
        {"split reply", Fault::split(2, std::chrono::milliseconds(30), 1), 0},
        {"delayed within the time-out", Fault::delayed(std::chrono::milliseconds(100), 1), 0},
        {"garbage", Fault::garbage(300, 1), 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        simulator->clear_faults();
        simulator->inject(c.fault);
        auto address = parameter("0x0007", 1, "int");
        EXPECT_EQ(device.read_registers(address, false), c.expected);
        if (c.expected == 0)
            EXPECT_EQ(address.value_text, "16");
        else
            EXPECT_EQ(address.status_text, "Не могу раскодировать ответ");
    }
}

// On a line, a slave that queues the master's retry while busy with a late reply answers it after
// its turnaround: a second reply no content can tell from the next request's. After a transaction
// that needed a retry the master waits out a reply time-out of silence, so the second reply is
// dropped however long the slave's turnaround (a slow one outlasts the silence between frames).
TEST_F(DeviceIOTest, QueuedRetryAnsweredAfterALateReplyIsNotTheNextReply)
{
    for (const auto turnaround : {std::chrono::microseconds(2000), std::chrono::microseconds(40000)}) {
        SCOPED_TRACE(turnaround.count());
        SimulatorOptions options;
        options.pace = true;
        options.turnaround = turnaround;
        start(options);
        device.sio().automatic_converter = 1;
        ASSERT_TRUE(simulator->set_value(0x0018, "1.250"));
        ASSERT_TRUE(simulator->set_value(0x001A, "-2.500"));
        simulator->inject(Fault::late(std::chrono::milliseconds(device.sio().reply_timeout + 60), true, 1));
        auto damping = parameter("0x0018", 2, "float");
        auto lower = parameter("0x001A", 2, "float");
        EXPECT_EQ(device.read_registers(damping, false), 0);
        EXPECT_EQ(damping.value_text, "1.250");
        EXPECT_EQ(device.read_registers(lower, false), 0);
        EXPECT_EQ(lower.value_text, "-2.500");
        EXPECT_EQ(simulator->stats().replies, 3u); // the late one, the queued retry's, the next one's
    }
}

TEST_F(DeviceIOTest, BroadcastWritesToAddressZeroAndExpectsNoReply)
{
    start();
    auto delay = parameter("0x0010", 1, "int");
    delay.value_text = "42";
    delay.scanner_channel = 255;
    EXPECT_EQ(device.read_registers(delay, true), 0);
    EXPECT_EQ(delay.scanner_channel, 0);
    for (int wait = 0; wait < 500 && simulator->register_value(0x0010) != 42; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(simulator->register_value(0x0010), 42);
    // Sent once: nothing is awaited, so there is no time-out to repeat it after.
    EXPECT_EQ(simulator->stats().requests, 1u);
    EXPECT_EQ(simulator->stats().replies, 0u);
}

TEST_F(DeviceIOTest, AddressesOutsideOneTo247AreRefusedWithoutSending)
{
    start();
    for (const char* address : {"0", "248", "-1"}) {
        SCOPED_TRACE(address);
        device.link_settings().set_value_by_name("0x0007", address);
        ASSERT_EQ(device.open_port(false), 0);
        auto delay = parameter("0x0010", 1, "int");
        delay.value_text = "42";
        const auto frames = simulator->stats().frames;
        const auto transfers = device.trace().counters().transactions;
        EXPECT_EQ(device.read_registers(delay, true), 2);
        EXPECT_EQ(delay.status_text, std::string("Адрес прибора ") + address +
                                         " вне диапазона 1..247: запрос не отправлен");
        EXPECT_EQ(simulator->stats().frames, frames);
        EXPECT_EQ(device.trace().counters().transactions, transfers);
    }
    EXPECT_NE(simulator->register_value(0x0010), 42);
}

TEST_F(DeviceIOTest, LinkSettingsAreReadAsTheInputCheckReadsThem)
{
    start();
    // "1e2" passes the check of an "int" value as 100: the line must then talk to 100, not to 1.
    const std::pair<const char*, int> cases[] = {{"1e2", 100}, {"016", 16}, {" 7", 7}, {"2.0", 2}};
    for (const auto& [text, address] : cases) {
        device.link_settings().set_value_by_name("0x0007", text);
        ASSERT_EQ(device.open_port(false), 0);
        EXPECT_EQ(device.sio().address, address) << text;
    }
}

TEST_F(DeviceIOTest, SettingsAPseudoTerminalCannotCarryStillWorkAndRefusedOnesCloseThePort)
{
    start();
    for (const char* parity : {"Четность", "Нечетность"}) {
        SCOPED_TRACE(parity);
        device.link_settings().set_value_by_name("0x000C", parity);
        ASSERT_EQ(device.open_port(true), 0);
        EXPECT_GT(device.sio().reply_timeout, 0);
        auto address = parameter("0x0007", 1, "int");
        EXPECT_EQ(device.read_registers(address, false), 0);
        EXPECT_EQ(address.value_text, "16");
    }

    device.link_settings().set_value_by_name("0x0009", "256000");
    EXPECT_EQ(device.open_port(true), -2);
    EXPECT_FALSE(device.sio().is_open());
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].caption, "Ошибка драйвера последовательного порта");
    auto address = parameter("0x0007", 1, "int");
    EXPECT_EQ(device.read_registers(address, false), -1);
    EXPECT_EQ(address.status_text, "Ошибка открытия порта");
}

TEST_F(DeviceIOTest, ElevenBitAddressingRefusesModbus)
{
    start();
    device.link_settings().append(std::make_unique<Parameter>("A.Len"));
    device.link_settings().set_value_by_name("A.Len", "11");
    ASSERT_EQ(device.open_port(false), 0);
    std::vector<std::uint8_t> payload;
    const auto before = simulator->stats().frames;
    EXPECT_EQ(device.modbus_transaction(3, std::vector<std::uint8_t>{0, 7, 0, 1}, payload, false), -1);
    EXPECT_EQ(simulator->stats().frames, before);
}

TEST_F(DeviceIOTest, LinkCheckWithoutAnInstrumentTriesBothConvertersTwice)
{
    start();
    simulator->inject(Fault::no_reply(-1));
    const auto before = requests();
    EXPECT_FALSE(device.check_link());
    // Four attempts of two reads, each read tried twice.
    EXPECT_EQ(requests() - before, 16u);
    EXPECT_EQ(device.sio().automatic_converter, 0);
    EXPECT_EQ(run.activity.load(), 0);
}

TEST_F(DeviceIOTest, PortThatCannotBeOpenedSaysWhy)
{
    device.link_settings().set_value_by_name("Port", "/dev/zr740-no-such-port");
    EXPECT_NE(device.open_port(true), 0);
    EXPECT_EQ(run.exit_status.load() & exit_bits::port_unavailable, exit_bits::port_unavailable);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].caption, "Ошибка драйвера последовательного порта");
    const std::string expected_start = "Не удается открыть порт /dev/zr740-no-such-port. Связь с сетью отсутствует. "
                                       "Проверьте сетевые параметры.\n";
    EXPECT_EQ(shell.messages[0].text.substr(0, expected_start.size()), expected_start);
    EXPECT_GT(shell.messages[0].text.size(), expected_start.size());

    auto p = parameter("0x0007", 1, "int");
    EXPECT_EQ(device.read_registers(p, false), -1);
    EXPECT_EQ(p.status_text, "Ошибка открытия порта");

    // Started with command-line options: no message box; silent mode: not even an attempt.
    run.started_with_options = true;
    EXPECT_NE(device.open_port(true), 0);
    EXPECT_EQ(shell.messages.size(), 1u);
    run.silent = true;
    EXPECT_EQ(device.open_port(true), -1);
}

TEST_F(DeviceIOTest, PortWhoseDeviceWentIsClosedAndOpenedAgainByItsName)
{
    const testing::TempDir dir;
    const std::string name = (dir.path() / "ttyZR740").string();
    SimulatorOptions options;
    options.link_path = name;
    start(options);
    auto p = parameter("0x0007", 1, "int");
    ASSERT_EQ(device.read_registers(p, false), 0);
    const auto is_unavailable = [&] { return (run.exit_status.load() & exit_bits::port_unavailable) != 0; };

    // Unplugged during an exchange: it fails as on a silent line, and the dead port is closed.
    simulator->stop();
    EXPECT_EQ(device.read_registers(p, false), 2);
    EXPECT_EQ(p.status_text, "Не могу раскодировать ответ");
    EXPECT_FALSE(device.sio().is_open());
    EXPECT_TRUE(device.port_lost());
    EXPECT_EQ(device.read_registers(p, false), -1);
    EXPECT_EQ(p.status_text, "Ошибка открытия порта");
    // Still missing: the port cannot be opened, which is said by the exit status, not a message.
    EXPECT_EQ(device.reopen_lost_port(), DeviceIO::LostPort::missing);
    EXPECT_TRUE(is_unavailable());
    EXPECT_FALSE(device.sio().open_error().empty());

    plug_in(name);
    EXPECT_EQ(device.reopen_lost_port(), DeviceIO::LostPort::reopened);
    EXPECT_FALSE(is_unavailable());
    EXPECT_FALSE(device.port_lost());
    ASSERT_EQ(device.read_registers(p, false), 0);
    EXPECT_EQ(p.value_text, "16");
    EXPECT_EQ(requests(), 1u);
    EXPECT_EQ(device.reopen_lost_port(), DeviceIO::LostPort::none);
    EXPECT_TRUE(device.sio().is_open());

    // Unplugged and back while nobody used the line: found before the next exchange goes out.
    plug_in(name);
    EXPECT_TRUE(device.sio().is_open());
    EXPECT_EQ(device.reopen_lost_port(), DeviceIO::LostPort::reopened);
    ASSERT_EQ(device.read_registers(p, false), 0);
    EXPECT_EQ(requests(), 1u);

    // An exchange that cannot have the port lock at once (a job holds it) leaves the closing to
    // the holder instead of waiting behind it.
    simulator->stop();
    std::promise<void> taken;
    std::promise<void> done;
    std::thread job([&] {
        std::lock_guard lock(device.port_lock());
        taken.set_value();
        done.get_future().wait();
    });
    taken.get_future().wait();
    EXPECT_EQ(device.read_registers(p, false), 2);
    EXPECT_TRUE(device.sio().is_open());
    EXPECT_TRUE(device.sio().device_gone());
    done.set_value();
    job.join();
    plug_in(name);
    EXPECT_EQ(device.reopen_lost_port(), DeviceIO::LostPort::reopened);
    EXPECT_EQ(device.read_registers(p, false), 0);

    // The link check opens the port by its name as it always does; silent mode leaves a lost port
    // to the job, which opens the line itself.
    simulator->stop();
    EXPECT_TRUE(device.close_if_gone());
    plug_in(name);
    EXPECT_TRUE(device.check_link());
    EXPECT_FALSE(device.port_lost());
    simulator->stop();
    EXPECT_TRUE(device.close_if_gone());
    plug_in(name);
    run.silent = true;
    EXPECT_EQ(device.reopen_lost_port(), DeviceIO::LostPort::none);
    EXPECT_FALSE(device.sio().is_open());
    EXPECT_TRUE(device.open_for_job());
    EXPECT_FALSE(device.port_lost());
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(DeviceIOTest, KorvelExchangeEndToEnd)
{
    start();
    std::vector<std::uint8_t> reply;
    std::string error;
    ASSERT_EQ(device.korvel_transaction(true, 0x0007, {}, reply, error, 0), 1) << error;
    EXPECT_EQ(reply, (std::vector<std::uint8_t>{0x00, 0x10}));

    run.exit_status = exit_bits::no_reply;
    EXPECT_EQ(device.korvel_transaction(true, 0x0FFF, {}, reply, error, 0), 0);
    EXPECT_EQ(error, "Не найден дескриптор");
    EXPECT_EQ(run.exit_status.load(), exit_bits::instrument_error);

    simulator->inject(Fault::no_reply(2));
    run.exit_status = 0;
    EXPECT_EQ(device.korvel_transaction(true, 0x0007, {}, reply, error, 0), 0);
    EXPECT_EQ(error, "Таймаут при передаче данных (нет связи)");
    EXPECT_EQ(run.exit_status.load(), exit_bits::no_reply);
    // A later reply shows the line works: the time-out becomes a protocol error.
    EXPECT_EQ(device.korvel_transaction(true, 0x0007, {}, reply, error, 0), 1);
    EXPECT_EQ(run.exit_status.load(), exit_bits::protocol_error);
}

} // namespace
} // namespace zr740
