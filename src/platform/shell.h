#pragma once
// The one way the core talks to a person. The Qt front end shows windows, the console front end prints,
// tests record. Every text a user can see passes through here so that it can be asserted.

#include <functional>
#include <optional>
#include <string>

namespace zr740 {

enum class Icon { none, information, warning, stop, question };

// Whether a message box is owned by the main window or stands on its own (the loader's messages are
// ownerless because they may come before any window exists).
enum class Owner { main_window, none };

// The answer to a question that may also be withdrawn ("save the changes?": yes, no, cancel).
enum class Choice { yes, no, cancel };

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

// The check boxes of the apply dialog.
struct ApplyChoices {
    bool change_program_settings = true; // "Поменять сразу сетевые настройки программы"
    bool broadcast = false;              // "Поcлать широковещательную команду ..."
    bool send_three_times = true;        // "Поcлать посылку трижды (для надежности)"
};

class Shell {
public:
    virtual ~Shell() = default;

    virtual void message(const std::string& text, const std::string& caption, Icon icon, Owner owner) = 0;
    // Returns true for "yes". Unattended shells answer "no".
    virtual bool ask_yes_no(const std::string& text, const std::string& caption, Icon icon) = 0;
    // A yes/no/cancel question. Shells that cannot offer "cancel" ask yes/no.
    virtual Choice ask_yes_no_cancel(const std::string& text, const std::string& caption, Icon icon)
    {
        return ask_yes_no(text, caption, icon) ? Choice::yes : Choice::no;
    }
    // In a run that ends by itself nobody is there to click a box: from now on every message is
    // written to the error stream and handed to `log` (caption, text) instead, and every question
    // is answered "no" the same way. Shells without boxes print to the error stream already.
    using MessageLog = std::function<void(const std::string& caption, const std::string& text)>;
    virtual void send_boxes_to_log(MessageLog /*log*/) {}
    // The wait cursor shown during long synchronous work on the window thread.
    virtual void set_wait_cursor(bool on) = 0;
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
};

} // namespace zr740
