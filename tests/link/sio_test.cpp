// The real serial line over a pseudo-terminal, with the test playing the instrument on the master.

#include "link/frame_trace.h"
#include "link/line_format.h"
#include "link/modbus_frame.h"
#include "link/serial_driver.h"
#include "link/sio.h"

#include "support/pty_pair.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace zr740 {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;
using testing::PtyPair;

// Read two registers from 0x0007 at address 0x10, and the instrument's answer to it.
const Bytes read_request = [] {
    Bytes frame{0x10, 0x03, 0x00, 0x07, 0x00, 0x02};
    const auto crc = modbus_crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}();
const Bytes read_reply = [] {
    Bytes frame{0x10, 0x03, 0x04, 0x00, 0x10, 0x25, 0x80};
    const auto crc = modbus_crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}();

double elapsed_ms(Clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

double thread_cpu_ms()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Outcome {
    TransferResult result;
    Bytes reply;
    double ms;
};

class SioOverPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        sio.port_name = pty.slave_path();
        sio.automatic_converter = 1;
        sio.baud_rate = 115200;
        sio.set_activity_flag(&activity);
    }

    void open_at(int baud)
    {
        sio.baud_rate = baud;
        ASSERT_EQ(sio.open(), 0) << sio.open_error();
    }

    Outcome run(const Bytes& request, ReplyEnd end = ReplyEnd::modbus)
    {
        std::array<std::uint8_t, Sio::reply_capacity> buffer{};
        int count = -1;
        const auto start = Clock::now();
        const auto result = sio.transfer(request, buffer.data(), count, end);
        const double ms = elapsed_ms(start);
        return {result, Bytes(buffer.begin(), buffer.begin() + count), ms};
    }

    // The instrument: waits for the request, then sends the reply in the given pieces with the
    // given pause before each.
    void answer(std::vector<Bytes> pieces, std::chrono::milliseconds gap = 0ms)
    {
        peer = std::thread([this, pieces = std::move(pieces), gap] {
            received = pty.read_bytes(read_request.size());
            for (const auto& piece : pieces) {
                std::this_thread::sleep_for(gap);
                pty.write_bytes(piece);
            }
        });
    }

    void TearDown() override
    {
        if (peer.joinable())
            peer.join();
    }

    PtyPair pty;
    Sio sio;
    std::atomic<int> activity{0};
    std::thread peer;
    Bytes received;
};

// --- open ------------------------------------------------------------------------------------------

TEST_F(SioOverPty, OpenChecksTheSettingsInOrderAndKeepsThePortOnRefusal)
{
    struct Case {
        int baud, parity, stop, data, expected;
    };
    const Case cases[] = {
        {9600, 3, 1, 8, 0},     {9600, 0, 1, 8, 0},    {128000, 5, 2, 5, 0}, {110, 2, 1, 7, 0},
        {256000, 3, 1, 8, -2},  {12345, 3, 1, 8, -2},  {0, 3, 1, 8, -2},     {9600, 6, 1, 8, -2},
        {9600, -1, 1, 8, -2},   {9600, 3, 1, 4, -3},   {9600, 3, 1, 9, -3},  {9600, 3, 0, 8, -2},
        {9600, 3, 3, 8, -2},
        {9600, 6, 1, 4, -2},    // parity is checked before the data bits
        {9600, 3, 3, 4, -3},    // data bits before stop bits
        {256000, 3, 1, 9, -3},  // data bits before the baud rate
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.baud << " " << c.parity << " " << c.stop << " " << c.data);
        sio.baud_rate = c.baud;
        sio.parity_code = c.parity;
        sio.stop_bits = c.stop;
        sio.data_bits = c.data;
        EXPECT_EQ(sio.open(), c.expected);
        EXPECT_TRUE(sio.is_open());
        if (c.expected != 0) {
            EXPECT_EQ(sio.character_time, 0.0f);
            EXPECT_EQ(sio.reply_timeout, 0);
        }
        EXPECT_EQ(sio.close(), 0);
        EXPECT_FALSE(sio.is_open());
    }
}

