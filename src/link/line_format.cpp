#include "link/line_format.h"

#include "model/parity.h"

namespace zr740 {
namespace {

tcflag_t size_flag(int data_bits)
{
    switch (data_bits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

// Mark and space are "sticky" parity: with CMSPAR the parity bit is always what PARODD selects.
tcflag_t parity_flags(int parity_code)
{
    switch (parity_code) {
    case line_parity::even: return PARENB;
    case line_parity::mark: return PARENB | CMSPAR | PARODD;
    case line_parity::odd: return PARENB | PARODD;
    case line_parity::space: return PARENB | CMSPAR;
    default: return 0;
    }
}

} // namespace

void apply_line_format(termios& settings, int parity_code, int stop_bits, int data_bits)
{
    // Raw bytes both ways, no flow control of any kind, the receiver on and modem status ignored.
    // Bytes with parity or framing errors are delivered as they came (no INPCK); the driver's error
    // counters tell the transfer about them.
    cfmakeraw(&settings);
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK | IGNBRK | BRKINT);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    settings.c_cflag |= CLOCAL | CREAD | size_flag(data_bits) | parity_flags(parity_code);
    if (stop_bits == 2)
        settings.c_cflag |= CSTOPB;
    // Reads return what is there at once; every wait is a poll().
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
}

int bits_per_character(int parity_code, int stop_bits, int data_bits)
{
    return 1 + data_bits + (parity_flags(parity_code) != 0 ? 1 : 0) + (stop_bits == 2 ? 2 : 1);
}

} // namespace zr740
