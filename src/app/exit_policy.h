// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the line's findings mean for the exit code of the run: each finding sets, clears or replaces
// bits of the exit status word. A later finding may overrule an earlier one (a reply after a
// time-out shows that the line works and the trouble was the protocol), so some findings replace
// the whole word rather than add to it.

#include "link/link_report.h"

namespace zr740 {

struct RunState;

class ExitPolicy : public LinkReport {
public:
    explicit ExitPolicy(RunState& run) : run_(run) {}
    void note(LinkFinding finding) override;

private:
    RunState& run_;
};

} // namespace zr740
