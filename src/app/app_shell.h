// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the application asks of its front end besides messages and questions: the progress window of
// a batch job, commands posted to the main window, the views to redraw, the apply and calibration
// dialogs, opening a file with the desktop's program. The Qt front end shows windows, the console
// front end prints or does without, tests record.

#include "app/compare_report.h"
#include "device/apply_confirmation.h"
#include "platform/shell.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zr740 {

// Commands of the main window that the core may post to it.
namespace command_ids {
inline constexpr int close_window = 0x0010;
inline constexpr int read_all = 139;
inline constexpr int write_all = 140;
inline constexpr int apply_parameters = 265;
inline constexpr int initialise_device = 269;
inline constexpr int calibrate = 303;
// The main window's private messages.
inline constexpr int apply_request = 0x0400 + 41;
inline constexpr int save_after_read = 0x0400 + 42;
} // namespace command_ids

class AppShell : public Shell {
public:
    // Queues a menu command for the main window; it runs after the current one has finished.
    // Without a main window there is nothing to run it, and it is dropped.
    virtual void post_command(int) {}
    // The progress window of a batch job ("Прибор <==> программа"), shown modally: it shows
    // `caption` and a bar over 0..total, then calls `started` (which hands the job to the worker)
    // and returns the window's result once close_progress has been called. Its "Прервать!" button
    // calls `abort`. Returns -1 when the window could not be shown, as a shell without any
    // means of showing progress does.
    virtual int run_progress(const std::string& /*caption*/, int /*total*/, const std::function<void()>& /*started*/,
                             const std::function<void()>& /*abort*/)
    {
        return -1;
    }
    // From any thread while the window stands: one line of the job log, and the count "%i из %i"
    // with the bar (nothing for a total of 0); the elapsed time is the window's own.
    virtual void progress_line(const std::string&) {}
    virtual void progress_count(int /*processed*/, int /*total*/) {}
    // From any thread: closes the window with the result.
    virtual void close_progress(int) {}

    // From any thread: one line of a run's own progress outside any job window (a commissioning
    // run's outcome for each instrument): printed on the output stream without windows; a window
    // shows it in its own way.
    virtual void status_line(const std::string&) {}

    // Opens a file (an exported page, the help) with the desktop's program for it; without a
    // desktop nothing happens.
    virtual void open_file(const std::string& /*path*/) {}

    // Whether a main window exists to take posted commands and scanner results.
    virtual bool has_main_window() const { return false; }
    // Announces one new record in the scanner result queue (posted once per record).
    virtual void scan_results_ready() {}
    // Redraws every view of the document from the tree.
    virtual void update_all_views() {}
    // The apply dialog: shows the list of the instrument's new network settings and, when the user
    // confirms, calls `on_ok` with the boxes' state before the dialog closes. Returns the boxes' state
    // when it was closed with OK, nothing when cancelled. Without windows it counts as cancelled.
    virtual std::optional<ApplyChoices> apply_dialog(const std::string& /*settings_text*/,
                                                     const std::function<void(const ApplyChoices&)>& /*on_ok*/)
    {
        return std::nullopt;
    }
    // The calibration window, shown modally: `apply` is the handler of its two "Применить" buttons
    // (true for the range correction) with the text typed beside the button. Returns false, showing
    // nothing, when there are no windows.
    virtual bool calibration_dialog(const std::function<void(bool, const std::string&)>& /*apply*/) { return false; }

    // The end of a compare job, on the window thread: `text` is the summary for the box (the first
    // differences, or that there were none), `differences` every one found. A window may list them
    // in a window of their own instead; by default the box.
    virtual void compare_result(const std::string& text, const std::string& caption,
                                const std::vector<CompareDifference>& /*differences*/)
    {
        message(text, caption, Icon::information, Owner::main_window);
    }
};

} // namespace zr740
