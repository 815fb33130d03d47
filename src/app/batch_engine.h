#pragma once
// The batch exchange engine: every operation that touches many parameters (read, write all, write
// changed, compare, write initial values) and the single-parameter jobs. The window thread hands a
// job to the exchange thread and shows the progress window until the job closes it; the exchange
// thread walks the branch and performs one transaction per parameter under the port lock.

#include "app/job_state.h"
#include "app/step_outcome.h"
#include "app/verify_result.h"
#include "model/parameter.h"

#include <atomic>
#include <cstdint>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <span>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace zr740 {

struct AppContext;
class CHLB5Doc;
class DescBranch;
class Device;
class Parameter;
class AppShell;

// Parameters handled and parameters that failed.
using JobResult = std::pair<int, int>;

// Which parameters a branch job handles: `all` every one the instrument has (read, compare),
// `write_all` those of them whose value type can be written, `changed` those changed in the
// program, `initial_values` those with an initial value.
enum class CountMode { all, write_all, changed, initial_values };

// The transactions of one job and how many of them failed.
struct ExchangeCount {
    int made = 0;
    int failed = 0;
};

class BatchEngine {
public:
    // Step results besides the transaction codes.
    static constexpr int stopped = 3;
    static constexpr int not_initialised = 5;
    static constexpr int not_exchanged = 6;
    // Write modes.
    static constexpr int mode_changed = 0;
    static constexpr int mode_all = 1;
    static constexpr int mode_initial = -1;

    BatchEngine(AppContext& context, CHLB5Doc& document);
    // Ends the exchange thread.
    ~BatchEngine();
    BatchEngine(const BatchEngine&) = delete;
    BatchEngine& operator=(const BatchEngine&) = delete;

    // Starts the exchange thread unless it runs. False (with a message) when it cannot be started.
    bool start();
    // Stops a running job and ends the exchange thread.
    void stop();
    // The first half of stop(), for stopping several threads at once: tells a running job to stop,
    // cuts its transaction short and asks the thread to end, without waiting. The line stays
    // aborted until stop() has joined the thread.
    void request_stop();
    bool running() const { return worker_.joinable(); }

    // Job entries of the window thread: each shows the progress window until the job has ended.
    // False when the window could not be shown (nothing was done).
    bool read(DescBranch* branch);
    bool write_all(DescBranch* branch);
    bool write_changed(DescBranch* branch);
    bool compare(DescBranch* branch);
    bool write_initial_values(DescBranch* branch);
    bool read_one(Parameter* parameter);
    bool write_one(Parameter* parameter);
    // Hands a commissioning step (Job::commissioning, or a task) to the exchange thread without
    // a progress window, for a caller off the window thread that waits for it (wait_until_idle)
    // and reads its results. False when the exchange thread cannot be started.
    bool hand_over_job(Job job, int total);
    // "Прервать!" of the progress window.
    void abort_job();
    // Waits until the exchange thread has left its job (a stopped job finishes its transaction).
    void wait_until_idle();
    // Whether a job has been handed to the exchange thread and it has not left it yet: meanwhile the
    // worker changes parameters, which no other thread may read.
    bool job_active() const
    {
        std::lock_guard lock(idle_mutex_);
        return job_active_;
    }

    // One-parameter steps; any thread that may use the link.
    int read_step(Parameter& parameter, bool count_timeouts);
    // `sent`, when given, receives the parameter as it went out (for reading it back).
    int write_step(Parameter& parameter, int mode, Parameter* sent = nullptr);
    // The write on a parameter nobody else sees (a copy, a command of its own).
    int write_in_place(Parameter& work, int mode);
    int compare_step(Parameter& parameter);
    // With immediate write on and the value changed: writes it; else 1000.
    int immediate_write(Parameter& parameter);
    // With auto-read on and a parameter never read: reads it; else -2 (-3 without a parameter).
    int auto_read(Parameter* parameter);
    // Tells the instrument the session is over. 0 success, with the status text.
    int init_command(std::string& status);

    // Parameters of the branch a job with this mode will handle (only ever those the instrument
    // has: a parameter marked "!" in the description lives in configuration files alone).
    static int count(DescBranch& branch, CountMode mode);

