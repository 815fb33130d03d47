#pragma once
// A pseudo-terminal pair for tests of the serial line: the code under test opens the slave by its
// path, the test plays the other end on the master. The master is raw, so bytes pass unchanged.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace zr740::testing {

class PtyPair {
public:
    PtyPair()
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
            throw std::runtime_error("no pseudo-terminal");
        std::array<char, 128> name{};
        if (ptsname_r(master_, name.data(), name.size()) != 0)
            throw std::runtime_error("no pseudo-terminal name");
        slave_path_ = name.data();
        // On a pty master these requests reach the slave's settings: keep the line raw until the
        // code under test sets it up.
        termios settings{};
        if (tcgetattr(master_, &settings) == 0) {
            cfmakeraw(&settings);
            tcsetattr(master_, TCSANOW, &settings);
        }
    }
    ~PtyPair() { close_master(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    int master() const { return master_; }
    const std::string& slave_path() const { return slave_path_; }

    // The device "goes away": the slave is hung up.
    void close_master()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

    // Reads until `count` bytes came or `timeout` passed without completing them.
    std::vector<std::uint8_t> read_bytes(std::size_t count,
                                         std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) const
    {
        std::vector<std::uint8_t> bytes;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (bytes.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            pollfd event{master_, POLLIN, 0};
            if (poll(&event, 1, static_cast<int>(left.count())) <= 0 || (event.revents & POLLIN) == 0)
                break;
            std::array<std::uint8_t, 512> chunk{};
            const auto n = ::read(master_, chunk.data(), std::min(chunk.size(), count - bytes.size()));
            if (n <= 0)
                break;
            bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + n);
        }
        return bytes;
    }

    bool write_bytes(std::span<const std::uint8_t> bytes) const
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const auto n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    int master_ = -1;
    std::string slave_path_;
};

} // namespace zr740::testing
