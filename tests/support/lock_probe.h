#pragma once
// Whether another thread could take a lock right now. A box that stands while its caller holds the
// port lock makes the scanner thread, and any job posted meanwhile, wait for the person.

#include <mutex>
#include <thread>

namespace zr740::testing {

inline bool free_for_other_threads(std::recursive_mutex& lock)
{
    bool taken = false;
    std::thread probe([&] {
        if (lock.try_lock()) {
            taken = true;
            lock.unlock();
        }
    });
    probe.join();
    return taken;
}

} // namespace zr740::testing
