#pragma once
// What a scanner poll produces and the queue that carries it from the scanner thread to the main
// window. The scanner thread appends and announces each record through the shell; the window thread
// takes the records when the announcement reaches it, in the order they were made.

#include <chrono>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zr740 {

class Parameter;

struct ScanResult {
    // The window shows each text in one cell; longer texts are cut to this many characters.
    static constexpr std::size_t max_text = 511;

    int channel = 0;         // the scanner's channel (its linear index)
    std::string value_text;  // empty when the poll failed
    std::string status_text; // empty when the poll succeeded
    Parameter* parameter = nullptr;
    // When the reply came, for logs and trends (wall clock, shown in UTC).
    std::chrono::system_clock::time_point polled_at{};
    // The deadline the poll was made for. Scanners switched on together with the same period share
    // their deadlines, so a log can put the values of one round on one line.
    std::chrono::steady_clock::time_point slot{};
};

// Hears every poll on the scanner thread, whether or not a window stands, as soon as it is made: a
// log written from here loses nothing when the window is busy. Keep it short: the next poll waits.
class ScanListener {
  public:
    virtual ~ScanListener() = default;
    virtual void polled(const ScanResult& result) = 0;
};

// The first `max` characters (code points) of a UTF-8 text, never splitting a character.
std::string cut_code_points(std::string_view utf8, std::size_t max);

class ScanResultQueue {
  public:
    void push(ScanResult result);
    // The oldest record, if any.
    std::optional<ScanResult> take();
    // Every record, oldest first; the queue is empty afterwards.
    std::vector<ScanResult> take_all();
    std::size_t size() const;

  private:
    mutable std::mutex mutex_;
    std::deque<ScanResult> records_;
};

} // namespace zr740
