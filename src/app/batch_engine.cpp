#include "app/batch_engine.h"

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "app/engine_texts.h"
#include "device/base_device.h"
#include "link/device.h"
#include "model/desc_branch.h"
#include "model/model_texts.h"
#include "app/app_shell.h"

#include <chrono>
#include <system_error>

namespace zr740 {
namespace {

// The progress window lingers after a job in steps that a stop cuts short.
constexpr std::chrono::milliseconds closing_step{100};

} // namespace

BatchEngine::BatchEngine(AppContext& context, CHLB5Doc& document)
    : context_(context), document_(document), link_(document.link()), job_(document.job()), shell_(document.shell())
{
}

BatchEngine::~BatchEngine() { stop(); }

bool BatchEngine::start()
{
    if (worker_.joinable())
        return true;
    try {
        job_.queue.clear_quit();
        worker_ = std::thread([this] { thread_main(); });
    } catch (const std::system_error&) {
        shell_.message(std::string(texts::thread_failed), std::string(texts::error_caption), Icon::stop,
                       Owner::main_window);
        return false;
    }
    return true;
}

void BatchEngine::request_stop()
{
    if (!worker_.joinable())
        return;
    // The stop event ends a running job after its current transaction; aborting the line makes
    // that transaction end at once, and every later one until the line is reset.
    signal_stop();
    link_.sio().abort();
    job_.queue.quit();
}

void BatchEngine::stop()
{
    if (!worker_.joinable())
        return;
    request_stop();
    worker_.join();
    link_.sio().reset_abort();
    job_.queue.clear_quit();
    job_.stop.reset();
}

bool BatchEngine::stop_requested() const
{
    // A stop from outside the run holds for every job, also one that starts after it came.
    return job_.stop.is_set() || context_.stop_requested;
}

void BatchEngine::signal_stop() { job_.stop.set(); }

void BatchEngine::wait_until_idle()
{
    std::unique_lock lock(idle_mutex_);
    idle_changed_.wait(lock, [&] { return !job_active_ || !worker_.joinable(); });
}

bool BatchEngine::run_job(std::string_view caption, int total, const Job& job)
{
    if (!start())
        return false;
    // A job that was stopped may still be finishing its last transaction; the next one must not
    // clear the stop it has not yet seen.
    wait_until_idle();
    job_.processed = 0;
    job_.total = total;
    exchanges_ = 0;
    exchange_failures_ = 0;
    window_shown_ = true;
    const int shown = shell_.run_progress(
        std::string(caption), total,
        [&] {
            {
                std::lock_guard lock(idle_mutex_);
                job_active_ = true;
            }
            job_.stop.reset();
            job_.start_time = std::chrono::steady_clock::now();
            job_.queue.push(job);
        },
        [&] { abort_job(); });
    if (shown == -1) {
        window_shown_ = false;
        return false;
    }
    document_.outcomes().catch_up();
    return true;
}

bool BatchEngine::read(DescBranch* branch)
{
    const int total = branch ? count(*branch, CountMode::all) : 0;
    return run_job(texts::caption_read, total, {JobKind::read_branch, branch, nullptr});
}

bool BatchEngine::write_all(DescBranch* branch)
{
    const int total = branch ? count(*branch, CountMode::write_all) : 0;
    return run_job(texts::caption_write_all, total, {JobKind::write_all, branch, nullptr});
}

bool BatchEngine::write_changed(DescBranch* branch)
{
    const int total = branch ? count(*branch, CountMode::changed) : 0;
    return run_job(texts::caption_write_changed, total, {JobKind::write_changed, branch, nullptr});
}

bool BatchEngine::write_initial_values(DescBranch* branch)
{
    const int total = branch ? count(*branch, CountMode::initial_values) : 0;
    return run_job(texts::caption_initialise, total, {JobKind::initial_values, branch, nullptr});
}

bool BatchEngine::compare(DescBranch* branch)
{
    job_.difference_count = 0;
    job_.comparison_report.clear();
    job_.differences.clear();
    const int total = branch ? count(*branch, CountMode::all) : 0;
    if (!run_job(texts::caption_compare, total, {JobKind::compare, branch, nullptr}))
        return false;
    // The window closes before the job's follow-ups; the counts are final once the worker is idle.
    wait_until_idle();
    document_.outcomes().catch_up();
    std::string text;
    if (job_.difference_count > 0) {
        text = std::string(texts::differences) + ": " + std::to_string(job_.difference_count);
        if (job_.difference_count > 10)
            text += texts::first_ten_only;
        text += ":\n";
        text += job_.comparison_report;
    } else {
        text = texts::no_differences;
    }
    shell_.compare_result(text, std::string(texts::compare_caption), job_.differences);
    return true;
}

bool BatchEngine::read_one(Parameter* parameter)
{
    if (!parameter) {
        shell_.message(std::string(texts::nothing_selected), std::string(texts::app_title), Icon::warning,
                       Owner::main_window);
        return false;
    }
    if (!run_job(texts::caption_read_one, 1, {JobKind::read_one, nullptr, parameter}))
        return false;
    shell_.update_all_views();
    return true;
}

bool BatchEngine::write_one(Parameter* parameter)
{
    if (!parameter) {
        shell_.message(std::string(texts::nothing_selected), std::string(texts::app_title), Icon::warning,
                       Owner::main_window);
        return false;
    }
    if (!run_job(texts::caption_write_one, 1, {JobKind::write_one, nullptr, parameter}))
        return false;
    shell_.update_all_views();
    return true;
}

bool BatchEngine::hand_over_job(Job job, int total)
{
    if (!start())
        return false;
    wait_until_idle();
    job_.processed = 0;
    job_.total = total;
    exchanges_ = 0;
    exchange_failures_ = 0;
    window_shown_ = false;
    {
        std::lock_guard lock(idle_mutex_);
        job_active_ = true;
    }
    job_.stop.reset();
    job_.start_time = std::chrono::steady_clock::now();
    job_.queue.push(job);
    return true;
}

void BatchEngine::abort_job()
{
    // The stop event stays set until the worker has left the job, which then runs the end of the
    // job itself; the window closes at once.
    signal_stop();
    context_.run.exit_status = exit_bits::stopped;
    window_shown_ = false;
    shell_.close_progress(0);
}

void BatchEngine::thread_main()
{
    bool opened_for_job = false;
    while (true) {
        if (opened_for_job) {
            std::lock_guard lock(link_.port_lock());
            link_.close_port();
            opened_for_job = false;
        }
        const std::optional<Job> job = job_.queue.wait();
        if (!job)
            break;
        {
            std::lock_guard lock(link_.port_lock());
            // An adapter plugged back is opened again here; one that is still missing fails the
            // job's steps as a port that cannot be opened, without a second attempt.
            const auto lost = link_.reopen_lost_port();
            if (!link_.sio().is_open() && lost != DeviceIO::LostPort::missing)
                opened_for_job = link_.open_for_job();
            perform(*job);
        }
        after_job(job->commissioning || job->kind == JobKind::task);
    }
    std::lock_guard lock(idle_mutex_);
    job_active_ = false;
    idle_changed_.notify_all();
}

void BatchEngine::perform(const Job& job)
{
    BaseDevice::CBaseDevice* device = document_.device();
    const bool init_wanted = device && device->init_after_write();
    // The device class recomputes the limits that follow from what was read, on the thread that
    // owns the values and after them.
    const auto limits_follow = [&] {
        if (device)
            document_.outcomes().push(StepOutcome::reaction(StepOutcome::Kind::dependent_limits));
    };

    last_result_ = {0, 0};
    last_verify_ = VerifyResult{};
    last_failed_writes_.clear();
    job_block_reads_ = context_.block_reads;
    switch (job.kind) {
    case JobKind::read_branch:
        last_result_ = job.branch ? read_branch(*job.branch) : JobResult{0, 0};
        limits_follow();
        end_of_job(false);
        break;
    case JobKind::write_all:
    case JobKind::write_changed:
    case JobKind::initial_values: {
        const int mode = job.kind == JobKind::write_all        ? mode_all
                         : job.kind == JobKind::initial_values ? mode_initial
                                                               : mode_changed;
        // The initial values are the instrument's own defaults, written to start afresh; what is
        // read back is what a person or a file meant the instrument to hold.
        const bool verify = (context_.verify_writes || job.commissioning) && mode != mode_initial;
        std::vector<Written> written;
        last_result_ = job.branch ? write_branch(*job.branch, mode, verify ? &written : nullptr) : JobResult{0, 0};
        if (verify) {
            verify_written(written);
            last_result_.second += last_verify_.failed;
        }
        end_of_job(last_result_.second == 0 && init_wanted, job.commissioning);
        break;
    }
    case JobKind::task:
        if (job.task)
            job.task();
        last_exchanges_ = {exchanges_.load(), exchange_failures_.load()};
        break;
    case JobKind::compare:
        last_result_ = job.branch ? compare_branch(*job.branch) : JobResult{0, 0};
        end_of_job(false);
        break;
    case JobKind::read_one:
        if (job.parameter) {
            job_.processed = 0;
            last_result_ = {1, read_step(*job.parameter, true) != 0 ? 1 : 0};
        }
        limits_follow();
        end_of_job(false);
        break;
    case JobKind::write_one: {
        bool success = false;
        if (job.parameter) {
            job_.processed = 0;
            success = write_step(*job.parameter, mode_all) == 0;
            last_result_ = {1, success ? 0 : 1};
        }
        end_of_job(success && init_wanted);
        break;
    }
    }
}

void BatchEngine::end_of_job(bool with_init, bool commissioning)
{
    // Before the INIT below, which is no part of the job.
    last_exchanges_ = {exchanges_.load(), exchange_failures_.load()};
    progress("");
    progress(std::string(texts::job_done));
    const auto linger = shell_.has_main_window() && !commissioning ? window_linger : std::chrono::milliseconds{0};
    for (auto waited = std::chrono::milliseconds{0}; waited < linger; waited += closing_step)
        if (job_.stop.wait_for(closing_step))
            break;
    if (window_shown_.exchange(false))
        shell_.close_progress(0);

    // A commissioning run's driver decides about applying the settings itself.
    if (commissioning) {
        if (with_init && !link_.needs_apply) {
            std::string status;
            if (init_command(status) != 0)
                progress(std::string(texts::init_failed) + status);
        }
    } else if (link_.needs_apply.exchange(false)) {
        if (!link_.sio().abort_signalled())
            shell_.post_command(command_ids::apply_request);
    } else if (with_init) {
        std::string status;
        if (init_command(status) != 0)
            shell_.message(std::string(texts::init_failed) + status, std::string(texts::app_title), Icon::stop,
                           Owner::main_window);
    }
}

void BatchEngine::after_job(bool commissioning)
{
    // The device class asks whether to read again: on the thread that owns the values, once the
    // job has let go of the port lock. A commissioning run moves on to the next instrument.
    if (link_.needs_reread.exchange(false) && document_.device() && !commissioning)
        document_.outcomes().push(StepOutcome::reaction(StepOutcome::Kind::reread_written));
    if (context_.unattended() && on_unattended_job_end && !commissioning)
        on_unattended_job_end();

    job_.stop.reset();
    std::lock_guard lock(idle_mutex_);
    job_active_ = false;
    idle_changed_.notify_all();
}

} // namespace zr740
