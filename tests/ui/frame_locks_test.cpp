// SPDX-License-Identifier: GPL-3.0-or-later
// No box stands while the port lock is held: the scanner thread and any job posted meanwhile
// would wait on the lock for as long as the person takes to answer.

#include "frame_fixture.h"

#include "support/lock_probe.h"

namespace zr740::testing {
namespace {

constexpr int link_check_command = 379;

using FrameLocksTest = FrameFixture;

TEST_F(FrameLocksTest, BoxesOfTheLinkCheckAndOfOpeningThePortStandWithThePortLockFree)
{
    struct Case {
        const char* what;
        bool port_missing;
        bool from_menu; // else the check of the connection setup and of the start
        std::size_t boxes;
    };
    const Case cases[] = {
        {"menu, instrument answers", false, true, 1},
        {"menu, port missing", true, true, 2},
        {"link check, port missing", true, false, 1},
    };
    Device& link = document->link();
    std::vector<bool> lock_free;
    shell.on_box = [&](const ui::QtShell::ShownBox&) { lock_free.push_back(free_for_other_threads(link.port_lock())); };
    const std::string port = link.link_settings().value_by_name("Port");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        link.link_settings().set_value_by_name("Port", c.port_missing ? "/dev/zr740-no-such-port" : port);
        link.open_port(false);
        shell.clear_shown_boxes();
        lock_free.clear();
        if (c.from_menu)
            frame->run_command(link_check_command);
        else
            EXPECT_FALSE(link.check_link());
        EXPECT_EQ(shell.shown_boxes().size(), c.boxes);
        EXPECT_EQ(lock_free, std::vector<bool>(c.boxes, true));
    }
    shell.on_box = nullptr;
}

} // namespace
} // namespace zr740::testing