TEST(LineFormat, ParityCodesDataAndStopBits)
{
    struct Format {
        int parity, stop, data;
        tcflag_t expected;
        int bits;
    };
    const Format formats[] = {
        {3, 1, 8, CS8, 10},
        {0, 2, 8, CS8 | CSTOPB, 11},
        {1, 1, 7, CS7 | PARENB, 10},
        {4, 1, 8, CS8 | PARENB | PARODD, 11},
        {2, 1, 6, CS6 | PARENB | PARODD | CMSPAR, 9},
        {5, 2, 5, CS5 | PARENB | CMSPAR | CSTOPB, 9},
    };
    const tcflag_t examined = CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS | CLOCAL | CREAD | HUPCL;
    for (const auto& f : formats) {
        SCOPED_TRACE(::testing::Message() << "parity " << f.parity);
        // Start from a cooked line with flow control and the opposite choices set.
        termios line{};
        line.c_iflag = ICRNL | IXON | IXOFF | INPCK | ISTRIP | BRKINT;
        line.c_oflag = OPOST | ONLCR;
        line.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
        line.c_cflag = CS8 | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
        line.c_cc[VMIN] = 1;
        apply_line_format(line, f.parity, f.stop, f.data);
        EXPECT_EQ(line.c_cflag & examined, f.expected | CLOCAL | CREAD);
        EXPECT_EQ(line.c_iflag, 0u);
        EXPECT_EQ(line.c_oflag & OPOST, 0u);
        EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
        EXPECT_EQ(line.c_cc[VMIN], 0);
        EXPECT_EQ(bits_per_character(f.parity, f.stop, f.data), f.bits);
    }
}

TEST_F(SioOverPty, OpenAppliesTheFormatAndEveryAcceptedRate)
{
    // A pty keeps stop bits and the odd/sticky parity choice (it forces 8 bits and no parity).
    sio.parity_code = 2;
    sio.stop_bits = 2;
    ASSERT_EQ(sio.open(), 0);
    termios line{};
    // On a pty master the settings requests reach the slave's settings.
    ASSERT_EQ(tcgetattr(pty.master(), &line), 0);
    EXPECT_EQ(line.c_cflag & (CSTOPB | PARODD | CMSPAR | CRTSCTS | CLOCAL), CSTOPB | PARODD | CMSPAR | CLOCAL);
    EXPECT_EQ(line.c_lflag & ICANON, 0u);
    sio.close();

    sio.parity_code = 3;
    sio.stop_bits = 1;
    for (const int baud : {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 28800, 38400, 56000, 57600,
                           115200, 128000}) {
        SCOPED_TRACE(baud);
        sio.baud_rate = baud;
        ASSERT_EQ(sio.open(), 0);
        EXPECT_EQ(serial_driver::output_speed(pty.master()), static_cast<std::uint32_t>(baud));
        sio.close();
    }
}

TEST_F(SioOverPty, TimingsFollowFromTheLineFormat)
{
    struct Case {
        int baud, parity, stop, data;
        float character_ms;
        std::uint16_t reply_timeout;
    };
    const Case cases[] = {
        {9600, 3, 1, 8, 1.0417f, 220},
        {115200, 3, 1, 8, 0.0868f, 160},
        {2400, 1, 2, 8, 5.0f, 490},
        {2400, 3, 1, 8, 4.1667f, 460}, // no parity, one stop bit: 10 bits
        {2400, 4, 1, 8, 4.5833f, 460}, // parity adds one
        {1200, 0, 1, 7, 7.5f, 700},
        {110, 5, 2, 8, 109.0909f, 8320},
        {128000, 3, 1, 8, 0.078125f, 160},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.baud << " " << c.parity << " " << c.stop << " " << c.data);
        sio.baud_rate = c.baud;
        sio.parity_code = c.parity;
        sio.stop_bits = c.stop;
        sio.data_bits = c.data;
        ASSERT_EQ(sio.open(), 0);
        EXPECT_NEAR(sio.character_time, c.character_ms, 0.0001);
        EXPECT_EQ(sio.reply_timeout, c.reply_timeout);
        sio.close();
    }
}

