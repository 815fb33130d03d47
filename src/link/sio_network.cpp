// The serial line's transfers over a network end: connecting, connecting again after the far end
// dropped the connection, and reading what comes in the end's framing.

#include "link/sio.h"

#include "link/frame_trace.h"
#include "link/line_format.h"
#include "link/network_end.h"
#include "link/port_address.h"
#include "link/sio_clock.h"

#include <algorithm>
#include <unistd.h>

namespace zr740 {
using namespace sio_clock;

int Sio::open_network()
{
    PortAddress end;
    if (!parse_port_address(port_name, end, open_error_))
        return -1;
    network_ = std::make_unique<NetworkEnd>(end);
    if (!network_->connect(abort_fd_, connect_timeout, open_error_)) {
        network_.reset();
        return -1;
    }
    fd_ = network_->fd();
    // The line behind the end runs at these settings; they size the time-outs only.
    const int bits = check_line_format(parity_code, stop_bits, data_bits, baud_rate) == 0
                         ? bits_per_character(parity_code, stop_bits, data_bits)
                         : 11;
    character_time = 1000.0f * static_cast<float>(bits) / static_cast<float>(std::max(baud_rate, 1));
    reply_timeout = static_cast<std::uint16_t>(
        std::min<int>(reply_timeout_ms(character_time) + std::max(network_latency, 0), 65535));
    pseudo_terminal_ = false;
    has_line_counters_ = false;
    kernel_rs485_ = false;
    rs485_on_ = false;
    line_echoes_ = false;
    settle_pending_ = false;
    last_received_ns_ = 0;
    return 0;
}

bool Sio::reconnect()
{
    std::string error;
    if (!network_->connect(abort_fd_, connect_timeout, error))
        return false;
    fd_ = network_->fd();
    settle_pending_ = false;
    return true;
}

void Sio::connection_dropped()
{
    if (!network_)
        return;
    network_->close();
    fd_ = -1;
}

ssize_t Sio::read_line(std::uint8_t* out, std::size_t max)
{
    if (network_) {
        if (fd_ < 0)
            return 0;
        const ssize_t n = network_->read(out, max);
        if (trace_)
            if (const auto stale = network_->take_dropped(); !stale.empty())
                trace_->discarded(stale);
        return n;
    }
    return ::read(fd_, out, max);
}

} // namespace zr740
