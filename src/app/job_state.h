// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the exchange thread's jobs share with the window thread: the queue that hands a job over as a
// value (what to do, on which branch or parameter), the stop that every user of the line heeds, the
// counters the progress window shows and the results of the last comparison.

#include "app/compare_report.h"
#include "platform/event_set.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace zr740 {

class DescBranch;
class Parameter;

enum class JobKind : std::uint8_t {
    read_branch,
    write_all,
    write_changed,
    compare,
    initial_values,
    read_one,
    write_one,
    // The caller's own exchange (`task`), run under the port lock like any other job.
    task
};

struct Job {
    JobKind kind = JobKind::read_branch;
    DescBranch* branch = nullptr;    // the branch jobs
    Parameter* parameter = nullptr; // read_one, write_one
    std::function<void()> task{};   // task
    // A step of a commissioning run, whose driver follows it up itself: a write is read back
    // whatever the verify mode, and the network settings it changed are neither applied nor
    // asked about, nor is reading again; an unattended run's follow-up does not run.
    bool commissioning = false;
};

// The jobs on their way to the exchange thread. One runs at a time: the window thread hands the next
// one over only once the thread has left the last.
class JobQueue {
public:
    void push(const Job& job);
    // Wakes the thread to end it: a job still waiting is not started.
    void quit();
    // After the thread has ended, so that it can be started again.
    void clear_quit();
    // The exchange thread: the next job, or nothing once asked to end.
    std::optional<Job> wait();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    bool quit_ = false;
};

// Set to stop the running job: "Прервать!", the connection setup window given up, a stop from
// outside. It stays set until reset, so a job that checks it later still sees it.
class StopEvent {
public:
    void set() { events_.set(0); }
    void reset() { events_.reset(0); }
    bool is_set() const { return events_.is_set(0); }
    // True as soon as it is set, false when the time passed first.
    bool wait_for(std::chrono::milliseconds timeout) { return events_.wait(0, timeout); }

private:
    EventSet events_{{EventSet::Reset::manual}};
};

struct JobState {
    JobQueue queue;
    StopEvent stop;
    // Shown by the progress window as "%i из %i".
    std::atomic<int> processed{0};
    std::atomic<int> total{0};
    // Consecutive read time-outs or failed writes; five of them stop the job.
    std::atomic<int> consecutive_failures{0};
    // Written by the worker during a compare job, read by the window thread after it.
    int difference_count = 0;
    std::string comparison_report;
    // Every difference of the last compare job, in the order of the tree.
    std::vector<CompareDifference> differences;
    std::chrono::steady_clock::time_point start_time{};
};

} // namespace zr740
