#include "link/serial_driver.h"

// Only kernel headers here: <asm/termbits.h> defines its own struct termios.
#include <asm/termbits.h>
#include <linux/serial.h>
#include <sys/ioctl.h>

namespace zr740::serial_driver {

bool set_speed(int fd, std::uint32_t baud)
{
    termios2 settings{};
    if (ioctl(fd, TCGETS2, &settings) != 0)
        return false;
    settings.c_cflag &= ~static_cast<tcflag_t>(CBAUD);
    settings.c_cflag |= BOTHER;
    // Input speed bits 0 mean "the same as the output speed".
    settings.c_cflag &= ~static_cast<tcflag_t>(CBAUD << IBSHIFT);
    settings.c_ispeed = baud;
    settings.c_ospeed = baud;
    return ioctl(fd, TCSETS2, &settings) == 0;
}

std::uint32_t output_speed(int fd)
{
    termios2 settings{};
    if (ioctl(fd, TCGETS2, &settings) != 0)
        return 0;
    return settings.c_ospeed;
}

void request_low_latency(int fd)
{
    serial_struct serial{};
    if (ioctl(fd, TIOCGSERIAL, &serial) != 0)
        return;
    if ((serial.flags & ASYNC_LOW_LATENCY) != 0)
        return;
    serial.flags |= ASYNC_LOW_LATENCY;
    // Refused by some drivers and without privileges on others; the line works either way.
    (void)ioctl(fd, TIOCSSERIAL, &serial);
}

bool read_line_errors(int fd, LineErrorCount& count)
{
    serial_icounter_struct icount{};
    if (ioctl(fd, TIOCGICOUNT, &icount) != 0)
        return false;
    count.brk = static_cast<std::uint32_t>(icount.brk);
    count.frame = static_cast<std::uint32_t>(icount.frame);
    count.parity = static_cast<std::uint32_t>(icount.parity);
    count.overrun = static_cast<std::uint32_t>(icount.overrun) + static_cast<std::uint32_t>(icount.buf_overrun);
    return true;
}

} // namespace zr740::serial_driver
