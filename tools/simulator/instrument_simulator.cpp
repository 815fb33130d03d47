#include "simulator/instrument_simulator.h"

#include "platform/program_info.h"
#include "platform/shell.h"
#include "simulator/frame_assembler.h"
#include "simulator/instrument.h"
#include "simulator/serial_endpoint.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iostream>
#include <thread>

#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <time.h>
#include <unistd.h>

namespace zr740::sim {
namespace {

constexpr std::size_t read_chunk = 512;
// How long a reply may wait for room in the line's buffer before it is dropped: the program on
// the other end has stopped reading.
constexpr std::chrono::milliseconds write_patience{200};
// Pause after the line reports a hang-up, so that a vanished device is not polled in a loop.
constexpr std::chrono::milliseconds hangup_pause{100};

class StderrShell : public Shell {
public:
    void message(const std::string& text, const std::string& caption, Icon, Owner) override
    {
        std::cerr << "zr740-sim: " << caption << ": " << text << '\n';
    }
    bool ask_yes_no(const std::string&, const std::string&, Icon) override { return false; }
    void set_wait_cursor(bool) override {}
};

timespec to_timespec(std::chrono::nanoseconds span)
{
    if (span.count() < 0)
        span = std::chrono::nanoseconds{0};
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(span);
    return timespec{static_cast<time_t>(seconds.count()), static_cast<long>((span - seconds).count())};
}

} // namespace

std::string extra_serial_number(int address)
{
    char text[16];
    std::snprintf(text, sizeof text, "SIM%05d", address);
    return text;
}

InstrumentSimulator::InstrumentSimulator(SimulatorOptions options) : options_(std::move(options)) {}

InstrumentSimulator::~InstrumentSimulator() { stop(); }

const std::string& InstrumentSimulator::port_path() const
{
    static const std::string none;
    return endpoint_ ? endpoint_->path() : none;
}

bool InstrumentSimulator::start()
{
    if (started_once_) {
        error_ = "the simulator has already been started";
        return false;
    }
    started_once_ = true;
    if (options_.variant != 0 && options_.variant != 1)
        return refuse("variant must be 0 or 1");
    std::string path = options_.description_path;
    if (path.empty()) {
        const auto found = find_data_file("zr740.dat");
        if (!found) {
            error_ = "zr740.dat not found beside the executable";
            return false;
        }
        path = found->string();
    }
    StderrShell stderr_shell;
    RegisterBank bank;
    if (!bank.load(path, options_.variant, options_.firmware, options_.shell ? *options_.shell : stderr_shell,
                   error_))
        return false;
    if (!make_instruments(std::move(bank)))
        return false;
    for (const auto& fault : options_.faults)
        faults_.add(fault);

    endpoint_ = std::make_unique<SerialEndpoint>();
    const bool opened = options_.device.empty() ? endpoint_->open_pty(error_)
                                                : endpoint_->open_device(options_.device, network(), error_);
    if (!opened || (!options_.link_path.empty() && !endpoint_->make_link(options_.link_path, error_))) {
        endpoint_.reset();
        return false;
    }
    if (options_.tcp_port) {
        // Relaying a device would mean reading the simulator's own end of the line.
        if (!endpoint_->is_pty()) {
            endpoint_.reset();
            return refuse("TCP is served in front of a pseudo-terminal only, not a device");
        }
        bridge_ = std::make_unique<TcpBridge>();
        if (!bridge_->start(endpoint_->path(), *options_.tcp_port, options_.framing, error_)) {
            bridge_.reset();
            endpoint_.reset();
            return false;
        }
    }
    wake_fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_fd_ < 0) {
        error_ = "cannot create an event descriptor";
        bridge_.reset();
        endpoint_.reset();
        return false;
    }
    started_ = Clock::now();
    thread_ = std::thread([this] { run(); });
    return true;
}

bool InstrumentSimulator::refuse(std::string reason)
{
    error_ = std::move(reason);
    refused_options_ = true;
    return false;
}

