#include "simulator/tcp_bridge.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <span>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace zr740::sim {
namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t read_chunk = 512;
// Above this much waiting to go one way, the relay stops reading the side that fills it, so that
// a peer which does not read is not buffered without bound.
constexpr std::size_t backlog_limit = 4096;
// Address, at most 253 bytes of PDU, CRC.
constexpr std::size_t max_rtu_frame = 256;
// A reply of a function without a length rule ends with this much silence.
constexpr std::chrono::milliseconds reply_silence{50};
// A gateway gives up on a reply that has not come, or stopped coming, for this long: the client
// has its own timeout, and the requests queued behind this one must get their turn.
constexpr std::chrono::milliseconds reply_patience{1000};

std::string system_error(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

timespec to_timespec(Clock::duration span)
{
    const auto nanoseconds = std::max<std::chrono::nanoseconds>(span, std::chrono::nanoseconds{0});
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(nanoseconds);
    return timespec{static_cast<time_t>(seconds.count()), static_cast<long>((nanoseconds - seconds).count())};
}

// CRC-16/Modbus. The bridge stands in for a third-party gateway, so it keeps its own.
std::uint16_t crc16(std::span<const std::uint8_t> bytes)
{
    std::uint16_t crc = 0xFFFF;
    for (const auto byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc =
                (crc & 1) != 0 ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

bool crc_matches(std::span<const std::uint8_t> frame)
{
    if (frame.size() < 4)
        return false;
    const auto crc = crc16(frame.first(frame.size() - 2));
    return frame[frame.size() - 2] == (crc & 0xFF) && frame[frame.size() - 1] == (crc >> 8);
}

// What the head of the client's stream holds.
struct AduHead {
    enum Kind {
        incomplete, // wait for more
        unsound,    // a length no ADU has: where the next one starts cannot be told
        foreign,    // a whole ADU of another protocol: skipped
        whole,      // a whole Modbus ADU
    } kind;
    std::size_t size = 0;
};

AduHead next_adu(std::span<const std::uint8_t> stream)
{
    if (stream.size() < 6)
        return {AduHead::incomplete};
    const unsigned protocol = (stream[2] << 8) | stream[3];
    const std::size_t length = (stream[4] << 8) | stream[5]; // unit id and PDU
    if (length < 2 || length > 254)
        return {AduHead::unsound};
    const std::size_t size = 6 + length;
    if (stream.size() < size)
        return {AduHead::incomplete, size};
    return {protocol == 0 ? AduHead::whole : AduHead::foreign, size};
}

// The RTU frame of a whole ADU: unit id as the address, the PDU, the CRC.
Bytes rtu_frame(std::span<const std::uint8_t> adu)
{
    Bytes frame(adu.begin() + 6, adu.end());
    const auto crc = crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}

// The length of the RTU reply `reply` begins, by its function's rule: 0 while that cannot be told
// yet, nullopt for a function without a rule (its reply ends with a silence).
std::optional<std::size_t> rtu_reply_length(std::span<const std::uint8_t> reply)
{
    if (reply.size() < 2)
        return 0;
    const auto function = reply[1];
    if ((function & 0x80) != 0)
        return 5;
    switch (function) {
    case 3:
    case 4:
        return reply.size() < 3 ? 0 : 5 + std::size_t{reply[2]};
    case 6:
    case 16:
        return 8;
    default:
        return std::nullopt;
    }
}

// Writes what the descriptor takes of `pending` now; false when it has failed.
bool flush(int fd, Bytes& pending, bool socket)
{
    while (!pending.empty()) {
        // A socket whose peer has gone must not raise SIGPIPE in the program running the bridge.
        const auto written = socket ? ::send(fd, pending.data(), pending.size(), MSG_NOSIGNAL)
                                    : ::write(fd, pending.data(), pending.size());
        if (written > 0) {
            pending.erase(pending.begin(), pending.begin() + written);
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        return written == 0 || errno == EAGAIN || errno == EWOULDBLOCK;
    }
    return true;
}

void close_fd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

std::string_view framing_name(Framing framing)
{
    return framing == Framing::rtu ? "rtu" : "modbus-tcp";
}

std::optional<Framing> parse_framing(std::string_view text)
{
    if (text == "rtu")
        return Framing::rtu;
    if (text == "modbus-tcp")
        return Framing::modbus_tcp;
    return std::nullopt;
}

// The relay thread's state of the current connection.
struct TcpBridge::Relay {
    int client = -1;
    Bytes from_client; // Modbus TCP: ADUs not handled yet
    Bytes to_client;
    Bytes to_line;
    // Modbus TCP: the request on the line and its reply so far.
    bool awaiting = false;
    std::uint8_t transaction[2]{};
    std::uint8_t unit = 0;
    Bytes reply;
    Clock::time_point last_activity; // the request sent or the reply's last byte

    ~Relay() { close_client(); }

    void close_client()
    {
        close_fd(client);
        from_client.clear();
        to_client.clear();
        to_line.clear();
        awaiting = false;
        reply.clear();
    }

    // When the reply being gathered is due to be ended or given up.
    std::optional<Clock::time_point> deadline() const
    {
        if (!awaiting)
            return std::nullopt;
        if (!reply.empty() && !rtu_reply_length(reply))
            return last_activity + reply_silence;
        return last_activity + reply_patience;
    }

    void from_line(std::span<const std::uint8_t> bytes, Framing framing, Clock::time_point now)
    {
        if (client < 0)
            return;
        if (framing == Framing::rtu) {
            to_client.insert(to_client.end(), bytes.begin(), bytes.end());
            return;
        }
        if (!awaiting)
            return; // nothing asked for it: a stray, or a reply given up on
        reply.insert(reply.end(), bytes.begin(), bytes.end());
        last_activity = now;
    }

    // Modbus TCP: ends the reply being gathered when it is complete or overdue, and puts the next
    // request on the line when the line is free. False when the client's stream is beyond repair.
    bool serve_modbus(Clock::time_point now)
    {
        if (awaiting)
            take_reply(now);
        while (!awaiting && to_client.size() < backlog_limit) {
            const auto head = next_adu(from_client);
            if (head.kind == AduHead::unsound)
                return false;
            if (head.kind == AduHead::incomplete)
                return true;
            const auto adu = std::span(from_client).first(head.size);
            if (head.kind == AduHead::whole) {
                const auto frame = rtu_frame(adu);
                to_line.insert(to_line.end(), frame.begin(), frame.end());
                transaction[0] = adu[0];
                transaction[1] = adu[1];
                unit = adu[6];
                reply.clear();
                last_activity = now;
                awaiting = unit != 0; // a broadcast is not answered
            }
            from_client.erase(from_client.begin(), from_client.begin() + static_cast<std::ptrdiff_t>(head.size));
        }
        return true;
    }

    void take_reply(Clock::time_point now)
    {
        const auto length = rtu_reply_length(reply);
        std::size_t complete = 0;
        if (length && *length > 0 && reply.size() >= *length)
            complete = *length;
        else if (!length && !reply.empty() && now - last_activity >= reply_silence)
            complete = reply.size();
        if (complete == 0) {
            if (now - last_activity >= reply_patience || reply.size() > max_rtu_frame)
                awaiting = false;
            return;
        }
        awaiting = false;
        const auto frame = std::span(reply).first(complete);
        // What follows the frame (a duplicate, a stray byte) is no one's reply and is dropped,
        // and so is a frame with a bad CRC: the client sees a timeout.
        if (!crc_matches(frame))
            return;
        const auto data = frame.subspan(2, frame.size() - 4); // after address and function, before the CRC
        const std::size_t length_field = 2 + data.size();     // unit id, function, data
        const std::uint8_t header[] = {transaction[0],
                                       transaction[1],
                                       0,
                                       0,
                                       static_cast<std::uint8_t>(length_field >> 8),
                                       static_cast<std::uint8_t>(length_field),
                                       unit,
                                       frame[1]};
        to_client.insert(to_client.end(), std::begin(header), std::end(header));
        to_client.insert(to_client.end(), data.begin(), data.end());
    }
};

TcpBridge::~TcpBridge()
{
    stop();
}

bool TcpBridge::start(const std::string& pty_path, int port, Framing framing, std::string& error)
{
    if (started_once_) {
        error = "the TCP bridge has already been started";
        return false;
    }
    started_once_ = true;
    if (port < 0 || port > 65535) {
        error = "TCP port " + std::to_string(port) + " out of range";
        return false;
    }
    framing_ = framing;
    const auto fail = [&](const std::string& what) {
        error = system_error(what);
        stop();
        return false;
    };

    listen_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listen_fd_ < 0)
        return fail("cannot create a TCP socket");
    const int one = 1;
    setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listen_fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return fail("cannot listen on 127.0.0.1:" + std::to_string(port));
    if (::listen(listen_fd_, 4) != 0)
        return fail("cannot listen on 127.0.0.1:" + std::to_string(port));
    socklen_t size = sizeof address;
    if (getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return fail("cannot read the TCP port");
    port_ = ntohs(address.sin_port);

    pty_fd_ = ::open(pty_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (pty_fd_ < 0)
        return fail("cannot open " + pty_path);
    termios settings{};
    if (tcgetattr(pty_fd_, &settings) != 0)
        return fail("cannot set up " + pty_path);
    cfmakeraw(&settings);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (tcsetattr(pty_fd_, TCSANOW, &settings) != 0)
        return fail("cannot set up " + pty_path);

    wake_fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    drop_fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_fd_ < 0 || drop_fd_ < 0)
        return fail("cannot create an event descriptor");
    thread_ = std::thread([this] { run(); });
    return true;
}

void TcpBridge::stop()
{
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(wake_fd_, &one, sizeof one);
        thread_.join();
    }
    close_fd(drop_fd_);
    close_fd(wake_fd_);
    close_fd(pty_fd_);
    close_fd(listen_fd_);
}

void TcpBridge::drop_connection()
{
    if (!thread_.joinable())
        return;
    std::unique_lock lock(mutex_);
    const auto ticket = ++drops_asked_;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(drop_fd_, &one, sizeof one);
    dropped_.wait(lock, [&] { return drops_done_ >= ticket || finished_; });
}

void TcpBridge::take_drops(Relay& relay)
{
    std::lock_guard lock(mutex_);
    std::uint64_t count = 0;
    [[maybe_unused]] const auto taken = ::read(drop_fd_, &count, sizeof count);
    relay.close_client();
    drops_done_ = drops_asked_;
    dropped_.notify_all();
}

void TcpBridge::run()
{
    Relay relay;
    std::uint8_t buffer[read_chunk];
    const auto drain_line = [&] {
        while (::read(pty_fd_, buffer, sizeof buffer) > 0) {
        }
    };
    while (true) {
        const bool connected = relay.client >= 0;
        short line_events = 0;
        if (!connected || framing_ == Framing::modbus_tcp || relay.to_client.size() < backlog_limit)
            line_events |= POLLIN;
        if (!relay.to_line.empty())
            line_events |= POLLOUT;
        short client_events = 0;
        if (relay.from_client.size() < backlog_limit && relay.to_line.size() < backlog_limit)
            client_events |= POLLIN;
        if (!relay.to_client.empty())
            client_events |= POLLOUT;
        pollfd fds[5] = {{wake_fd_, POLLIN, 0},
                         {drop_fd_, POLLIN, 0},
                         {connected ? -1 : listen_fd_, POLLIN, 0},
                         {pty_fd_, line_events, 0},
                         {relay.client, client_events, 0}};
        const auto deadline = relay.deadline();
        timespec timeout{};
        if (deadline)
            timeout = to_timespec(*deadline - Clock::now());
        if (ppoll(fds, 5, deadline ? &timeout : nullptr, nullptr) < 0 && errno != EINTR)
            break;
        if (fds[0].revents != 0)
            break;
        if (fds[1].revents & POLLIN) {
            take_drops(relay);
            continue; // the client's events were for the connection just closed
        }
        if (fds[2].revents & POLLIN) {
            const int client = accept4(listen_fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (client >= 0) {
                const int one = 1;
                setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                drain_line(); // what the line said meanwhile was said to no one
                relay.client = client;
            }
            continue;
        }

        const auto now = Clock::now();
        if (fds[3].revents & POLLIN) {
            const auto count = ::read(pty_fd_, buffer, sizeof buffer);
            if (count > 0)
                relay.from_line(std::span(buffer, static_cast<std::size_t>(count)), framing_, now);
            else if (count == 0 || (errno != EAGAIN && errno != EINTR))
                break; // the simulator has closed its end: nothing left to relay
        } else if (fds[3].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            break;
        }
        if ((fds[3].revents & POLLOUT) && !flush(pty_fd_, relay.to_line, false))
            break;

        if (fds[4].revents & POLLIN) {
            const auto count = ::recv(relay.client, buffer, sizeof buffer, 0);
            if (count > 0) {
                auto& into = framing_ == Framing::rtu ? relay.to_line : relay.from_client;
                into.insert(into.end(), buffer, buffer + count);
            } else if (count == 0 || (errno != EAGAIN && errno != EINTR)) {
                relay.close_client();
            }
        } else if (fds[4].revents & (POLLHUP | POLLERR)) {
            relay.close_client();
        }
        if (relay.client >= 0 && (fds[4].revents & POLLOUT) && !flush(relay.client, relay.to_client, true))
            relay.close_client();

        if (relay.client >= 0 && framing_ == Framing::modbus_tcp && !relay.serve_modbus(now))
            relay.close_client();
        // Written at once rather than a round later, so that the line sees each request whole.
        if (!relay.to_line.empty() && !flush(pty_fd_, relay.to_line, false))
            break;
        if (relay.client >= 0 && !relay.to_client.empty() && !flush(relay.client, relay.to_client, true))
            relay.close_client();
    }
    std::lock_guard lock(mutex_);
    finished_ = true;
    dropped_.notify_all();
}

} // namespace zr740::sim
