// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the link finds out about the line and the instrument while it opens the port, exchanges
// frames and identifies the instrument. The link only reports it; what a run ends with because of
// it is decided above, by whoever listens.

#include <cstdint>

namespace zr740 {

enum class LinkFinding : std::uint8_t {
    port_opened,
    port_refused,
    // A reply came: the line works, whatever failed before it.
    reply_arrived,
    // A transaction gave up for want of any reply.
    no_reply,
    // Line errors or replies without a frame start, over and over: the line's settings are wrong.
    line_failure,
    // The instrument answered with an error of its own.
    instrument_refused,
    instrument_recognised,
    // Something answered the identification, but not one of ours.
    instrument_not_recognised,
};

class LinkReport {
public:
    virtual ~LinkReport() = default;
    // From any thread that uses the link.
    virtual void note(LinkFinding finding) = 0;
};

} // namespace zr740
