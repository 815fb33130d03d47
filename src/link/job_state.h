#pragma once
// What the link object keeps for the exchange thread's jobs: the job events in the order the thread
// waits for them, the stop event, the branch or single parameter of the next job, the counters the
// progress window shows and the results of the last comparison.

#include "platform/event_set.h"

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

namespace zr740 {

class DescBranch;
class Parameter;

// Indices into JobState::events. The exchange thread waits for [0, job_count); the lowest signalled
// index wins.
namespace job_events {
enum : std::size_t {
    read_branch = 0,
    write_all = 1,
    write_changed = 2,
    compare = 3,
    initial_values = 4,
    quit = 5,
    read_one = 6,
    write_one = 7,
    job_count = 8,
    stop = 8, // not a job: set to stop the running one
};
} // namespace job_events

struct JobState {
    JobState();

    EventSet events;
    // Handed from the window thread to the worker when a job starts.
    std::atomic<DescBranch*> current_branch{nullptr};
    std::atomic<Parameter*> single_parameter{nullptr};
    // Shown by the progress window as "%i из %i".
    std::atomic<int> processed{0};
    std::atomic<int> total{0};
    // Consecutive read time-outs or failed writes; five of them stop the job.
    std::atomic<int> consecutive_failures{0};
    // Written by the worker during a compare job, read by the window thread after it.
    int difference_count = 0;
    std::string comparison_report;
    std::chrono::steady_clock::time_point start_time{};
};

} // namespace zr740
