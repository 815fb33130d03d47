#pragma once
// The scanners: parameters of the document's scanners branch that are read periodically, each at
// its own period, on a thread of their own. Every poll becomes a ScanResult for the main window.
//
// The timers are deadlines kept here and waited for in the thread's own wait, not one system timer
// per scanner, so any number of scanners can run. A poll takes the process-wide port lock, so a
// batch job that holds it keeps the scanners waiting until it is done.
//
// A scanner's poll_period and poll_running belong to this object while it exists: change them only
// through switch_on, switch_off and set_period, which may be called from any thread.

#include "app/scan_result_queue.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace zr740 {

class DescBranch;
class Device;
class Parameter;
class AppShell;

class ScanThread {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr int min_period_ms = 100;
    // idle: the polls run at the lowest priority, as the window and a batch job come first.
    // normal: the polls compete with everything else, for measurements that must keep their times.
    enum class Priority : std::uint8_t { idle, normal };

    explicit ScanThread(Device& link, AppShell& shell, Priority priority = Priority::idle);
    // Stops the thread.
    ~ScanThread();
    ScanThread(const ScanThread&) = delete;
    ScanThread& operator=(const ScanThread&) = delete;

    // Starts the thread over the scanners of the branch unless it runs already. 0 when it runs,
    // 1 (after telling the user) when no thread could be created. The branch must outlive the
    // thread: stop() before the tree goes away.
    int start_scanners(DescBranch* scanners);
    // Ends the thread and waits for it; afterwards every scanner is switched off. A poll waiting
    // for the port lock gives up as soon as it gets the lock, so the caller must not hold it. A poll
    // already on the line runs to its end unless the line is aborted first (link.sio().abort()).
    void stop();
    // The first half of stop(): tells the thread to end without waiting for it, so that the caller
    // can tell every thread before it waits for any (the exchange thread may hold the port that a
    // poll waits for).
    void request_stop();
    bool running() const;

    // 1 when it is running already (nothing done), else arms its first poll one period from now: 0.
    int switch_on(Parameter& scanner);
    // 1 when it is not running, else cancels its timer: 0.
    int switch_off(Parameter& scanner);
    // A period below min_period_ms is refused with a message (false). A running scanner starts
    // over: its next poll comes one new period after the change.
    bool set_period(Parameter& scanner, int milliseconds);

    // One poll as the thread makes it, for a running scanner only; the caller holds the port lock.
    // The result is queued and announced when there is a main window, else dropped.
    void poll(Parameter& scanner, Clock::time_point slot = Clock::now());

    ScanResultQueue& results() { return results_; }

    // Every poll is handed to the listener on the scanner thread before it is queued for the
    // window; nullptr stops that. Returns once no poll uses the listener it replaces, so the caller
    // may destroy that one afterwards.
    void set_listener(ScanListener* listener);
    // Switches the scanners on together, so that those of one period are polled in the same rounds
    // (their results share `slot`): 1 when one was running already, else 0.
    int switch_on_together(const std::vector<Parameter*>& scanners);

    // The scanners of a branch in polling order: depth first, each branch's own parameters in
    // array order before its child branches.
    static std::vector<Parameter*> collect(DescBranch* scanners);
    // The deadline after `due` for a timer of the period: the next slot of the unbroken series
    // due + k * period that lies after `now`, so a late poll neither drifts nor bursts.
    static Clock::time_point next_slot(Clock::time_point due, std::chrono::milliseconds period, Clock::time_point now);

  private:
    struct Timer {
        Clock::time_point due;
        std::uint64_t arming = 0; // tells a timer from one re-armed while its poll ran
    };
    struct Due {
        Parameter* scanner = nullptr;
        std::uint64_t arming = 0;
        Clock::time_point slot{};
    };

    void run(std::vector<Parameter*> scanners);
    // Blocks until a collected scanner is due (returned) or the thread is to end (none).
    Due wait_for_due(const std::vector<Parameter*>& scanners);
    // With mutex_ held.
    void arm(Parameter& scanner, Clock::time_point from = Clock::now());
    // Whether the timer that fell due is still the scanner's current one.
    bool still_armed(const Due& due);
    // Moves the polled scanner's deadline to its next slot.
    void after_poll(const Due& polled);

    Device& link_;
    AppShell& shell_;
    const Priority priority_;
    ScanResultQueue results_;

    mutable std::mutex lifecycle_; // start and stop
    std::thread thread_;

    std::mutex mutex_; // the timers, the wake-up, poll_running and poll_period of the scanners
    std::condition_variable changed_;
    std::unordered_map<Parameter*, Timer> timers_;
    std::uint64_t armings_ = 0;
    bool wake_up_ = false;
    std::atomic<bool> stop_{false};

    std::mutex listener_mutex_; // held while a poll's result is handed to the listener
    ScanListener* listener_ = nullptr;
};

} // namespace zr740
