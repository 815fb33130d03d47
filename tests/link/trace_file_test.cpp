// The trace file and the trace's listeners: the line form, a file that cannot be written, the
// events a listener hears, and what a killed program leaves in the file.

#include "link/frame_trace.h"
#include "link/modbus_frame.h"
#include "link/sio.h"
#include "support/trace_lines.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace zr740 {
namespace {

using testing::is_trace_line;
using testing::trace_lines;

const std::vector<std::uint8_t> request = {0x05, 0x03, 0x00, 0x07, 0x00, 0x02, 0x75, 0x8F};
const std::vector<std::uint8_t> reply = {0x05, 0x03, 0x04, 0x00, 0x10, 0x25, 0x80, 0xFF, 0xFF};

std::string temp_path(const char* name)
{
    const auto path = std::filesystem::temp_directory_path() /
                      (std::string(name) + "_" + std::to_string(getpid()));
    std::filesystem::remove(path);
    return path.string();
}

TEST(TraceFileLine, HasTheTraceForm)
{
    TrafficEvent event;
    event.time = std::chrono::system_clock::now();
    event.kind = TrafficKind::request;
    event.bytes = request;
    event.text = "Чтение:\nадрес 5";
    const auto line = TraceFile::format(event);
    ASSERT_EQ(line.back(), '\n');
    const auto body = line.substr(0, line.size() - 1);
    EXPECT_TRUE(is_trace_line(body)) << body;
    EXPECT_NE(body.find(" TX 05 03 00 07 00 02 75 8F | Чтение: адрес 5"), std::string::npos) << body;

    event.kind = TrafficKind::timeout;
    event.bytes.clear();
    event.text = "Нет ответа за 230 мс";
    const auto timeout = TraceFile::format(event);
    EXPECT_TRUE(is_trace_line(timeout.substr(0, timeout.size() - 1))) << timeout;
    EXPECT_NE(timeout.find(" TIMEOUT | Нет ответа"), std::string::npos) << timeout;
}

struct Recorder : TrafficSink {
    std::vector<TrafficEvent> events;
    void on_traffic(const TrafficEvent& event) override { events.push_back(event); }
};

TEST(FrameTraceListeners, HearEventsWithTheirMeaning)
{
    FrameTrace trace;
    Recorder recorder;
    trace.sent(request); // nobody listens: counted all the same
    trace.add_sink(&recorder);
    trace.sent(request);
    trace.received(request, reply, transfer_timeout, 0, 0, 230'000);
    trace.retry(1, RetryCause::timeout);
    trace.remove_sink(&recorder);
    trace.sent(request);

    ASSERT_EQ(recorder.events.size(), 4u);
    EXPECT_EQ(recorder.events[0].kind, TrafficKind::request);
    EXPECT_EQ(recorder.events[0].bytes, request);
    EXPECT_EQ(recorder.events[0].address, 5);
    // The damaged reply is told as such, then the silence after it.
    EXPECT_EQ(recorder.events[1].kind, TrafficKind::reply);
    EXPECT_FALSE(recorder.events[1].crc_ok);
    EXPECT_NE(recorder.events[1].text.find("CRC"), std::string::npos) << recorder.events[1].text;
    EXPECT_EQ(recorder.events[2].kind, TrafficKind::timeout);
    EXPECT_EQ(recorder.events[2].text, "Нет ответа за 230 мс");
    EXPECT_EQ(recorder.events[3].kind, TrafficKind::retry);
    EXPECT_LE(recorder.events[0].time, recorder.events[3].time);
    // Every event of the transaction names its registers, so a filter on one register keeps them.
    for (const auto& event : recorder.events) {
        EXPECT_EQ(event.first_register, 7) << traffic_word(event.kind);
        EXPECT_EQ(event.register_count, 2) << traffic_word(event.kind);
    }

    const auto statistics = trace.statistics();
    EXPECT_EQ(statistics.requests, 3u);
    EXPECT_EQ(statistics.crc_errors, 1u);
    EXPECT_EQ(statistics.timeouts, 1u);
    EXPECT_EQ(statistics.retries, 1u);
}

TEST(FrameTraceFile, AWriteFailureClosesTheFileAndSaysWhy)
{
    FrameTrace trace;
    std::string error;
    EXPECT_FALSE(trace.open_trace_file("/nonexistent-folder/trace.txt", error));
    EXPECT_NE(error.find("/nonexistent-folder/trace.txt"), std::string::npos) << error;
    EXPECT_EQ(trace.trace_file_error(), error);

    ASSERT_TRUE(std::filesystem::exists("/dev/full"));
    ASSERT_TRUE(trace.open_trace_file("/dev/full", error)) << error;
    EXPECT_TRUE(trace.trace_file_error().empty());
    trace.sent(request);
    EXPECT_FALSE(trace.enabled());
    EXPECT_NE(trace.trace_file_error().find("/dev/full"), std::string::npos) << trace.trace_file_error();
    trace.sent(request); // nothing left to write to, and no harm
    EXPECT_EQ(trace.statistics().requests, 2u);
}

TEST(FrameTraceFile, AppendsOneLinePerEvent)
{
    const auto path = temp_path("trace_append");
    for (int run = 0; run < 2; ++run) {
        FrameTrace trace;
        ASSERT_TRUE(trace.open(path));
        trace.port_opened("/dev/ttyS0", 9600);
        trace.sent(request);
        trace.port_closed();
    }
    const auto lines = trace_lines(path);
    ASSERT_EQ(lines.size(), 6u);
    for (const auto& line : lines)
        EXPECT_TRUE(is_trace_line(line)) << line;
    EXPECT_EQ(testing::lines_of(lines, "OPEN").size(), 2u);
    EXPECT_NE(lines[0].find("OPEN | Порт /dev/ttyS0 открыт, 9600 бод"), std::string::npos) << lines[0];
    std::filesystem::remove(path);
}

// A program killed while tracing leaves whole lines only.
TEST(FrameTraceFile, KilledWriterLeavesCompleteLines)
{
    const auto path = temp_path("trace_killed");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FrameTrace trace;
        if (!trace.open(path))
            _exit(1);
        std::vector<std::uint8_t> long_frame(250, 0x05);
        while (true) {
            trace.sent(long_frame);
            trace.received(request, reply, transfer_timeout, 0, 0, 1000);
        }
    }
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while ((!std::filesystem::exists(path) || std::filesystem::file_size(path) < 200'000) &&
           std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));

    std::ifstream file(path, std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back(), '\n');
    const auto lines = trace_lines(path);
    for (const auto& line : lines)
        ASSERT_TRUE(is_trace_line(line)) << line;
    std::filesystem::remove(path);
}

} // namespace
} // namespace zr740
