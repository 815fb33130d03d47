#include "app/poll_run.h"

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "app/csv_texts.h"
#include "model/model_texts.h"
#include "model/text.h"
#include "platform/run_state.h"

namespace zr740 {

PollRun::PollRun(CHLB5Doc& document, AppShell& shell) : document_(document), shell_(shell) {}

PollRun::~PollRun()
{
    if (started_)
        finish();
}

bool PollRun::start(const std::string& csv_path, std::function<void()> on_log_failure)
{
    const auto tell = [&](std::string text) {
        shell_.message(std::move(text), std::string(texts::app_title), Icon::stop, Owner::none);
    };
    scanners_ = ScanThread::collect(document_.scanners());
    if (scanners_.empty()) {
        tell(std::string(texts::poll_no_scanners));
        exit_bits_ |= exit_bits::file_missing;
        return false;
    }
    std::string error;
    log_ = CsvLog::open(csv_path, scanners_, error);
    if (!log_) {
        tell(error);
        exit_bits_ |= exit_bits::file_missing;
        return false;
    }
    log_->on_failure([on_log_failure = std::move(on_log_failure)](const std::string&) {
        if (on_log_failure)
            on_log_failure();
    });
    for (const Parameter* scanner : scanners_)
        tallies_.emplace(scanner, Tally{});

    Device& link = document_.link();
    // "silent" kept the port closed after the link check; polling is the job it waited for.
    if (!link.sio().is_open()) {
        std::lock_guard port(link.port_lock());
        link.open_port(true);
    }
    ScanThread& scan = document_.scanners_thread();
    scan.set_listener(this);
    scan.switch_on_together(scanners_);
    started_ = true;
    if (document_.start_scanners() != 0) {
        finish();
        exit_bits_ |= exit_bits::file_missing;
        return false;
    }
    return true;
}

void PollRun::polled(const ScanResult& result)
{
    // A stop from outside aborts the line: what the polls after it report is the stop, not the
    // instrument.
    if (document_.context().stop_requested)
        return;
    const auto tally = tallies_.find(result.parameter);
    if (tally != tallies_.end()) {
        if (result.status_text.empty())
            ++tally->second.good;
        else
            ++tally->second.failed;
    }
    log_->polled(result);
}

std::uint32_t PollRun::finish()
{
    if (!started_)
        return exit_bits_;
    started_ = false;
    ScanThread& scan = document_.scanners_thread();
    scan.stop();
    scan.set_listener(nullptr);
    log_->close();

    const auto tell = [&](std::string text, Icon icon) {
        shell_.message(std::move(text), std::string(texts::app_title), icon, Owner::none);
    };
    if (log_->failed()) {
        tell(log_->failure(), Icon::stop);
        exit_bits_ |= exit_bits::file_missing;
    }
    long long good = 0;
    for (const auto& [scanner, tally] : tallies_)
        good += tally.good;
    if (document_.context().stop_requested)
        return exit_bits_;
    if (good == 0) {
        tell(fill_placeholders(texts::poll_nothing_read, {log_->path()}), Icon::stop);
        exit_bits_ |= exit_bits::no_reply;
        return exit_bits_;
    }
    for (const Parameter* scanner : scanners_) {
        if (tallies_[scanner].good == 0) {
            tell(fill_placeholders(texts::poll_never_answered, {scanner->caption}), Icon::warning);
            exit_bits_ |= exit_bits::partial;
        }
    }
    return exit_bits_;
}

} // namespace zr740
