#pragma once
// The main window's message queue of a run without windows: commands posted from any thread, taken
// one at a time by the main thread. A run with windows forwards them to the window instead.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

namespace zr740 {

class CommandQueue {
public:
    void post(int command)
    {
        {
            std::lock_guard lock(mutex_);
            if (forward_) {
                forward_(command);
                return;
            }
            commands_.push_back(command);
        }
        posted_.notify_one();
    }
    // With windows the main window's own queue takes the commands instead; set before any post.
    void forward_to(std::function<void(int)> forward)
    {
        std::lock_guard lock(mutex_);
        forward_ = std::move(forward);
    }
    int take()
    {
        std::unique_lock lock(mutex_);
        posted_.wait(lock, [&] { return !commands_.empty(); });
        const int command = commands_.front();
        commands_.pop_front();
        return command;
    }

    // The next command, or nothing once the deadline has passed without one.
    std::optional<int> take_until(std::chrono::steady_clock::time_point deadline)
    {
        std::unique_lock lock(mutex_);
        if (!posted_.wait_until(lock, deadline, [&] { return !commands_.empty(); }))
            return std::nullopt;
        const int command = commands_.front();
        commands_.pop_front();
        return command;
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<int> commands_;
    std::function<void(int)> forward_;
};

} // namespace zr740
