#include "link/sio.h"

#include "link/frame_trace.h"
#include "link/line_format.h"
#include "link/modbus_frame.h"
#include "link/network_end.h"
#include "link/port_address.h"
#include "link/serial_driver.h"
#include "link/sio_clock.h"
#include "platform/serial_ports.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <string_view>
#include <vector>

namespace zr740 {
using namespace sio_clock;
namespace {

// Replies longer than this without a complete frame are garbage.
constexpr int max_reply = 255;
// Fewer bytes than this cannot be a reply; the end rules are not even tried.
constexpr int min_reply = 5;

} // namespace

Sio::Sio() : abort_fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

Sio::~Sio()
{
    if (fd_ >= 0)
        close();
    if (abort_fd_ >= 0)
        ::close(abort_fd_);
}

std::string Sio::device_path() const { return port_alias(port_name); }

int Sio::open()
{
    character_time = 0.0f;
    reply_timeout = 0;
    open_error_.clear();
    if (fd_ >= 0)
        close();
    gone_ = false;
    if (names_network_end(port_name))
        return open_network();
    if (!open_exclusive())
        return -1;
    if (const int refused = apply_line_settings(); refused != 0)
        return refused;
    reply_timeout = reply_timeout_ms(character_time);
    ready_line();
    return 0;
}

// Opens the device as this program's alone; on failure the reason goes to open_error_.
bool Sio::open_exclusive()
{
    const std::string path = device_path();
    // Non-blocking for good: every wait is a poll(), and the open itself must not wait for carrier.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        open_error_ = open_failure_reason(errno, path);
        return false;
    }
    if (!isatty(fd)) {
        ::close(fd);
        open_error_ = open_failure_reason(ENOTTY, path);
        return false;
    }
    // The port is not shared. TIOCEXCL keeps other openers out (except privileged ones); the lock
    // also stops programs that take the usual advisory lock, root or not.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        open_error_ = open_failure_reason(error == EWOULDBLOCK ? EBUSY : error, path);
        return false;
    }
    (void)ioctl(fd, TIOCEXCL);
    fd_ = fd;
    return true;
}

// Sets format and speed; 0, or what open() returns for settings the line does not take. The
// character time is set only once the line has taken them.
int Sio::apply_line_settings()
{
    termios settings{};
    if (tcgetattr(fd_, &settings) != 0)
        return -2;
    if (const int refused = check_line_format(parity_code, stop_bits, data_bits, baud_rate); refused != 0)
        return refused;
    apply_line_format(settings, parity_code, stop_bits, data_bits);
    const speed_t speed = standard_speed(baud_rate);
    // A rate the C library has no constant for is set through termios2 afterwards.
    cfsetispeed(&settings, speed ? speed : B38400);
    cfsetospeed(&settings, speed ? speed : B38400);
    pseudo_terminal_ = serial_driver::is_pseudo_terminal(fd_);
    if (tcsetattr(fd_, TCSANOW, &settings) != 0) {
        // A pseudo-terminal has no wire and refuses some formats (even parity); the bytes pass the
        // same without them. A real port that refuses its settings cannot be used.
        if (!pseudo_terminal_)
            return -2;
        settings.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD | CMSPAR);
        if (tcsetattr(fd_, TCSANOW, &settings) != 0)
            return -2;
    }
    if (!speed && !serial_driver::set_speed(fd_, static_cast<std::uint32_t>(baud_rate)))
        return -2;
    character_time = 1000.0f * static_cast<float>(bits_per_character(parity_code, stop_bits, data_bits)) /
                     static_cast<float>(baud_rate);
    return 0;
}

// Puts the modem lines and the per-line state where the first transfer expects them.
void Sio::ready_line()
{
    serial_driver::request_low_latency(fd_);
    // DTR and RTS stay low as long as the program does not key the transmitter; Linux raises both
    // when the device is opened.
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)ioctl(fd_, TIOCMBIC, &lines);
    serial_driver::LineErrorCount probe;
    has_line_counters_ = serial_driver::read_line_errors(fd_, probe);
    kernel_rs485_ = serial_driver::rs485_supported(fd_);
    rs485_on_ = false;
    line_echoes_ = false;
    settle_pending_ = false;
    last_received_ns_ = 0;
}

