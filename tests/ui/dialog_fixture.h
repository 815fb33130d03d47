// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window against the simulator, with a way to act in a modal window once it stands: the
// command that opens it does not return until the window is closed.

#include "frame_fixture.h"

#include <QApplication>
#include <QTimer>

#include <functional>

namespace zr740::testing {

class DialogFixture : public FrameFixture {
protected:
    // Runs the command; once a modal window of type W is up, `act` gets it (and is to close it).
    // Returns whether the window appeared.
    template <typename W> bool with_window(int command, const std::function<void(W&)>& act)
    {
        bool seen = false;
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* window = qobject_cast<W*>(QApplication::activeModalWidget());
            if (!window || seen)
                return;
            seen = true;
            poll.stop();
            act(*window);
            // A window the test left open is closed so that the command returns.
            if (window->isVisible())
                window->reject();
        });
        poll.start();
        frame->run_command(command);
        poll.stop();
        return seen;
    }
};

} // namespace zr740::testing
