// SPDX-License-Identifier: GPL-3.0-or-later
// Which typed corrections the calibration window lets through to the instrument. The writes
// themselves are in the integration tests.

#include "device/calibration.h"

#include <gtest/gtest.h>

namespace zr740 {
namespace {

TEST(CorrectionInput, OnlyAZeroResultIsRefusedAndTheRangeRefusesZeroItself)
{
    struct Case {
        const char* typed;
        bool offset;
        bool range;
    };
    const Case cases[] = {
        {"0", true, false},
        {"0.0", false, false},
        {"0,0", false, false},
        {"00", false, false},
        {"-0", false, false},
        {" 0", false, false},
        {"", false, false},
        {"abc", false, false},
        {"1e-50", false, false}, // zero in single precision
        {"12,5", true, true},
        {"-3.25", true, true},
        {"  7", true, true},
        {"5kPa", true, true}, // the float conversion of the write decides about the letters
    };
    for (const Case& c : cases) {
        const std::string text = correction_text(c.typed);
        EXPECT_EQ(correction_accepted(text, Correction::offset), c.offset) << c.typed;
        EXPECT_EQ(correction_accepted(text, Correction::range), c.range) << c.typed;
    }
    EXPECT_EQ(correction_text("1,2,3"), "1.2.3");
}

} // namespace
} // namespace zr740
