// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/exit_policy.h"

#include "platform/run_state.h"

namespace zr740 {

void ExitPolicy::note(LinkFinding finding)
{
    auto& word = run_.exit_status;
    switch (finding) {
    case LinkFinding::port_opened:
        word &= ~exit_bits::port_unavailable;
        break;
    case LinkFinding::port_refused:
        word |= exit_bits::port_unavailable;
        break;
    case LinkFinding::reply_arrived: {
        // A time-out turns into a protocol error once a later reply shows that the line works.
        std::uint32_t expected = exit_bits::no_reply;
        word.compare_exchange_strong(expected, exit_bits::protocol_error);
        break;
    }
    case LinkFinding::no_reply:
        // A protocol error already seen says more than silence.
        if (word.load() != exit_bits::protocol_error)
            word = exit_bits::no_reply;
        break;
    case LinkFinding::line_failure:
        word = exit_bits::protocol_error;
        break;
    case LinkFinding::instrument_refused:
        word = exit_bits::instrument_error;
        break;
    case LinkFinding::instrument_recognised:
        word &= ~(exit_bits::protocol_error | exit_bits::not_recognised);
        break;
    case LinkFinding::instrument_not_recognised:
        word = exit_bits::not_recognised;
        break;
    }
}

} // namespace zr740
