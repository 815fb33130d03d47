// Planning which parameters share one read request.

#include "link/read_blocks.h"

#include <gtest/gtest.h>

#include <string>

namespace zr740 {
namespace {

// A block as "first+count:members", members by their index in the input, "*" when it reads gaps.
std::string describe(const std::vector<ReadBlock>& blocks)
{
    std::string text;
    for (const auto& block : blocks) {
        if (!text.empty())
            text += ' ';
        text += std::to_string(block.first) + "+" + std::to_string(block.count) + ":";
        for (std::size_t i = 0; i < block.members.size(); ++i)
            text += (i ? "," : "") + std::to_string(block.members[i]);
        if (block.gaps)
            text += "*";
    }
    return text;
}

TEST(ReadBlocks, Plans)
{
    struct Case {
        const char* what;
        std::vector<RegisterSpan> spans;
        int max_gap;
        std::string expected;
    };
    const std::vector<Case> cases{
        {"nothing", {}, 4, ""},
        {"one parameter", {{7, 1}}, 4, "7+1:0"},
        {"contiguous", {{0, 4}, {4, 3}}, 4, "0+7:0,1"},
        {"in another order than the registers", {{0x21, 1}, {0x22, 2}, {0x1F, 1}}, 4, "31+5:2,0,1*"},
        {"a gap of four is read along", {{10, 1}, {15, 2}}, 4, "10+7:0,1*"},
        {"a gap of five splits", {{10, 1}, {16, 2}}, 4, "10+1:0 16+2:1"},
        {"no gaps allowed", {{10, 1}, {12, 1}, {13, 2}}, 0, "10+1:0 12+3:1,2"},
        {"overlapping spans", {{20, 2}, {21, 1}, {20, 2}}, 0, "20+2:0,2,1"},
        {"a span without registers stays alone", {{5, 1}, {6, 0}, {6, 1}}, 4, "5+2:0,2 6+0:1"},
        {"at most 125 registers", {{0, 100}, {100, 25}, {125, 1}}, 4, "0+125:0,1 125+1:2"},
        {"a gap is not read past 125", {{0, 120}, {124, 2}}, 4, "0+120:0 124+2:1"},
        {"a span longer than a request stays alone", {{0, 1}, {1, 126}, {127, 1}}, 4, "0+1:0 1+126:1 127+1:2"},
        {"the top of the register space", {{0xFFFE, 1}, {0xFFFF, 1}}, 4, "65534+2:0,1"},
        {"the shipped service branch", {{0x13, 1}, {0x32, 1}, {0x33, 1}, {0x38, 1}, {0x39, 1}, {0x3A, 1}, {0x40, 4}},
         4, "19+1:0 50+9:1,2,3,4,5* 64+4:6"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(describe(plan_read_blocks(c.spans, c.max_gap)), c.expected) << c.what;
}

TEST(ReadBlocks, EveryMemberIsCutFromItsPlaceInTheReply)
{
    const std::vector<RegisterSpan> spans{{0x24, 1}, {0x26, 2}, {0x2A, 2}};
    const auto blocks = plan_read_blocks(spans);
    ASSERT_EQ(blocks.size(), 1u);
    std::vector<std::uint8_t> reply(2u * blocks[0].count);
    for (std::size_t i = 0; i < reply.size(); ++i)
        reply[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(std::vector<std::uint8_t>(member_bytes(blocks[0], spans[0], reply).begin(),
                                        member_bytes(blocks[0], spans[0], reply).end()),
              (std::vector<std::uint8_t>{0, 1}));
    const auto third = member_bytes(blocks[0], spans[2], reply);
    EXPECT_EQ(std::vector<std::uint8_t>(third.begin(), third.end()), (std::vector<std::uint8_t>{12, 13, 14, 15}));
    // A reply shorter than the block gives nothing rather than bytes from beyond it.
    EXPECT_TRUE(member_bytes(blocks[0], spans[2], std::span(reply).first(14)).empty());
    EXPECT_TRUE(member_bytes(blocks[0], RegisterSpan{0x20, 1}, reply).empty());
}

} // namespace
} // namespace zr740
