// Framing and pacing of the line, the simulator's life cycle and its executable.

#include "sim_line.h"

#include "simulator/frame_assembler.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>

#include <sys/wait.h>

namespace zr740::sim::testing {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::microseconds character{1000};

TEST(FrameAssembler, FastModeCutsRequestsByTheirLength)
{
    FrameAssembler assembler(Pacing::fast, character);
    const auto t0 = Clock::now();
    const auto read = read_request(16, 7, 2);
    const auto write = write_multiple_request(16, 0x18, {1, 2});
    Bytes stream = read;
    stream.insert(stream.end(), write.begin(), write.end());

    assembler.receive(std::span(stream).first(5), t0);
    EXPECT_FALSE(assembler.take(t0));
    assembler.receive(std::span(stream).subspan(5), t0);
    const auto first = assembler.take(t0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->bytes, read);
    const auto second = assembler.take(t0);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->bytes, write);
    EXPECT_TRUE(assembler.empty());

    // Unknown function: complete when the CRC fits.
    const auto odd = with_crc({16, 65, 1, 2, 3});
    assembler.receive(odd, t0);
    const auto third = assembler.take(t0);
    ASSERT_TRUE(third);
    EXPECT_EQ(third->bytes, odd);
}

TEST(FrameAssembler, FastModeDropsCorruptedRequestsAndEndsStragglersBySilence)
{
    FrameAssembler assembler(Pacing::fast, character);
    const auto t0 = Clock::now();
    auto corrupted = read_request(16, 7, 2);
    corrupted[3] ^= 1;
    assembler.receive(corrupted, t0);
    EXPECT_FALSE(assembler.take(t0));
    EXPECT_TRUE(assembler.empty());

    const Bytes partial{16, 3, 0};
    assembler.receive(partial, t0);
    EXPECT_FALSE(assembler.take(t0 + 5ms));
    ASSERT_TRUE(assembler.deadline());
    const auto straggler = assembler.take(*assembler.deadline());
    ASSERT_TRUE(straggler);
    EXPECT_EQ(straggler->bytes, partial);
}

TEST(FrameAssembler, KorvelFrameEndsAtCarriageReturn)
{
    for (const auto pacing : {Pacing::fast, Pacing::line}) {
        FrameAssembler assembler(pacing, character);
        const auto t0 = Clock::now();
        const std::string text = "#GGHGGGGHVVVV\r";
        assembler.receive(Bytes(text.begin(), text.end()), t0);
        const Clock::time_point at =
            pacing == Pacing::fast ? t0 : t0 + static_cast<long>(text.size()) * character;
        EXPECT_FALSE(pacing == Pacing::line && assembler.take(at - character));
        const auto frame = assembler.take(at);
        ASSERT_TRUE(frame);
        EXPECT_TRUE(frame->korvel);
        EXPECT_EQ(frame->bytes.size(), text.size());
    }
}

TEST(FrameAssembler, LinePacingWaitsForTheBytesAndTheSilence)
{
    FrameAssembler assembler(Pacing::line, character);
    const auto t0 = Clock::now();
    const auto request = read_request(16, 7, 2);
    assembler.receive(request, t0); // all at once, as a pseudo-terminal delivers it
    // 8 characters on the line, then 3.5 characters of silence.
    const auto complete = t0 + 8 * character + character * 7 / 2;
    EXPECT_EQ(assembler.deadline(), complete);
    EXPECT_FALSE(assembler.take(complete - 1us));
    const auto frame = assembler.take(complete);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->bytes, request);
    EXPECT_EQ(frame->complete, complete);
}

TEST(Pacing, ExchangeTakesAtLeastTheLineTime)
{
    auto options = default_options();
    options.pace = true;
    options.baud = 2400;
    options.turnaround = 5ms;
    InstrumentSimulator simulator(options);
    ASSERT_TRUE(simulator.start()) << simulator.error();
    LineClient line(simulator.port_path());
    const auto ct = character_time(simulator.network()); // 10 bits at 2400 baud
    const auto sent = Clock::now();
    EXPECT_EQ(line.modbus(read_request(16, 7, 2)), with_crc({16, 3, 4, 0, 16, 0, 2}));
    EXPECT_GE(Clock::now() - sent, (8 + 9) * ct + ct * 7 / 2 + 5ms);
}

TEST(Lifecycle, StopCutsAnInjectedDelayShort)
{
    InstrumentSimulator simulator(default_options());
    ASSERT_TRUE(simulator.start()) << simulator.error();
    simulator.inject(Fault::delayed(std::chrono::minutes(10)));
    LineClient line(simulator.port_path());
    line.send(read_request(16, 7, 1));
    while (simulator.stats().requests == 0)
        std::this_thread::sleep_for(1ms);
    const auto before = Clock::now();
    simulator.stop();
    EXPECT_LT(Clock::now() - before, 5s);
    EXPECT_FALSE(simulator.running());
}

TEST(Lifecycle, RefusesBadOptions)
{
    auto missing = default_options();
    missing.description_path = "/nonexistent/zr740.dat";
    auto variant = default_options();
    variant.variant = 2;
    auto baud = default_options();
    baud.baud = 12345;
    auto address = default_options();
    address.address = 0;
    for (auto* options : {&missing, &variant, &baud, &address}) {
        InstrumentSimulator simulator(*options);
        EXPECT_FALSE(simulator.start());
        EXPECT_FALSE(simulator.error().empty());
    }
}

TEST(Lifecycle, LinkPointsToThePortWhileRunning)
{
    const auto link = std::filesystem::temp_directory_path() / ("zr740-sim-test-" + std::to_string(getpid()));
    auto options = default_options();
    options.link_path = link.string();
    {
        InstrumentSimulator simulator(options);
        ASSERT_TRUE(simulator.start()) << simulator.error();
        EXPECT_EQ(std::filesystem::read_symlink(link), simulator.port_path());
        LineClient line(link.string());
        EXPECT_EQ(reply_registers(line.modbus(read_request(16, 7, 1))), std::vector<std::uint16_t>{16});
    }
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

// The executable: prints the port, serves, ends cleanly on SIGTERM.
TEST(Executable, ServesUntilTerminated)
{
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execl(ZR740_BINARY_DIR "/bin/zr740-sim", "zr740-sim", "--description", shipped_description.c_str(),
              "--address", "20", "--fault", "wrong-address:5@1", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    FILE* output = fdopen(out[0], "r");
    ASSERT_NE(output, nullptr);
    char first_line[256] = {};
    ASSERT_NE(fgets(first_line, sizeof first_line, output), nullptr);
    std::string text = first_line;
    ASSERT_TRUE(text.starts_with("PTY /dev/")) << text;
    text.pop_back(); // newline
    {
        LineClient line(text.substr(4));
        EXPECT_EQ(line.modbus(read_request(20, 7, 1)), with_crc({5, 3, 2, 0, 20}));
        EXPECT_EQ(line.modbus(read_request(20, 7, 1)), with_crc({20, 3, 2, 0, 20}));
    }
    kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    fclose(output);
}

} // namespace
} // namespace zr740::sim::testing
