#include "app/scan_thread.h"

#include "link/device.h"
#include "model/desc_branch.h"
#include "model/parameter.h"
#include "app/app_shell.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <string_view>
#include <system_error>

namespace zr740 {
namespace {

// The texts of the scanners, kept together so that a translation can be added later.
namespace scan_texts {
inline constexpr std::string_view no_thread = "Не могу запустить поток (ScanThread), необходимый для работы сканеров";
inline constexpr std::string_view error_caption = "Error";
inline constexpr std::string_view period_too_short =
    "Период опроса в миллисекундах.\nПериод опроса не может быть меньше 100 миллисекунд.";
inline constexpr std::string_view app_caption = "ЗР740";
} // namespace scan_texts

// Polls are background work: the window and a batch job come first. The lowest niceness rather
// than Linux's idle class, which gets no time at all while anything else wants the processor and
// would freeze the polled values on a busy machine.
constexpr int lowest_niceness = 19;

void set_up_own_thread(ScanThread::Priority priority)
{
    if (priority == ScanThread::Priority::idle)
        (void)setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), lowest_niceness);
    // The name shows in ps, top and the debugger.
    (void)pthread_setname_np(pthread_self(), "zr740-scan");
}

} // namespace

ScanThread::ScanThread(Device& link, AppShell& shell, Priority priority) : link_(link), shell_(shell), priority_(priority)
{
}

ScanThread::~ScanThread()
{
    stop();
}

int ScanThread::start_scanners(DescBranch* scanners)
{
    std::lock_guard lifecycle(lifecycle_);
    if (thread_.joinable())
        return 0;
    {
        // Cleared here rather than by the thread itself, so that a stop() right after this call
        // cannot be undone by a thread that starts late.
        std::lock_guard lock(mutex_);
        stop_ = false;
        wake_up_ = false;
    }
    try {
        thread_ = std::thread(&ScanThread::run, this, collect(scanners));
    } catch (const std::system_error&) {
        shell_.message(std::string(scan_texts::no_thread), std::string(scan_texts::error_caption), Icon::stop,
                       Owner::main_window);
        return 1;
    }
    return 0;
}

void ScanThread::request_stop()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        wake_up_ = true;
    }
    changed_.notify_all();
}

void ScanThread::stop()
{
    std::lock_guard lifecycle(lifecycle_);
    request_stop();
    if (thread_.joinable())
        thread_.join();
}

bool ScanThread::running() const
{
    std::lock_guard lifecycle(lifecycle_);
    return thread_.joinable();
}

int ScanThread::switch_on(Parameter& scanner)
{
    {
        std::lock_guard lock(mutex_);
        if (scanner.poll_running)
            return 1;
        scanner.poll_running = 1;
        arm(scanner);
    }
    changed_.notify_all();
    return 0;
}

int ScanThread::switch_off(Parameter& scanner)
{
    {
        std::lock_guard lock(mutex_);
        if (!scanner.poll_running)
            return 1;
        scanner.poll_running = 0;
        timers_.erase(&scanner);
    }
    // The thread may be sleeping towards this scanner's deadline; it has to look again.
    changed_.notify_all();
    return 0;
}

bool ScanThread::set_period(Parameter& scanner, int milliseconds)
{
    if (milliseconds < min_period_ms) {
        shell_.message(std::string(scan_texts::period_too_short), std::string(scan_texts::app_caption), Icon::stop,
                       Owner::main_window);
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        scanner.poll_period = milliseconds;
        if (scanner.poll_running)
            arm(scanner); // replaces the old timer: stopped and started again with the new period
    }
    changed_.notify_all();
    return true;
}

void ScanThread::arm(Parameter& scanner, Clock::time_point from)
{
    timers_[&scanner] = Timer{from + std::chrono::milliseconds(scanner.poll_period), ++armings_};
}

int ScanThread::switch_on_together(const std::vector<Parameter*>& scanners)
{
    int already = 0;
    {
        std::lock_guard lock(mutex_);
        const auto now = Clock::now();
        for (Parameter* scanner : scanners) {
            if (scanner->poll_running) {
                already = 1;
                continue;
            }
            scanner->poll_running = 1;
            arm(*scanner, now);
        }
    }
    changed_.notify_all();
    return already;
}

void ScanThread::set_listener(ScanListener* listener)
{
    std::lock_guard lock(listener_mutex_);
    listener_ = listener;
}

