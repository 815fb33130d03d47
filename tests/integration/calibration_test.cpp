// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration window's two corrections against the simulator: each press writes its own
// register and nothing else, refused input reaches no instrument, and every outcome is told.

#include "device/calibration.h"
#include "device/device_texts.h"
#include "support/simulated_document.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <optional>
#include <string>

namespace zr740 {
namespace {

using sim::Fault;

class CalibrationTest : public testing::SimulatedDocument {};

TEST_F(CalibrationTest, EachCorrectionWritesOnlyItsRegister)
{
    struct Case {
        Correction which;
        const char* typed;
        std::optional<float> written; // none: refused before any exchange
    };
    const Case cases[] = {
        {Correction::offset, "0", 0.0f},   {Correction::offset, "0.0", std::nullopt},
        {Correction::offset, "0,0", std::nullopt}, {Correction::offset, "1,5", 1.5f},
        {Correction::range, "0", std::nullopt},    {Correction::range, "12,5", 12.5f},
        {Correction::range, "x", std::nullopt},    {Correction::range, "-4.75", -4.75f},
    };
    constexpr std::uint16_t sentinel = 0x1234;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        for (std::uint16_t reg = 0x0034; reg < 0x0038; ++reg)
            simulator->set_register(reg, sentinel);
        shell.messages.clear();
        const auto requests = simulator->stats().requests;

        EXPECT_EQ(apply_correction(document.link(), shell, c.which, c.typed), c.written.has_value());

        const std::uint16_t own = correction_register(c.which);
        const std::uint16_t other = c.which == Correction::offset ? 0x0036 : 0x0034;
        EXPECT_EQ(simulator->registers(other, 2), (std::vector<std::uint16_t>{sentinel, sentinel}));
        ASSERT_EQ(shell.messages.size(), 1u);
        if (c.written) {
            EXPECT_EQ(simulator->stats().requests, requests + 1);
            const auto words = simulator->registers(own, 2);
            ASSERT_EQ(words.size(), 2u);
            EXPECT_EQ(std::bit_cast<float>((std::uint32_t{words[0]} << 16) | words[1]), *c.written);
            EXPECT_EQ(shell.messages[0].text, texts::calibration_done);
            EXPECT_EQ(shell.messages[0].caption, texts::calibration_done_caption);
        } else {
            EXPECT_EQ(simulator->stats().requests, requests);
            EXPECT_EQ(simulator->registers(own, 2), (std::vector<std::uint16_t>{sentinel, sentinel}));
            EXPECT_EQ(shell.messages[0].text, texts::calibration_bad_input);
            EXPECT_EQ(shell.messages[0].caption, texts::calibration_bad_input_caption);
        }
    }
}

TEST_F(CalibrationTest, AFailedWriteShowsTheLinksMessage)
{
    simulator->inject(Fault::no_reply(100));
    EXPECT_FALSE(apply_correction(document.link(), shell, Correction::range, "20"));
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].caption, texts::calibration_failed_caption);
    EXPECT_EQ(shell.messages[0].text, "Не могу раскодировать ответ");
}

} // namespace
} // namespace zr740
