// The simulated instrument answering Korvel frames.

#include "sim_line.h"

#include "link/korvel_frame.h"

namespace zr740::sim::testing {
namespace {

std::string request_line(std::uint16_t identifier, const Bytes& data = {}, bool request_bit = true,
                         KorvelAddressing link = {}, int offset = 0)
{
    std::string line;
    EXPECT_TRUE(korvel_encode(link, offset, request_bit, identifier, data, line));
    return line;
}

struct Decoded {
    KorvelVerdict verdict;
    KorvelReply reply;
};

Decoded decode(const std::string& line, std::uint16_t identifier)
{
    Decoded decoded{};
    std::string message;
    decoded.verdict =
        korvel_decode(Bytes(line.begin(), line.end()), identifier, decoded.reply, message);
    return decoded;
}

class KorvelSlave : public SimulatorTest {};

TEST_F(KorvelSlave, ReadsParametersByTheirFirstRegister)
{
    start();
    const struct {
        std::uint16_t identifier;
        Bytes data;
    } cases[] = {
        {0x0007, {0x00, 0x10}},
        {0x0000, Bytes{'Z', 'R', '7', '4', '0', '_', 'R', 'S'}},
        {0x0018, {0x3F, 0x80, 0x00, 0x00}},
        {0x0017, {0x00, 0x64}},
    };
    for (const auto& c : cases) {
        const auto decoded = decode(line->korvel(request_line(c.identifier)), c.identifier);
        EXPECT_EQ(decoded.verdict, KorvelVerdict::success) << c.identifier;
        EXPECT_EQ(decoded.reply.data, c.data) << c.identifier;
    }
}

TEST_F(KorvelSlave, UnknownIdentifierGetsErrorReply)
{
    start();
    for (const std::uint16_t identifier : {0x0050, 0x0107, 0x000E}) { // none starts a parameter
        const auto decoded = decode(line->korvel(request_line(identifier)), identifier);
        EXPECT_EQ(decoded.verdict, KorvelVerdict::instrument_error) << identifier;
        EXPECT_EQ(decoded.reply.identifier, korvel_error_identifier);
        EXPECT_EQ(decoded.reply.data, Bytes{0x28});
    }
}

TEST_F(KorvelSlave, WriteStoresTheDataBytes)
{
    start();
    const auto decoded = decode(line->korvel(request_line(0x0010, {0x00, 0x21}, false)), 0x0010);
    EXPECT_EQ(decoded.verdict, KorvelVerdict::success);
    EXPECT_TRUE(decoded.reply.data.empty());
    EXPECT_EQ(simulator->register_value(0x0010), 0x0021);

    const auto refused = decode(line->korvel(request_line(0x0000, {0x41, 0x42}, false)), 0x0000);
    EXPECT_EQ(refused.verdict, KorvelVerdict::instrument_error);
    EXPECT_EQ(refused.reply.data, Bytes{0x03});
}

TEST_F(KorvelSlave, Addressing)
{
    start();
    KorvelAddressing other;
    other.address = 17;
    EXPECT_TRUE(line->korvel(request_line(0x0007, {}, true, other), 200ms).empty());

    KorvelAddressing eleven_bit;
    eleven_bit.address_length = 11;
    EXPECT_EQ(decode(line->korvel(request_line(0x0007, {}, true, eleven_bit)), 0x0007).verdict,
              KorvelVerdict::success);
    // Offset -1: the fixed address 255, which every instrument answers.
    EXPECT_EQ(decode(line->korvel(request_line(0x0007, {}, true, other, -1)), 0x0007).verdict,
              KorvelVerdict::success);
}

TEST_F(KorvelSlave, SilentCases)
{
    start();
    EXPECT_TRUE(line->korvel(request_line(korvel_unanswered_identifier), 200ms).empty());
    auto corrupted = request_line(0x0007);
    corrupted[corrupted.size() - 2] = corrupted[corrupted.size() - 2] == 'G' ? 'H' : 'G';
    EXPECT_TRUE(line->korvel(corrupted, 200ms).empty());
    EXPECT_EQ(decode(line->korvel(request_line(0x0007)), 0x0007).verdict, KorvelVerdict::success);
}

TEST_F(KorvelSlave, FaultsApplyToKorvelReplies)
{
    start();
    simulator->inject(Fault::exception(0x0007, 0x33));
    const auto decoded = decode(line->korvel(request_line(0x0007)), 0x0007);
    EXPECT_EQ(decoded.verdict, KorvelVerdict::instrument_error);
    EXPECT_EQ(decoded.reply.data, Bytes{0x33});

    simulator->inject(Fault::bad_crc());
    const auto reply = line->korvel(request_line(0x0007));
    EXPECT_EQ(reply.size(), 18u); // "#", 8 letter pairs, CR
    EXPECT_EQ(decode(reply, 0x0007).verdict, KorvelVerdict::bad_crc);
}

} // namespace
} // namespace zr740::sim::testing
