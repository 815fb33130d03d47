// What a line does to the exchanges of whole jobs: for every fault the simulator can commit, a
// read of every parameter and a write of every parameter end with each parameter either right or
// failed with a status text; never a neighbour's value, never a value nobody typed.

#include "link/register_layout.h"
#include "support/simulated_document.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zr740 {
namespace {

using namespace std::chrono_literals;
using sim::Fault;

struct FaultRow {
    const char* name;
    std::vector<Fault> faults;
};

void PrintTo(const FaultRow& row, std::ostream* out)
{
    *out << row.name;
}

// Registers of the shipped description, and a little room around them.
constexpr std::uint16_t last_register = 0x0400;
using Registers = std::map<std::uint16_t, std::uint16_t>;

class LineFaults : public testing::SimulatedDocument, public ::testing::WithParamInterface<FaultRow> {
  protected:
    void SetUp() override
    {
        SimulatedDocument::SetUp();
        document.engine().window_linger = std::chrono::milliseconds{0};
    }

    void inject()
    {
        for (const auto& fault : GetParam().faults)
            simulator->inject(fault);
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
        for (std::uint16_t number = 0; number <= last_register; ++number)
            if (const auto value = simulator->register_value(number))
                registers[number] = *value;
        return registers;
    }

    void restore(const Registers& registers)
    {
        for (const auto& [number, value] : registers)
            simulator->set_register(number, value);
    }

    // Every parameter that came back without a status text holds what the instrument holds.
    void expect_read_right(const char* job)
    {
        int right = 0;
        for (Parameter* p : exchanged()) {
            if (!p->status_text.empty())
                continue;
            const auto held = simulator->value(register_number_from_name(p->name));
            ASSERT_TRUE(held) << job << ": " << p->name;
            EXPECT_EQ(p->value_text, *held) << job << ": " << p->name;
            ++right;
        }
        EXPECT_GT(right, 0) << job;
    }

    void read_all()
    {
        ASSERT_TRUE(document.engine().read(document.root()));
        document.engine().wait_until_idle();
    }

    void write_all()
    {
        ASSERT_TRUE(document.engine().write_all(document.root()));
        document.engine().wait_until_idle();
    }
};

TEST_P(LineFaults, ReadAllAndWriteAllGiveRightValuesOrAStatus)
{
    // The reference: a clean read, then what a clean write of it leaves in the instrument.
    read_all();
    expect_read_right("clean read");
    const Registers before = snapshot();
    write_all();
    const Registers clean = snapshot();
    restore(before);

    // A read of everything under the fault.
    for (Parameter* p : exchanged())
        p->value_text = "?";
    inject();
    read_all();
    expect_read_right(GetParam().name);
    for (Parameter* p : exchanged()) {
        if (!p->status_text.empty()) {
            EXPECT_EQ(p->value_text, "?") << p->name << ": a failed read keeps the value";
        }
    }

    // A write of what the clean read gave, under the fault: the instrument ends as after the clean
    // write, except where a parameter failed, which may have kept its old registers.
    simulator->clear_faults();
    read_all();
    restore(before);
    inject();
    write_all();
    simulator->clear_faults();
    const Registers after = snapshot();
    std::map<std::uint16_t, const Parameter*> failed;
    for (Parameter* p : exchanged()) {
        if (p->status_text.empty())
            continue;
        const auto first = register_number_from_name(p->name);
        for (unsigned i = 0; i < std::max<unsigned>(p->register_count, 1); ++i)
            failed[static_cast<std::uint16_t>(first + i)] = p;
    }
    for (const auto& [number, value] : after) {
        const auto expected = clean.at(number);
        if (value == expected)
            continue;
        const auto failure = failed.find(number);
        ASSERT_NE(failure, failed.end()) << "register " << number << " holds " << value << " instead of " << expected
                                         << " after a write reported as good";
        EXPECT_EQ(value, before.at(number)) << "register " << number << " of the failed " << failure->second->name;
    }
}

// The simulated instrument's address, which a glitch byte may happen to equal.
constexpr std::uint8_t instrument_address = 5;
// Two-register "float" parameter of the shipped description.
constexpr std::uint16_t damping = 0x0018;

INSTANTIATE_TEST_SUITE_P(
    EveryFault, LineFaults,
    ::testing::Values(FaultRow{"local echo", {Fault::echo(-1)}},
                      FaultRow{"glitch byte before every reply", {Fault::glitch(0xFF, -1)}},
                      FaultRow{"glitch byte equal to the address", {Fault::glitch(instrument_address, -1)}},
                      FaultRow{"stray byte after every reply", {Fault::stray(0x05, 1ms, -1)}},
                      FaultRow{"short reply for one register", {Fault::short_reply(-1).at(damping)}},
                      FaultRow{"short replies", {Fault::short_reply(3)}},
                      FaultRow{"late reply caught by the retry", {Fault::late(300ms, false, 2)}},
                      FaultRow{"late replies after both tries", {Fault::late(500ms, false, -1).at(damping)}},
                      FaultRow{"duplicate replies", {Fault::duplicate(-1)}},
                      FaultRow{"damaged replies", {Fault::bad_crc(3), Fault::bad_crc(-1).at(damping)}},
                      FaultRow{"another slave answers", {Fault::wrong_address(0, 3)}},
                      FaultRow{"no reply", {Fault::no_reply(3)}},
                      FaultRow{"reply in pieces", {Fault::split(3, 5ms, 4)}},
                      FaultRow{"everything at once",
                               {Fault::echo(-1), Fault::glitch(0x05, -1), Fault::duplicate(-1),
                                Fault::stray(0x05, 1ms, -1), Fault::late(300ms, false, 1)}}),
    [](const ::testing::TestParamInfo<FaultRow>& row) {
        std::string name = row.param.name;
        for (auto& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

} // namespace
} // namespace zr740
