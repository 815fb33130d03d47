// CPU time the serial line spends waiting for replies that never come.
// Goal: under 1% of one core while a transfer waits out its reply time-out.
//
// Two waits over a pseudo-terminal whose other end stays silent (but open):
//  - 9600 baud: back-to-back transfers of 220 ms each for at least 2 s, as a scanner polling a
//    silent instrument does (includes the per-transfer set-up);
//  - 300 baud: one transfer with a 2620 ms reply time-out, the plain idle wait.

#include "link/modbus_frame.h"
#include "link/sio.h"

#include "support/pty_pair.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

double cpu_seconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Figure {
    int transfers = 0;
    int timeouts = 0;
    double wall_s = 0;
    double cpu_s = 0;
};

Figure wait_silently(int baud, double at_least_s)
{
    zr740::testing::PtyPair pty;
    zr740::Sio sio;
    sio.port_name = pty.slave_path();
    sio.automatic_converter = 1;
    sio.baud_rate = baud;
    if (sio.open() != 0) {
        std::fprintf(stderr, "cannot open %s: %s\n", pty.slave_path().c_str(), sio.open_error().c_str());
        return {};
    }
    std::vector<std::uint8_t> request{0x10, 0x03, 0x00, 0x07, 0x00, 0x01};
    const auto crc = zr740::modbus_crc16(request);
    request.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    request.push_back(static_cast<std::uint8_t>(crc >> 8));
    std::vector<std::uint8_t> reply(zr740::Sio::reply_capacity);

    Figure figure;
    const double cpu_before = cpu_seconds();
    const auto start = std::chrono::steady_clock::now();
    do {
        int count = 0;
        if (sio.transfer(request, reply.data(), count) == zr740::transfer_timeout)
            ++figure.timeouts;
        ++figure.transfers;
        pty.read_bytes(request.size(), std::chrono::milliseconds(0)); // keep the master's queue short
        figure.wall_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    } while (figure.wall_s < at_least_s);
    figure.cpu_s = cpu_seconds() - cpu_before;
    return figure;
}

void report(const char* name, const Figure& f)
{
    const double percent = f.wall_s > 0 ? 100.0 * f.cpu_s / f.wall_s : 0.0;
    std::printf("%-34s %3d transfers (%d time-outs)  wall %.3f s  cpu %.4f s  = %.3f%% of one core  %s\n", name,
                f.transfers, f.timeouts, f.wall_s, f.cpu_s, percent, percent < 1.0 ? "ok" : "OVER GOAL (1%)");
}

} // namespace

int main()
{
    report("9600 baud, repeated 220 ms waits", wait_silently(9600, 2.0));
    report("300 baud, one 2620 ms wait", wait_silently(300, 0.0));
    return 0;
}
