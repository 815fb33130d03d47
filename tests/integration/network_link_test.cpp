// The whole shipped description read and written over the two network ends, "tcp://" (RTU frames
// over TCP, as to a serial device server) and "modbus-tcp://" (to a gateway), against the
// simulator behind its loopback TCP front: the same values and statuses as over its serial line.
// A connection the far end drops in the middle of a job is made again by the next transaction:
// the step in flight may fail with its status, the job reads on.

#include "link/port_address.h"
#include "link/register_layout.h"
#include "support/simulated_document.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

namespace zr740 {
namespace {

using Outcome = std::map<std::string, std::pair<std::string, std::string>>;

class NetworkLink : public testing::SimulatedDocument {
protected:
    void SetUp() override
    {
        SimulatedDocument::SetUp();
        document.engine().window_linger = std::chrono::milliseconds{0};
    }

    // A second simulator, like the first but behind TCP, and the link moved to it.
    void move_to_network(sim::Framing framing, bool pace = false)
    {
        sim::SimulatorOptions options;
        options.description_path = context.program_folder + "/zr740.dat";
        options.live_values = false;
        options.address = address;
        options.tcp_port = 0;
        options.framing = framing;
        options.pace = pace;
        remote = std::make_unique<sim::InstrumentSimulator>(options);
        ASSERT_TRUE(remote->start()) << remote->error();
        PortAddress end;
        end.kind = framing == sim::Framing::rtu ? PortKind::rtu_over_tcp : PortKind::modbus_tcp;
        end.host = "127.0.0.1";
        end.port = remote->tcp_port();
        settings().set_value_by_name("Port", port_text(end));
        ASSERT_EQ(document.link().open_port(false), 0) << document.link().sio().open_error();
        ASSERT_TRUE(document.link().sio().is_network());
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

    Outcome outcome()
    {
        Outcome result;
        for (Parameter* p : exchanged())
            result[p->name] = {p->value_text, p->status_text};
        return result;
    }

    Outcome read_all()
    {
        for (Parameter* p : exchanged())
            p->value_text = "?";
        EXPECT_TRUE(document.engine().read(document.root()));
        document.engine().wait_until_idle();
        return outcome();
    }

    std::unique_ptr<sim::InstrumentSimulator> remote;
};

TEST_F(NetworkLink, ReadsAndWritesTheShippedDescriptionOverBothFramings)
{
    const Outcome reference = read_all();
    for (const auto framing : {sim::Framing::rtu, sim::Framing::modbus_tcp}) {
        SCOPED_TRACE(std::string(sim::framing_name(framing)));
        move_to_network(framing);
        if (HasFatalFailure())
            return;
        EXPECT_EQ(read_all(), reference);

        // A written value lands in the instrument's register.
        Parameter& damping = at("0x0018");
        const auto before = remote->register_value(0x0018);
        damping.value_text = "2.750";
        EXPECT_EQ(document.link().read_registers(damping, true), 0) << damping.status_text;
        damping.value_text = "?";
        EXPECT_EQ(document.link().read_registers(damping, false), 0);
        EXPECT_EQ(damping.value_text, "2.750");
        EXPECT_NE(remote->register_value(0x0018), before);
    }
}

TEST_F(NetworkLink, AConnectionDroppedDuringAJobIsMadeAgain)
{
    const Outcome reference = read_all();
    for (const auto framing : {sim::Framing::rtu, sim::Framing::modbus_tcp}) {
        SCOPED_TRACE(std::string(sim::framing_name(framing)));
        move_to_network(framing, true);
        if (HasFatalFailure())
            return;
        // The far end drops the connection twice while the read runs.
        std::atomic<bool> done{false};
        std::thread dropper([&] {
            for (const std::uint64_t at : {5u, 20u}) {
                while (!done && remote->stats().requests < at)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                remote->drop_tcp_connection();
            }
        });
        const Outcome over_network = read_all();
        done = true;
        dropper.join();
        // The step in flight when a connection went may fail, and says so; every other step reads
        // what the serial line reads.
        int failed = 0;
        for (const auto& [name, result] : over_network) {
            if (result == reference.at(name))
                continue;
            ++failed;
            EXPECT_FALSE(result.second.empty()) << name;
        }
        EXPECT_LE(failed, 2);
        EXPECT_GT(remote->stats().requests, 20u);
    }
}

} // namespace
} // namespace zr740
