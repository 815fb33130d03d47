// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Work handed to the window thread from any thread, run there in the order it was handed over.
// The work waits in a queue of our own under a standard mutex and the window thread is only woken
// through Qt: what one thread hands to the other is ordered by that mutex, which the thread
// sanitizer sees (Qt's own event queue is locked inside Qt, where it cannot look).

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

namespace zr740::ui {

class WindowPost : public QObject {
    Q_OBJECT
public:
    // Runs the work on the thread `parent` lives on; it goes with `parent`.
    explicit WindowPost(QObject* parent);

    // Any thread: the work runs on the window thread once it gets back to its event loop (never at
    // once, also from the window thread itself). Work not yet run when this goes is dropped.
    void post(std::function<void()> work);

private:
    Q_INVOKABLE void run_posted();
    // Under the mutex: makes sure a run is on its way.
    void wake();

    std::mutex mutex_;
    std::deque<std::function<void()>> waiting_;
    bool wake_pending_ = false;
};

} // namespace zr740::ui