int Sio::close()
{
    if (network_) {
        network_.reset();
        fd_ = -1;
        gone_ = false;
        return 0;
    }
    if (fd_ < 0)
        return -2;
    // A device that has gone away refuses the flush; the descriptor is released all the same so
    // that the port can be opened again when the device comes back.
    const int result = tcflush(fd_, TCIOFLUSH) == 0 ? 0 : -1;
    // The kernel keeps the RS-485 mode after the close; the next program may not expect it.
    if (rs485_on_)
        (void)serial_driver::set_rs485(fd_, false);
    rs485_on_ = false;
    kernel_rs485_ = false;
    // The exclusive mark belongs to the tty, not to this descriptor: a tty that outlives the close
    // (a pty slave while its master is open) would refuse the next open.
    (void)ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
    has_line_counters_ = false;
    gone_ = false;
    return result;
}

void Sio::abort()
{
    if (abort_fd_ < 0)
        return;
    const std::uint64_t one = 1;
    // Only fails when the counter is about to overflow, which leaves it signalled anyway.
    [[maybe_unused]] const auto written = ::write(abort_fd_, &one, sizeof one);
}

bool Sio::abort_signalled() const
{
    if (abort_fd_ < 0)
        return false;
    pollfd event{abort_fd_, POLLIN, 0};
    return poll(&event, 1, 0) == 1 && (event.revents & POLLIN) != 0;
}

void Sio::reset_abort()
{
    if (abort_fd_ < 0)
        return;
    std::uint64_t value = 0;
    // Reading an eventfd returns its counter and clears it; EAGAIN when it was clear already.
    [[maybe_unused]] const auto got = ::read(abort_fd_, &value, sizeof value);
}

bool Sio::probe_gone()
{
    // A network end is never gone for good: a dropped connection is made again by the next transfer.
    if (fd_ < 0 || network_)
        return false;
    if (!gone_) {
        // Nothing asked for: poll() reports a hang-up and an error all the same.
        pollfd event{fd_, 0, 0};
        if (poll(&event, 1, 0) == 1)
            note_events(event.revents);
    }
    return gone_;
}

