// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window_post.h"

namespace zr740::ui {

WindowPost::WindowPost(QObject* parent) : QObject(parent) {}

void WindowPost::post(std::function<void()> work)
{
    std::lock_guard lock(mutex_);
    waiting_.push_back(std::move(work));
    wake();
}

void WindowPost::wake()
{
    if (wake_pending_)
        return;
    wake_pending_ = true;
    QMetaObject::invokeMethod(this, "run_posted", Qt::QueuedConnection);
}

void WindowPost::run_posted()
{
    // Everything that waits runs now, in order, so that work handed over before some other event
    // of the window thread has run when that event comes. While more waits, a wake-up stays on its
    // way: work that turns the event loop (a message box) lets the rest run meanwhile.
    {
        std::lock_guard lock(mutex_);
        wake_pending_ = false;
    }
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard lock(mutex_);
            if (waiting_.empty())
                return;
            work = std::move(waiting_.front());
            waiting_.pop_front();
            if (!waiting_.empty())
                wake();
        }
        work();
    }
}

} // namespace zr740::ui
