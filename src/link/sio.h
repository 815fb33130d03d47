#pragma once
// The serial line: opens a tty with the link settings, derives the character time and the
// time-outs from them, and performs one request/reply transfer at a time. It keys the RS-485
// converter's transmit direction through RTS when the converter is not automatic. A port name that
// names a network end (port_address.h) puts a TCP connection (network_end.h) in the tty's place;
// the transfers, reply search and time-outs are the same over both.
//
// sio.cpp opens, closes and gathers replies; sio_send.cpp sends; sio_network.cpp connects.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include <sys/types.h>

#include "link/modbus_frame.h"
#include "link/open_failure.h"
#include "link/serial_driver.h"

namespace zr740 {

class FrameTrace;
class NetworkEnd;

enum TransferResult : int {
    transfer_ok = 0,          // a reply was gathered
    transfer_aborted = -1,    // port not open, or the transfer was aborted
    transfer_timeout = 2,     // silence for the reply time-out; what arrived stays in the buffer
    transfer_line_error = 3,  // break, framing, parity or overrun error on the line
    transfer_too_long = 6,    // more than 255 bytes without a complete frame
};

// How the end of a reply is recognised: the Modbus-RTU completeness rule, or the carriage return
// that closes a Korvel frame.
// How the reply ends; `none` for a request nobody answers (a broadcast): the transfer returns once
// the request has gone out.
enum class ReplyEnd { modbus, carriage_return, none };

// What a line error reported by the driver means for a running transfer: a line error (3) when no
// byte has come, the end of the transfer with what came (0) after a parity error, and nothing (go on
// gathering; the checksum judges the bytes) after a framing or overrun error once bytes have come.
std::optional<TransferResult> line_error_outcome(bool parity_error, int bytes_received);

class Sio {
public:
    // A reply buffer must hold this many bytes: 255 plus one read of up to 31.
    static constexpr std::size_t reply_capacity = 286;
    static constexpr std::size_t max_read = 31;

    Sio();
    virtual ~Sio();
    Sio(const Sio&) = delete;
    Sio& operator=(const Sio&) = delete;

    // 0; -1 the port cannot be opened: missing, not a tty, in use (also by another program's
    // advisory lock), no permission (the reason in open_error()); -2 unsupported parity, stop bits
    // or baud rate, or the line settings cannot be read or applied; -3 data bits outside 5..8.
    // On -2 and -3 the port stays open and the caller closes it.
    //
    // A port name that names a network end ("tcp://HOST:PORT", "modbus-tcp://HOST:PORT") connects
    // instead: -1 with the reason when it cannot. The line settings then only size the time-outs
    // (the line behind the end is set up there), and the reply time-out gets network_latency on
    // top. A connection the far end drops is made again by the next transfer.
    int open();
    // -2 when not open; -1 when the flush failed (the port is closed all the same); else 0.
    int close();
    bool is_open() const { return fd_ >= 0 || network_ != nullptr; }
    // Whether the port is a network end.
    bool is_network() const { return network_ != nullptr; }

    // Sends the request and gathers the reply into `reply` (reply_capacity bytes). A device that has
    // gone away (hung-up tty) reads as a silent line: 2 after the reply time-out, never a busy loop;
    // device_gone() then tells why.
    //
    // Before sending, whatever is left on the line is discarded: the transfer first waits until the
    // line has been silent for 3.5 character times (1.75 ms above 19200 baud) since the last byte
    // that came, as a Modbus master must, discarding what arrives meanwhile; after
    // expect_late_reply() or an aborted transfer it waits for silence as long as the reply time-out.
    //
    // A Modbus reply is found among the gathered bytes (find_reply): stray leading bytes, a local
    // echo of the request and frames that answer something else are passed over. On result 0 the
    // buffer starts with the reply itself and `reply_count` is its length.
    TransferResult transfer(std::span<const std::uint8_t> request, std::uint8_t* reply, int& reply_count,
                            ReplyEnd end = ReplyEnd::modbus);
    // A transaction gave up on a request after its time-outs: a slow instrument may still answer
    // it, so the next transfer lets the line stay silent for a reply time-out first.
    void expect_late_reply() { settle_pending_ = true; }
    // Whether the line was last seen to return each request before the reply (local echo).
    bool line_echoes() const { return line_echoes_; }
    // Cuts a running transfer short (from another thread), and every later one until reset_abort():
    // they return transfer_aborted without sending. Whoever aborts resets once the threads it
    // stopped have let go of the line.
    void abort();
    // Whether abort() was called since the last reset_abort().
    bool abort_signalled() const;
    void reset_abort();

