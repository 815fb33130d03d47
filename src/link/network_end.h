#pragma once
// The TCP connection to a network end that carries the instrument's line ("tcp://" or
// "modbus-tcp://", see port_address.h). It connects abortably within a time limit, sends a
// request's RTU frame in the end's framing and hands what comes back to the line as RTU bytes, so
// the serial line's transfer (reply search, time-outs, the trace) works on it unchanged.

#include "link/mbap_frame.h"
#include "link/port_address.h"

#include <sys/types.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zr740 {

class NetworkEnd {
public:
    explicit NetworkEnd(PortAddress address) : address_(std::move(address)) {}
    ~NetworkEnd() { close(); }
    NetworkEnd(const NetworkEnd&) = delete;
    NetworkEnd& operator=(const NetworkEnd&) = delete;

    // Resolves the host and connects within `timeout_ms`; a signalled `abort_fd` ends the wait.
    // False with the reason, naming the host, in `error`.
    bool connect(int abort_fd, int timeout_ms, std::string& error);
    void close();
    int fd() const { return fd_; }
    PortKind kind() const { return address_.kind; }
    const PortAddress& address() const { return address_; }

    // Writes the request, as it stands or as a Modbus TCP unit; -1 with errno when the connection
    // refuses it (EAGAIN: the socket is full for now), else the RTU bytes taken (all or nothing
    // for Modbus TCP).
    ssize_t write(std::span<const std::uint8_t> rtu);
    // Reads what the socket holds, as RTU bytes, at most `max`: > 0 bytes; 0 the far end closed the
    // connection; -1 with errno (EAGAIN when no complete unit has come yet).
    ssize_t read(std::uint8_t* out, std::size_t max);
    // Whether read() holds converted bytes the socket no longer shows.
    bool pending() const { return !ready_.empty(); }
    // Units that answered an earlier request, dropped by read(), for the trace.
    std::vector<std::uint8_t> take_dropped();

private:
    PortAddress address_;
    int fd_ = -1;
    std::uint16_t transaction_ = 0;
    MbapReader reader_;
    std::vector<std::uint8_t> ready_; // RTU bytes converted and not yet read
    std::vector<std::uint8_t> dropped_;
};

} // namespace zr740
