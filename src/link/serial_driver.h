#pragma once
// The few tty driver requests that need the kernel's own termios definitions (termios2 and the
// serial driver records). Those definitions clash with the C library's <termios.h>, so they live
// in a translation unit of their own behind this plain interface.

#include <cstdint>

namespace zr740::serial_driver {

// Sets any rate the driver accepts, the input and output speeds alike (termios2 with BOTHER).
// False, with errno set, when the driver refuses.
bool set_speed(int fd, std::uint32_t baud);

// The output speed the driver keeps for the line; 0 when it cannot be read.
std::uint32_t output_speed(int fd);

// Asks the driver to hand received bytes on at once instead of holding them for its latency timer
// (USB adapters hold short replies for up to 16 ms). Quietly does nothing where the driver has no
// such setting, as on a pseudo-terminal.
void request_low_latency(int fd);

// Break, framing, parity and overrun errors the driver has counted since it was loaded.
struct LineErrorCount {
    std::uint64_t brk = 0;
    std::uint64_t frame = 0;
    std::uint64_t parity = 0;
    std::uint64_t overrun = 0;
    std::uint64_t total() const { return brk + frame + parity + overrun; }
};

// False when the driver keeps no counters (a pseudo-terminal, some USB drivers).
bool read_line_errors(int fd, LineErrorCount& count);

// Whether the driver offers the kernel's RS-485 mode, in which it raises RTS for the transmitter
// itself and drops it when the last stop bit has left the UART.
bool rs485_supported(int fd);
// Switches that mode on (RTS high while sending, low otherwise, no reception while sending) or off.
// False when the driver refuses.
bool set_rs485(int fd, bool on);

// Whether the descriptor is the slave side of a pseudo-terminal: a line without wire, timing or
// modem lines.
bool is_pseudo_terminal(int fd);

} // namespace zr740::serial_driver
