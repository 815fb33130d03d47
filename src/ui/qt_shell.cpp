#include "ui/qt_shell.h"

#include "app/console_shell.h"
#include "model/model_texts.h"
#include "ui/apply_dialog.h"
#include "ui/calibration_dialog.h"
#include "ui/frame_texts.h"
#include "ui/progress_window.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <condition_variable>
#include <iostream>

namespace zr740::ui {
namespace {

QMessageBox::Icon box_icon(Icon icon)
{
    switch (icon) {
    case Icon::information:
        return QMessageBox::Information;
    case Icon::warning:
        return QMessageBox::Warning;
    case Icon::stop:
        return QMessageBox::Critical;
    case Icon::question:
        return QMessageBox::Question;
    case Icon::none:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

// A question of a worker thread waiting for the window thread's answer.
struct QtShell::PendingQuestion {
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    Choice answer = Choice::no;

    void set(Choice choice)
    {
        {
            std::lock_guard lock(mutex);
            if (done)
                return;
            done = true;
            answer = choice;
        }
        answered.notify_all();
    }
};

QtShell::QtShell(QObject* parent) : QObject(parent) {}

QtShell::~QtShell() { release_waiting_threads(); }

void QtShell::set_main_window(QWidget* window)
{
    main_window_ = window;
    has_window_ = window != nullptr;
}

QWidget* QtShell::main_window() const { return main_window_; }

CProgressDlg* QtShell::progress_window() const { return progress_.data(); }

bool QtShell::on_window_thread() const { return QThread::currentThread() == thread(); }

void QtShell::set_unattended_boxes(bool on)
{
    std::lock_guard lock(boxes_mutex_);
    unattended_boxes_ = on;
}

void QtShell::preset_answer(Choice answer)
{
    std::lock_guard lock(boxes_mutex_);
    preset_.push_back(answer);
}

std::vector<QtShell::ShownBox> QtShell::shown_boxes() const
{
    std::lock_guard lock(boxes_mutex_);
    return shown_;
}

void QtShell::clear_shown_boxes()
{
    std::lock_guard lock(boxes_mutex_);
    shown_.clear();
}

std::vector<std::string> QtShell::opened_files() const
{
    std::lock_guard lock(boxes_mutex_);
    return opened_;
}

void QtShell::release_waiting_threads()
{
    std::vector<std::shared_ptr<PendingQuestion>> waiting;
    {
        std::lock_guard lock(boxes_mutex_);
        closing_ = true;
        waiting.swap(waiting_);
    }
    for (auto& question : waiting)
        question->set(Choice::no);
}

Choice QtShell::box(ShownBox::Kind kind, const std::string& text, const std::string& caption, Icon icon, Owner owner)
{
    if (on_box)
        on_box({kind, text, caption, icon, owner, Choice::yes});
    {
        std::lock_guard lock(boxes_mutex_);
        const bool answered_ahead = !preset_.empty() && kind != ShownBox::Kind::message;
        // Once the window is closing nothing is asked any more: the answer is "no".
        if (unattended_boxes_ || answered_ahead || closing_) {
            Choice answer = Choice::yes;
            if (kind != ShownBox::Kind::message) {
                answer = Choice::no;
                if (!preset_.empty() && !closing_) {
                    answer = preset_.front();
                    preset_.pop_front();
                }
            }
            shown_.push_back({kind, text, caption, icon, owner, answer});
            // A message of a closing window has nobody to see it on the screen any more.
            if (closing_ && !unattended_boxes_ && kind == ShownBox::Kind::message)
                std::cerr << caption << ": " << text << std::endl;
            return answer;
        }
    }

    QMessageBox box(box_icon(icon), q(caption), q(text), QMessageBox::NoButton,
                    owner == Owner::main_window ? main_window_.data() : nullptr);
    switch (kind) {
    case ShownBox::Kind::message:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case ShownBox::Kind::question:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case ShownBox::Kind::question_with_cancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    // The wait cursor of a running command must not hide that the box waits for the person.
    const int cursors = wait_cursors_;
    for (int i = 0; i < cursors; ++i)
        QApplication::restoreOverrideCursor();
    const int button = box.exec();
    for (int i = 0; i < cursors; ++i)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    Choice answer = Choice::yes;
    if (kind != ShownBox::Kind::message)
        answer = button == QMessageBox::Yes ? Choice::yes : button == QMessageBox::No ? Choice::no : Choice::cancel;
    std::lock_guard lock(boxes_mutex_);
    shown_.push_back({kind, text, caption, icon, owner, answer});
    return answer;
}

void QtShell::send_boxes_to_log(MessageLog log)
{
    std::lock_guard lock(boxes_mutex_);
    log_ = std::move(log);
}

std::optional<Choice> QtShell::to_log(ShownBox::Kind kind, const std::string& text, const std::string& caption,
                                      Icon icon, Owner owner)
{
    std::lock_guard lock(boxes_mutex_);
    if (!log_)
        return std::nullopt;
    // Written at once from whichever thread, so the lines keep the order in which things happened.
    const bool question = kind != ShownBox::Kind::message;
    print_box(std::cerr, caption, text, question);
    log_(caption, question ? answered_no(text) : text);
    const Choice answer = question ? Choice::no : Choice::yes;
    shown_.push_back({kind, text, caption, icon, owner, answer});
    return answer;
}

void QtShell::message(const std::string& text, const std::string& caption, Icon icon, Owner owner)
{
    if (to_log(ShownBox::Kind::message, text, caption, icon, owner))
        return;
    if (on_window_thread()) {
        box(ShownBox::Kind::message, text, caption, icon, owner);
        return;
    }
    {
        std::lock_guard lock(boxes_mutex_);
        if (unattended_boxes_) {
            shown_.push_back({ShownBox::Kind::message, text, caption, icon, owner, Choice::yes});
            return;
        }
    }
    // Nobody waits for a message: the worker goes on while the box stands.
    post_.post([this, text, caption, icon, owner] { box(ShownBox::Kind::message, text, caption, icon, owner); });
}

Choice QtShell::ask_from_worker(ShownBox::Kind kind, const std::string& text, const std::string& caption, Icon icon)
{
    auto question = std::make_shared<PendingQuestion>();
    if (on_box)
        on_box({kind, text, caption, icon, Owner::main_window, Choice::no});
    {
        std::lock_guard lock(boxes_mutex_);
        if (closing_)
            return Choice::no;
        if (unattended_boxes_ || !preset_.empty()) {
            Choice answer = Choice::no;
            if (!preset_.empty()) {
                answer = preset_.front();
                preset_.pop_front();
            }
            shown_.push_back({kind, text, caption, icon, Owner::main_window, answer});
            return answer;
        }
        waiting_.push_back(question);
    }
    post_.post([this, question, kind, text, caption, icon] {
        {
            std::lock_guard lock(question->mutex);
            if (question->done)
                return;
        }
        question->set(box(kind, text, caption, icon, Owner::main_window));
    });
    std::unique_lock wait(question->mutex);
    question->answered.wait(wait, [&] { return question->done; });
    const Choice answer = question->answer;
    wait.unlock();
    std::lock_guard lock(boxes_mutex_);
    std::erase(waiting_, question);
    return answer;
}

bool QtShell::ask_yes_no(const std::string& text, const std::string& caption, Icon icon)
{
    if (const auto answer = to_log(ShownBox::Kind::question, text, caption, icon, Owner::main_window))
        return *answer == Choice::yes;
    if (on_window_thread())
        return box(ShownBox::Kind::question, text, caption, icon, Owner::main_window) == Choice::yes;
    return ask_from_worker(ShownBox::Kind::question, text, caption, icon) == Choice::yes;
}

Choice QtShell::ask_yes_no_cancel(const std::string& text, const std::string& caption, Icon icon)
{
    if (const auto answer = to_log(ShownBox::Kind::question_with_cancel, text, caption, icon, Owner::main_window))
        return *answer;
    if (on_window_thread())
        return box(ShownBox::Kind::question_with_cancel, text, caption, icon, Owner::main_window);
    return ask_from_worker(ShownBox::Kind::question_with_cancel, text, caption, icon);
}

void QtShell::set_wait_cursor(bool on)
{
    if (!on_window_thread()) {
        post_.post([this, on] { set_wait_cursor(on); });
        return;
    }
    if (on) {
        ++wait_cursors_;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (wait_cursors_ > 0) {
        --wait_cursors_;
        QApplication::restoreOverrideCursor();
    }
}

void QtShell::post_command(int command)
{
    // Always queued, also from the window thread: the command runs after the current one.
    post_.post([this, command] { deliver(command); });
}

void QtShell::deliver(int command)
{
    // A job's follow-up may arrive while its progress window is still being closed; it runs when
    // the window thread is back in its own loop, never nested in the window's.
    // Nor may it overtake one that waits for that: commands run in the order they were posted.
    if (progress_ || flushing_ || !deferred_commands_.empty()) {
        deferred_commands_.push_back(command);
        return;
    }
    if (on_command)
        on_command(command);
}

void QtShell::deliver_deferred()
{
    while (!deferred_commands_.empty() && !progress_) {
        const int command = deferred_commands_.front();
        deferred_commands_.pop_front();
        if (on_command)
            on_command(command);
    }
}

int QtShell::run_progress(const std::string& caption, int total, const std::function<void()>& started,
                          const std::function<void()>& abort)
{
    if (!on_window_thread() || progress_)
        return -1;
    // Lines still queued from a job that was stopped belong to no window; commands among them
    // wait until this job's window has closed.
    flushing_ = true;
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    flushing_ = false;
    CProgressDlg window(main_window_);
    window.start(q(caption), total);
    connect(&window, &CProgressDlg::abortRequested, this, [&abort] { abort(); });
    progress_ = &window;
    window.show();
    started();
    const int result = window.wait_until_closed();
    progress_ = nullptr;
    if (!deferred_commands_.empty())
        QTimer::singleShot(0, this, [this] { deliver_deferred(); });
    return result;
}

void QtShell::add_progress_line(const std::string& text)
{
    if (progress_)
        progress_->add_line(q(text));
}

void QtShell::set_progress_count(int processed, int total)
{
    if (progress_)
        progress_->set_count(processed, total);
}

void QtShell::finish_progress(int result)
{
    if (progress_)
        progress_->finish(result);
}

void QtShell::progress_line(const std::string& text)
{
    if (on_window_thread())
        add_progress_line(text);
    else
        post_.post([this, text] { add_progress_line(text); });
}

void QtShell::progress_count(int processed, int total)
{
    if (on_window_thread())
        set_progress_count(processed, total);
    else
        post_.post([this, processed, total] { set_progress_count(processed, total); });
}

void QtShell::close_progress(int result)
{
    if (on_window_thread())
        finish_progress(result);
    else
        post_.post([this, result] { finish_progress(result); });
}

void QtShell::open_file(const std::string& path)
{
    {
        std::lock_guard lock(boxes_mutex_);
        opened_.push_back(path);
        if (unattended_boxes_)
            return;
    }
    post_.post([path] { QDesktopServices::openUrl(QUrl::fromLocalFile(q(path))); });
}

bool QtShell::has_main_window() const { return has_window_; }

void QtShell::scan_results_ready()
{
    post_.post([this] {
        if (on_scan_results)
            on_scan_results();
    });
}

void QtShell::update_all_views()
{
    if (!on_window_thread()) {
        post_.post([this] { update_all_views(); });
        return;
    }
    if (on_update_views)
        on_update_views();
}

std::optional<ApplyChoices> QtShell::apply_dialog(const std::string& settings_text,
                                                  const std::function<void(const ApplyChoices&)>& on_ok)
{
    CApply dialog(settings_text, on_ok, main_window_.data());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choices();
}

void QtShell::compare_result(const std::string& text, const std::string& caption,
                             const std::vector<CompareDifference>& differences)
{
    bool to_log = false;
    {
        std::lock_guard lock(boxes_mutex_);
        to_log = static_cast<bool>(log_);
    }
    if (!to_log && on_window_thread() && on_compare_result && on_compare_result(differences))
        return;
    message(text, caption, Icon::information, Owner::main_window);
}

bool QtShell::calibration_dialog(const std::function<void(bool, const std::string&)>& apply)
{
    CPageUstirovka dialog(apply, main_window_.data());
    dialog.exec();
    return true;
}

} // namespace zr740::ui