TEST_F(SioOverPty, OpenFailuresSayWhy)
{
    const auto dir = std::filesystem::temp_directory_path() / ("sio_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const auto plain_file = dir / "not_a_port";
    std::ofstream(plain_file) << "x";

    struct Case {
        std::string port;
        std::string reason;
    };
    const Case cases[] = {
        {(dir / "missing").string(), "не найдено"},
        {"COM200", "/dev/ttyS199"},
        {plain_file.string(), "это не последовательный порт"},
        {dir.string(), "это не последовательный порт"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        sio.port_name = c.port;
        EXPECT_EQ(sio.open(), -1);
        EXPECT_FALSE(sio.is_open());
        EXPECT_NE(sio.open_error().find(c.reason), std::string::npos) << sio.open_error();
    }
    std::filesystem::remove_all(dir);

    // A port in use by another opener is refused, and free again once that one closes it.
    sio.port_name = pty.slave_path();
    ASSERT_EQ(sio.open(), 0);
    EXPECT_TRUE(sio.open_error().empty());
    Sio other;
    other.port_name = pty.slave_path();
    EXPECT_EQ(other.open(), -1);
    EXPECT_NE(other.open_error().find("занят другой программой"), std::string::npos) << other.open_error();
    sio.close();
    EXPECT_EQ(other.open(), 0);
}

TEST(SioOpenFailure, AccessRefusalNamesTheGroupThatMayUseTheDevice)
{
    const auto path = std::filesystem::temp_directory_path() / ("sio_access_" + std::to_string(getpid()));
    std::ofstream(path) << "x";
    struct stat info{};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    const group* owner = getgrgid(info.st_gid);
    ASSERT_NE(owner, nullptr);
    const std::string group_name = owner->gr_name;

    chmod(path.c_str(), 0660);
    const auto shared = open_failure_reason(EACCES, path.string());
    EXPECT_NE(shared.find("«" + group_name + "»"), std::string::npos) << shared;
    EXPECT_NE(shared.find("членом"), std::string::npos) << shared;

    // Membership would not help when the group may not write: the text must not suggest it.
    chmod(path.c_str(), 0640);
    const auto owner_only = open_failure_reason(EACCES, path.string());
    EXPECT_NE(owner_only.find("Нет прав доступа"), std::string::npos);
    EXPECT_EQ(owner_only.find("членом"), std::string::npos) << owner_only;
    std::filesystem::remove(path);

    // An error without a text of its own still names the device and the system's code.
    const auto other = open_failure_reason(EMFILE, "/dev/ttyUSB0");
    EXPECT_NE(other.find("/dev/ttyUSB0"), std::string::npos);
    EXPECT_NE(other.find("EMFILE"), std::string::npos) << other;
}

TEST(SioOpenFailure, RealPermissionRefusal)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root opens any device";
    PtyPair pty;
    ASSERT_EQ(chmod(pty.slave_path().c_str(), 0), 0);
    Sio sio;
    sio.port_name = pty.slave_path();
    EXPECT_EQ(sio.open(), -1);
    EXPECT_NE(sio.open_error().find("Нет прав доступа"), std::string::npos) << sio.open_error();
}

TEST(SioClosed, EveryOperationReportsTheClosedPort)
{
    Sio sio;
    std::atomic<int> activity{0};
    sio.set_activity_flag(&activity);
    EXPECT_EQ(sio.close(), -2);
    std::array<std::uint8_t, Sio::reply_capacity> reply{};
    int count = 7;
    EXPECT_EQ(sio.transfer(read_request, reply.data(), count), transfer_aborted);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(activity, 0);
}

// --- transfer --------------------------------------------------------------------------------------

TEST_F(SioOverPty, EvenParityThatAPseudoTerminalRefusesStillGivesAWorkingLine)
{
    sio.parity_code = 1;
    open_at(115200);
    EXPECT_EQ(sio.reply_timeout, 160);
    EXPECT_NEAR(sio.character_time, 11000.0 / 115200.0, 0.0001); // the parity bit counts
    answer({read_reply});
    EXPECT_EQ(run(read_request).result, transfer_ok);
}

// What stands before the reply, or instead of it: the reply is found past everything that cannot
// be it, and left at the start of the buffer.
TEST_F(SioOverPty, ReplyIsFoundPastStaleInputStrayBytesAndTheEcho)
{
    const Bytes other_value = [] {
        Bytes frame{0x10, 0x03, 0x04, 0x00, 0x11, 0x22, 0x33};
        const auto crc = modbus_crc16(frame);
        frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
        frame.push_back(static_cast<std::uint8_t>(crc >> 8));
        return frame;
    }();
    const Bytes one_register{0x10, 0x03, 0x02, 0x25, 0x80, 0x5F, 0x77};
    const auto join = [](std::initializer_list<Bytes> parts) {
        Bytes all;
        for (const auto& part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    };
    struct Case {
        const char* what;
        Bytes stale;  // waiting in the queue before the request
        Bytes pieces; // sent after the request
        TransferResult result;
    };
    const Case cases[] = {
        {"a late reply of the same shape is stale", other_value, read_reply, transfer_ok},
        {"glitch after the turnaround", {}, join({{0xFF}, read_reply}), transfer_ok},
        {"glitch equal to the address", {}, join({{0x10}, read_reply}), transfer_ok},
        {"local echo", {}, join({read_request, read_reply}), transfer_ok},
        {"echo, glitch and a frame of another shape", {}, join({read_request, {0x00}, one_register, read_reply}),
         transfer_ok},
        {"only a reply of another shape", {}, one_register, transfer_timeout},
        {"only the echo", {}, read_request, transfer_timeout},
    };
    open_at(115200);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(pty.write_bytes(c.stale));
        std::this_thread::sleep_for(20ms);
        answer({c.pieces});
        const auto outcome = run(read_request);
        peer.join();
        EXPECT_EQ(received, read_request);
        EXPECT_EQ(outcome.result, c.result);
        if (c.result == transfer_ok) {
            EXPECT_EQ(outcome.reply, read_reply);
        }
    }
}

TEST_F(SioOverPty, RestOfAnAbortedReplyDoesNotReachTheNextTransfer)
{
    open_at(115200); // reply time-out 160 ms
    peer = std::thread([this] {
        received = pty.read_bytes(read_request.size());
        std::this_thread::sleep_for(80ms);
        // The old reply comes after the stop, while the next request is about to go out.
        pty.write_bytes(Bytes{0x10, 0x03, 0x04, 0x00, 0x11, 0x22, 0x33});
        received = pty.read_bytes(read_request.size());
        pty.write_bytes(read_reply);
    });
    std::thread stopper([this] {
        std::this_thread::sleep_for(40ms);
        sio.abort();
    });
    EXPECT_EQ(run(read_request).result, transfer_aborted);
    stopper.join();
    // The stop holds until whoever stopped lets the line be used again.
    sio.reset_abort();
    const auto next = run(read_request);
    peer.join();
    EXPECT_EQ(next.result, transfer_ok);
    EXPECT_EQ(next.reply, read_reply);
}

TEST_F(SioOverPty, SilenceBetweenFramesOnALine)
{
    open_at(1200); // 3.5 characters: 29 ms
    EXPECT_NEAR(sio.interframe_silence(), 3.5 * 1000.0 * 10 / 1200, 0.01);
    Clock::time_point reply_sent;
    Clock::time_point next_request;
    peer = std::thread([&] {
        pty.read_bytes(read_request.size());
        // Taken before the write: the master cannot have the reply earlier, however late this
        // thread runs again on a busy machine.
        reply_sent = Clock::now();
        pty.write_bytes(read_reply);
        pty.read_bytes(read_request.size());
        next_request = Clock::now();
        pty.write_bytes(read_reply);
    });
    EXPECT_EQ(run(read_request).result, transfer_ok);
    EXPECT_EQ(run(read_request).result, transfer_ok);
    peer.join();
    EXPECT_GE(next_request - reply_sent, std::chrono::microseconds(static_cast<long>(sio.interframe_silence() * 1000)));

    sio.close();
    open_at(38400); // above 19200 baud: 1.75 ms whatever the character time
    EXPECT_DOUBLE_EQ(sio.interframe_silence(), 1.75);
    sio.silence_on_pseudo_terminal = false; // software against software
    EXPECT_DOUBLE_EQ(sio.interframe_silence(), 0.0);
}

TEST(LineErrors, ResultThreeOnlyWhenNothingCame)
{
    struct Case {
        bool parity;
        int bytes;
        std::optional<TransferResult> outcome;
    };
    const Case cases[] = {
        {false, 0, transfer_line_error},
        {true, 0, transfer_line_error},
        {true, 5, transfer_ok},
        {false, 5, std::nullopt}, // framing or overrun with bytes: the checksum judges them
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.parity << " " << c.bytes);
        EXPECT_EQ(line_error_outcome(c.parity, c.bytes), c.outcome);
    }
}

