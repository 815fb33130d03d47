// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What one step of a job changed in the document, and the queue that carries it from the exchange
// thread to the thread that owns the values a person sees. The window thread alone changes what the
// tree paints: the exchange thread works on a copy of each parameter, and the owner copies the
// outcome into the document's parameter and repaints its row. Without an owner (a run without a
// window) or on the owner's own thread an outcome is applied at once, where it was made.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zr740 {

class Parameter;

struct StepOutcome {
    enum class Kind : std::uint8_t {
        values,           // the parameter as the transaction left it
        log_parameter,    // the same for the "Log" parameter; the device class reacts to it
        dependent_limits, // a read has ended: the device class recomputes its dependent limits
        reread_written,   // parameters that ask for a reread were written
    };
    Kind kind = Kind::values;
    Parameter* target = nullptr;
    std::string value_text;
    std::string status_text;
    std::uint8_t value_changed = 0;
    std::uint8_t editable_changed = 0;
    std::uint8_t owner_changed = 0;
    std::uint8_t editable = 1;
    std::uint8_t factory_owned = 0;
    std::uint16_t register_number = 0;
    int scanner_channel = 0;
    // When the exchange thread handed it over: how long it waited for its owner can be measured.
    std::chrono::steady_clock::time_point handed_over{};

    // The outcome that makes `target` what `work` (its copy after the step) is.
    static StepOutcome of(Parameter& target, const Parameter& work, Kind kind = Kind::values);
    static StepOutcome reaction(Kind kind);
    // Copies the values into the target.
    void apply_values() const;
};

class OutcomeQueue {
public:
    using Apply = std::function<void(const StepOutcome&)>;

    // What applying an outcome means (the document's copy and the device class's reactions).
    void set_apply(Apply apply);
    // The calling thread owns the values from now on: outcomes made on other threads wait for it,
    // and `announce` is called (on the making thread) whenever the queue stops being empty. `take`
    // is how the owner takes them (applies and shows them) when it gets to them.
    void attach_owner(std::function<void()> announce, std::function<void()> take);
    void detach_owner();
    // On the owner's thread, once a job has ended: takes what waits now rather than when the
    // announcement comes, so that the code after the job sees the job's values.
    void catch_up();
    // Applies the outcome at once on the owner's thread or without an owner; else queues it.
    void push(StepOutcome outcome);
    // The owner's thread: applies everything that waits, in order, and returns it.
    std::vector<StepOutcome> apply_waiting();

private:
    // Applies what waits, in order, and returns it.
    std::vector<StepOutcome> drain();

    mutable std::mutex mutex_;
    Apply apply_;
    std::function<void()> announce_;
    std::function<void()> take_;
    std::thread::id owner_{};
    bool has_owner_ = false;
    std::deque<StepOutcome> waiting_;
};

} // namespace zr740
