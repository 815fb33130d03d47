#pragma once
// A record of the traffic on the line: every transfer's request and reply bytes with a monotonic
// timestamp, the result and the retry number, written as text lines when a trace file is open, and
// per-link counters for a traffic monitor. With no file open a transfer costs one short locked
// update of the counters; nothing is formatted.
//
// Line format (one per transfer, bytes in hex):
//   <monotonic µs> try=<retry> result=<transfer result> response=<µs>us tx: 10 03 00 07 00 01 F7 4A rx: ...

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <span>
#include <string>

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

class FrameTrace {
public:
    // The environment variable that names the trace file.
    static constexpr const char* environment_variable = "ZR740_TRACE";

    FrameTrace() = default;
    ~FrameTrace();
    FrameTrace(const FrameTrace&) = delete;
    FrameTrace& operator=(const FrameTrace&) = delete;

    // Opens (appends to) the trace file, closing one opened before; false when it cannot be opened.
    bool open(const std::string& path);
    // Opens the file named by ZR740_TRACE; false when the variable is unset or empty or the file
    // cannot be opened.
    bool open_from_environment();
    void close();
    bool enabled() const;

    // The retry number written with the next transfers (0 for the first try).
    void set_retry(int retry);
    // One transfer: its request, what came back, the result and the time from the end of sending to
    // the end of the transfer.
    void record(std::span<const std::uint8_t> request, std::span<const std::uint8_t> reply, int result,
                std::uint64_t response_us);
    void count_crc_failure();
    void count_decode_failure();

    LinkCounters counters() const;

private:
    mutable std::mutex mutex_;
    std::FILE* file_ = nullptr;
    int retry_ = 0;
    LinkCounters counters_;
};

} // namespace zr740