    // Parameters handled and failed by the job that ended last (read on its end).
    JobResult last_result() const { return last_result_; }
    // The transactions the job that ended last made with the instrument, and those that failed;
    // parameters skipped without a transaction (not exchanged, "Нет данных") are not counted.
    ExchangeCount last_exchanges() const { return last_exchanges_; }
    // Every difference the last compare found; read once the job has ended.
    const std::vector<CompareDifference>& last_differences() const { return job_.differences; }
    // What reading back the parameters of the write job that ended last found (the written,
    // verified and failed counts and a verdict for each parameter read back); `requested` is
    // false when that job did not verify. Read it once the job has ended (wait_until_idle).
    const VerifyResult& last_verify() const { return last_verify_; }
    // The parameters whose write the instrument refused or did not answer, in the job that ended
    // last (":index" when indexed); read once the job has ended.
    const std::vector<std::string>& last_failed_writes() const { return last_failed_writes_; }
    // One line of the error log: the name (":index" when indexed), " - " and the reason. Nothing
    // without an error log or a reason.
    static void append_to_error_log(const std::string& path, const std::string& name, const std::string& reason);
    // Called at the end of every job of an unattended run (save after read, job done).
    std::function<void()> on_unattended_job_end;
    // How long the progress window stays up after a job unless stopped (tests shorten it). Only a
    // shell with a main window lingers: without one nobody is there to read it.
    std::chrono::milliseconds window_linger{2000};

private:
    bool run_job(std::string_view caption, int total, const Job& job);
    void thread_main();
    void perform(const Job& job);
    // The end of every job, still under the port lock: the progress window, the apply request or
    // the INIT command.
    void end_of_job(bool with_init, bool commissioning = false);
    // What follows a job once the port lock is free: the question whether to read again, the
    // unattended run's follow-up, and the job counted as ended.
    void after_job(bool commissioning);

    // A parameter a verifying write job wrote: the document's one and the copy that went out.
    struct Written {
        Parameter* target = nullptr;
        Parameter sent;
    };

    JobResult read_branch(DescBranch& branch);
    // The read step; with `block` the parameter's registers came in a block's reply already.
    int read_step_with(Parameter& parameter, bool count_timeouts, const std::span<const std::uint8_t>* block);
    // `written` (when given) collects the parameters written without error.
    JobResult write_branch(DescBranch& branch, int mode, std::vector<Written>* written = nullptr);
    // Reads the written parameters back and compares their registers with what was sent.
    void verify_written(std::vector<Written>& written);
    // One parameter of verify_written: true when the instrument holds what was sent; `no_reply`
    // tells whether its read failed for want of a reply.
    bool verify_one(Written& written, const std::vector<std::uint8_t>& image,
                    const std::span<const std::uint8_t>* block, bool& no_reply);
    JobResult compare_branch(DescBranch& branch);
    bool stop_requested() const;
    void signal_stop();
    void progress(const std::string& text);
    void error_log(const Parameter& parameter) const;
    void note_difference(Parameter& configuration, const Parameter& instrument);
    // Hands the copy a step worked on to the owner of the document's parameter.
    void hand_over(Parameter& parameter, const Parameter& work, StepOutcome::Kind kind = StepOutcome::Kind::values);
    void too_many_timeouts();
    // After a transaction: counts it, and whether it failed for want of a valid reply.
    bool note_exchange(int result, const Parameter& parameter, std::uint64_t responses_before);
    std::uint64_t responses() const;

    AppContext& context_;
    CHLB5Doc& document_;
    Device& link_;
    JobState& job_;
    AppShell& shell_;
    std::thread worker_;
    JobResult last_result_{0, 0}; // written by the worker before the job ends
    std::atomic<int> exchanges_{0};
    std::atomic<int> exchange_failures_{0};
    ExchangeCount last_exchanges_; // written by the worker before the job ends
    VerifyResult last_verify_;     // written by the worker before the job ends
    std::vector<std::string> last_failed_writes_; // written by the worker before the job ends
    // The modes as the running job took them at its start: a mode switched meanwhile does not
    // change a job half-way. The worker's alone.
    bool job_block_reads_ = false;

    // Whether a job is between its start on the window thread and its end on the worker.
    mutable std::mutex idle_mutex_;
    std::condition_variable idle_changed_;
    bool job_active_ = false;
    std::atomic<bool> window_shown_{false};
};

} // namespace zr740
