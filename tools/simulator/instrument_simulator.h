#pragma once
// A ZR740 transmitter on a serial line, for tests, benchmarks and anyone without the hardware.
// It serves Modbus-RTU (functions 3, 6, 16) and the maker's Korvel frames from a register bank
// built from the shipped description, on a new pseudo-terminal or an existing serial device, in
// a thread of its own. Faults can be injected while it runs. Further instruments, each with its
// own registers, address and serial number, can share the line as on an RS-485 bus.
//
//     InstrumentSimulator sim(options);
//     if (!sim.start()) ... sim.error();
//     open sim.port_path() and talk to it
//     sim.inject(Fault::no_reply());  sim.register_value(0x0007);
//     sim.stop();

#include "simulator/faults.h"
#include "simulator/instrument_bus.h"
#include "simulator/register_bank.h"
#include "simulator/tcp_bridge.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace zr740 {
class Shell;
}

namespace zr740::sim {

class FrameAssembler;
class SerialEndpoint;

// The serial number (register 0x0040, four registers of text) of an instrument added at `address`
// by SimulatorOptions::extra_addresses: "SIM" and the address in five digits, so the instrument at
// 17 reads "SIM00017". The first instrument keeps the description's (empty) serial number.
std::string extra_serial_number(int address);

struct SimulatorOptions {
    // The compound description file; empty: zr740.dat beside the executable.
    std::string description_path;
    int variant = 0;          // 0: "ZR740_RS", 1: the older "ZR740   "
    std::string firmware = "1.5";
    // The first instrument's serial number; empty: the description's (empty) one.
    std::string serial;
    std::string device;       // serve this serial device instead of a new pseudo-terminal
    std::string link_path;    // also make a symbolic link here to the pseudo-terminal
    // Network settings to start with instead of the description's initial values (the factory
    // initialisation still restores the description's).
    std::optional<int> address;
    std::optional<int> baud;
    // Further instruments on the same line, one at each of these addresses (1..247, distinct from
    // each other and from the first's): made from the same description, variant and firmware,
    // started at the first's baud rate and parity, each with its serial number from
    // extra_serial_number (the older variant holds no serial number). Modbus requests go to the
    // instrument at their address; Korvel frames are served by the first instrument only.
    std::vector<int> extra_addresses;
    // Behave like a slave on a real line at its baud rate (see FrameAssembler): bytes are stamped
    // when they arrive, also while a reply is going out, and a reply starts `turnaround` after the
    // end of the request's silence. Otherwise answer as fast as possible.
    bool pace = false;
    std::chrono::microseconds turnaround{2000}; // paced: from the end of the silence to the reply
    bool live_values = true; // false: the measured pressure stays constant
    // A pseudo-terminal carries bytes at any rate. Set: requests sent while the program's end is
    // set to another baud rate than the instrument's go unheard, as on a real line, where they
    // would arrive as noise.
    bool own_rate_only = false;
    std::vector<Fault> faults;
    // Set: also listen on 127.0.0.1 at this port (0: a free one), relaying a connection to the
    // pseudo-terminal with the given framing (see TcpBridge). Not with a device.
    std::optional<int> tcp_port;
    Framing framing = Framing::rtu;
    Shell* shell = nullptr;   // description messages; null: standard error
};

struct SimulatorStats {
    std::uint64_t frames = 0;   // frames cut from the line
    std::uint64_t requests = 0; // frames for one of the instruments, broadcasts included
    std::uint64_t replies = 0;  // replies sent (garbage included)
    std::uint64_t ignored = 0;  // bad CRC, not a frame, another address
    std::uint64_t commands = 0; // apply and factory-initialisation commands carried out, by each instrument
};

class InstrumentSimulator {
public:
    explicit InstrumentSimulator(SimulatorOptions options);
    ~InstrumentSimulator();
    InstrumentSimulator(const InstrumentSimulator&) = delete;
    InstrumentSimulator& operator=(const InstrumentSimulator&) = delete;

