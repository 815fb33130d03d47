// The sending side of the serial line and of a network end: the request onto the line, keying
// the RS-485 converter's transmitter through RTS where it does not switch by itself, and the
// abortable waits a transfer makes.

#include "link/sio.h"

#include "link/network_end.h"
#include "link/serial_driver.h"
#include "link/sio_clock.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <ctime>

namespace zr740 {
using namespace sio_clock;

void Sio::busy_wait(double milliseconds)
{
    if (!(milliseconds > 0.0))
        return;
    const auto end = monotonic_ns() + static_cast<std::int64_t>(milliseconds * static_cast<double>(ns_per_ms));
    while (monotonic_ns() < end) {
    }
}

void Sio::set_rts(bool high) const
{
    int line = TIOCM_RTS;
    // A pseudo-terminal has no modem lines (ENOTTY/EINVAL) and a vanished device refuses everything;
    // neither is a reason to give up the transfer.
    (void)ioctl(fd_, high ? TIOCMBIS : TIOCMBIC, &line);
}

bool Sio::send(std::span<const std::uint8_t> request, bool& line_dead)
{
    // The far end keys its own line.
    if (automatic_converter || network_) {
        if (network_)
            return write_all(request, line_dead);
        if (rs485_on_)
            rs485_on_ = !serial_driver::set_rs485(fd_, false);
        return write_all(request, line_dead);
    }
    if (kernel_rs485_ && !rs485_on_) {
        rs485_on_ = serial_driver::set_rs485(fd_, true);
        kernel_rs485_ = rs485_on_;
    }
    if (rs485_on_) {
        // The driver raises RTS, sends and drops RTS after the last stop bit by itself.
        return write_all(request, line_dead);
    }
    return send_keyed(request, line_dead);
}

// The converter transmits while RTS is high. The frame goes to the driver in one write, so that no
// gaps open inside it (per-byte USB transfers would), and RTS falls once the driver reports the
// last byte gone. A driver that cannot report that gets the bytes one by one, each followed by one
// character time on the clock.
bool Sio::send_keyed(std::span<const std::uint8_t> request, bool& line_dead)
{
    set_rts(true);
    bool completed = write_all(request, line_dead);
    if (completed && !line_dead) {
        // The frame's time on the line is waited out abortably; tcdrain() then waits for what
        // the driver still holds, down to the UART's shift register.
        completed = wait_sent(request.size());
        if (completed && tcdrain(fd_) != 0 && errno != EINTR) {
            note_error(errno);
            set_rts(false);
            (void)tcflush(fd_, TCOFLUSH);
            return send_byte_by_byte(request, line_dead);
        }
    }
    if (!completed)
        (void)tcflush(fd_, TCOFLUSH); // a stop: what has not left yet stays unsent
    set_rts(false);
    return completed;
}

bool Sio::send_byte_by_byte(std::span<const std::uint8_t> request, bool& line_dead)
{
    set_rts(true);
    bool completed = true;
    for (std::size_t i = 0; i < request.size() && !line_dead; ++i) {
        if (!write_all(request.subspan(i, 1), line_dead)) {
            completed = false;
            break;
        }
        busy_wait(character_time);
        // At slow rates the waits add up to seconds; a stop must not have to sit them out.
        if (abort_signalled()) {
            completed = false;
            break;
        }
    }
    set_rts(false);
    return completed;
}

// Waits, abortably, for the time `bytes` characters take on the line. False when aborted.
bool Sio::wait_sent(std::size_t bytes)
{
    const double ms = static_cast<double>(bytes) * static_cast<double>(character_time);
    if (!(ms > 0.0))
        return !abort_signalled();
    const std::int64_t deadline = monotonic_ns() + static_cast<std::int64_t>(ms * static_cast<double>(ns_per_ms));
    return wait_out(deadline) != transfer_aborted;
}

// False only when the transfer was aborted. A line that refuses the bytes (a device that has gone
// away) sets `line_dead` and lets the transfer run into its time-out.
bool Sio::write_all(std::span<const std::uint8_t> bytes, bool& line_dead)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = network_ ? network_->write(bytes.subspan(done))
                                   : ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            std::array<pollfd, 2> events{{{fd_, POLLOUT, 0}, {abort_fd_, POLLIN, 0}}};
            const int ready = poll(events.data(), events.size(), -1);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready > 0 && (events[1].revents & POLLIN) != 0)
                return false;
            if (ready > 0)
                note_events(events[0].revents);
            if (ready > 0 && (events[0].revents & POLLOUT) != 0)
                continue;
        } else if (n < 0) {
            note_error(errno);
        }
        line_dead = true;
        return true;
    }
    return true;
}

TransferResult Sio::wait_out(std::int64_t deadline_ns) const
{
    while (true) {
        const std::int64_t remaining = deadline_ns - monotonic_ns();
        if (remaining <= 0)
            return transfer_timeout;
        pollfd event{abort_fd_, POLLIN, 0};
        const timespec limit = to_timespec(remaining);
        const int ready = ppoll(&event, 1, &limit, nullptr);
        if (ready > 0 && (event.revents & POLLIN) != 0)
            return transfer_aborted;
        if (ready < 0 && errno != EINTR) {
            // No way left to wait for the abort; sleep out the rest.
            const timespec rest = to_timespec(std::max<std::int64_t>(deadline_ns - monotonic_ns(), 0));
            nanosleep(&rest, nullptr);
            return transfer_timeout;
        }
    }
}

} // namespace zr740
