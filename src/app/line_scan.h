#pragma once
// Finding instruments on a line whose addresses and baud rate nobody knows: every address of a
// range at every baud rate of a list is asked for the instrument's name with a short time-out, one
// attempt each; an address that answers is asked for its firmware version and serial number too.
// A ZR740 is told by its name; any other Modbus slave is listed with what it answered.

#include "model/parity.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <cstdint>
#include <string>
#include <vector>

namespace zr740 {

class DeviceIO;
class Parameter;

struct FoundInstrument {
    int address = 0;
    int baud_rate = 0;
    Parity parity = Parity::none;
    std::string name;    // the name it gave, or what another slave answered instead
    std::string version; // empty when it gave none
    std::string serial;  // empty when it gave none
    bool zr740 = false;
};

struct LineScanOptions {
    int first_address = 1;
    int last_address = 247;
    std::vector<int> baud_rates; // in the order tried; a network end has one pass at its own
};

class LineScan {
public:
    enum class Outcome { finished, stopped, port_failed };

    explicit LineScan(DeviceIO& link) : link_(link) {}

    // Runs the scan on the calling thread, holding the port lock throughout. `found` hears of each
    // instrument as it answers, `progress` of each address tried (done, total). The line is left
    // at the last baud rate tried; the caller restores what it wants.
    Outcome run(const LineScanOptions& options, const std::function<void(const FoundInstrument&)>& found,
                const std::function<void(int, int)>& progress);
    // From any thread: the scan under way ends within its attempt, and one not begun yet ends at
    // once. The line is aborted only while the scan uses it: a stop after the end leaves it alone.
    void stop();
    // Makes a stopped scan runnable again (before the next run, on the thread that starts it).
    void rearm() { stopping_ = false; }
    // Why the port could not be opened, after Outcome::port_failed.
    const std::string& port_error() const { return port_error_; }

    // The silence after a request that means "nobody at this address": the request's time on the
    // line plus a slave's turnaround, plus the network's latency on a network end.
    static int probe_timeout_ms(double character_ms, int network_latency_ms);
    // The baud rates a search tries by default: the program's baud-rate setting's list (its items
    // that are whole numbers, up to the first empty one), or 9600 when it offers none.
    static std::vector<int> offered_rates(const Parameter* baud_rate);

private:
    FoundInstrument ask(int address, int baud_rate, Parity parity, std::vector<std::uint8_t>& payload);

    DeviceIO& link_;
    std::atomic<bool> stopping_{false};
    // Whether run() uses the line; guards the line's abort against a stop that comes as run() ends.
    std::mutex running_mutex_;
    bool running_ = false;
    std::string port_error_;
};

// Asks the instrument at `address` for its name (waiting `timeout_ms` of silence at most), and one
// that answered for its firmware version and serial number: one attempt each, at the line's
// current settings. An address of 0 in the result means nobody there, or nobody understood.
FoundInstrument ask_instrument(DeviceIO& link, int address, int timeout_ms, std::vector<std::uint8_t>& payload);

// The CSV header and one line per instrument: "address,baud,parity,name,version,serial"; texts with
// a comma, a quote or a line break are quoted, as CSV readers expect.
std::string found_instruments_header();
std::string found_instrument_line(const FoundInstrument& found);

} // namespace zr740
