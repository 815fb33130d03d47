// The runs that do one thing and end by themselves: the parameter list as a page or CSV, the log
// of the polled values, the differences of a compare.

#include "app/chlb5_app.h"

#include "app/app_context.h"
#include "app/app_texts.h"
#include "app/chlb5_doc.h"
#include "app/compare_report.h"
#include "app/csv_texts.h"
#include "app/engine_texts.h"
#include "device/device_texts.h"
#include "app/html_export.h"
#include "app/parameter_list_csv.h"
#include "app/poll_run.h"
#include "model/model_texts.h"
#include "model/text.h"
#include "platform/safe_file.h"

#include <chrono>

namespace zr740 {

bool CHLB5App::page_only() const
{
    return (!html_path_.empty() || !csv_path_.empty()) && !compare_ && poll_seconds_ < 0;
}

void CHLB5App::export_list()
{
    if (!html_path_.empty())
        export_page();
    if (csv_path_.empty())
        return;
    const DescBranch* root = document_->root();
    if (!root) {
        // Told already by the page when there was one to write.
        if (html_path_.empty())
            shell_.message(std::string(texts::tree_undefined), std::string(texts::app_title), Icon::stop, Owner::none);
        context_.run.exit_status |= exit_bits::file_missing;
        return;
    }
    std::string reason;
    if (!write_file_atomically(csv_path_, parameter_list_csv(*root), {}, &reason)) {
        shell_.message(fill_placeholders(texts::csv_save_failed, {csv_path_, reason}), std::string(texts::app_title),
                       Icon::stop, Owner::none);
        context_.run.exit_status |= exit_bits::file_missing;
    }
}

void CHLB5App::export_page()
{
    CHLB5Doc& document = *document_;
    const DescBranch* root = document.root();
    if (!root) {
        shell_.message(std::string(texts::tree_undefined), std::string(texts::app_title), Icon::stop, Owner::none);
        context_.run.exit_status |= exit_bits::file_missing;
        return;
    }
    const std::string_view caption =
        context_.run.description_variant == 1 ? texts::variant_old : texts::variant_current;
    std::string reason;
    if (!write_file_atomically(html_path_, parameter_list_page(*root, caption), {}, &reason)) {
        shell_.message(fill_placeholders(texts::cannot_write_page, {html_path_, reason}), std::string(texts::app_title),
                       Icon::stop, Owner::none);
        context_.run.exit_status |= exit_bits::file_missing;
    }
}

void CHLB5App::run_poll()
{
    if (csv_path_.empty()) {
        shell_.message(std::string(texts::poll_needs_csv), std::string(texts::app_title), Icon::stop, Owner::none);
        context_.run.exit_status |= exit_bits::unknown_option;
        return;
    }
    PollRun poll(*document_, shell_);
    // A log that stops on a write error ends the run: polling on would only lose the values.
    if (!poll.start(csv_path_, [this] { queue_.post(command_ids::close_window); })) {
        context_.run.exit_status |= poll.exit_bits();
        return;
    }
    // poll:0 runs until stopped; a far deadline stands for "never" without overflowing the wait.
    const auto deadline = std::chrono::steady_clock::now() + (poll_seconds_ > 0 ? std::chrono::seconds(poll_seconds_)
                                                                                : std::chrono::hours(24 * 365 * 100));
    // The shutdown watcher posts close_window on a stop; other commands have no window to go to.
    while (!context_.stop_requested) {
        const auto command = queue_.take_until(deadline);
        if (!command || *command == command_ids::close_window)
            break;
    }
    context_.run.exit_status |= poll.finish();
}

void CHLB5App::run_compare()
{
    CHLB5Doc& document = *document_;
    DescBranch* root = document.root();
    if (!root) {
        shell_.message(std::string(texts::tree_undefined), std::string(texts::app_title), Icon::stop, Owner::none);
        context_.run.exit_status |= exit_bits::file_missing;
        return;
    }
    // The job's own report (the first differences) goes to the error stream and the error log; its
    // end sets the bits of failed exchanges (on_job_end).
    if (!document.engine().compare(root)) {
        job_not_started();
        return;
    }
    if (context_.stop_requested)
        return;
    const std::vector<CompareDifference>& differences = document.engine().last_differences();
    if (!csv_path_.empty()) {
        std::string reason;
        if (!save_differences_csv(differences, csv_path_, reason)) {
            shell_.message(fill_placeholders(texts::csv_save_failed, {csv_path_, reason}),
                           std::string(texts::app_title), Icon::stop, Owner::none);
            context_.run.exit_status |= exit_bits::file_missing;
        }
    }
    // A script must not read "same" from a run that found differences.
    if (!differences.empty())
        context_.run.exit_status |= exit_bits::differences;
}

} // namespace zr740