void Sio::note_events(short revents)
{
    // A socket's hang-up is read as the end of its stream, where the connection is given up.
    if (network_)
        return;
    // A hung-up tty reports POLLHUP (with POLLERR) for ever; a live one never does.
    if ((revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
        gone_ = true;
}

void Sio::note_error(int error)
{
    if (network_) {
        if (error == EPIPE || error == ECONNRESET || error == ENOTCONN || error == ETIMEDOUT)
            connection_dropped();
        return;
    }
    if (error == EIO || error == ENXIO || error == ENODEV)
        gone_ = true;
}

std::optional<TransferResult> line_error_outcome(bool parity_error, int bytes_received)
{
    if (bytes_received == 0)
        return transfer_line_error;
    if (parity_error)
        return transfer_ok;
    return std::nullopt;
}

double Sio::interframe_silence() const
{
    // The line's silence is kept where the line is, at the far end.
    if ((pseudo_terminal_ && !silence_on_pseudo_terminal) || network_)
        return 0.0;
    // Above 19200 baud Modbus fixes the silence at 1.75 ms instead of 3.5 ever shorter characters.
    return baud_rate > 19200 ? 1.75 : 3.5 * static_cast<double>(character_time);
}

// Waits until the line has been silent long enough, discarding whatever arrives meanwhile (a late
// reply, the rest of a reply a stop cut short, an echo), then drops what is still queued. False
// when aborted.
bool Sio::settle()
{
    const double quiet_ms =
        settle_pending_ ? std::max<double>(interframe_silence(), reply_timeout) : interframe_silence();
    // What is dropped here goes to the trace: a late or doubled reply shows as such there.
    std::vector<std::uint8_t> dropped;
    const auto drop = [&](const std::uint8_t* bytes, ssize_t n) {
        if (trace_ && n > 0 && dropped.size() < reply_capacity)
            dropped.insert(dropped.end(), bytes, bytes + std::min<std::size_t>(static_cast<std::size_t>(n), reply_capacity));
    };
    if (quiet_ms > 0.0) {
        const auto quiet = static_cast<std::int64_t>(quiet_ms * static_cast<double>(ns_per_ms));
        std::int64_t now = monotonic_ns();
        // A failed transfer ended just now; an ordinary one with its last byte.
        std::int64_t quiet_from = settle_pending_ ? now : last_received_ns_;
        // A line that never falls silent must not keep the request back for ever.
        const std::int64_t give_up = now + quiet + 2 * static_cast<std::int64_t>(reply_timeout) * ns_per_ms;
        std::array<std::uint8_t, 64> discard{};
        while (true) {
            now = monotonic_ns();
            const std::int64_t until = std::min(quiet_from + quiet, give_up);
            if (now >= until)
                break;
            std::array<pollfd, 2> events{{{fd_, POLLIN, 0}, {abort_fd_, POLLIN, 0}}};
            const timespec limit = to_timespec(until - now);
            const int ready = ppoll(events.data(), events.size(), &limit, nullptr);
            if (ready < 0 && errno != EINTR)
                break;
            if (ready <= 0)
                continue;
            if ((events[1].revents & POLLIN) != 0)
                return false;
            note_events(events[0].revents);
            if ((events[0].revents & POLLIN) != 0) {
                const ssize_t n = read_line(discard.data(), discard.size());
                drop(discard.data(), n);
                if (n < 0)
                    note_error(errno);
                if (n > 0) {
                    quiet_from = monotonic_ns();
                } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                    if (n == 0)
                        connection_dropped();
                    break; // a vanished device: nothing will come
                }
            } else if ((events[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
                break;
            }
        }
    }
    settle_pending_ = false;
    // Whatever is still queued: reading it away costs one call when there is nothing, less than a
    // flush of the driver's queues.
    std::array<std::uint8_t, 64> stale{};
    for (ssize_t n = 0; fd_ >= 0 && (n = read_line(stale.data(), stale.size())) > 0;)
        drop(stale.data(), n);
    if (!dropped.empty())
        trace_->discarded(dropped);
    return true;
}

TransferResult Sio::transfer(std::span<const std::uint8_t> request, std::uint8_t* reply, int& reply_count,
                             ReplyEnd end)
{
    reply_count = 0;
    if (fd_ < 0 && !network_)
        return transfer_aborted;
    std::memset(reply, 0, max_read);
    // An abort stays in force until reset_abort(): a stop that comes between two transfers (or
    // between the retries of one transaction) ends the next one at once instead of being lost.
    if (abort_signalled())
        return transfer_aborted;
    if (activity_)
        *activity_ = 1;

    // Nothing that came before this request can be its reply.
    if (!settle()) {
        settle_pending_ = true;
        return transfer_aborted;
    }
    // A network end whose connection dropped is connected again; one that cannot be reached is a
    // silent line, and the transaction's retries try again.
    if (fd_ < 0 && !reconnect())
        return abort_signalled() ? transfer_aborted : transfer_timeout;
    if (has_line_counters_ && !serial_driver::read_line_errors(fd_, line_errors_before_)) {
        note_error(errno);
        has_line_counters_ = false;
    }

    bool line_dead = false;
    const bool sent = send(request, line_dead);
    const std::int64_t sent_at = monotonic_ns();
    if (trace_ && sent)
        trace_->sent(request);
    ReplyLocation location;
    TransferResult result = transfer_aborted;
    if (sent)
        result = end == ReplyEnd::none ? transfer_ok : receive(request, reply, reply_count, end, line_dead, location);
    if (trace_) {
        const auto response_us = static_cast<std::uint64_t>((monotonic_ns() - sent_at) / 1000);
        trace_->received(request, std::span<const std::uint8_t>(reply, static_cast<std::size_t>(reply_count)),
                         result, location.start, location.found ? location.length : 0, response_us);
    }
    if (result == transfer_aborted) {
        // The rest of the reply may still come; the next transfer waits it out.
        settle_pending_ = true;
        (void)tcflush(fd_, TCIFLUSH);
    } else if (result == transfer_ok && location.found) {
        // Functions other than 6 tell an echo from the reply; function 6 goes by what they showed.
        if (request.size() > 1 && request[1] != 6)
            line_echoes_ = location.after_echo;
        if (location.start > 0)
            std::memmove(reply, reply + location.start, location.length);
        reply_count = static_cast<int>(location.length);
    }
    return result;
}

// Gathers reply bytes until a complete reply, silence for the reply time-out (restarted by every
// arrival), a line error, too many bytes, or an abort.
//
// A device that disappears (USB adapter unplugged, the other end of a pseudo-terminal closed) hangs
// the tty up: poll() then reports it ready for ever and reads give 0 or EIO. That is treated as a
// line that has fallen silent: the transfer waits out the reply time-out counted from the last byte
// that came, still abortable, and ends with 2, keeping what arrived. The transaction layer then
// reports "no reply", which is what a user of a vanished device sees, and nothing spins; the hang-up
// is noted (device_gone()) so that the port can be closed and opened again by its name.
TransferResult Sio::receive(std::span<const std::uint8_t> request, std::uint8_t* reply, int& reply_count,
                            ReplyEnd end, bool line_dead, ReplyLocation& location)
{
    const std::int64_t silence = static_cast<std::int64_t>(reply_timeout) * ns_per_ms;
    std::int64_t deadline = monotonic_ns() + silence;
    if (line_dead)
        return network_ && fd_ < 0 ? transfer_timeout : wait_out(deadline);

    while (true) {
        const std::int64_t remaining = deadline - monotonic_ns();
        if (remaining <= 0)
            return transfer_timeout;
        std::array<pollfd, 2> events{{{fd_, POLLIN, 0}, {abort_fd_, POLLIN, 0}}};
        const timespec limit = to_timespec(remaining);
        // Bytes a network end has converted already are not on its socket any more.
        const bool buffered = network_ && network_->pending();
        const timespec none{};
        const int ready = ppoll(events.data(), events.size(), buffered ? &none : &limit, nullptr);
        if (buffered)
            events[0].revents |= POLLIN;
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return wait_out(deadline);
        }
        if (ready == 0 && !buffered)
            return transfer_timeout;
        if ((events[1].revents & POLLIN) != 0)
            return transfer_aborted;
        note_events(events[0].revents);

        if ((events[0].revents & POLLIN) != 0) {
            // Non-blocking read with VMIN 0: whatever is queued, at most max_read bytes.
            const ssize_t n = read_line(reply + reply_count, max_read);
            if (n < 0)
                note_error(errno);
            if (n > 0) {
                reply_count += static_cast<int>(n);
                last_received_ns_ = monotonic_ns();
                deadline = last_received_ns_ + silence;
                if (reply_count >= min_reply) {
                    if (reply_count > max_reply)
                        return transfer_too_long;
                    if (reply_ends(request, std::span<const std::uint8_t>(reply, static_cast<std::size_t>(reply_count)),
                                   end, location))
                        return transfer_ok;
                }
            } else if (n == 0 && network_) {
                // The far end closed the connection: nothing more comes on it.
                connection_dropped();
                return transfer_timeout;
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                return wait_out(deadline);
            }
        } else if ((events[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            if (network_) {
                connection_dropped();
                return transfer_timeout;
            }
            return wait_out(deadline);
        }

        if (has_line_counters_) {
            serial_driver::LineErrorCount now;
            if (serial_driver::read_line_errors(fd_, now) && now.total() != line_errors_before_.total()) {
                const bool parity = now.parity != line_errors_before_.parity;
                line_errors_before_ = now;
                if (const auto outcome = line_error_outcome(parity, reply_count))
                    return *outcome;
            }
        }
    }
}

bool Sio::reply_ends(std::span<const std::uint8_t> request, std::span<const std::uint8_t> gathered, ReplyEnd end,
                     ReplyLocation& location) const
{
    if (end == ReplyEnd::carriage_return)
        return gathered.front() == '#' && gathered.back() == '\r';
    location = find_reply(request, gathered, line_echoes_);
    return location.found;
}

} // namespace zr740
