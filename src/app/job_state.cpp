// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/job_state.h"

namespace zr740 {

void JobQueue::push(const Job& job)
{
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(job);
    }
    changed_.notify_all();
}

void JobQueue::quit()
{
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
}

void JobQueue::clear_quit()
{
    std::lock_guard lock(mutex_);
    quit_ = false;
}

std::optional<Job> JobQueue::wait()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return quit_ || !jobs_.empty(); });
    if (quit_) {
        // A job handed over as the thread was told to end is dropped with it.
        jobs_.clear();
        return std::nullopt;
    }
    Job job = jobs_.front();
    jobs_.pop_front();
    return job;
}

} // namespace zr740
