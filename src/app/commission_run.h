#pragma once
// Commissioning a line of instruments: the configuration of the document goes into one transmitter
// after another. For each the run identifies it (name, firmware version, serial number), writes
// every parameter, reads each back, sends the apply command when asked to and the new network
// settings verified, and appends the outcome to the report. With `repeat` it then polls the line
// about once a second for the next instrument: one answering with a serial number not seen in this
// run is commissioned next, the same one again is left alone, silence is waited out.
//
// A driver thread of its own decides what comes next; every exchange with an instrument is a job of
// the exchange thread, as a window's jobs are, so the window thread is never held up and a stop
// ends the run within the transaction under way.

#include "app/commission_report.h"
#include "app/line_scan.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace zr740 {

class AppShell;
class CHLB5Doc;

struct CommissionOptions {
    std::string report_path;
    // Go on with the next instrument until stopped.
    bool repeat = false;
    // Send the apply command when the write changed network settings and everything verified.
    bool apply = false;
    // How often a waiting run asks the line whether a new instrument is there.
    std::chrono::milliseconds poll_period{1000};
};

// What the run tells its front end, on the driver thread.
struct CommissionEvents {
    // An instrument is being commissioned.
    std::function<void(const FoundInstrument&)> started;
    // Its record is in the report.
    std::function<void(const CommissionRecord&)> commissioned;
    // The line is silent or holds an instrument already done: the run waits for the next one.
    std::function<void()> waiting;
    // The run has ended (one instrument done without `repeat`, stopped, or the report failed),
    // with the instruments found good and those that failed.
    std::function<void(int ok, int failed)> finished;
};

class CommissionRun {
public:
    CommissionRun(CHLB5Doc& document, AppShell& shell, CommissionOptions options, CommissionEvents events = {});
    ~CommissionRun();
    CommissionRun(const CommissionRun&) = delete;
    CommissionRun& operator=(const CommissionRun&) = delete;

    // Opens the report, so that one that cannot be written is known before any instrument is
    // touched; false with the reason in report_error(). start() opens it too.
    bool open_report();
    // Starts the driver thread. False, after saying so and setting the file bit of the exit
    // status, when the report cannot be written.
    bool start();
    // From any thread: the run ends after the transaction under way.
    void stop();
    // Waits for the driver thread to end.
    void join();
    bool running() const { return thread_.joinable() && !ended_; }

    int ok_count() const { return ok_; }
    int failed_count() const { return failed_; }
    const std::string& report_error() const { return report_.error(); }
    const std::string& report_path() const { return report_.path(); }

private:
    void drive();
    // Runs `task` as a job of the exchange thread and waits for it; false when stopped first.
    bool exchange(const std::function<void()>& task);
    bool write_and_verify(const FoundInstrument& instrument, CommissionRecord& record);
    void send_apply(CommissionRecord& record);
    void note_outcome(const CommissionRecord& record);
    void report_failed();
    bool stopping() const;
    // Sleeps until `until` or a stop.
    void pause_until(std::chrono::steady_clock::time_point until);

    CHLB5Doc& document_;
    AppShell& shell_;
    CommissionOptions options_;
    CommissionEvents events_;
    CommissionReport report_;
    std::set<std::string> done_;
    std::atomic<int> ok_{0};
    std::atomic<int> failed_{0};
    std::atomic<bool> ended_{false};
    // Guards `stopping_` against a job being handed over meanwhile: a stop either comes before
    // the hand-over, and nothing is handed over, or after it, and the job sees the stop.
    mutable std::mutex stop_mutex_;
    std::condition_variable stop_changed_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace zr740
