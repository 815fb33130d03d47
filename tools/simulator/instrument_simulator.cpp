#include "simulator/instrument_simulator.h"

#include "platform/program_info.h"
#include "platform/shell.h"
#include "simulator/frame_assembler.h"
#include "simulator/instrument.h"
#include "simulator/korvel_slave.h"
#include "simulator/modbus_slave.h"
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

// What the line makes of a reply under the faults of its shape.
void shape_modbus_reply(std::vector<std::uint8_t>& bytes, const ReplyShape& shape,
                        const std::vector<std::uint8_t>& request)
{
    if (shape.short_reply && bytes.size() >= 7 && (bytes[1] == 3 || bytes[1] == 4) && bytes[2] >= 2) {
        bytes.resize(bytes.size() - 4); // the CRC and the last register
        bytes[2] = static_cast<std::uint8_t>(bytes[2] - 2);
        append_modbus_crc(bytes);
    }
    if (shape.bad_crc)
        bytes.back() ^= 0xA5;
    if (shape.duplicate) {
        const auto once = bytes;
        bytes.insert(bytes.end(), once.begin(), once.end());
    }
    if (shape.glitch)
        bytes.insert(bytes.begin(), *shape.glitch);
    if (shape.echo)
        bytes.insert(bytes.begin(), request.begin(), request.end());
    if (shape.stray && shape.stray_after.count() == 0)
        bytes.push_back(*shape.stray);
}

} // namespace

struct InstrumentSimulator::Outgoing {
    std::vector<std::uint8_t> bytes;
    ReplyShape shape;
    AfterReply after = AfterReply::nothing;
};

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
    if (options_.variant != 0 && options_.variant != 1) {
        error_ = "variant must be 0 or 1";
        return false;
    }
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
    auto instrument = std::make_unique<Instrument>(std::move(bank));
    if (options_.address || options_.baud) {
        NetworkSettings wanted = instrument->network();
        wanted.address = options_.address.value_or(wanted.address);
        wanted.baud = options_.baud.value_or(wanted.baud);
        if (!instrument->start_with(wanted)) {
            error_ = "address or baud rate not offered by the description";
            return false;
        }
    }
    instrument_ = std::move(instrument);
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
            error_ = "TCP is served in front of a pseudo-terminal only, not a device";
            endpoint_.reset();
            return false;
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
    if (!instrument_)
        return std::nullopt;
    return instrument_->bank().get(number);
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
    if (instrument_)
        instrument_->bank().set(number, value);
}

std::optional<std::string> InstrumentSimulator::value(std::uint16_t first) const
{
    std::lock_guard lock(mutex_);
    if (!instrument_)
        return std::nullopt;
    return instrument_->bank().read_value(first);
}

bool InstrumentSimulator::set_value(std::uint16_t first, const std::string& text)
{
    std::lock_guard lock(mutex_);
    return instrument_ && instrument_->bank().write_value(first, text);
}

NetworkSettings InstrumentSimulator::network() const
{
    std::lock_guard lock(mutex_);
    return instrument_ ? instrument_->network() : NetworkSettings{};
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

void InstrumentSimulator::refresh_live()
{
    const std::chrono::duration<double> elapsed = Clock::now() - started_;
    instrument_->refresh(elapsed.count(), options_.live_values);
}

InstrumentSimulator::Outgoing InstrumentSimulator::answer_modbus(const std::vector<std::uint8_t>& frame)
{
    Outgoing out;
    const auto request = parse_modbus_request(frame);
    std::lock_guard lock(mutex_);
    const auto own = static_cast<std::uint8_t>(instrument_->network().address);
    if (!request || (request->address != 0 && request->address != own)) {
        ++ignored_;
        out.shape.silent = true;
        return out;
    }
    ++requests_;
    for (unsigned i = 0; i < request->count; ++i) {
        if (instrument_->bank().is_live(static_cast<std::uint16_t>(request->first + i))) {
            refresh_live();
            break;
        }
    }
    if (request->address == 0) {
        // Broadcast: every slave acts, none answers.
        out.after = serve_modbus(*request, own, *instrument_).after;
        out.shape.silent = true;
        return out;
    }
    out.shape = faults_.take(request->first, request->count, own);
    const auto reply_address = out.shape.address.value_or(own);
    if (out.shape.exception) {
        out.bytes = modbus_exception(reply_address, request->function, *out.shape.exception);
    } else {
        auto answer = serve_modbus(*request, reply_address, *instrument_);
        out.bytes = std::move(answer.reply);
        out.after = answer.after;
    }
    shape_modbus_reply(out.bytes, out.shape, frame);
    return out;
}

InstrumentSimulator::Outgoing InstrumentSimulator::answer_korvel(const std::vector<std::uint8_t>& frame)
{
    Outgoing out;
    const auto request = parse_korvel_request(frame);
    std::lock_guard lock(mutex_);
    const int own = instrument_->network().address;
    if (!request || !korvel_addressed_to(*request, own)) {
        ++ignored_;
        out.shape.silent = true;
        return out;
    }
    ++requests_;
    const auto count = instrument_->bank().parameter_at(request->identifier).value_or(1);
    if (instrument_->bank().is_live(request->identifier))
        refresh_live();
    out.shape = faults_.take(request->identifier, count, static_cast<std::uint8_t>(own));
    auto answer = serve_korvel(*request, out.shape.address.value_or(static_cast<std::uint8_t>(own)), *instrument_,
                               out.shape.exception);
    out.after = answer.after;
    out.bytes.assign(answer.reply.begin(), answer.reply.end());
    if (out.shape.bad_crc && out.bytes.size() >= 3) {
        // Another letter in place of the last CRC letter: still a well-formed line.
        auto& letter = out.bytes[out.bytes.size() - 2];
        letter = static_cast<std::uint8_t>('G' + ((letter - 'G' + 1) & 0x0F));
    }
    if (out.bytes.empty())
        out.shape.silent = true; // an identifier the instrument never answers
    return out;
}

bool InstrumentSimulator::handle(FrameAssembler& assembler, std::vector<std::uint8_t> frame, bool korvel,
                                 Clock::time_point complete)
{
    ++frames_;
    if (options_.own_rate_only && endpoint_->is_pty() && line_baud_rate(endpoint_->fd()) != network().baud) {
        ++ignored_;
        return true;
    }
    Outgoing out = korvel ? answer_korvel(frame) : answer_modbus(frame);
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
    if (out.after != AfterReply::nothing) {
        ++commands_;
        NetworkSettings settings;
        {
            std::lock_guard lock(mutex_);
            instrument_->carry_out(out.after);
            settings = instrument_->network();
        }
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
