#pragma once
// One thing that happened on the line, as the traffic monitor shows it and the trace file keeps it,
// and the interface of whoever wants to hear of each.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zr740 {

enum class TrafficKind : std::uint8_t {
    request,     // sent to the line
    reply,       // taken as the reply; also bytes from the slave refused for their CRC or length
    retry,       // a transaction sends its request again
    timeout,     // no reply within the reply time-out
    skipped,     // passed over by the reply search: the request's echo, stray bytes
    unmatched,   // a complete frame with a good CRC that answers no request sent
    port_opened,
    port_closed,
    line_error,  // break, framing, parity or overrun; too many bytes without a frame
};

// The word of a trace line: "TX", "RX", "RETRY", "TIMEOUT", "SKIP", "UNMATCHED", "OPEN", "CLOSE",
// "LINEERR".
std::string_view traffic_word(TrafficKind kind);

struct TrafficEvent {
    std::chrono::system_clock::time_point time; // wall clock, for display
    TrafficKind kind = TrafficKind::request;
    int address = -1; // slave address of the frame; -1 when none
    std::vector<std::uint8_t> bytes;
    std::string text; // decoded meaning or what the link did; one line
    bool crc_ok = true;
    int exception = 0; // Modbus exception code or the instrument's Korvel error code; 0: none
    std::uint64_t response_us = 0; // reply: from the end of sending to the reply; time-out: the wait
    // The registers of the transaction the event belongs to (request, its reply, its time-out and
    // retries); first -1 when none is known (Korvel, port events, stray bytes).
    int first_register = -1;
    int register_count = 0;

    bool concerns_register(int number) const
    {
        return first_register >= 0 && number >= first_register && number < first_register + register_count;
    }
};

class TrafficSink {
public:
    virtual ~TrafficSink() = default;
    // On the thread that used the line, in the order things happened, under the trace's listener
    // lock: keep it short, hand the event over to another thread, and never add or remove sinks
    // from here.
    virtual void on_traffic(const TrafficEvent& event) = 0;
};

} // namespace zr740
