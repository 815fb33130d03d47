#pragma once
// A shell that records every message, so tests can assert text, caption, icon and owner. Worker
// threads call it too (progress lines, messages at the end of a job), so recording is locked; a
// test reads the records once the job has ended.

#include "app/app_shell.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace zr740::testing {

struct RecordedMessage {
    std::string text;
    std::string caption;
    Icon icon;
    Owner owner;
};

class RecordingShell : public AppShell {
public:
    void message(const std::string& text, const std::string& caption, Icon icon, Owner owner) override
    {
        if (on_box)
            on_box();
        std::lock_guard lock(mutex_);
        messages.push_back({text, caption, icon, owner});
    }
    bool ask_yes_no(const std::string& text, const std::string& caption, Icon icon) override
    {
        if (on_box)
            on_box();
        std::lock_guard lock(mutex_);
        questions.push_back({text, caption, icon, Owner::main_window});
        return answer;
    }
    void set_wait_cursor(bool on) override { wait_cursor = on; }
    void post_command(int command) override
    {
        std::lock_guard lock(mutex_);
        posted.push_back(command);
    }
    void update_all_views() override { ++view_updates; }
    bool has_main_window() const override { return main_window; }
    void scan_results_ready() override { ++scan_announcements; }
    // Plays the user: confirms with `apply_choices` unless `apply_cancel` is set.
    std::optional<ApplyChoices> apply_dialog(const std::string& settings_text,
                                             const std::function<void(const ApplyChoices&)>& on_ok) override
    {
        apply_dialog_texts.push_back(settings_text);
        if (apply_cancel)
            return std::nullopt;
        on_ok(apply_choices);
        return apply_choices;
    }

    // The progress window: records its caption and total, hands the job over and waits until the
    // job closes it. With `abort_after_lines` set, it presses "Прервать!" once that many lines
    // have arrived.
    int run_progress(const std::string& caption, int total, const std::function<void()>& started,
                     const std::function<void()>& abort) override
    {
        if (!progress_available)
            return -1;
        std::unique_lock lock(mutex_);
        progress_captions.push_back(caption);
        progress_totals.push_back(total);
        window_open_ = true;
        lock.unlock();
        started();
        lock.lock();
        bool aborted = false;
        while (window_open_) {
            if (!aborted && abort_after_lines && progress_lines.size() >= *abort_after_lines) {
                aborted = true;
                lock.unlock();
                abort();
                lock.lock();
                continue;
            }
            changed_.wait(lock);
        }
        return window_result_;
    }
    void progress_line(const std::string& text) override
    {
        {
            std::lock_guard lock(mutex_);
            if (!window_open_)
                return;
            progress_lines.push_back(text);
        }
        changed_.notify_all();
    }
    void progress_count(int processed, int total) override
    {
        std::lock_guard lock(mutex_);
        if (window_open_)
            counts.emplace_back(processed, total);
    }
    void close_progress(int result) override
    {
        {
            std::lock_guard lock(mutex_);
            window_open_ = false;
            window_result_ = result;
        }
        changed_.notify_all();
    }

    void status_line(const std::string& text) override
    {
        std::lock_guard lock(mutex_);
        status_lines.push_back(text);
    }
    std::vector<std::string> status_lines_now()
    {
        std::lock_guard lock(mutex_);
        return status_lines;
    }

    // For a test that watches a running job.
    std::size_t line_count()
    {
        std::lock_guard lock(mutex_);
        return progress_lines.size();
    }

    // Called with each message or question as it comes, where a box would stand and wait.
    std::function<void()> on_box;
    std::vector<RecordedMessage> messages;
    std::vector<RecordedMessage> questions;
    bool answer = false;
    bool wait_cursor = false;
    std::vector<int> posted;
    std::vector<std::string> status_lines;
    std::atomic<int> view_updates{0};
    bool main_window = true;
    std::atomic<int> scan_announcements{0};
    std::vector<std::string> apply_dialog_texts;
    ApplyChoices apply_choices;
    bool apply_cancel = false;

    bool progress_available = true;
    std::optional<std::size_t> abort_after_lines;
    std::vector<std::string> progress_captions;
    std::vector<int> progress_totals;
    std::vector<std::string> progress_lines;
    std::vector<std::pair<int, int>> counts;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool window_open_ = false;
    int window_result_ = 0;
};

} // namespace zr740::testing
