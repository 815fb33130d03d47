#include "link/frame_trace.h"

#include "link/frame_decoder.h"
#include "link/sio.h"
#include "link/traffic_texts.h"
#include "model/text.h"

#include <algorithm>
#include <cstdlib>

namespace zr740 {
namespace {

std::string fill_number(std::string_view pattern, long long number)
{
    return replace_all(pattern, "%i", std::to_string(number));
}

} // namespace

std::string_view traffic_word(TrafficKind kind)
{
    switch (kind) {
    case TrafficKind::request: return "TX";
    case TrafficKind::reply: return "RX";
    case TrafficKind::retry: return "RETRY";
    case TrafficKind::timeout: return "TIMEOUT";
    case TrafficKind::skipped: return "SKIP";
    case TrafficKind::unmatched: return "UNMATCHED";
    case TrafficKind::port_opened: return "OPEN";
    case TrafficKind::port_closed: return "CLOSE";
    case TrafficKind::line_error: return "LINEERR";
    }
    return "?";
}

FrameTrace::~FrameTrace() { close(); }

bool FrameTrace::open_trace_file(const std::string& path, std::string& error)
{
    std::lock_guard lock(sinks_mutex_);
    const bool opened = file_.open(path, error);
    update_listening();
    return opened;
}

bool FrameTrace::open(const std::string& path)
{
    std::string error;
    return open_trace_file(path, error);
}

bool FrameTrace::open_from_environment()
{
    const char* path = std::getenv(environment_variable);
    return path && *path && open(path);
}

void FrameTrace::close()
{
    std::lock_guard lock(sinks_mutex_);
    file_.close();
    update_listening();
}

bool FrameTrace::enabled() const
{
    std::lock_guard lock(sinks_mutex_);
    return file_.is_open();
}

std::string FrameTrace::trace_file_error() const
{
    std::lock_guard lock(sinks_mutex_);
    return file_.error();
}

void FrameTrace::add_sink(TrafficSink* sink)
{
    std::lock_guard lock(sinks_mutex_);
    if (sink && std::find(sinks_.begin(), sinks_.end(), sink) == sinks_.end())
        sinks_.push_back(sink);
    update_listening();
}

void FrameTrace::remove_sink(TrafficSink* sink)
{
    std::lock_guard lock(sinks_mutex_);
    std::erase(sinks_, sink);
    update_listening();
}

// Under sinks_mutex_.
void FrameTrace::update_listening() { listening_ = file_.is_open() || !sinks_.empty(); }

void FrameTrace::publish(TrafficEvent& event)
{
    statistics_.add(event);
    if (!listening_.load(std::memory_order_relaxed))
        return;
    event.time = std::chrono::system_clock::now();
    std::lock_guard lock(sinks_mutex_);
    file_.on_traffic(event);
    for (TrafficSink* sink : sinks_)
        sink->on_traffic(event);
    if (!file_.is_open())
        update_listening();
}

void FrameTrace::text_event(TrafficKind kind, std::span<const std::uint8_t> bytes, std::string text,
                            std::uint64_t response_us, RegisterRange registers)
{
    TrafficEvent event;
    event.kind = kind;
    event.response_us = response_us;
    event.first_register = registers.first;
    event.register_count = registers.count;
    // Nobody reads the words of an event nobody hears.
    if (listening_.load(std::memory_order_relaxed)) {
        event.bytes.assign(bytes.begin(), bytes.end());
        event.text = std::move(text);
    }
    publish(event);
}

void FrameTrace::frame_event(TrafficKind kind, std::span<const std::uint8_t> bytes,
                             std::span<const std::uint8_t> request, std::uint64_t response_us)
{
    TrafficEvent event;
    event.kind = kind;
    event.response_us = response_us;
    auto decoded = kind == TrafficKind::request ? decode_request(bytes) : decode_reply(bytes, request);
    event.address = decoded.address;
    event.crc_ok = decoded.crc_ok;
    // A reply belongs to the request's registers; a frame answering something else to none of them.
    const RegisterRange registers = kind == TrafficKind::request ? request_registers(bytes)
                                    : kind == TrafficKind::reply ? request_registers(request)
                                                                 : RegisterRange{};
    event.first_register = registers.first;
    event.register_count = registers.count;
    event.exception = decoded.exception;
    if (listening_.load(std::memory_order_relaxed)) {
        event.bytes.assign(bytes.begin(), bytes.end());
        event.text = kind == TrafficKind::unmatched ? std::string(texts::traffic_unmatched) + ": " + decoded.text
                                                    : std::move(decoded.text);
    }
    publish(event);
}

void FrameTrace::sent(std::span<const std::uint8_t> request)
{
    if (!listening_.load(std::memory_order_relaxed)) {
        TrafficEvent event; // counted, never decoded
        publish(event);
        return;
    }
    {
        std::lock_guard lock(counters_mutex_);
        last_registers_ = request_registers(request);
    }
    frame_event(TrafficKind::request, request, {}, 0);
}

void FrameTrace::discarded(std::span<const std::uint8_t> bytes)
{
    if (!bytes.empty())
        explain(bytes, {}, true);
}

void FrameTrace::explain(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> request,
                         bool before_request)
{
    const bool korvel = !request.empty() && request[0] == '#';
    for (const auto& part : split_unexplained(bytes, korvel ? std::span<const std::uint8_t>{} : request)) {
        auto piece = bytes.subspan(part.start, part.length);
        switch (part.kind) {
        case UnexplainedPart::Kind::echo:
            text_event(TrafficKind::skipped, piece, std::string(texts::traffic_skipped_echo), 0,
                       request_registers(request));
            break;
        case UnexplainedPart::Kind::frame:
            frame_event(TrafficKind::unmatched, piece, request, 0);
            break;
        case UnexplainedPart::Kind::stray: {
            // A frame from the request's slave that failed its checksum or came short: the reply,
            // damaged. What comes before its start is stray.
            std::size_t from = piece.size();
            if (korvel) {
                from = 0;
            } else if (request.size() >= 2) {
                for (std::size_t at = 0; at + 1 < piece.size(); ++at)
                    if (piece[at] == request[0] && (piece[at + 1] & 0x7FU) == request[1]) {
                        from = at;
                        break;
                    }
            }
            if (from > 0)
                text_event(TrafficKind::skipped, piece.first(from),
                           fill_number(before_request ? texts::traffic_discarded : texts::traffic_skipped_bytes,
                                       static_cast<long long>(from)));
            if (from < piece.size())
                frame_event(TrafficKind::reply, piece.subspan(from), request, 0);
            break;
        }
        }
    }
}

void FrameTrace::received(std::span<const std::uint8_t> request, std::span<const std::uint8_t> gathered, int result,
                          std::size_t reply_start, std::size_t reply_length, std::uint64_t response_us)
{
    {
        std::lock_guard lock(counters_mutex_);
        ++counters_.transactions;
        if (result == transfer_timeout)
            ++counters_.timeouts;
        else if (result == transfer_line_error)
            ++counters_.line_errors;
        else if (result == transfer_ok) {
            counters_.last_response_us = response_us;
            counters_.total_response_us += response_us;
            ++counters_.responses;
        }
    }
    switch (result) {
    case transfer_ok:
        if (gathered.empty())
            return; // a broadcast: nobody answers
        if (reply_length == 0 || reply_start + reply_length > gathered.size()) {
            reply_start = 0;
            reply_length = gathered.size();
        }
        explain(gathered.first(reply_start), request, false);
        frame_event(TrafficKind::reply, gathered.subspan(reply_start, reply_length), request, response_us);
        explain(gathered.subspan(reply_start + reply_length), request, false);
        return;
    case transfer_timeout:
        explain(gathered, request, false);
        text_event(TrafficKind::timeout, {}, fill_number(texts::traffic_timeout, static_cast<long long>(response_us / 1000)),
                   response_us, request_registers(request));
        return;
    case transfer_line_error:
    case transfer_too_long:
        text_event(TrafficKind::line_error, gathered,
                   std::string(result == transfer_line_error ? texts::traffic_line_error : texts::traffic_too_long));
        return;
    default:
        return; // aborted: a stop, not something the line did
    }
}

void FrameTrace::retry(int number, RetryCause cause)
{
    const auto pattern = cause == RetryCause::timeout      ? texts::traffic_retry_timeout
                         : cause == RetryCause::line_error ? texts::traffic_retry_line_error
                                                           : texts::traffic_retry_frame_start;
    RegisterRange registers;
    {
        std::lock_guard lock(counters_mutex_);
        registers = last_registers_;
    }
    text_event(TrafficKind::retry, {}, fill_number(pattern, number), 0, registers);
}

void FrameTrace::port_opened(const std::string& device, int baud_rate)
{
    text_event(TrafficKind::port_opened, {}, fill_number(replace_all(texts::traffic_port_opened, "%s", device), baud_rate));
}

void FrameTrace::port_closed() { text_event(TrafficKind::port_closed, {}, std::string(texts::traffic_port_closed)); }

void FrameTrace::count_crc_failure()
{
    std::lock_guard lock(counters_mutex_);
    ++counters_.crc_failures;
}

void FrameTrace::count_decode_failure()
{
    std::lock_guard lock(counters_mutex_);
    ++counters_.decode_failures;
}

LinkCounters FrameTrace::counters() const
{
    std::lock_guard lock(counters_mutex_);
    return counters_;
}

} // namespace zr740