TEST_F(SioOverPty, ReplyInPiecesIsGatheredWhileEachPauseIsShorterThanTheTimeout)
{
    open_at(1200); // reply time-out 760 ms
    ASSERT_EQ(sio.reply_timeout, 760);
    const Bytes& r = read_reply;
    // Four pauses of 300 ms: together longer than the time-out, each well inside it.
    answer({{r[0], r[1]}, {r[2], r[3]}, {r[4], r[5]}, {r[6], r[7], r[8]}}, 300ms);
    const auto outcome = run(read_request);
    peer.join();
    EXPECT_EQ(outcome.result, transfer_ok);
    EXPECT_EQ(outcome.reply, read_reply);
    EXPECT_EQ(received, read_request);
    EXPECT_EQ(activity, 1);
}

TEST_F(SioOverPty, SilenceEndsWithTimeoutKeepingWhatCame)
{
    open_at(115200); // reply time-out 160 ms
    const Bytes incomplete(read_reply.begin(), read_reply.begin() + 7);
    const std::vector<Bytes> replies = {{}, {0x10, 0x03, 0x04, 0x00}, incomplete};
    for (const auto& partial : replies) {
        SCOPED_TRACE(partial.size());
        answer({partial});
        const auto outcome = run(read_request);
        peer.join();
        EXPECT_EQ(outcome.result, transfer_timeout);
        EXPECT_EQ(outcome.reply, partial);
        EXPECT_GE(outcome.ms, sio.reply_timeout - 1.0);
        EXPECT_LT(outcome.ms, 5000.0);
        // A silent instrument is no reason to give up the line.
        EXPECT_FALSE(sio.probe_gone());
    }
}

