// The program against a Modbus slave that is not ours: libmodbus, which frames requests by their
// byte count where the simulator goes by function and CRC. It holds the registers the simulator
// holds; a read of the shipped description must give what the simulator gives, and a write must
// leave the registers as it leaves the simulator's.

#include "link/register_layout.h"
#include "support/pty_pair.h"
#include "support/simulated_document.h"

#include <gtest/gtest.h>
#include <modbus.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <thread>

namespace zr740 {
namespace {

constexpr std::uint16_t register_count = 0x0400;
using Registers = std::map<std::uint16_t, std::uint16_t>;

// Two pseudo-terminals joined back to back: what one side's program writes, the other's reads.
class NullModem {
  public:
    NullModem() : stop_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
    {
        relay_ = std::thread([this] { run(); });
    }
    ~NullModem()
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(stop_, &one, sizeof one);
        relay_.join();
        ::close(stop_);
    }
    NullModem(const NullModem&) = delete;
    NullModem& operator=(const NullModem&) = delete;

    const std::string& left() const { return a_.slave_path(); }
    const std::string& right() const { return b_.slave_path(); }

  private:
    void run()
    {
        std::uint8_t buffer[512];
        while (true) {
            pollfd fds[3] = {{stop_, POLLIN, 0}, {a_.master(), POLLIN, 0}, {b_.master(), POLLIN, 0}};
            if (poll(fds, 3, 100) < 0 && errno != EINTR)
                return;
            if (fds[0].revents & POLLIN)
                return;
            for (int side = 1; side <= 2; ++side) {
                if ((fds[side].revents & POLLIN) == 0)
                    continue;
                const auto n = ::read(fds[side].fd, buffer, sizeof buffer);
                if (n > 0)
                    (side == 1 ? b_ : a_).write_bytes(std::span(buffer, static_cast<std::size_t>(n)));
            }
        }
    }

    testing::PtyPair a_;
    testing::PtyPair b_;
    int stop_;
    std::thread relay_;
};

// libmodbus serving holding registers on a line, in a thread of its own.
class LibmodbusSlave {
  public:
    LibmodbusSlave(const std::string& path, int address, const Registers& registers)
    {
        mapping_ = modbus_mapping_new(0, 0, register_count, 0);
        for (const auto& [number, value] : registers)
            if (number < register_count)
                mapping_->tab_registers[number] = value;
        context_ = modbus_new_rtu(path.c_str(), 9600, 'N', 8, 1);
        ready_ = mapping_ && context_ && modbus_set_slave(context_, address) == 0 && modbus_connect(context_) == 0;
        if (!ready_)
            return;
        // The wait for a request ends now and then, so that the thread notices the end of the test.
        modbus_set_indication_timeout(context_, 0, 100'000);
        thread_ = std::thread([this] { serve(); });
    }
    ~LibmodbusSlave()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (context_) {
            modbus_close(context_);
            modbus_free(context_);
        }
        if (mapping_)
            modbus_mapping_free(mapping_);
    }
    LibmodbusSlave(const LibmodbusSlave&) = delete;
    LibmodbusSlave& operator=(const LibmodbusSlave&) = delete;

    bool ready() const { return ready_; }
    // Read once the program has stopped talking to it.
    std::uint16_t value(std::uint16_t number) const { return mapping_->tab_registers[number]; }

  private:
    void serve()
    {
        std::uint8_t request[MODBUS_RTU_MAX_ADU_LENGTH];
        while (!stop_) {
            const int length = modbus_receive(context_, request);
            if (length > 0)
                modbus_reply(context_, request, length, mapping_);
        }
    }

    modbus_mapping_t* mapping_ = nullptr;
    modbus_t* context_ = nullptr;
    bool ready_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// libmodbus as a Modbus TCP server on loopback (a gateway's side), in a thread of its own; one
// client at a time.
class LibmodbusTcpSlave {
  public:
    explicit LibmodbusTcpSlave(const Registers& registers)
    {
        mapping_ = modbus_mapping_new(0, 0, register_count, 0);
        for (const auto& [number, value] : registers)
            if (number < register_count)
                mapping_->tab_registers[number] = value;
        // A free port: bind to 0 is not offered, so try a few above a random start.
        for (int attempt = 0; attempt < 50 && listener_ < 0; ++attempt) {
            port_ = 20000 + static_cast<int>((getpid() * 7 + attempt * 131) % 30000);
            context_ = modbus_new_tcp("127.0.0.1", port_);
            if (context_)
                listener_ = modbus_tcp_listen(context_, 1);
            if (listener_ < 0 && context_) {
                modbus_free(context_);
                context_ = nullptr;
            }
        }
        if (listener_ < 0 || !mapping_)
            return;
        thread_ = std::thread([this] { serve(); });
    }
    ~LibmodbusTcpSlave()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (listener_ >= 0)
            ::close(listener_);
        if (context_) {
            modbus_close(context_);
            modbus_free(context_);
        }
        if (mapping_)
            modbus_mapping_free(mapping_);
    }
    LibmodbusTcpSlave(const LibmodbusTcpSlave&) = delete;
    LibmodbusTcpSlave& operator=(const LibmodbusTcpSlave&) = delete;

    bool ready() const { return listener_ >= 0 && mapping_; }
    int port() const { return port_; }