bool InstrumentSimulator::make_instruments(RegisterBank bank)
{
    // Every instrument starts from the description as loaded. An extra one gets its serial number
    // before Instrument records the factory state, so that a factory initialisation keeps it, as
    // a real instrument's does.
    const RegisterBank described = bank;
    if (!options_.serial.empty())
        bank.store_text(reg::serial, options_.serial);
    fresh_bank_ = bank;
    Instrument first(std::move(bank));
    if (options_.address || options_.baud) {
        NetworkSettings wanted = first.network();
        wanted.address = options_.address.value_or(wanted.address);
        wanted.baud = options_.baud.value_or(wanted.baud);
        if (!first.start_with(wanted)) {
            error_ = "address or baud rate not offered by the description";
            return false;
        }
    }
    const NetworkSettings line = first.network();
    fresh_network_ = line;
    InstrumentBus bus;
    bus.add(std::move(first));
    for (const int address : options_.extra_addresses) {
        const auto text = std::to_string(address);
        if (address < 1 || address > 247)
            return refuse("instrument address " + text + " is outside 1..247");
        if (bus.find(address))
            return refuse("instrument address " + text + " is taken" +
                          (address == line.address ? " by the first instrument" : " twice"));
        RegisterBank own = described;
        own.store_text(reg::serial, extra_serial_number(address));
        Instrument instrument(std::move(own));
        NetworkSettings wanted = line;
        wanted.address = address;
        if (!instrument.start_with(wanted)) {
            error_ = "instrument address " + text + " not offered by the description";
            return false;
        }
        bus.add(std::move(instrument));
    }
    std::lock_guard lock(mutex_);
    bus_ = std::move(bus);
    return true;
}

void InstrumentSimulator::stop()
{
    // The bridge holds the program's end of the pseudo-terminal: it goes before the line.
    bridge_.reset();
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(wake_fd_, &one, sizeof one);
        thread_.join();
    }
    if (wake_fd_ >= 0) {
        ::close(wake_fd_);
        wake_fd_ = -1;
    }
    endpoint_.reset();
}

void InstrumentSimulator::drop_tcp_connection()
{
    if (bridge_)
        bridge_->drop_connection();
}

void InstrumentSimulator::inject(const Fault& fault)
{
    std::lock_guard lock(mutex_);
    faults_.add(fault);
}

void InstrumentSimulator::clear_faults()
{
    std::lock_guard lock(mutex_);
    faults_.clear();
}

std::optional<std::uint16_t> InstrumentSimulator::register_value(std::uint16_t number) const
{
    std::lock_guard lock(mutex_);
    if (bus_.empty())
        return std::nullopt;
    return bus_.at(0).bank().get(number);
}

std::optional<std::uint16_t> InstrumentSimulator::register_value(int address, std::uint16_t number) const
{
    std::lock_guard lock(mutex_);
    const auto* instrument = bus_.find(address);
    if (!instrument)
        return std::nullopt;
    return instrument->bank().get(number);
}

std::vector<std::uint16_t> InstrumentSimulator::registers(std::uint16_t first, std::uint16_t count) const
{
    std::vector<std::uint16_t> values;
    for (unsigned i = 0; i < count; ++i) {
        const auto value = register_value(static_cast<std::uint16_t>(first + i));
        if (!value)
            return {};
        values.push_back(*value);
    }
    return values;
}

void InstrumentSimulator::set_register(std::uint16_t number, std::uint16_t value)
{
    std::lock_guard lock(mutex_);
    if (!bus_.empty())
        bus_.at(0).bank().set(number, value);
}

std::optional<std::string> InstrumentSimulator::value(std::uint16_t first) const
{
    std::lock_guard lock(mutex_);
    if (bus_.empty())
        return std::nullopt;
    return bus_.at(0).bank().read_value(first);
}

bool InstrumentSimulator::set_value(std::uint16_t first, const std::string& text)
{
    std::lock_guard lock(mutex_);
    return !bus_.empty() && bus_.at(0).bank().write_value(first, text);
}

void InstrumentSimulator::replace_instrument(const std::string& serial)
{
    std::lock_guard lock(mutex_);
    if (bus_.empty() || !fresh_bank_)
        return;
    RegisterBank bank = *fresh_bank_;
    bank.store_text(reg::serial, serial);
    Instrument fresh(std::move(bank));
    fresh.start_with(fresh_network_);
    bus_.at(0) = std::move(fresh);
}

NetworkSettings InstrumentSimulator::network() const
{
    std::lock_guard lock(mutex_);
    return bus_.empty() ? NetworkSettings{} : bus_.at(0).network();
}

