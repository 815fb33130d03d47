#pragma once
// The main window's message queue of a run without windows: commands posted from any thread, taken
// one at a time by the main thread.

#include <condition_variable>
#include <deque>
#include <mutex>

namespace zr740 {

class CommandQueue {
public:
    void post(int command)
    {
        {
            std::lock_guard lock(mutex_);
            commands_.push_back(command);
        }
        posted_.notify_one();
    }
    int take()
    {
        std::unique_lock lock(mutex_);
        posted_.wait(lock, [&] { return !commands_.empty(); });
        const int command = commands_.front();
        commands_.pop_front();
        return command;
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<int> commands_;
};

} // namespace zr740
