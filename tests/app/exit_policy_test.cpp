// SPDX-License-Identifier: GPL-3.0-or-later
// What the line's findings make of the exit status word, finding by finding: the bits a script reads
// from the exit code.

#include "app/exit_policy.h"
#include "platform/run_state.h"

#include <gtest/gtest.h>

#include <vector>

namespace zr740 {
namespace {

using F = LinkFinding;
namespace b = exit_bits;

TEST(ExitPolicy, EachFindingSetsClearsOrReplacesItsBits)
{
    const struct {
        const char* what;
        std::uint32_t before;
        std::vector<F> findings;
        std::uint32_t after;
    } cases[] = {
        {"a port that does not open adds its bit", b::partial, {F::port_refused}, b::partial | b::port_unavailable},
        {"opening it later clears only that bit", b::port_unavailable | b::partial, {F::port_opened}, b::partial},
        {"silence replaces the word", b::not_recognised, {F::no_reply}, b::no_reply},
        {"silence does not hide a protocol error", b::protocol_error, {F::no_reply}, b::protocol_error},
        {"a reply after silence is a protocol error", 0, {F::no_reply, F::reply_arrived}, b::protocol_error},
        {"a reply without silence before it changes nothing", b::partial, {F::reply_arrived}, b::partial},
        {"a broken line", b::no_reply | b::partial, {F::line_failure}, b::protocol_error},
        {"the instrument's refusal", b::no_reply, {F::instrument_refused}, b::instrument_error},
        {"another instrument", b::protocol_error, {F::instrument_not_recognised}, b::not_recognised},
        {"ours found clears what the search left", b::protocol_error | b::not_recognised | b::port_unavailable,
         {F::instrument_recognised}, b::port_unavailable},
        {"a search that found another instrument, then ours", 0,
         {F::no_reply, F::instrument_not_recognised, F::instrument_recognised}, 0},
    };
    for (const auto& c : cases) {
        RunState run;
        run.exit_status = c.before;
        ExitPolicy policy(run);
        for (const F finding : c.findings)
            policy.note(finding);
        EXPECT_EQ(run.exit_status.load(), c.after) << c.what;
    }
}

} // namespace
} // namespace zr740
