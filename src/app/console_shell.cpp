#include "app/console_shell.h"

#include <ostream>

namespace zr740 {

void print_box(std::ostream& err, const std::string& caption, const std::string& text, bool question)
{
    err << caption << ": " << (question ? answered_no(text) : text) << '\n';
    err.flush();
}

std::string answered_no(const std::string& question) { return question + " -> нет"; }

ConsoleShell::ConsoleShell(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

void ConsoleShell::send_boxes_to_log(MessageLog log)
{
    std::lock_guard lock(mutex_);
    log_ = std::move(log);
}

void ConsoleShell::message(const std::string& text, const std::string& caption, Icon, Owner)
{
    std::lock_guard lock(mutex_);
    print_box(err_, caption, text, false);
    if (log_)
        log_(caption, text);
}

bool ConsoleShell::ask_yes_no(const std::string& text, const std::string& caption, Icon)
{
    std::lock_guard lock(mutex_);
    print_box(err_, caption, text, true);
    if (log_)
        log_(caption, answered_no(text));
    return false;
}

void ConsoleShell::set_wait_cursor(bool) {}

void ConsoleShell::post_command(int command)
{
    if (queue_)
        queue_->post(command);
}

int ConsoleShell::run_progress(const std::string& caption, int, const std::function<void()>& started,
                               const std::function<void()>&)
{
    std::unique_lock lock(mutex_);
    out_ << caption << '\n';
    out_.flush();
    open_ = true;
    lock.unlock();
    started();
    lock.lock();
    closed_.wait(lock, [&] { return !open_; });
    return result_;
}

void ConsoleShell::progress_line(const std::string& text)
{
    std::lock_guard lock(mutex_);
    if (!open_)
        return;
    out_ << text << '\n';
    out_.flush();
}

void ConsoleShell::status_line(const std::string& text)
{
    std::lock_guard lock(mutex_);
    out_ << text << '\n';
    out_.flush();
}

void ConsoleShell::close_progress(int result)
{
    {
        std::lock_guard lock(mutex_);
        open_ = false;
        result_ = result;
    }
    closed_.notify_all();
}

} // namespace zr740
