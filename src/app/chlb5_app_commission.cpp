// The commissioning hook of the application: the report opened before any instrument is touched,
// and a line still silent at start-up waited out.

#include "app/app_context.h"
#include "app/app_shell.h"
#include "app/chlb5_app.h"
#include "app/commission_run.h"
#include "app/commission_texts.h"
#include "model/text.h"

namespace zr740 {

bool CHLB5App::prepare_commission()
{
    if (report_path_.empty()) {
        shell_.message(std::string(texts::commission_needs_report), std::string(texts::commission_caption), Icon::stop,
                       Owner::none);
        context_.run.exit_status |= exit_bits::file_missing;
        return false;
    }
    CommissionOptions options;
    options.report_path = report_path_;
    options.repeat = (command_line_.options & option_flags::repeat) != 0;
    options.apply = (command_line_.options & option_flags::aply) != 0;
    CommissionEvents events;
    if (options.repeat) {
        events.waiting = [this] { shell_.status_line(std::string(texts::commission_waiting)); };
        events.finished = [this](int ok, int failed) {
            shell_.status_line(
                fill_placeholders(texts::commission_summary, {std::to_string(ok), std::to_string(failed)}));
            signal_job_done();
        };
    } else {
        events.finished = [this](int, int) { signal_job_done(); };
    }
    auto commission = std::make_unique<CommissionRun>(*document_, shell_, options, std::move(events));
    if (!commission->open_report()) {
        shell_.message(fill_placeholders(texts::commission_cannot_write_report, {report_path_, commission->report_error()}),
                       std::string(texts::commission_caption), Icon::stop, Owner::none);
        context_.run.exit_status |= exit_bits::file_missing;
        return false;
    }
    std::lock_guard lock(document_mutex_);
    commission_ = std::move(commission);
    return true;
}

// A production line may start the program before the first instrument is attached: with "repeat"
// silence is waited out. A port that does not open or an instrument that is not ours ends the
// run as for any job.
bool CHLB5App::wait_for_first_instrument()
{
    if (!commission_ || !(command_line_.options & option_flags::repeat))
        return false;
    const std::uint32_t silence = exit_bits::no_reply | exit_bits::protocol_error;
    if (context_.run.exit_status & ~silence)
        return false;
    context_.run.exit_status = 0;
    if (context_.run.description_variant > 1)
        context_.run.description_variant = 0;
    shell_.status_line(std::string(texts::commission_waiting_first));
    return true;
}

} // namespace zr740
