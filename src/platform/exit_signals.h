#pragma once
// The ways another program ends an unattended run: a POSIX named semaphore it posts (the "exit
// event"), and SIGTERM, SIGINT or SIGHUP. One thread waits for any of them, or for the program's own
// shutdown.

#include <atomic>
#include <semaphore.h>
#include <string>

namespace zr740 {

class ExitSignals {
public:
    enum class Cause { shutdown, exit_event, signal };

    ExitSignals() = default;
    // Closes and removes the semaphore.
    ~ExitSignals();
    ExitSignals(const ExitSignals&) = delete;
    ExitSignals& operator=(const ExitSignals&) = delete;

    // Blocks SIGTERM, SIGINT and SIGHUP in the calling thread and every thread it starts afterwards,
    // so that only wait() takes them, and ignores SIGPIPE. Call first thing in main, before any
    // thread is started: a signal that comes before the waiting thread runs stays pending for it.
    static void block_signals();
    // Creates the semaphore "/name", not posted. False with the system's reason.
    bool create_semaphore(const std::string& name, std::string& error);

    // Returns when shutdown() was called, the semaphore was posted or a signal arrived.
    Cause wait();
    // From any thread: ends wait() with Cause::shutdown.
    void shutdown() { shutdown_ = true; }

private:
    sem_t* semaphore_ = SEM_FAILED;
    std::string semaphore_name_;
    std::atomic<bool> shutdown_{false};
};

} // namespace zr740