TEST_F(SioOverPty, MoreThan255BytesWithoutAFrameIsTooLong)
{
    open_at(115200);
    // A read reply announcing 255 data bytes cannot be complete before 260 bytes.
    Bytes garbage{0x10, 0x03, 0xFF};
    garbage.resize(300, 0xA5);
    answer({garbage});
    const auto outcome = run(read_request);
    EXPECT_EQ(outcome.result, transfer_too_long);
    EXPECT_GT(outcome.reply.size(), 255u);
    EXPECT_LE(outcome.reply.size(), Sio::reply_capacity);
    EXPECT_TRUE(std::equal(outcome.reply.begin(), outcome.reply.end(), garbage.begin()));
}

TEST_F(SioOverPty, KorvelReplyEndsAtItsCarriageReturn)
{
    open_at(115200);
    const std::string frame = "#GGGGHGGGGGGG\r";
    struct Case {
        std::string line;
        ReplyEnd end;
        TransferResult expected;
    };
    const Case cases[] = {
        {frame, ReplyEnd::carriage_return, transfer_ok},
        {"X" + frame.substr(1), ReplyEnd::carriage_return, transfer_timeout}, // start lost
        {frame.substr(0, frame.size() - 1), ReplyEnd::carriage_return, transfer_timeout},
        {frame, ReplyEnd::modbus, transfer_timeout}, // a Modbus transfer knows nothing of it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        answer({Bytes(c.line.begin(), c.line.end())});
        const auto outcome = run(read_request, c.end);
        peer.join();
        EXPECT_EQ(outcome.result, c.expected);
        EXPECT_EQ(outcome.reply, Bytes(c.line.begin(), c.line.end()));
    }
}