    // Loads the description, opens the line and starts serving. False with error() on failure.
    // A simulator starts once.
    bool start();
    // Stops serving at once (even in the middle of a reply or an injected delay) and closes the line.
    void stop();
    bool running() const { return thread_.joinable(); }
    const std::string& error() const { return error_; }
    // Whether start() refused the options as such (a variant other than 0 and 1, instrument
    // addresses outside 1..247 or clashing, TCP with a device) rather than failing on the
    // description or the system: a program tells its user's mistakes from its environment's so.
    bool refused_options() const { return refused_options_; }
    // The path the program opens: the pseudo-terminal's slave side, or the device.
    const std::string& port_path() const;
    // The TCP port listened on; 0 without one.
    int tcp_port() const { return bridge_ ? bridge_->port() : 0; }
    // Closes the TCP connection from the simulator's side, as a failing network would.
    void drop_tcp_connection();

    void inject(const Fault& fault);
    void clear_faults();

    // The accessors without an address show the first instrument.
    // Register contents; nullopt / empty for registers the instrument does not have.
    std::optional<std::uint16_t> register_value(std::uint16_t number) const;
    // The register of the instrument answering at `address` now; nullopt when no instrument is
    // there or it does not have the register.
    std::optional<std::uint16_t> register_value(int address, std::uint16_t number) const;
    std::vector<std::uint16_t> registers(std::uint16_t first, std::uint16_t count) const;
    void set_register(std::uint16_t number, std::uint16_t value);
    // The value text of the parameter starting at `first`, decoded as the program decodes a read.
    std::optional<std::string> value(std::uint16_t first) const;
    // Stores a value text as the program's write of it would arrive.
    bool set_value(std::uint16_t first, const std::string& text);

    // Takes the first instrument off the line and attaches a new one in its place, as on a
    // production line: fresh from the factory (the description's values, the start-up network
    // settings), with this serial number. Injected faults stay.
    void replace_instrument(const std::string& serial);

    // The settings the instrument speaks now.
    NetworkSettings network() const;
    SimulatorStats stats() const;
    // Waits until `count` commands (apply, factory initialisation) have been carried out since the
    // start, or `limit` has passed, and returns the counts then. A command takes effect just after
    // its reply has left, so whoever holds the reply may otherwise look a moment too early.
    SimulatorStats wait_for_commands(std::uint64_t count,
                                     std::chrono::milliseconds limit = std::chrono::seconds(5)) const;

private:
    using Clock = std::chrono::steady_clock;

    // Builds the instruments from the loaded description. False with error() on failure.
    bool make_instruments(RegisterBank bank);
    bool refuse(std::string reason);
    void run();
    // False when asked to stop meanwhile.
    bool handle(FrameAssembler& assembler, std::vector<std::uint8_t> frame, bool korvel, Clock::time_point complete);
    BusReply answer(const std::vector<std::uint8_t>& frame, bool korvel);
    bool send(const std::vector<std::uint8_t>& bytes, const ReplyShape& shape, Clock::time_point start,
              std::chrono::nanoseconds character);
    bool write_all(const std::uint8_t* bytes, std::size_t count);
    // Paced, bytes that arrive meanwhile are handed to the frame assembler with their arrival time.
    bool wait_until(Clock::time_point when);
    void take_arrivals();
    // Drops what has arrived and not been cut into a frame yet.
    void discard_input(FrameAssembler& assembler);

    SimulatorOptions options_;
    std::string error_;
    std::unique_ptr<SerialEndpoint> endpoint_;
    std::unique_ptr<TcpBridge> bridge_;
    int wake_fd_ = -1;
    Clock::time_point started_;
    std::thread thread_;
    bool started_once_ = false;
    // The first instrument as it started: what replace_instrument() attaches anew.
    std::optional<RegisterBank> fresh_bank_;
    NetworkSettings fresh_network_{};
    bool refused_options_ = false;

    mutable std::mutex mutex_; // guards bus_ and faults_
    InstrumentBus bus_;
    FaultPlan faults_;
    std::uint32_t garbage_seed_ = 0;
    FrameAssembler* listening_ = nullptr; // paced: the serving thread's assembler
    Clock::time_point line_free_{};       // paced: when the last reply's last byte has left

    std::atomic<std::uint64_t> frames_{0};
    std::atomic<std::uint64_t> requests_{0};
    std::atomic<std::uint64_t> replies_{0};
    std::atomic<std::uint64_t> ignored_{0};
    std::atomic<std::uint64_t> commands_{0};
};

} // namespace zr740::sim