    // Whether a transfer has seen that the line's device is gone (an unplugged adapter, the far end
    // of a pseudo-terminal closed): a hang-up, or EIO, ENXIO or ENODEV from the driver. Such a
    // descriptor never works again; only closing it and opening the port by its name again helps.
    // Cleared by open() and close().
    bool device_gone() const { return gone_; }
    // The same, but also asks the open line without waiting, so that a device that went while no
    // transfer ran is found too. False when the port is closed.
    bool probe_gone();

    // Spins on the monotonic clock for the given number of milliseconds.
    static void busy_wait(double milliseconds);

    // The system's reason for the last failed open, in the program's language; empty when none.
    const std::string& open_error() const { return open_error_; }
    // The device path the port name stands for ("COMn" is /dev/ttyS(n-1)).
    std::string device_path() const;

    void set_trace(FrameTrace* trace) { trace_ = trace; }
    // Set to 1 by every transfer; the link check clears it.
    void set_activity_flag(std::atomic<int>* flag) { activity_ = flag; }

    int automatic_converter = 0;
    std::string port_name = "COM1";
    int baud_rate = 9600;
    int parity_code = 3;
    int stop_bits = 1;
    int data_bits = 8;
    int address_length = 8;
    int address = 16;
    float character_time = 0.0f; // ms
    std::uint16_t reply_timeout = 0; // ms
    // A pseudo-terminal has no wire, but the program at its other end may behave like a slave on
    // one (the simulator pacing its line), with replies that go on after the one taken. Only a
    // comparison of software with software turns the silence off there.
    bool silence_on_pseudo_terminal = true;

    // What a network end adds to the reply time-out (ms): the round trip and the server's own
    // buffering.
    int network_latency = 300;
    // How long a connection to a network end may take (ms).
    int connect_timeout = 3000;

    // The silence a master keeps between the end of a reply and its next request (ms).
    double interframe_silence() const;
private:
    int open_network();
    // Connects again after the far end dropped the connection; false when it cannot.
    bool reconnect();
    // Reads what the line holds: the device, or the network end in its framing.
    ssize_t read_line(std::uint8_t* out, std::size_t max);
    // A network end that closed its side: the socket goes, the next transfer connects again.
    void connection_dropped();
    bool open_exclusive();
    int apply_line_settings();
    void ready_line();
    bool settle();
    // Notes a hang-up in poll() results or an errno that means the device is no longer there.
    void note_events(short revents);
    void note_error(int error);
    bool send(std::span<const std::uint8_t> request, bool& line_dead);
    bool send_keyed(std::span<const std::uint8_t> request, bool& line_dead);
    bool send_byte_by_byte(std::span<const std::uint8_t> request, bool& line_dead);
    bool wait_sent(std::size_t bytes);
    bool write_all(std::span<const std::uint8_t> bytes, bool& line_dead);
    TransferResult receive(std::span<const std::uint8_t> request, std::uint8_t* reply, int& reply_count,
                           ReplyEnd end, bool line_dead, ReplyLocation& location);
    TransferResult wait_out(std::int64_t deadline_ns) const;
    void set_rts(bool high) const;
    bool reply_ends(std::span<const std::uint8_t> request, std::span<const std::uint8_t> gathered, ReplyEnd end,
                    ReplyLocation& location) const;

    int fd_ = -1;
    int abort_fd_ = -1;
    std::unique_ptr<NetworkEnd> network_;
    std::string open_error_;
    FrameTrace* trace_ = nullptr;
    std::atomic<int>* activity_ = nullptr;
    // Line errors are counted by the driver; a transfer compares the sum with the one it began with.
    bool has_line_counters_ = false;
    serial_driver::LineErrorCount line_errors_before_;
    bool pseudo_terminal_ = false;
    bool kernel_rs485_ = false; // the driver keys the transmitter itself
    bool rs485_on_ = false;
    bool line_echoes_ = false;
    bool settle_pending_ = false;
    std::int64_t last_received_ns_ = 0; // when the last byte came (monotonic)
    // Set by a transfer (under the transaction lock), read by whoever closes the port.
    std::atomic<bool> gone_{false};
};

} // namespace zr740
