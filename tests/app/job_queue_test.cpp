// SPDX-License-Identifier: GPL-3.0-or-later
// The exchange thread's job queue: jobs arrive in order and as values, a waiting thread is woken by
// a job or by the request to end, and a job handed over as the thread ends is never started.

#include "app/job_state.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace zr740 {
namespace {

TEST(JobQueue, HandsJobsOverInOrderAndEndsTheThreadBeforeAnyJobStillWaiting)
{
    JobQueue queue;
    Parameter* const parameter = reinterpret_cast<Parameter*>(0x10);

    // A thread already waiting is woken by the job.
    auto first = std::async(std::launch::async, [&] { return queue.wait(); });
    queue.push({JobKind::write_one, nullptr, parameter});
    const auto woken = first.get();
    ASSERT_TRUE(woken.has_value());
    EXPECT_EQ(woken->kind, JobKind::write_one);
    EXPECT_EQ(woken->parameter, parameter);

    queue.push({JobKind::read_branch});
    queue.push({JobKind::compare});
    EXPECT_EQ(queue.wait()->kind, JobKind::read_branch);
    EXPECT_EQ(queue.wait()->kind, JobKind::compare);

    // Told to end, the thread gets no job, also one handed over at the same time, nor later.
    queue.push({JobKind::write_all});
    queue.quit();
    EXPECT_FALSE(queue.wait().has_value());
    EXPECT_FALSE(queue.wait().has_value());

    // Started again, it takes only what is handed over from then on.
    queue.clear_quit();
    queue.push({JobKind::initial_values});
    EXPECT_EQ(queue.wait()->kind, JobKind::initial_values);

    // A thread waiting with nothing to do ends when told to.
    auto idle = std::async(std::launch::async, [&] { return queue.wait(); });
    queue.quit();
    EXPECT_FALSE(idle.get().has_value());
}

TEST(JobQueue, AStopStaysSetUntilResetAndWakesWhoeverWaitsForIt)
{
    StopEvent stop;
    EXPECT_FALSE(stop.wait_for(std::chrono::milliseconds{1}));
    auto waiter = std::async(std::launch::async, [&] { return stop.wait_for(std::chrono::seconds{10}); });
    stop.set();
    EXPECT_TRUE(waiter.get());
    EXPECT_TRUE(stop.is_set());
    EXPECT_TRUE(stop.wait_for(std::chrono::milliseconds{0}));
    stop.reset();
    EXPECT_FALSE(stop.is_set());
}

} // namespace
} // namespace zr740
