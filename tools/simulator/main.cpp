// zr740-sim: a simulated ZR740 transmitter on a pseudo-terminal (or a serial device).
// Prints "PTY <path>" (or "DEVICE <path>") on one line, with --tcp then "TCP 127.0.0.1:<port>
// <framing>" on the next, then serves until SIGINT, SIGTERM or SIGHUP.

#include "simulator/instrument_simulator.h"

#include <algorithm>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

#include <pthread.h>

namespace {

using zr740::sim::SimulatorOptions;

constexpr std::string_view usage = R"(usage: zr740-sim [options]
  --description PATH   description file (default: zr740.dat beside the program)
  --variant 0|1        0: "ZR740_RS" (default), 1: the older "ZR740   "
  --firmware TEXT      firmware version in registers 4-6 (default 1.5)
  --serial TEXT        serial number in registers 0x40-0x43 (default the description's, empty)
  --device PATH        serve this serial device instead of a new pseudo-terminal
  --link PATH          also make a symbolic link PATH to the pseudo-terminal
  --address N          start at network address N instead of the description's
  --baud N             start at baud rate N (one of the description's rates)
  --instrument ADDR    another instrument on the same line at address ADDR (1-247, not the first's),
                       repeatable; its serial number is SIM and ADDR in five digits (SIM00017)
  --pace               pace the line like a real slave at its baud rate
  --turnaround MS      paced: reply MS milliseconds after the end of a request (default 2)
  --tcp PORT           also listen on 127.0.0.1:PORT (0: any free port), relaying one connection
                       at a time to the pseudo-terminal
  --framing FRAMING    with --tcp: rtu (bytes unchanged, the default) or modbus-tcp (MBAP on the
                       socket, RTU on the line, as a gateway)
  --steady             keep the measured pressure constant
  --fault FAULT        inject a fault, repeatable; FAULT is KIND[:ARGS][@N][#REG] (N requests, else
                       all; only requests touching register REG, else any):
                         no-reply | delay:MS | bad-crc | wrong-address[:ADDR] |
                         exception:REG:CODE | split:BYTES:GAP_MS | garbage[:BYTES] |
                         echo | glitch[:BYTE] | stray[:BYTE[:MS]] | short |
                         late:MS[:QUEUE] | duplicate | stuck:REG
  -h, --help           this text
Prints "PTY <path>" (or "DEVICE <path>"), with --tcp then "TCP 127.0.0.1:<port> <framing>", then
serves until SIGINT, SIGTERM or SIGHUP.
)";

template <typename T> bool parse_number(std::string_view text, T& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

// 0: go on; otherwise the exit code.
int parse_arguments(int argc, char** argv, SimulatorOptions& options)
{
    bool framing_given = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "-h" || option == "--help") {
            std::cout << usage;
            return -1;
        }
        if (option == "--pace") {
            options.pace = true;
            continue;
        }
        if (option == "--steady") {
            options.live_values = false;
            continue;
        }
        constexpr std::string_view with_value[] = {"--description", "--variant", "--firmware", "--device",
                                                   "--link",        "--address", "--baud",     "--turnaround",
                                                   "--fault",       "--tcp",     "--framing",  "--instrument",
                                                   "--serial"};
        if (std::find(std::begin(with_value), std::end(with_value), option) == std::end(with_value)) {
            std::cerr << "zr740-sim: unknown option " << option << '\n' << usage;
            return 2;
        }
        if (i + 1 >= argc) {
            std::cerr << "zr740-sim: " << option << " needs a value\n" << usage;
            return 2;
        }
        const std::string value = argv[++i];
        bool ok = true;
        if (option == "--description") {
            options.description_path = value;
        } else if (option == "--variant") {
            ok = parse_number(value, options.variant) && (options.variant == 0 || options.variant == 1);
        } else if (option == "--firmware") {
            options.firmware = value;
        } else if (option == "--serial") {
            options.serial = value;
        } else if (option == "--device") {
            options.device = value;
        } else if (option == "--link") {
            options.link_path = value;
        } else if (option == "--address") {
            int address = 0;
            ok = parse_number(value, address) && address >= 1 && address <= 247;
            options.address = address;
        } else if (option == "--instrument") {
            // Clashes with the first instrument's address are found once the description gives it.
            int address = 0;
            ok = parse_number(value, address) && address >= 1 && address <= 247;
            options.extra_addresses.push_back(address);
        } else if (option == "--baud") {
            int baud = 0;
            ok = parse_number(value, baud) && baud > 0;
            options.baud = baud;
        } else if (option == "--turnaround") {
            double milliseconds = 0;
            ok = parse_number(value, milliseconds) && milliseconds >= 0 && milliseconds <= 10'000;
            options.turnaround = std::chrono::microseconds(static_cast<long>(milliseconds * 1000));
        } else if (option == "--tcp") {
            int port = 0;
            ok = parse_number(value, port) && port >= 0 && port <= 65535;
            options.tcp_port = port;
        } else if (option == "--framing") {
            const auto framing = zr740::sim::parse_framing(value);
            ok = framing.has_value();
            options.framing = framing.value_or(zr740::sim::Framing::rtu);
            framing_given = true;
        } else if (option == "--fault") {
            std::string error;
            if (const auto fault = zr740::sim::parse_fault(value, error)) {
                options.faults.push_back(*fault);
            } else {
                std::cerr << "zr740-sim: " << error << '\n';
                return 2;
            }
        }
        if (!ok) {
            std::cerr << "zr740-sim: bad value '" << value << "' for " << option << '\n';
            return 2;
        }
    }
    if (framing_given && !options.tcp_port) {
        std::cerr << "zr740-sim: --framing needs --tcp\n";
        return 2;
    }
    if (options.tcp_port && !options.device.empty()) {
        std::cerr << "zr740-sim: --tcp serves the pseudo-terminal and cannot be used with --device\n";
        return 2;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    SimulatorOptions options;
    if (const int code = parse_arguments(argc, argv, options); code != 0)
        return code < 0 ? 0 : code;

    // The serving thread inherits the blocked set, so the signals reach sigwait below only.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    zr740::sim::InstrumentSimulator simulator(options);
    if (!simulator.start()) {
        std::cerr << "zr740-sim: " << simulator.error() << '\n';
        return simulator.refused_options() ? 2 : 1;
    }
    std::cout << (options.device.empty() ? "PTY " : "DEVICE ") << simulator.port_path() << std::endl;
    if (options.tcp_port)
        std::cout << "TCP 127.0.0.1:" << simulator.tcp_port() << ' ' << zr740::sim::framing_name(options.framing)
                  << std::endl;

    int received = 0;
    sigwait(&signals, &received);
    simulator.stop();
    return 0;
}
