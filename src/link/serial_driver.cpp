#include "link/serial_driver.h"

// Only kernel headers here: <asm/termbits.h> defines its own struct termios.
#include <asm/termbits.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

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

bool rs485_supported(int fd)
{
    serial_rs485 settings{};
    return ioctl(fd, TIOCGRS485, &settings) == 0;
}

bool set_rs485(int fd, bool on)
{
    serial_rs485 settings{};
    if (ioctl(fd, TIOCGRS485, &settings) != 0)
        return false;
    settings.flags &= ~static_cast<__u32>(SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND | SER_RS485_RTS_AFTER_SEND |
                                          SER_RS485_RX_DURING_TX);
    if (on)
        settings.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    settings.delay_rts_before_send = 0;
    settings.delay_rts_after_send = 0;
    return ioctl(fd, TIOCSRS485, &settings) == 0;
}

bool is_pseudo_terminal(int fd)
{
    struct stat info{};
    if (fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode))
        return false;
    // Unix98 pty slaves (/dev/pts/N) have majors 136..143; the old BSD slaves (/dev/ttyp*) major 3.
    const unsigned device_major = major(info.st_rdev);
    return (device_major >= 136 && device_major <= 143) || device_major == 3;
}

} // namespace zr740::serial_driver
