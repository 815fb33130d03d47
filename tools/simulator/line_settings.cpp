// termios2 lives in the kernel's own headers, which cannot share a translation unit with the C
// library's <termios.h>.

#include "simulator/serial_endpoint.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace zr740::sim {

bool set_line_settings(int fd, const NetworkSettings& settings)
{
    struct termios2 line {};
    if (ioctl(fd, TCGETS2, &line) != 0)
        return false;
    line.c_cflag &= ~static_cast<tcflag_t>(CBAUD | CIBAUD | CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    line.c_cflag |= BOTHER | (BOTHER << IBSHIFT) | CLOCAL | CREAD;
    switch (settings.data_bits) {
    case 5: line.c_cflag |= CS5; break;
    case 6: line.c_cflag |= CS6; break;
    case 7: line.c_cflag |= CS7; break;
    default: line.c_cflag |= CS8; break;
    }
    if (settings.parity == 1)
        line.c_cflag |= PARENB;
    else if (settings.parity == 2)
        line.c_cflag |= PARENB | PARODD;
    if (settings.stop_bits == 2)
        line.c_cflag |= CSTOPB;
    line.c_ispeed = static_cast<speed_t>(settings.baud);
    line.c_ospeed = static_cast<speed_t>(settings.baud);
    return ioctl(fd, TCSETS2, &line) == 0;
}

int line_baud_rate(int fd)
{
    struct termios2 line {};
    if (ioctl(fd, TCGETS2, &line) != 0)
        return 0;
    return static_cast<int>(line.c_ospeed);
}

} // namespace zr740::sim
