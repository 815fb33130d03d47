#pragma once
// Transactions with the instrument: one parameter read or written by Modbus-RTU with the retry
// policy, the locking and the error reporting the rest of the program relies on; the Korvel frame
// transaction; opening the port with the program's link settings; and the link check that
// identifies the instrument.

#include "link/frame_trace.h"
#include "link/link_report.h"
#include "link/register_layout.h"
#include "link/sio.h"
#include "model/instrument_version.h"
#include "model/net_rs485prg.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zr740 {

class Parameter;
class Settings;
class Shell;
struct RunState;

class DeviceIO {
public:
    // Identification result bits.
    static constexpr std::uint8_t answered = 2;
    static constexpr std::uint8_t recognised = 1;

    DeviceIO(RunState& run, Shell& shell, Settings& settings, std::vector<std::string> serial_ports);
    virtual ~DeviceIO();
    DeviceIO(const DeviceIO&) = delete;
    DeviceIO& operator=(const DeviceIO&) = delete;

    // One Modbus exchange for the parameter. 0 success, -1 port not open, 2 reply not decoded,
    // `value_refused` when a write was not sent because the value cannot be written (the status
    // text says why).
    int read_registers(Parameter& parameter, bool write);
    static constexpr int value_refused = 4;
    // What the parameter's registers hold once its value text has been written (two bytes a
    // register, high byte first); nullopt when the value would not be sent at all.
    static std::optional<std::vector<std::uint8_t>> written_registers(const Parameter& parameter);
    // One read of `count` holding registers (at most 125) from `first`: 0 with exactly 2 x count
    // bytes in `registers`; -1 port not open; else the transfer result, or `block_unusable`. Nothing is retried beyond the
    // transaction's own retries: whoever reads a block falls back to single reads.
    int read_block(std::uint16_t first, std::uint16_t count, std::vector<std::uint8_t>& registers);
    // read_block: a reply came but carried no registers (an exception) or not as many as asked.
    static constexpr int block_unusable = 300;
    // Takes a parameter's registers out of a block's reply as read_registers takes its own reply:
    // 0 decoded; 2 "Не могу раскодировать ответ".
    int take_registers(Parameter& parameter, std::span<const std::uint8_t> bytes);
    // Returns a transfer result, or -1 without sending when the address is longer than 8 bits.
    int modbus_transaction(std::uint8_t function, std::span<const std::uint8_t> data,
                           std::vector<std::uint8_t>& payload, bool broadcast);
    // One read of holding registers from the slave at `address`, one attempt only, waiting
    // `timeout_ms` of silence at most: for finding instruments on a line, where most addresses stay
    // silent and each must cost little. 0 with the registers' bytes in `payload`; the Modbus
    // exception code (1..255); or the transfer result (a silent address: transfer_timeout).
    int probe_registers(std::uint8_t address, std::uint16_t first, std::uint16_t count, int timeout_ms,
                        std::vector<std::uint8_t>& payload);
    // Closes the line and opens it again at `baud_rate`, with the trace told; the open code.
    int reopen_at(int baud_rate);
    // 1 success with the reply data, 0 failure with `error` filled.
    int korvel_transaction(bool request_bit, std::uint16_t identifier, std::span<const std::uint8_t> data,
                           std::vector<std::uint8_t>& reply, std::string& error, int address_offset);
    // 0 the port is open; -1 in silent mode (left closed); else the open code of the line.
    int open_port(bool show_message);
    // Opens the line for one job of the exchange thread, also in silent mode. True when it is open.
    bool open_for_job();

    // An adapter that is unplugged leaves a descriptor that never works again, and one plugged back
    // is a new device under the same name. The transaction that finds the device gone closes the
    // port (when it can have the port lock at once) and marks it lost; the next job, scanner poll
    // or link check calls reopen_lost_port() first, which closes a port whose device went while
    // nobody used it and opens a lost port again by its name with the line's settings.
    enum class LostPort { none, reopened, missing };
    // `none`: no port was lost (in silent mode a lost port is left to the job, which opens the
    // port itself); `missing`: it still cannot be opened (exit bit "port unavailable", the reason
    // in the line's open_error()).
    LostPort reopen_lost_port();
    // Closes the port if its device has gone; true when it did.
    bool close_if_gone();
    // Whether the port was closed because its device went, and not opened since.
    bool port_lost() const { return port_lost_; }
    // Closes the line and tells the trace. The caller holds the port lock.
    void close_port();
    // The trace file ("trace:PATH" on the command line, or ZR740_TRACE): appended to, one line
    // per frame or link event. False with the reason in `error`.
    bool open_trace_file(const std::string& path, std::string& error) { return trace_.open_trace_file(path, error); }
    // Copies the program's link settings into the line.
    void load_link_settings();
    // Identifies the instrument, trying both converter modes. True when it was recognised.
    bool check_link();
    // Reads the instrument's name and version; bit `answered` when the name came, `recognised`
    // when it is one of ours (the description variant is then set).
    std::uint8_t identify(bool show_messages);
    // What the identification has to tell: the failed reads and what was read. Kept apart from
    // showing it, so that a caller holding the port lock can show it once the lock is free.
    struct IdentifyReport {
        std::string errors;
        std::string information;
    };
    std::uint8_t identify(IdentifyReport& report);
    void show(const IdentifyReport& report);

    // Who hears what the link finds out (the run's exit policy); none by default. Set before any
    // thread uses the link.
    void set_report(LinkReport* report) { report_ = report; }

    Sio& sio() { return sio_; }
    NetRS485prg& link_settings() { return *link_settings_; }
    FrameTrace& trace() { return trace_; }
    // The process-wide port lock: opening and closing the port, a whole batch job, one scanner
    // poll, the whole link check. Always taken before the transaction lock, never inside it.
    std::recursive_mutex& port_lock() { return port_lock_; }

    // The firmware version of the identified instrument; unknown until then.
    InstrumentVersion instrument_version;
    // Raised by a batch write of network parameters (apply them) and of parameters that change
    // others (read again); cleared when the link settings are taken over.
    std::atomic<bool> needs_apply{false};
    std::atomic<bool> needs_reread{false};

protected:
    RunState& run_;
    Shell& shell_;

private:
    // open_port under the port lock: the message about a port that cannot be opened is left in
    // `refusal` (when one is wanted), to be shown after the lock is released.
    int open_port_locked(bool show_message, std::string& refusal);
    // The write request for the parameter's value text; nullopt with the reason in `refusal`.
    static std::optional<WriteRequest> encode_write(const Parameter& parameter, std::string& refusal);
    void show_port_refusal(const std::string& refusal);
    // The line opened with the trace told: the traffic statistics start afresh.
    int open_line();
    // The attempts of check_link, under the port lock.
    bool find_instrument();
    int modbus_exchange(ModbusFrame& frame, std::vector<std::uint8_t>& payload, bool broadcast);
    int korvel_exchange(std::uint16_t identifier, std::span<const std::uint8_t> request,
                        std::vector<std::uint8_t>& reply, std::string& error);
    // After a transaction, with the transaction lock released.
    void release_lost_line();
    void report(LinkFinding finding)
    {
        if (report_)
            report_->note(finding);
    }

    Sio sio_;
    FrameTrace trace_;
    std::unique_ptr<NetRS485prg> link_settings_;
    std::recursive_mutex io_lock_;
    std::recursive_mutex port_lock_;
    std::atomic<bool> port_lost_{false};
    LinkReport* report_ = nullptr;
};

} // namespace zr740