SimulatorStats InstrumentSimulator::stats() const
{
    return {frames_.load(), requests_.load(), replies_.load(), ignored_.load(), commands_.load()};
}

SimulatorStats InstrumentSimulator::wait_for_commands(std::uint64_t count, std::chrono::milliseconds limit) const
{
    const auto give_up = Clock::now() + limit;
    while (commands_.load() < count && Clock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return stats();
}

bool InstrumentSimulator::wait_until(Clock::time_point when)
{
    bool line_open = listening_ != nullptr;
    while (true) {
        const auto now = Clock::now();
        if (now >= when)
            return true;
        pollfd fds[2] = {{wake_fd_, POLLIN, 0}, {line_open ? endpoint_->fd() : -1, POLLIN, 0}};
        const auto timeout = to_timespec(when - now);
        if (ppoll(fds, 2, &timeout, nullptr) <= 0)
            continue;
        if (fds[0].revents & POLLIN)
            return false;
        if (fds[1].revents & POLLIN)
            take_arrivals();
        else if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))
            line_open = false; // a vanished master: only the clock is left to wait for
    }
}

void InstrumentSimulator::take_arrivals()
{
    std::uint8_t buffer[read_chunk];
    while (true) {
        const auto count = ::read(endpoint_->fd(), buffer, sizeof buffer);
        if (count <= 0)
            return;
        if (listening_)
            listening_->receive(std::span(buffer, static_cast<std::size_t>(count)), Clock::now());
    }
}

void InstrumentSimulator::discard_input(FrameAssembler& assembler)
{
    std::uint8_t buffer[read_chunk];
    while (::read(endpoint_->fd(), buffer, sizeof buffer) > 0) {
    }
    assembler.clear();
}

bool InstrumentSimulator::write_all(const std::uint8_t* bytes, std::size_t count)
{
    const auto give_up = Clock::now() + write_patience;
    while (count > 0) {
        const auto written = ::write(endpoint_->fd(), bytes, count);
        if (written > 0) {
            bytes += written;
            count -= static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno != EAGAIN)
            return true; // the line is gone; the reply is lost, as on a cut cable
        if (Clock::now() >= give_up)
            return true;
        pollfd fds[2] = {{wake_fd_, POLLIN, 0}, {endpoint_->fd(), POLLOUT, 0}};
        const auto timeout = to_timespec(std::chrono::milliseconds(10));
        if (ppoll(fds, 2, &timeout, nullptr) > 0 && (fds[0].revents & POLLIN))
            return false;
    }
    return true;
}

// Paced, every byte leaves when the previous one has finished on the line; a split reply adds its
// gaps between the pieces. Unpaced, the pieces (or the whole reply) go out at once.
bool InstrumentSimulator::send(const std::vector<std::uint8_t>& bytes, const ReplyShape& shape,
                               Clock::time_point start, std::chrono::nanoseconds character)
{
    const std::size_t piece = shape.piece > 0 ? shape.piece : bytes.size();
    if (!options_.pace) {
        if (!wait_until(start))
            return false;
        for (std::size_t at = 0; at < bytes.size(); at += piece) {
            if (at > 0 && !wait_until(Clock::now() + shape.gap))
                return false;
            if (!write_all(bytes.data() + at, std::min(piece, bytes.size() - at)))
                return false;
        }
        return true;
    }
    std::vector<Clock::time_point> due(bytes.size());
    auto position = start;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0 && i % piece == 0)
            position += shape.gap;
        position += character;
        due[i] = position;
    }
    if (!due.empty())
        line_free_ = due.back();
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        if (!wait_until(due[sent]))
            return false;
        const auto now = Clock::now();
        std::size_t ready = sent;
        while (ready < bytes.size() && due[ready] <= now)
            ++ready;
        if (!write_all(bytes.data() + sent, ready - sent))
            return false;
        sent = ready;
    }
    return true;
}

BusReply InstrumentSimulator::answer(const std::vector<std::uint8_t>& frame, bool korvel)
{
    // A pseudo-terminal carries any rate: the instruments that speak another one than the
    // program's end is set to hear noise.
    std::optional<int> line_baud;
    if (options_.own_rate_only && endpoint_->is_pty())
        line_baud = line_baud_rate(endpoint_->fd());
    const std::chrono::duration<double> elapsed = Clock::now() - started_;
    std::lock_guard lock(mutex_);
    return korvel ? bus_.answer_korvel(frame, faults_, elapsed.count(), options_.live_values, line_baud)
                  : bus_.answer_modbus(frame, faults_, elapsed.count(), options_.live_values, line_baud);
}

