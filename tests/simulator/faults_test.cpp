// Injected faults, as the program on the other end of the line sees them.

#include "sim_line.h"

namespace zr740::sim::testing {
namespace {

class Faults : public SimulatorTest {
protected:
    Bytes good_reply() { return line->modbus(read_request(16, 0x0007, 2)); }
};

const Bytes expected_read = with_crc({16, 3, 4, 0, 16, 0, 2});

TEST_F(Faults, NoReplyForTheNextRequestsButTheWriteTakesEffect)
{
    start();
    simulator->inject(Fault::no_reply(2));
    EXPECT_TRUE(line->modbus(write_request(16, 0x0010, 7), 200ms).empty());
    EXPECT_TRUE(line->modbus(read_request(16, 0x0010, 1), 200ms).empty());
    EXPECT_EQ(reply_registers(line->modbus(read_request(16, 0x0010, 1))), std::vector<std::uint16_t>{7});
}

TEST_F(Faults, DelayedReply)
{
    start();
    simulator->inject(Fault::delayed(150ms));
    const auto sent = std::chrono::steady_clock::now();
    EXPECT_EQ(good_reply(), expected_read);
    EXPECT_GE(std::chrono::steady_clock::now() - sent, 150ms);
}

TEST_F(Faults, CorruptedCrc)
{
    start();
    simulator->inject(Fault::bad_crc());
    const auto reply = line->modbus(read_request(16, 0x0007, 2), 300ms);
    ASSERT_EQ(reply.size(), expected_read.size());
    EXPECT_FALSE(crc_valid(reply));
    EXPECT_TRUE(std::equal(reply.begin(), reply.end() - 2, expected_read.begin()));
    EXPECT_EQ(good_reply(), expected_read);
}

TEST_F(Faults, ReplyFromAnotherAddress)
{
    start();
    simulator->inject(Fault::wrong_address());
    simulator->inject(Fault::wrong_address(42));
    EXPECT_EQ(good_reply(), with_crc({42, 3, 4, 0, 16, 0, 2})); // the later fault wins
    simulator->inject(Fault::wrong_address());
    EXPECT_EQ(good_reply(), with_crc({17, 3, 4, 0, 16, 0, 2}));
    EXPECT_EQ(good_reply(), expected_read);
}

TEST_F(Faults, ExceptionOnlyForRequestsTouchingItsRegister)
{
    start();
    simulator->inject(Fault::exception(0x0009, 4));
    EXPECT_EQ(reply_registers(line->modbus(read_request(16, 0x0010, 1))), std::vector<std::uint16_t>{0});
    EXPECT_EQ(line->modbus(write_request(16, 0x0009, 5)), with_crc({16, 0x86, 4}));
    EXPECT_EQ(simulator->register_value(0x0009), 2); // refused, not stored
    EXPECT_EQ(reply_registers(line->modbus(read_request(16, 0x0009, 1))), std::vector<std::uint16_t>{2});
}

TEST_F(Faults, StuckRegisterAcknowledgesWritesAndKeepsItsValue)
{
    start();
    simulator->inject(Fault::stuck(0x0019));
    const auto old_low = simulator->register_value(0x0019);
    // A float across 0x0018 and 0x0019: the write is acknowledged, its high half is stored.
    const Bytes both{16, 16, 0, 0x18, 0, 2, 4, 0x41, 0x20, 0x12, 0x34};
    EXPECT_EQ(line->modbus(with_crc(both)), with_crc({16, 16, 0, 0x18, 0, 2}));
    EXPECT_EQ(simulator->register_value(0x0018), 0x4120);
    EXPECT_EQ(simulator->register_value(0x0019), old_low);
    // Other registers are not touched by the fault.
    EXPECT_EQ(line->modbus(write_request(16, 0x0010, 7)).size(), 8u);
    EXPECT_EQ(simulator->register_value(0x0010), 7);
    simulator->clear_faults();
    EXPECT_EQ(line->modbus(with_crc(both)).size(), 8u);
    EXPECT_EQ(simulator->register_value(0x0019), 0x1234);
}

TEST_F(Faults, ReplySplitIntoPiecesWithGaps)
{
    start();
    simulator->inject(Fault::split(4, 40ms));
    line->send(read_request(16, 0x0007, 2));
    const auto received =
        line->receive(1000ms, [](const Bytes& b) { return modbus_reply_complete(b); }, 500ms);
    EXPECT_EQ(received.bytes, expected_read);
    ASSERT_EQ(received.arrivals.size(), 3u); // 4 + 4 + 1 bytes
    EXPECT_GE(received.arrivals[1] - received.arrivals[0], 30ms);
    EXPECT_GE(received.arrivals[2] - received.arrivals[1], 30ms);
}

TEST_F(Faults, GarbageInsteadOfTheReply)
{
    start();
    simulator->inject(Fault::garbage(40));
    line->send(read_request(16, 0x0007, 2));
    const auto received = line->receive(1000ms, [](const Bytes&) { return false; });
    EXPECT_EQ(received.bytes.size(), 40u);
    EXPECT_FALSE(modbus_reply_complete(received.bytes));
    EXPECT_EQ(good_reply(), expected_read);
}

TEST_F(Faults, PermanentFaultLastsUntilCleared)
{
    auto options = default_options();
    std::string error;
    const auto fault = parse_fault("bad-crc", error);
    ASSERT_TRUE(fault) << error;
    options.faults.push_back(*fault);
    start(options);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(crc_valid(line->modbus(read_request(16, 0x0007, 2), 300ms)));
    simulator->clear_faults();
    EXPECT_EQ(good_reply(), expected_read);
}

// What the line carries for one read under each of the faults a real line commits.
TEST_F(Faults, WhatARealLineDoesToTheReply)
{
    const Bytes request = read_request(16, 0x0007, 2);
    const auto join = [](std::initializer_list<Bytes> parts) {
        Bytes all;
        for (const auto& part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    };
    struct Case {
        const char* what;
        Fault fault;
        Bytes expected;
    };
    const Case cases[] = {
        {"local echo", Fault::echo(), join({request, expected_read})},
        {"glitch", Fault::glitch(0x5A), join({{0x5A}, expected_read})},
        {"stray byte", Fault::stray(0x33), join({expected_read, {0x33}})},
        {"short reply", Fault::short_reply(), with_crc({16, 3, 2, 0, 16})},
        {"duplicate", Fault::duplicate(), join({expected_read, expected_read})},
        {"aimed at another register", Fault::duplicate(-1).at(0x0018), expected_read},
        {"aimed at this register", Fault::glitch(0x00, 1).at(0x0008), join({{0x00}, expected_read})},
    };
    start();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        simulator->clear_faults();
        simulator->inject(c.fault);
        line->send(request);
        EXPECT_EQ(line->receive(1000ms, [](const Bytes&) { return false; }, 100ms).bytes, c.expected);
    }
}

TEST_F(Faults, StrayByteAfterTheReplyComesLater)
{
    start();
    simulator->inject(Fault::stray(0x33, 60ms));
    line->send(read_request(16, 0x0007, 2));
    const auto received = line->receive(1000ms, [](const Bytes& b) { return b.size() > expected_read.size(); }, 500ms);
    EXPECT_EQ(received.bytes.back(), 0x33);
    ASSERT_GE(received.arrivals.size(), 2u);
    EXPECT_GE(received.arrivals.back() - received.arrivals.front(), 50ms);
}

// A late reply: the busy slave hears nothing meanwhile (unless it queues what came).
TEST_F(Faults, LateReplyFromASlaveThatHearsNothingWhileBusy)
{
    start();
    simulator->inject(Fault::late(150ms));
    const auto sent = std::chrono::steady_clock::now();
    line->send(read_request(16, 0x0007, 2));
    std::this_thread::sleep_for(50ms);
    line->send(write_request(16, 0x0010, 7)); // unheard
    const auto late = line->receive(1000ms, [](const Bytes& b) { return modbus_reply_complete(b); });
    EXPECT_EQ(late.bytes, expected_read);
    EXPECT_GE(late.arrivals.front() - sent, 150ms);
    EXPECT_TRUE(line->silent_for(200ms));
    EXPECT_NE(simulator->register_value(0x0010), 7);

    simulator->inject(Fault::late(150ms, true));
    line->send(read_request(16, 0x0007, 2));
    std::this_thread::sleep_for(50ms);
    const Bytes echo = write_request(16, 0x0010, 7);
    line->send(echo); // queued, answered after the late reply
    Bytes both = expected_read;
    both.insert(both.end(), echo.begin(), echo.end());
    EXPECT_EQ(line->receive(1000ms, [&](const Bytes& b) { return b.size() >= both.size(); }).bytes, both);
    EXPECT_EQ(simulator->register_value(0x0010), 7);
}

TEST(FaultSpec, Parses)
{
    const auto parse = [](const char* text) {
        std::string error;
        const auto fault = parse_fault(text, error);
        EXPECT_TRUE(fault) << text << ": " << error;
        return fault.value_or(Fault{});
    };
    EXPECT_EQ(parse("no-reply").times, -1); // without a count: every request
    EXPECT_EQ(parse("no-reply@3").times, 3);
    EXPECT_EQ(parse("delay:250@1").delay, std::chrono::milliseconds(250));
    EXPECT_EQ(parse("wrong-address").address, 0);
    EXPECT_EQ(parse("wrong-address:0x20@2").address, 0x20);
    const auto exception = parse("exception:0x0009:4");
    EXPECT_EQ(exception.kind, FaultKind::exception);
    EXPECT_EQ(exception.register_number, 0x0009);
    EXPECT_EQ(exception.code, 4);
    const auto split = parse("split:3:20");
    EXPECT_EQ(split.piece, 3u);
    EXPECT_EQ(split.delay, std::chrono::milliseconds(20));
    EXPECT_EQ(parse("garbage").length, 64u);
    EXPECT_EQ(parse("garbage:10@5").length, 10u);
    EXPECT_EQ(parse("bad-crc").kind, FaultKind::bad_crc);
    EXPECT_EQ(parse("echo@2").kind, FaultKind::echo);
    EXPECT_EQ(parse("glitch").byte, 0xFF);
    EXPECT_EQ(parse("glitch:0x10").byte, 0x10);
    const auto stray = parse("stray:5:20");
    EXPECT_EQ(stray.byte, 5);
    EXPECT_EQ(stray.delay, std::chrono::milliseconds(20));
    EXPECT_EQ(parse("short").kind, FaultKind::short_reply);
    const auto late = parse("late:300:1@2#0x18");
    EXPECT_EQ(late.kind, FaultKind::late);
    EXPECT_EQ(late.delay, std::chrono::milliseconds(300));
    EXPECT_TRUE(late.queue);
    EXPECT_EQ(late.times, 2);
    EXPECT_EQ(late.target, std::optional<std::uint16_t>(0x18));
    EXPECT_FALSE(parse("late:300").queue);
    EXPECT_FALSE(parse("duplicate").target);
    const auto stuck = parse("stuck:0x0018");
    EXPECT_EQ(stuck.kind, FaultKind::stuck);
    EXPECT_EQ(stuck.register_number, 0x0018);
    EXPECT_EQ(stuck.times, -1);
}

TEST(FaultSpec, Refuses)
{
    for (const char* text : {"", "silence", "no-reply:1", "delay", "delay:x", "delay:5@0", "delay:5@", "split:3",
                             "exception:9", "exception:9:0", "exception:0x10000:1", "wrong-address:256",
                             "garbage:1:2", "glitch:256", "stray:1:2:3", "late", "duplicate:1", "echo#",
                             "short#0x10000", "bad-crc#x", "stuck", "stuck:0x10000"}) {
        std::string error;
        EXPECT_FALSE(parse_fault(text, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

} // namespace
} // namespace zr740::sim::testing
