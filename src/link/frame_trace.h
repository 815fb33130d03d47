#pragma once
// The traffic on the line as events: every request and reply with its decoded meaning, what the
// reply search passed over, retries, time-outs, the port opened and closed. The link calls the
// hooks where each happens; the trace counts them (LinkCounters since the start, LinkStatistics
// since the port was opened) and hands them to its listeners: the trace file and whoever added a
// TrafficSink (the traffic monitor). With nobody listening an event costs its counting only.

#include "link/frame_decoder.h"
#include "link/link_statistics.h"
#include "link/trace_file.h"
#include "link/traffic_event.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace zr740 {

struct LinkCounters {
    std::uint64_t transactions = 0;     // transfers
    std::uint64_t timeouts = 0;         // transfers that ended in silence
    std::uint64_t line_errors = 0;      // transfers ended by a break, framing, parity or overrun error
    std::uint64_t crc_failures = 0;     // replies refused for their checksum (counted by the transactions)
    std::uint64_t decode_failures = 0;  // replies the value decoder could not use (counted by the transactions)
    std::uint64_t last_response_us = 0; // of the last transfer that gathered a reply
    std::uint64_t total_response_us = 0;
    std::uint64_t responses = 0;
    std::uint64_t mean_response_us() const { return responses ? total_response_us / responses : 0; }
};

// Why a transaction sends its request again.
enum class RetryCause { timeout, line_error, frame_start_lost };

class FrameTrace {
public:
    // The environment variable that names a trace file, as the "trace:" option does.
    static constexpr const char* environment_variable = "ZR740_TRACE";

    FrameTrace() = default;
    ~FrameTrace();
    FrameTrace(const FrameTrace&) = delete;
    FrameTrace& operator=(const FrameTrace&) = delete;

    // Opens (appends to) the trace file, closing one opened before; false with the reason.
    bool open_trace_file(const std::string& path, std::string& error);
    bool open(const std::string& path);
    // Opens the file named by ZR740_TRACE; false when the variable is unset or empty or the file
    // cannot be opened.
    bool open_from_environment();
    void close();
    // Whether the trace file is open (a failed write closes it).
    bool enabled() const;
    // Why the trace file could not be opened or was given up; empty when none.
    std::string trace_file_error() const;

    // A listener hears every event from its adding until its removal returns. Not from a sink.
    void add_sink(TrafficSink* sink);
    void remove_sink(TrafficSink* sink);

    // --- hooks of the link, on the thread using the line ---
    void sent(std::span<const std::uint8_t> request);
    // Bytes the line held before a request went out and that were dropped unread.
    void discarded(std::span<const std::uint8_t> bytes);
    // The end of a transfer: what was gathered, and where the reply lies in it when the reply
    // search found one (`reply_length` 0: the whole of a successful transfer is the reply).
    void received(std::span<const std::uint8_t> request, std::span<const std::uint8_t> gathered, int result,
                  std::size_t reply_start, std::size_t reply_length, std::uint64_t response_us);
    void retry(int number, RetryCause cause);
    void port_opened(const std::string& device, int baud_rate);
    void port_closed();
    void count_crc_failure();
    void count_decode_failure();

    LinkCounters counters() const;
    LinkStatisticsSnapshot statistics() const { return statistics_.snapshot(); }
    void reset_statistics() { statistics_.reset(); }

private:
    void publish(TrafficEvent& event);
    // Bytes that were not the reply, as events: echoes, frames answering something else, stray
    // bytes; with a request, a damaged frame from its slave reads as the reply it was meant to be.
    void explain(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> request, bool before_request);
    void frame_event(TrafficKind kind, std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> request,
                     std::uint64_t response_us);
    void text_event(TrafficKind kind, std::span<const std::uint8_t> bytes, std::string text,
                    std::uint64_t response_us = 0, RegisterRange registers = {});
    void update_listening();

    mutable std::mutex counters_mutex_;
    LinkCounters counters_;
    RegisterRange last_registers_; // of the last request heard: its retries belong to it
    LinkStatistics statistics_;
    // Guards the sinks and the file; held while an event is handed out, so lines keep their order.
    mutable std::mutex sinks_mutex_;
    std::vector<TrafficSink*> sinks_;
    TraceFile file_;
    std::atomic<bool> listening_{false};
};

} // namespace zr740
