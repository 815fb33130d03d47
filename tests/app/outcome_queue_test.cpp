// The queue that carries step outcomes from the exchange thread to the owner of the values: nothing
// is lost, nothing overtakes, and an outcome is applied on the owner's thread once there is one.
#include "app/step_outcome.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace zr740 {
namespace {

// Outcomes are told apart by their register number.
StepOutcome numbered(int n)
{
    StepOutcome outcome = StepOutcome::reaction(StepOutcome::Kind::values);
    outcome.register_number = static_cast<std::uint16_t>(n);
    return outcome;
}

struct Recorder {
    std::vector<int> applied;
    std::vector<std::thread::id> threads;
    OutcomeQueue::Apply apply()
    {
        return [this](const StepOutcome& outcome) {
            applied.push_back(outcome.register_number);
            threads.push_back(std::this_thread::get_id());
        };
    }
};

void push_from_other_thread(OutcomeQueue& queue, int first, int last)
{
    std::thread([&] {
        for (int n = first; n <= last; ++n)
            queue.push(numbered(n));
    }).join();
}

TEST(OutcomeQueue, WithoutAnOwnerAnOutcomeIsAppliedWhereItWasMade)
{
    OutcomeQueue queue;
    Recorder recorder;
    queue.set_apply(recorder.apply());
    std::thread::id maker;
    std::thread([&] {
        maker = std::this_thread::get_id();
        queue.push(numbered(1));
        queue.push(numbered(2));
    }).join();
    EXPECT_EQ(recorder.applied, (std::vector<int>{1, 2}));
    EXPECT_EQ(recorder.threads, (std::vector<std::thread::id>{maker, maker}));
    EXPECT_TRUE(queue.apply_waiting().empty());
}

TEST(OutcomeQueue, AnOwnedQueueHoldsOutcomesUntilTheOwnerTakesThemInOrder)
{
    OutcomeQueue queue;
    Recorder recorder;
    queue.set_apply(recorder.apply());
    std::atomic<int> announced{0};
    int taken = 0;
    queue.attach_owner([&] { ++announced; }, [&] { ++taken; queue.apply_waiting(); });

    push_from_other_thread(queue, 1, 3);
    EXPECT_TRUE(recorder.applied.empty());
    EXPECT_EQ(announced, 1) << "announced when the queue stops being empty, not for every outcome";

    const auto taken_now = queue.apply_waiting();
    ASSERT_EQ(taken_now.size(), 3u);
    EXPECT_NE(taken_now.front().handed_over, std::chrono::steady_clock::time_point{});
    EXPECT_EQ(recorder.applied, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(recorder.threads.back(), std::this_thread::get_id());

    // The owner's own outcome comes after those still waiting.
    push_from_other_thread(queue, 4, 4);
    EXPECT_EQ(announced, 2);
    queue.push(numbered(5));
    EXPECT_EQ(recorder.applied, (std::vector<int>{1, 2, 3, 4, 5}));

    // After a job the owner catches up through its own way of taking.
    push_from_other_thread(queue, 6, 6);
    queue.catch_up();
    EXPECT_EQ(taken, 1);
    EXPECT_EQ(recorder.applied.back(), 6);

    // A view that goes leaves nothing behind, and from then on outcomes are applied at once.
    push_from_other_thread(queue, 7, 8);
    queue.detach_owner();
    EXPECT_EQ(recorder.applied, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    push_from_other_thread(queue, 9, 9);
    EXPECT_EQ(recorder.applied.back(), 9);
    queue.catch_up();
    EXPECT_EQ(taken, 1) << "no owner: nothing to catch up";
}

TEST(OutcomeQueue, AnOutcomeTakenWhileAnotherIsAppliedDoesNotOvertakeTheRest)
{
    // Applying one outcome may turn the event loop (a message box), which takes from the queue.
    OutcomeQueue queue;
    std::vector<int> applied;
    queue.set_apply([&](const StepOutcome& outcome) {
        applied.push_back(outcome.register_number);
        if (outcome.register_number == 1)
            queue.apply_waiting();
    });
    queue.attach_owner([] {}, [] {});
    push_from_other_thread(queue, 1, 4);
    queue.apply_waiting();
    EXPECT_EQ(applied, (std::vector<int>{1, 2, 3, 4}));
}

TEST(OutcomeQueue, OutcomesMadeWhileTheOwnerTakesAreAllAppliedInOrder)
{
    OutcomeQueue queue;
    std::vector<int> applied;
    queue.set_apply([&](const StepOutcome& outcome) { applied.push_back(outcome.register_number); });
    std::atomic<int> announced{0};
    queue.attach_owner([&] { ++announced; }, [] {});
    constexpr int count = 20000;
    std::atomic<bool> done{false};
    std::thread maker([&] {
        for (int n = 0; n < count; ++n)
            queue.push(numbered(n % 65536));
        done = true;
    });
    while (!done)
        queue.apply_waiting();
    maker.join();
    queue.apply_waiting();
    ASSERT_EQ(applied.size(), static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n)
        ASSERT_EQ(applied[n], n) << "at " << n;
    EXPECT_GE(announced, 1);
}

} // namespace
} // namespace zr740