bool InstrumentSimulator::handle(FrameAssembler& assembler, std::vector<std::uint8_t> frame, bool korvel,
                                 Clock::time_point complete)
{
    ++frames_;
    BusReply out = answer(frame, korvel);
    if (out.heard)
        ++requests_;
    else
        ++ignored_;
    if (out.shape.garbage > 0) {
        out.bytes = garbage_bytes(out.shape.garbage, ++garbage_seed_);
        out.shape.silent = false;
    }
    if (!out.shape.silent && !out.bytes.empty()) {
        const auto turnaround = options_.pace ? std::chrono::duration_cast<Clock::duration>(options_.turnaround)
                                              : Clock::duration::zero();
        auto start = (options_.pace ? complete : Clock::now()) + turnaround + out.shape.delay + out.shape.late;
        // On a line a reply cannot begin before the slave's previous one has ended: a request
        // heard (queued) meanwhile is answered one turnaround after it.
        if (options_.pace)
            start = std::max(start, line_free_ + turnaround);
        if (out.shape.late.count() > 0 && out.shape.busy_deaf) {
            // Busy all this time, the slave heard nothing of what came meanwhile.
            if (!wait_until(start))
                return false;
            discard_input(assembler);
        }
        if (!send(out.bytes, out.shape, start, assembler.character_time()))
            return false;
        ++replies_;
        if (out.shape.stray && out.shape.stray_after.count() > 0) {
            if (!wait_until(Clock::now() + out.shape.stray_after))
                return false;
            const std::uint8_t stray = *out.shape.stray;
            if (!write_all(&stray, 1))
                return false;
        }
    }
    for (const auto& [index, action] : out.after) {
        NetworkSettings settings;
        {
            std::lock_guard lock(mutex_);
            bus_.at(index).carry_out(action);
            settings = bus_.at(index).network();
        }
        ++commands_;
        // The line follows the instrument that moved; on a device shared with others at another
        // rate, those are left to the program to reach by changing its own.
        assembler.set_character_time(character_time(settings));
        endpoint_->reconfigure(settings);
    }
    return true;
}

void InstrumentSimulator::run()
{
    // Line pacing sleeps for fractions of a millisecond; the default timer slack of 50 us would
    // show in every character.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    if (options_.pace) {
        // A slave's UART is never preempted; where the system allows it (root, or an RTPRIO
        // limit), the lowest real-time priority keeps other work from stretching the exchanges.
        // Every wait of this thread is a sleep, so it cannot starve anything.
        sched_param priority{};
        priority.sched_priority = 1;
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);
    }
    FrameAssembler assembler(options_.pace ? Pacing::line : Pacing::fast, character_time(network()));
    struct Listening {
        FrameAssembler*& at;
        ~Listening() { at = nullptr; }
    } listening{listening_};
    if (options_.pace)
        listening_ = &assembler;
    std::uint8_t buffer[read_chunk];
    while (true) {
        pollfd fds[2] = {{wake_fd_, POLLIN, 0}, {endpoint_->fd(), POLLIN, 0}};
        const auto deadline = assembler.deadline();
        timespec timeout{};
        if (deadline)
            timeout = to_timespec(*deadline - Clock::now());
        if (ppoll(fds, 2, deadline ? &timeout : nullptr, nullptr) < 0 && errno != EINTR)
            return;
        if (fds[0].revents & POLLIN)
            return;
        if (fds[1].revents & POLLIN) {
            while (true) {
                const auto count = ::read(endpoint_->fd(), buffer, sizeof buffer);
                if (count <= 0)
                    break;
                assembler.receive(std::span(buffer, static_cast<std::size_t>(count)), Clock::now());
            }
        } else if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            if (!wait_until(Clock::now() + hangup_pause))
                return;
        }
        while (auto frame = assembler.take(Clock::now())) {
            if (!handle(assembler, std::move(frame->bytes), frame->korvel, frame->complete))
                return;
        }
    }
}

} // namespace zr740::sim