TEST_F(SioOverPty, AbortEndsTheTransferAtOnceAndHoldsUntilReset)
{
    open_at(300); // reply time-out 2620 ms
    std::thread stopper([this] {
        std::this_thread::sleep_for(100ms);
        sio.abort();
    });
    const auto aborted = run(read_request);
    stopper.join();
    EXPECT_EQ(aborted.result, transfer_aborted);
    EXPECT_LT(aborted.ms, 2000.0);
    EXPECT_TRUE(sio.abort_signalled());

    // The stop holds: the next transfer (a retry, the next parameter) ends at once, unsent.
    pty.read_bytes(read_request.size(), 200ms);
    const auto after = run(read_request);
    EXPECT_EQ(after.result, transfer_aborted);
    EXPECT_TRUE(pty.read_bytes(1, 100ms).empty());

    // Once whoever stopped the line has reset it, transfers work again.
    sio.reset_abort();
    EXPECT_FALSE(sio.abort_signalled());
    answer({read_reply});
    const auto next = run(read_request);
    peer.join();
    EXPECT_EQ(next.result, transfer_ok);
    EXPECT_EQ(next.reply, read_reply);

    // A stop that comes between transfers is not lost either.
    sio.abort();
    EXPECT_EQ(run(read_request).result, transfer_aborted);
    sio.reset_abort();
}

TEST_F(SioOverPty, SemiAutomaticConverterSendsTheFrameAndHoldsRtsForItsTimeOnTheLine)
{
    sio.automatic_converter = 0;
    open_at(1200); // 8.33 ms per character
    answer({read_reply});
    const auto outcome = run(read_request);
    peer.join();
    EXPECT_EQ(outcome.result, transfer_ok);
    EXPECT_EQ(received, read_request);
    EXPECT_EQ(outcome.reply, read_reply);
    // RTS stays up for the frame's time on the line at least.
    EXPECT_GE(outcome.ms, static_cast<double>(read_request.size()) * sio.character_time);

    // At 110 baud these 60 bytes take 5.5 s to send; a stop cuts that short too.
    sio.close();
    open_at(110);
    std::thread stopper([this] {
        std::this_thread::sleep_for(100ms);
        sio.abort();
    });
    const auto aborted = run(Bytes(60, 0x55));
    stopper.join();
    EXPECT_EQ(aborted.result, transfer_aborted);
    EXPECT_LT(aborted.ms, 2500.0);
}

