#pragma once
// The trace file: one line per traffic event, appended as it happens.
//
//   2026-12-10T01:23:45.678 TX 05 03 00 07 00 01 35 8F | Чтение: адрес 5, рег. 0x0007, кол-во 1
//   2026-12-10T01:23:45.712 TIMEOUT | Нет ответа за 230 мс
//
// Local time with milliseconds, the event's word (traffic_word), the bytes in hex, " | " and the
// decoded text. Each line goes out with one write(2) on a descriptor opened for appending, so a
// crash loses at most the line being written and two programs tracing into one file do not cut
// each other's lines. A failed write closes the file and keeps the reason: tracing is never a
// reason for the link to fail.

#include "link/traffic_event.h"

#include <string>

namespace zr740 {

class TraceFile : public TrafficSink {
public:
    TraceFile() = default;
    ~TraceFile() override;
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    // Opens (appends to, creating) the file, closing one opened before. False with the reason in
    // `error`, in the program's language.
    bool open(const std::string& path, std::string& error);
    void close();
    bool is_open() const { return fd_ >= 0; }
    // Why the file was given up, or could not be opened; empty when none.
    const std::string& error() const { return error_; }

    void on_traffic(const TrafficEvent& event) override;

    // The line an event is written as, with its line break.
    static std::string format(const TrafficEvent& event);

private:
    int fd_ = -1;
    std::string path_;
    std::string error_;
};

} // namespace zr740
