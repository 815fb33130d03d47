#include "platform/exit_signals.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>

namespace zr740 {
namespace {

// How often the wait looks at the semaphore and the shutdown flag between signals.
constexpr long poll_nanoseconds = 50'000'000;

sigset_t exit_signal_set()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    // A closed terminal or a session that ends is a stop like any other: the instrument still gets
    // its INIT and the semaphore is removed.
    sigaddset(&set, SIGHUP);
    return set;
}

} // namespace

ExitSignals::~ExitSignals()
{
    if (semaphore_ != SEM_FAILED) {
        sem_close(semaphore_);
        sem_unlink(semaphore_name_.c_str());
    }
}

void ExitSignals::block_signals()
{
    const sigset_t set = exit_signal_set();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    // A reader of the output that goes away (a pipe into "head", a closed log) must not end the
    // run half-way through a write into the instrument; the write into the pipe just fails.
    std::signal(SIGPIPE, SIG_IGN);
}

bool ExitSignals::create_semaphore(const std::string& name, std::string& error)
{
    semaphore_name_ = "/" + name;
    semaphore_ = sem_open(semaphore_name_.c_str(), O_CREAT, 0600, 0);
    if (semaphore_ == SEM_FAILED) {
        error = std::strerror(errno);
        return false;
    }
    // A post left over from an earlier run must not end this one.
    while (sem_trywait(semaphore_) == 0) {
    }
    return true;
}

ExitSignals::Cause ExitSignals::wait()
{
    const sigset_t set = exit_signal_set();
    const timespec pause{0, poll_nanoseconds};
    while (true) {
        if (shutdown_)
            return Cause::shutdown;
        if (semaphore_ != SEM_FAILED && sem_trywait(semaphore_) == 0)
            return Cause::exit_event;
        if (sigtimedwait(&set, nullptr, &pause) > 0)
            return Cause::signal;
    }
}

} // namespace zr740
