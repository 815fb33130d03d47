#include "app/commission_run.h"

#include "app/app_context.h"
#include "app/app_shell.h"
#include "app/batch_engine.h"
#include "app/chlb5_doc.h"
#include "app/commission_texts.h"
#include "device/apply_confirmation.h"
#include "device/base_device.h"
#include "link/device.h"
#include "model/desc_branch.h"
#include "model/parameter.h"
#include "model/text.h"

#include <algorithm>
#include <ctime>

namespace zr740 {
namespace {

std::string list_text(const std::vector<std::string>& names)
{
    std::string text;
    for (const auto& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

} // namespace

CommissionRun::CommissionRun(CHLB5Doc& document, AppShell& shell, CommissionOptions options, CommissionEvents events)
    : document_(document), shell_(shell), options_(std::move(options)), events_(std::move(events)),
      report_(options_.report_path)
{
}

CommissionRun::~CommissionRun()
{
    stop();
    join();
}

bool CommissionRun::open_report() { return report_.open(); }

bool CommissionRun::start()
{
    if (thread_.joinable())
        return true;
    if (!open_report()) {
        report_failed();
        return false;
    }
    thread_ = std::thread([this] { drive(); });
    return true;
}

void CommissionRun::stop()
{
    std::lock_guard lock(stop_mutex_);
    stopping_ = true;
    // The job under way ends after its transaction.
    document_.job().stop.set();
    stop_changed_.notify_all();
}

void CommissionRun::join()
{
    if (thread_.joinable())
        thread_.join();
}

bool CommissionRun::stopping() const
{
    std::lock_guard lock(stop_mutex_);
    return stopping_ || document_.context().stop_requested;
}

void CommissionRun::pause_until(std::chrono::steady_clock::time_point until)
{
    std::unique_lock lock(stop_mutex_);
    // A stop from outside the run comes through stop() too; the period bounds the wait all the same.
    stop_changed_.wait_until(lock, until, [&] { return stopping_ || document_.context().stop_requested; });
}

bool CommissionRun::exchange(const std::function<void()>& task)
{
    Job job;
    job.kind = JobKind::task;
    job.task = task;
    {
        std::lock_guard lock(stop_mutex_);
        if (stopping_ || document_.context().stop_requested || !document_.engine().hand_over_job(job, 0))
            return false;
    }
    document_.engine().wait_until_idle();
    return true;
}

void CommissionRun::drive()
{
    Device& link = document_.link();
    bool waiting = false;
    std::string foreign_told;
    while (!stopping()) {
        const auto next_poll = std::chrono::steady_clock::now() + options_.poll_period;
        FoundInstrument found;
        const bool asked = exchange([&] {
            std::vector<std::uint8_t> payload;
            const int timeout = std::max({static_cast<int>(link.sio().reply_timeout),
                                          LineScan::probe_timeout_ms(link.sio().character_time, 0), 100});
            found = ask_instrument(link, link.sio().address, timeout, payload);
        });
        if (!asked || stopping())
            break;
        const bool zr740 = found.address != 0 && found.zr740;
        if (!zr740 || done_.count(found.serial)) {
            if (found.address != 0 && !zr740 && foreign_told != found.name) {
                foreign_told = found.name;
                shell_.status_line(fill_placeholders(texts::commission_foreign, {std::to_string(found.address), found.name}));
            }
            // Without `repeat` the run was started for the instrument the link check found.
            if (!options_.repeat) {
                document_.context().run.exit_status |= found.address == 0 ? exit_bits::no_reply
                                                                          : exit_bits::not_recognised;
                break;
            }
            if (!waiting && events_.waiting)
                events_.waiting();
            waiting = true;
            pause_until(next_poll);
            continue;
        }
        waiting = false;
        foreign_told.clear();
        done_.insert(found.serial);
        if (events_.started)
            events_.started(found);
        CommissionRecord record;
        record.time = iso_local_time(std::time(nullptr));
        record.serial = found.serial;
        record.version = found.version;
        record.address = found.address;
        if (write_and_verify(found, record) && record.ok && options_.apply)
            send_apply(record);
        link.needs_apply = false;
        if (!report_.append(record)) {
            report_failed();
            break;
        }
        note_outcome(record);
        if (!options_.repeat)
            break;
    }
    ended_ = true;
    if (events_.finished)
        events_.finished(ok_, failed_);
}

bool CommissionRun::write_and_verify(const FoundInstrument&, CommissionRecord& record)
{
    BatchEngine& engine = document_.engine();
    DescBranch* root = document_.root();
    if (!root)
        return false;
    Job job;
    job.kind = JobKind::write_all;
    job.branch = root;
    job.commissioning = true;
    {
        std::lock_guard lock(stop_mutex_);
        if (stopping_ || document_.context().stop_requested ||
            !engine.hand_over_job(job, BatchEngine::count(*root, CountMode::write_all)))
            return false;
    }
    engine.wait_until_idle();
    const VerifyResult& verify = engine.last_verify();
    record.failed_names = engine.last_failed_writes();
    for (auto& name : verify.failed_names())
        record.failed_names.push_back(std::move(name));
    record.written = verify.written;
    record.verified = verify.verified;
    record.failed = static_cast<int>(record.failed_names.size());
    const ExchangeCount exchanges = engine.last_exchanges();
    const bool stopped = stopping();
    record.ok = !stopped && record.failed == 0 && exchanges.failed == 0 && verify.requested && verify.written > 0;
    // The exit status as a write job leaves it.
    auto& status = document_.context().run.exit_status;
    if (!stopped) {
        if (exchanges.made > 0 && exchanges.failed == exchanges.made)
            status |= exit_bits::no_reply;
        else if (!record.ok)
            status |= exit_bits::partial;
    }
    return true;
}

void CommissionRun::send_apply(CommissionRecord& record)
{
    BaseDevice::CBaseDevice* device = document_.device();
    if (!device)
        return;
    std::string name;
    int result = -1;
    const bool sent = exchange([&] {
        // The device's own command parameter is copied: the document's values stay the window's.
        Parameter command = device->apply_parameter(false);
        name = command.name;
        result = document_.link().read_registers(command, true);
        // A run for one instrument follows it to its new settings, as a write with "aply" does (the
        // session's closing INIT goes there); a run waiting for the next instrument keeps the
        // line's, where the next one arrives.
        if (result == 0 && !options_.repeat && copy_network_values(document_.link()))
            document_.link().open_port(true);
    });
    if (sent && result == 0)
        return;
    record.ok = false;
    record.failed_names.push_back(name);
    record.failed = static_cast<int>(record.failed_names.size());
    if (!stopping())
        document_.context().run.exit_status |= exit_bits::partial;
}

void CommissionRun::note_outcome(const CommissionRecord& record)
{
    ++(record.ok ? ok_ : failed_);
    const std::string serial = record.serial.empty() ? std::string(texts::commission_no_serial) : record.serial;
    if (record.ok)
        shell_.status_line(fill_placeholders(texts::commission_ok,
                                             {serial, record.version, std::to_string(record.address),
                                              std::to_string(record.written), std::to_string(record.verified)}));
    else
        shell_.status_line(fill_placeholders(
            texts::commission_failed, {serial, record.version, std::to_string(record.address),
                                       std::to_string(record.written), std::to_string(record.verified),
                                       std::to_string(record.failed), list_text(record.failed_names)}));
    if (events_.commissioned)
        events_.commissioned(record);
}

void CommissionRun::report_failed()
{
    document_.context().run.exit_status |= exit_bits::file_missing;
    shell_.message(fill_placeholders(texts::commission_cannot_write_report, {report_.path(), report_.error()}),
                   std::string(texts::commission_caption), Icon::stop, Owner::main_window);
}

} // namespace zr740
