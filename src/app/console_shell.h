#pragma once
// The shell of a run without windows: messages go to the error stream with their caption, questions
// are answered "no", and a job's progress lines go to the output stream.

#include "app/command_queue.h"
#include "app/app_shell.h"

#include <condition_variable>
#include <iosfwd>
#include <mutex>
#include <string>

namespace zr740 {

// How a box reads on the error stream: "caption: text", a question with the answer it got.
void print_box(std::ostream& err, const std::string& caption, const std::string& text, bool question);
// A question's text with the answer a run without a person gives it.
std::string answered_no(const std::string& question);

class ConsoleShell : public AppShell {
public:
    ConsoleShell(std::ostream& out, std::ostream& err);

    void message(const std::string& text, const std::string& caption, Icon icon, Owner owner) override;
    bool ask_yes_no(const std::string& text, const std::string& caption, Icon icon) override;
    void set_wait_cursor(bool on) override;
    // Messages and questions also go to the log (the run's error log).
    void send_boxes_to_log(MessageLog log) override;
    // Prints the caption, hands the job over and waits until the job has closed the "window".
    int run_progress(const std::string& caption, int total, const std::function<void()>& started,
                     const std::function<void()>& abort) override;
    void progress_line(const std::string& text) override;
    void close_progress(int result) override;
    void status_line(const std::string& text) override;
    // Posted commands go to the run's queue once one is attached; before that they are dropped.
    void post_command(int command) override;
    void attach_queue(CommandQueue* queue) { queue_ = queue; }

private:
    CommandQueue* queue_ = nullptr;
    MessageLog log_;
    std::ostream& out_;
    std::ostream& err_;
    std::mutex mutex_;
    std::condition_variable closed_;
    bool open_ = false;
    int result_ = 0;
};

} // namespace zr740