TEST_F(SioOverPty, VanishedDeviceEndsInTheTimeoutWithoutSpinning)
{
    open_at(115200);
    EXPECT_FALSE(sio.probe_gone());
    const Bytes start(read_reply.begin(), read_reply.begin() + 3);
    peer = std::thread([this, start] {
        received = pty.read_bytes(read_request.size());
        pty.write_bytes(start);
        std::this_thread::sleep_for(50ms);
        pty.close_master();
    });

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const double cpu_before = thread_cpu_ms();
        const auto outcome = run(read_request);
        const double cpu = thread_cpu_ms() - cpu_before;
        if (round == 0)
            peer.join();
        EXPECT_EQ(outcome.result, transfer_timeout);
        // The bytes that came before the device went stay; the second transfer cannot even send.
        EXPECT_EQ(outcome.reply, round == 0 ? start : Bytes{});
        EXPECT_LT(outcome.ms, 5000.0);
        EXPECT_LT(cpu, outcome.ms / 2) << "the wait spins";
        // The transfer itself saw why: the descriptor is dead, not the instrument silent.
        EXPECT_TRUE(sio.device_gone());
    }

    // Aborting still works on the dead line.
    std::thread stopper([this] {
        std::this_thread::sleep_for(20ms);
        sio.abort();
    });
    sio.reply_timeout = 3000;
    const auto aborted = run(read_request);
    stopper.join();
    EXPECT_EQ(aborted.result, transfer_aborted);
    EXPECT_LT(aborted.ms, 2500.0);

    sio.close();
    EXPECT_FALSE(sio.is_open());
    EXPECT_FALSE(sio.device_gone());
    EXPECT_EQ(sio.open(), -1);
    EXPECT_FALSE(sio.open_error().empty());
}

TEST_F(SioOverPty, DeviceThatWentWhileTheLineWasIdleIsFoundWithoutATransfer)
{
    open_at(115200);
    answer({read_reply});
    ASSERT_EQ(run(read_request).result, transfer_ok);
    peer.join();
    EXPECT_FALSE(sio.probe_gone());

    pty.close_master();
    EXPECT_FALSE(sio.device_gone()) << "nothing has been on the line since";
    const auto start = Clock::now();
    EXPECT_TRUE(sio.probe_gone());
    EXPECT_LT(elapsed_ms(start), 100.0) << "the question does not wait";
    EXPECT_TRUE(sio.device_gone());
    sio.close();
    EXPECT_FALSE(sio.probe_gone());
}

TEST_F(SioOverPty, TraceRecordsEachTransfer)
{
    const auto path = std::filesystem::temp_directory_path() / ("sio_trace_" + std::to_string(getpid()));
    std::filesystem::remove(path);
    FrameTrace trace;
    ASSERT_TRUE(trace.open(path.string()));
    sio.set_trace(&trace);
    open_at(115200);

    answer({read_reply});
    ASSERT_EQ(run(read_request).result, transfer_ok);
    peer.join();
    ASSERT_EQ(run(read_request).result, transfer_timeout);
    trace.close();

    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[0].find(" TX 10 03 00 07 00 02 "), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find(" RX 10 03 04 00 10 25 80 "), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find(" TX 10 03 00 07 00 02 "), std::string::npos) << lines[2];
    EXPECT_NE(lines[3].find(" TIMEOUT | "), std::string::npos) << lines[3];
    // Wall-clock stamps in the order of the events.
    EXPECT_LE(lines[0].substr(0, 23), lines[3].substr(0, 23));

    const auto counters = trace.counters();
    EXPECT_EQ(counters.transactions, 2u);
    EXPECT_EQ(counters.timeouts, 1u);
    EXPECT_EQ(counters.responses, 1u);
    EXPECT_EQ(counters.mean_response_us(), counters.last_response_us);
    const auto statistics = trace.statistics();
    EXPECT_EQ(statistics.requests, 2u);
    EXPECT_EQ(statistics.replies, 1u);
    EXPECT_EQ(statistics.timeouts, 1u);
    std::filesystem::remove(path);
}

} // namespace
} // namespace zr740
