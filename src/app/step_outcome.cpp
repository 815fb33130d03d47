// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/step_outcome.h"

#include "model/parameter.h"

namespace zr740 {

StepOutcome StepOutcome::of(Parameter& target, const Parameter& work, Kind kind)
{
    StepOutcome outcome;
    outcome.kind = kind;
    outcome.target = &target;
    outcome.value_text = work.value_text;
    outcome.status_text = work.status_text;
    outcome.value_changed = work.value_changed;
    outcome.editable_changed = work.editable_changed;
    outcome.owner_changed = work.owner_changed;
    outcome.editable = work.editable;
    outcome.factory_owned = work.factory_owned;
    outcome.register_number = work.register_number;
    outcome.scanner_channel = work.scanner_channel;
    return outcome;
}

StepOutcome StepOutcome::reaction(Kind kind)
{
    StepOutcome outcome;
    outcome.kind = kind;
    return outcome;
}

void StepOutcome::apply_values() const
{
    if (!target)
        return;
    target->value_text = value_text;
    target->status_text = status_text;
    target->value_changed = value_changed;
    target->editable_changed = editable_changed;
    target->owner_changed = owner_changed;
    target->editable = editable;
    target->factory_owned = factory_owned;
    target->register_number = register_number;
    target->scanner_channel = scanner_channel;
}

void OutcomeQueue::set_apply(Apply apply)
{
    std::lock_guard lock(mutex_);
    apply_ = std::move(apply);
}

void OutcomeQueue::attach_owner(std::function<void()> announce, std::function<void()> take)
{
    std::lock_guard lock(mutex_);
    announce_ = std::move(announce);
    take_ = std::move(take);
    owner_ = std::this_thread::get_id();
    has_owner_ = true;
}

void OutcomeQueue::detach_owner()
{
    {
        std::lock_guard lock(mutex_);
        has_owner_ = false;
        announce_ = nullptr;
        take_ = nullptr;
    }
    // Nothing made is lost: what the owner had not yet taken is applied now, on its thread.
    drain();
}

void OutcomeQueue::push(StepOutcome outcome)
{
    std::unique_lock lock(mutex_);
    const bool was_empty = waiting_.empty();
    outcome.handed_over = std::chrono::steady_clock::now();
    waiting_.push_back(std::move(outcome));
    if (!has_owner_ || owner_ == std::this_thread::get_id()) {
        // Applied where it was made, after anything still waiting.
        lock.unlock();
        drain();
        return;
    }
    const auto announce = announce_;
    lock.unlock();
    if (was_empty && announce)
        announce();
}

void OutcomeQueue::catch_up()
{
    std::function<void()> take;
    {
        std::lock_guard lock(mutex_);
        if (!has_owner_ || owner_ != std::this_thread::get_id())
            return;
        take = take_;
    }
    if (take)
        take();
    else
        apply_waiting();
}

std::vector<StepOutcome> OutcomeQueue::apply_waiting() { return drain(); }

std::vector<StepOutcome> OutcomeQueue::drain()
{
    // One at a time: applying one may turn the event loop (a message of the device class) and take
    // from the queue again; taking them all first would let later outcomes overtake the rest.
    std::vector<StepOutcome> applied;
    for (;;) {
        Apply apply;
        {
            std::lock_guard lock(mutex_);
            if (waiting_.empty())
                break;
            applied.push_back(std::move(waiting_.front()));
            waiting_.pop_front();
            apply = apply_;
        }
        if (apply)
            apply(applied.back());
    }
    return applied;
}

} // namespace zr740
