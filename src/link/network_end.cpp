#include "link/network_end.h"

#include "link/network_texts.h"
#include "model/text.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace zr740 {
namespace {

std::string where(const PortAddress& address)
{
    const bool v6 = address.host.find(':') != std::string::npos;
    return (v6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

std::string with(std::string_view pattern, std::string_view subject, std::string_view reason)
{
    return replace_all(replace_all(pattern, "%s", subject), "%e", reason);
}

// Waits for a non-blocking connect to end: 0 connected, else the errno (ETIMEDOUT past the limit,
// ECANCELED when aborted).
int wait_connected(int fd, int abort_fd, std::chrono::steady_clock::time_point deadline)
{
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return ETIMEDOUT;
        std::array<pollfd, 2> events{{{fd, POLLOUT, 0}, {abort_fd, POLLIN, 0}}};
        const int ready = ::poll(events.data(), abort_fd >= 0 ? 2 : 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return errno;
        if (ready == 0)
            return ETIMEDOUT;
        if ((events[1].revents & POLLIN) != 0)
            return ECANCELED;
        int error = 0;
        socklen_t size = sizeof error;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
            return errno;
        return error;
    }
}

} // namespace

bool NetworkEnd::connect(int abort_fd, int timeout_ms, std::string& error)
{
    close();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(address_.port);
    if (const int failed = getaddrinfo(address_.host.c_str(), service.c_str(), &hints, &found); failed != 0) {
        error = with(texts::network_unknown_host, address_.host,
                     failed == EAI_SYSTEM ? std::strerror(errno) : gai_strerror(failed));
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    int last_error = ECONNREFUSED;
    for (const addrinfo* at = found; at && fd_ < 0; at = at->ai_next) {
        const int fd = ::socket(at->ai_family, at->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, at->ai_protocol);
        if (fd < 0) {
            last_error = errno;
            continue;
        }
        int result = ::connect(fd, at->ai_addr, at->ai_addrlen) == 0 ? 0 : errno;
        if (result == EINPROGRESS)
            result = wait_connected(fd, abort_fd, deadline);
        if (result != 0) {
            ::close(fd);
            last_error = result;
            if (result == ECANCELED || result == ETIMEDOUT)
                break;
            continue;
        }
        // Requests are small and each waits for its reply: nothing gains from Nagle's delay.
        const int one = 1;
        (void)setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        fd_ = fd;
    }
    freeaddrinfo(found);
    if (fd_ >= 0)
        return true;
    if (last_error == ETIMEDOUT)
        error = replace_all(texts::network_connect_timeout, "%s", where(address_));
    else
        error = with(texts::network_connect_failed, where(address_), std::strerror(last_error));
    return false;
}

void NetworkEnd::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    reader_.clear();
    ready_.clear();
}

ssize_t NetworkEnd::write(std::span<const std::uint8_t> rtu)
{
    if (address_.kind != PortKind::modbus_tcp)
        return ::send(fd_, rtu.data(), rtu.size(), MSG_NOSIGNAL);
    // A unit goes out whole or not at all: a part of one would leave the gateway waiting.
    const auto adu = mbap_from_rtu(rtu, ++transaction_);
    if (adu.empty())
        return static_cast<ssize_t>(rtu.size());
    std::size_t done = 0;
    while (done < adu.size()) {
        const ssize_t n = ::send(fd_, adu.data() + done, adu.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd event{fd_, POLLOUT, 0};
            if (::poll(&event, 1, 1000) > 0)
                continue;
        }
        return -1;
    }
    return static_cast<ssize_t>(rtu.size());
}

ssize_t NetworkEnd::read(std::uint8_t* out, std::size_t max)
{
    if (address_.kind != PortKind::modbus_tcp)
        return ::recv(fd_, out, max, 0);
    if (ready_.empty()) {
        std::array<std::uint8_t, 512> bytes{};
        const ssize_t n = ::recv(fd_, bytes.data(), bytes.size(), 0);
        if (n <= 0)
            return n;
        reader_.add(std::span(bytes.data(), static_cast<std::size_t>(n)));
        for (const auto& frame : reader_.take(transaction_, dropped_))
            ready_.insert(ready_.end(), frame.begin(), frame.end());
        if (ready_.empty()) {
            errno = EAGAIN;
            return -1;
        }
    }
    const std::size_t count = std::min(max, ready_.size());
    std::memcpy(out, ready_.data(), count);
    ready_.erase(ready_.begin(), ready_.begin() + static_cast<std::ptrdiff_t>(count));
    return static_cast<ssize_t>(count);
}

std::vector<std::uint8_t> NetworkEnd::take_dropped()
{
    std::vector<std::uint8_t> taken;
    taken.swap(dropped_);
    return taken;
}

} // namespace zr740