  private:
    void serve()
    {
        std::uint8_t request[MODBUS_TCP_MAX_ADU_LENGTH];
        while (!stop_) {
            // The accept waits only while a client is on its way, so that the end of the test is
            // noticed.
            pollfd incoming{listener_, POLLIN, 0};
            if (poll(&incoming, 1, 100) <= 0)
                continue;
            if (modbus_tcp_accept(context_, &listener_) < 0)
                continue;
            modbus_set_indication_timeout(context_, 0, 100'000);
            while (!stop_) {
                const int length = modbus_receive(context_, request);
                if (length > 0)
                    modbus_reply(context_, request, length, mapping_);
                else if (length < 0 && errno != ETIMEDOUT)
                    break; // the client went
            }
            modbus_close(context_);
        }
    }

    modbus_mapping_t* mapping_ = nullptr;
    modbus_t* context_ = nullptr;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class IndependentSlave : public testing::SimulatedDocument {
  protected:
    void SetUp() override
    {
        SimulatedDocument::SetUp();
        document.engine().window_linger = std::chrono::milliseconds{0};
    }

    std::vector<Parameter*> exchanged()
    {
        std::vector<Parameter*> parameters;
        document.root()->for_each_parameter([&](Parameter& p) {
            if (p.exchangeable && p.linear_index >= 0)
                parameters.push_back(&p);
        });
        return parameters;
    }

    Registers snapshot() const
    {
        Registers registers;
        for (std::uint16_t number = 0; number < register_count; ++number)
            if (const auto value = simulator->register_value(number))
                registers[number] = *value;
        return registers;
    }

    // Value texts and statuses of every exchanged parameter, by name.
    std::map<std::string, std::pair<std::string, std::string>> outcome()
    {
        std::map<std::string, std::pair<std::string, std::string>> result;
        for (Parameter* p : exchanged())
            result[p->name] = {p->value_text, p->status_text};
        return result;
    }

    void run_job(bool write)
    {
        ASSERT_TRUE(write ? document.engine().write_all(document.root()) : document.engine().read(document.root()));
        document.engine().wait_until_idle();
    }

    void move_link_to(const std::string& path)
    {
        settings().set_value_by_name("Port", path);
        ASSERT_EQ(document.link().open_port(false), 0) << document.link().sio().open_error();
        document.link().sio().automatic_converter = 1;
    }
};

TEST_F(IndependentSlave, ReadAndWriteOfTheShippedDescriptionAgainstLibmodbus)
{
    // The reference: the simulator's answers, and what a write of them leaves in its registers.
    run_job(false);
    const auto simulated = outcome();
    const Registers before = snapshot();
    run_job(true);
    const auto simulated_write = outcome();
    const Registers written = snapshot();

    NullModem line;
    LibmodbusSlave slave(line.left(), address, before);
    ASSERT_TRUE(slave.ready()) << modbus_strerror(errno);
    move_link_to(line.right());

    for (Parameter* p : exchanged())
        p->value_text = "?";
    run_job(false);
    int compared = 0;
    for (const auto& [name, result] : outcome()) {
        const auto& [value, status] = result;
        const auto& [expected_value, expected_status] = simulated.at(name);
        if (!expected_status.empty())
            continue; // the simulator refuses it; libmodbus serves any register of its table
        EXPECT_EQ(status, "") << name;
        EXPECT_EQ(value, expected_value) << name;
        ++compared;
    }
    EXPECT_GT(compared, 20);

    run_job(true);
    const auto written_to_libmodbus = outcome();
    for (const auto& [name, result] : written_to_libmodbus) {
        const auto& status = result.second;
        if (!simulated_write.at(name).second.empty())
            continue; // refused by the simulator: no reference
        // A write of more than two registers carries 2 x count data bytes, so a slave that
        // frames by the byte count stays in step and every write lands.
        EXPECT_EQ(status, "") << name;
        if (!status.empty())
            continue;
        const Parameter* p = document.root()->find_in_tree(name);
        ASSERT_NE(p, nullptr);
        const auto first = register_number_from_name(name);
        for (unsigned i = 0; i < std::max<unsigned>(p->register_count, 1); ++i) {
            const auto number = static_cast<std::uint16_t>(first + i);
            if (written.contains(number)) {
                EXPECT_EQ(slave.value(number), written.at(number)) << name << " register " << number;
            }
        }
    }
}

// The same read over "modbus-tcp://" against libmodbus's Modbus TCP server: the framing of a
// gateway from another hand than the simulator's.
TEST_F(IndependentSlave, ReadOfTheShippedDescriptionOverModbusTcpAgainstLibmodbus)
{
    run_job(false);
    const auto simulated = outcome();
    LibmodbusTcpSlave slave(snapshot());
    ASSERT_TRUE(slave.ready()) << modbus_strerror(errno);
    move_link_to("modbus-tcp://127.0.0.1:" + std::to_string(slave.port()));

    for (Parameter* p : exchanged())
        p->value_text = "?";
    run_job(false);
    int compared = 0;
    for (const auto& [name, result] : outcome()) {
        const auto& [expected_value, expected_status] = simulated.at(name);
        if (!expected_status.empty())
            continue;
        EXPECT_EQ(result.second, "") << name;
        EXPECT_EQ(result.first, expected_value) << name;
        ++compared;
    }
    EXPECT_GT(compared, 20);

    // A write lands in libmodbus's table as it does over the serial line.
    Parameter& damping = at("0x0018");
    damping.value_text = "2.750";
    EXPECT_EQ(document.link().read_registers(damping, true), 0) << damping.status_text;
    damping.value_text = "?";
    EXPECT_EQ(document.link().read_registers(damping, false), 0);
    EXPECT_EQ(damping.value_text, "2.750");
}

} // namespace
} // namespace zr740
