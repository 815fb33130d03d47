// Soak of the link against what a line does: reads of parameters of the shipped description from the
// simulator, with 5% of the replies late (after the master's time-out), echoed, glitched or damaged,
// mixed, against the same reads without faults. Reported: wrong values (goal 0), failed reads, and
// the time with faults against the time without.
//
//   link_soak_bench [READS]      (default 2000; the full soak is 20000)

#include "link/device_io.h"
#include "model/parameter.h"
#include "platform/run_state.h"
#include "simulator/instrument_simulator.h"

#include "support/memory_settings.h"
#include "support/recording_shell.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using zr740::sim::Fault;

struct Target {
    const char* name;
    std::uint8_t count;
    const char* type;
    const char* value; // set in the instrument first; neighbours of one shape hold different values
};

// Neighbours of the same shape (four two-register floats, two one-register ints, two four-register
// texts): a reply taken for the wrong request shows as a wrong value.
constexpr Target targets[] = {
    {"0x0018", 2, "float", "1.250"},  {"0x001A", 2, "float", "-2.500"}, {"0x001C", 2, "float", "30.000"},
    {"0x0022", 2, "float", "12.000"}, {"0x0010", 1, "int", "7"},        {"0x0016", 1, "int", "2"},
    {"0x0000", 4, "ASCI", nullptr},   {"0x0040", 4, "string", nullptr},
};

struct Figures {
    int wrong = 0;
    int failed = 0;
    int faults = 0;
    double seconds = 0;
};

// xorshift32: the same fault pattern in every run.
std::uint32_t next(std::uint32_t& state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

Figures soak(zr740::sim::InstrumentSimulator& simulator, zr740::DeviceIO& link, int reads, bool faults,
             const std::vector<std::string>& expected)
{
    std::vector<zr740::Parameter> parameters;
    for (const auto& target : targets) {
        zr740::Parameter parameter(target.name);
        parameter.register_count = target.count;
        parameter.type_text = target.type;
        parameters.push_back(parameter);
    }
    const auto late = std::chrono::milliseconds(link.sio().reply_timeout + 80);
    std::uint32_t state = 0x2545F491u;
    Figures figures;
    const auto start = Clock::now();
    for (int i = 0; i < reads; ++i) {
        const std::size_t which = static_cast<std::size_t>(i) % parameters.size();
        auto& parameter = parameters[which];
        const std::uint32_t draw = next(state);
        if (faults && draw % 100 < 5) {
            ++figures.faults;
            switch ((draw >> 8) % 4) {
            case 0:
                simulator.inject(Fault::late(late, false, 1));
                break;
            case 1:
                simulator.inject(Fault::echo(1));
                break;
            case 2:
                simulator.inject(Fault::glitch(static_cast<std::uint8_t>(draw >> 16), 1));
                break;
            default:
                simulator.inject(Fault::bad_crc(1));
                break;
            }
        }
        parameter.value_text = "?";
        if (link.read_registers(parameter, false) != 0)
            ++figures.failed;
        else if (parameter.value_text != expected[which])
            ++figures.wrong;
    }
    figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    simulator.clear_faults();
    return figures;
}

} // namespace

int main(int argc, char** argv)
{
    const int reads = argc > 1 ? std::atoi(argv[1]) : 2000;
    if (reads <= 0) {
        std::fprintf(stderr, "usage: link_soak_bench [READS]\n");
        return 2;
    }
    zr740::sim::SimulatorOptions options;
    options.description_path = std::string(ZR740_BINARY_DIR) + "/bin/zr740.dat";
    options.live_values = false;
    zr740::sim::InstrumentSimulator simulator(options);
    if (!simulator.start()) {
        std::fprintf(stderr, "simulator: %s\n", simulator.error().c_str());
        return 1;
    }
    std::vector<std::string> expected;
    for (const auto& target : targets) {
        const auto first = static_cast<std::uint16_t>(std::stoul(target.name, nullptr, 16));
        if (target.value && !simulator.set_value(first, target.value)) {
            std::fprintf(stderr, "cannot set %s\n", target.name);
            return 1;
        }
        expected.push_back(simulator.value(first).value_or("?"));
    }

    zr740::RunState run;
    zr740::testing::RecordingShell shell;
    zr740::testing::MemorySettings settings;
    zr740::DeviceIO link(run, shell, settings, {});
    link.link_settings().set_value_by_name("Port", simulator.port_path());
    if (link.open_port(false) != 0)
        return 1;
    link.sio().automatic_converter = 1;

    const Figures clean = soak(simulator, link, reads, false, expected);
    const Figures faulty = soak(simulator, link, reads, true, expected);

    std::printf("reads %d, reply time-out %u ms\n", reads, link.sio().reply_timeout);
    std::printf("%-12s wrong values %d  failed reads %d  time %.2f s\n", "no faults", clean.wrong, clean.failed,
                clean.seconds);
    std::printf("%-12s wrong values %d  failed reads %d  time %.2f s  (%d faulty replies)\n", "5% faults", faulty.wrong,
                faulty.failed, faulty.seconds, faulty.faults);
    std::printf("time with faults / without %.1f; extra per faulty reply %.0f ms; goal: 0 wrong values\n",
                faulty.seconds / clean.seconds,
                faulty.faults ? (faulty.seconds - clean.seconds) / faulty.faults * 1e3 : 0.0);
    return faulty.wrong == 0 && clean.wrong == 0 ? 0 : 1;
}
