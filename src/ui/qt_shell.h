#pragma once
// The shell of the window version: message boxes owned by the main window, the progress window of
// batch jobs, posted commands and the hand-over of scanner results and view updates to the window.
//
// The core calls it from three threads. On the window thread everything happens at once. From the
// exchange and scanner threads a call is marshalled to the window thread: queued when nobody waits
// for an answer (messages, progress lines, posted commands), blocking when an answer is needed
// (questions). The window thread itself never waits for a worker here.
//
// For tests the boxes can be kept from appearing: answers of the next questions are preset, and
// every box (shown or answered from the preset queue) is recorded with its text, caption and icon.

#include "app/app_shell.h"
#include "ui/window_post.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <deque>
#include <memory>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace zr740::ui {

class CProgressDlg;

class QtShell : public QObject, public AppShell {
    Q_OBJECT
public:
    // One box as the person saw it (or would have seen it).
    struct ShownBox {
        enum class Kind { message, question, question_with_cancel } kind;
        std::string text;
        std::string caption;
        Icon icon;
        Owner owner;
        Choice answer; // "yes" for a message box
    };

    explicit QtShell(QObject* parent = nullptr);
    ~QtShell() override;

    // The owner of the boxes and of the progress window.
    void set_main_window(QWidget* window);
    QWidget* main_window() const;
    // What the window does with posted commands, scanner announcements and view updates.
    std::function<void(int)> on_command;
    std::function<void()> on_scan_results;
    std::function<void()> on_update_views;
    // What the window does at the end of a compare: takes the differences, and says whether it
    // showed them itself (true) or leaves the summary box to the shell (false).
    std::function<bool(const std::vector<CompareDifference>&)> on_compare_result;

    // Boxes are recorded and not shown while this is set; questions take the preset answers in
    // order and "no" once they run out. Off: boxes are shown unless an answer is preset.
    void set_unattended_boxes(bool on);
    void preset_answer(Choice answer);
    std::vector<ShownBox> shown_boxes() const;
    // Files handed to the desktop (while boxes are recorded they are recorded, not opened).
    std::vector<std::string> opened_files() const;
    void clear_shown_boxes();
    // Called with each box while it stands (shown or recorded), on the thread that waits for it.
    std::function<void(const ShownBox&)> on_box;

    // Questions asked from worker threads that still wait are answered "no" and no more are
    // asked: the window is closing and the window thread is about to wait for those threads.
    void release_waiting_threads();

    // The progress window while a job runs, for tests and screenshots.
    CProgressDlg* progress_window() const;

    // Shell
    void message(const std::string& text, const std::string& caption, Icon icon, Owner owner) override;
    bool ask_yes_no(const std::string& text, const std::string& caption, Icon icon) override;
    Choice ask_yes_no_cancel(const std::string& text, const std::string& caption, Icon icon) override;
    void set_wait_cursor(bool on) override;
    // Boxes are recorded as shown, but go to the error stream and the log instead of the screen.
    void send_boxes_to_log(MessageLog log) override;
    void post_command(int command) override;
    int run_progress(const std::string& caption, int total, const std::function<void()>& started,
                     const std::function<void()>& abort) override;
    void progress_line(const std::string& text) override;
    void progress_count(int processed, int total) override;
    void close_progress(int result) override;
    void open_file(const std::string& path) override;
    bool has_main_window() const override;
    void scan_results_ready() override;
    void update_all_views() override;
    // The apply and calibration windows, modal over the main window.
    std::optional<ApplyChoices> apply_dialog(const std::string& settings_text,
                                             const std::function<void(const ApplyChoices&)>& on_ok) override;
    bool calibration_dialog(const std::function<void(bool, const std::string&)>& apply) override;
    // The window's own list of the differences when it takes them; the box otherwise, and always
    // while boxes go to the log: a run that ends by itself opens no window for nobody to close.
    void compare_result(const std::string& text, const std::string& caption,
                        const std::vector<CompareDifference>& differences) override;

private:
    bool on_window_thread() const;
    // Shows (or records) one box on the window thread.
    Choice box(ShownBox::Kind kind, const std::string& text, const std::string& caption, Icon icon, Owner owner);
    void add_progress_line(const std::string& text);
    void set_progress_count(int processed, int total);
    void finish_progress(int result);

    // With a log set: writes the box there and gives the answer it got; nothing without one.
    std::optional<Choice> to_log(ShownBox::Kind kind, const std::string& text, const std::string& caption, Icon icon,
                                 Owner owner);

    struct PendingQuestion;
    Choice ask_from_worker(ShownBox::Kind kind, const std::string& text, const std::string& caption, Icon icon);
    // Runs a command posted while a progress window stands once that window has closed.
    void deliver(int command);
    void deliver_deferred();

    QPointer<QWidget> main_window_;
    std::atomic<bool> has_window_{false};
    std::deque<int> deferred_commands_;
    bool flushing_ = false;
    QPointer<CProgressDlg> progress_;
    int wait_cursors_ = 0;

    mutable std::mutex boxes_mutex_;
    bool unattended_boxes_ = false;
    MessageLog log_;
    std::deque<Choice> preset_;
    std::vector<ShownBox> shown_;
    std::vector<std::string> opened_;
    bool closing_ = false;
    std::vector<std::shared_ptr<PendingQuestion>> waiting_;
    // What other threads hand to the window thread.
    WindowPost post_{this};
};

} // namespace zr740::ui