void ScanThread::poll(Parameter& scanner, Clock::time_point slot)
{
    {
        std::lock_guard lock(mutex_);
        if (!scanner.poll_running)
            return;
    }
    // A port whose adapter was unplugged is opened again by its name as soon as it is back; until
    // then each poll reports the closed port.
    link_.reopen_lost_port();
    ScanResult result;
    result.channel = scanner.scanner_channel;
    result.parameter = &scanner;
    if (link_.read_registers(scanner, false) != 0)
        result.status_text = cut_code_points(scanner.status_text, ScanResult::max_text);
    else
        result.value_text = cut_code_points(scanner.value_text, ScanResult::max_text);
    result.polled_at = std::chrono::system_clock::now();
    result.slot = slot;
    {
        std::lock_guard lock(listener_mutex_);
        if (listener_)
            listener_->polled(result);
    }

    // Without a main window nobody would ever take the record out.
    if (!shell_.has_main_window())
        return;
    results_.push(std::move(result));
    shell_.scan_results_ready();
}

std::vector<Parameter*> ScanThread::collect(DescBranch* scanners)
{
    std::vector<Parameter*> collected;
    if (scanners)
        scanners->for_each_parameter([&](Parameter& parameter) { collected.push_back(&parameter); });
    return collected;
}

ScanThread::Clock::time_point ScanThread::next_slot(Clock::time_point due, std::chrono::milliseconds period,
                                                    Clock::time_point now)
{
    auto next = due + period;
    if (next <= now) {
        // Slots that passed during a long poll are dropped, not made up for.
        const auto missed = (now - next) / period + 1;
        next += missed * period;
    }
    return next;
}

void ScanThread::run(std::vector<Parameter*> scanners)
{
    set_up_own_thread(priority_);
    while (true) {
        const Due due = wait_for_due(scanners);
        if (!due.scanner)
            break;
        {
            std::unique_lock port(link_.port_lock());
            // A stop that came while the batch job held the port must not be followed by one more
            // exchange on a line that is about to be closed.
            if (stop_)
                break;
            // The timer may have been re-armed or cancelled while the port was busy; a re-armed one
            // keeps its new first deadline.
            if (still_armed(due))
                poll(*due.scanner, due.slot);
        }
        after_poll(due);
        std::this_thread::yield();
    }

    std::lock_guard lock(mutex_);
    for (Parameter* scanner : scanners)
        scanner->poll_running = 0;
    // Timers of parameters outside the branch go too: their pointers may not outlive the tree.
    timers_.clear();
}

ScanThread::Due ScanThread::wait_for_due(const std::vector<Parameter*>& scanners)
{
    std::unique_lock lock(mutex_);
    while (true) {
        if (wake_up_ || stop_) {
            wake_up_ = false;
            return {};
        }
        // The earliest deadline; among equal ones the scanner collected first.
        Parameter* earliest = nullptr;
        const Timer* earliest_timer = nullptr;
        for (Parameter* scanner : scanners) {
            const auto it = timers_.find(scanner);
            if (it != timers_.end() && (!earliest_timer || it->second.due < earliest_timer->due)) {
                earliest = scanner;
                earliest_timer = &it->second;
            }
        }
        if (!earliest) {
            // Nothing switched on: sleep until something changes.
            changed_.wait(lock);
            continue;
        }
        if (earliest_timer->due <= Clock::now())
            return {earliest, earliest_timer->arming, earliest_timer->due};
        // A copy: the wait takes the deadline by reference and reads it again on waking, when a
        // switch-off on another thread may have removed the timer it belonged to.
        const Clock::time_point due = earliest_timer->due;
        changed_.wait_until(lock, due);
    }
}

bool ScanThread::still_armed(const Due& due)
{
    std::lock_guard lock(mutex_);
    const auto it = timers_.find(due.scanner);
    return it != timers_.end() && it->second.arming == due.arming;
}

void ScanThread::after_poll(const Due& polled)
{
    std::lock_guard lock(mutex_);
    const auto it = timers_.find(polled.scanner);
    // Switched off, or re-armed with a new period, while the poll ran: that timer stands.
    if (it == timers_.end() || it->second.arming != polled.arming)
        return;
    it->second.due = next_slot(it->second.due, std::chrono::milliseconds(polled.scanner->poll_period), Clock::now());
}

} // namespace zr740
