#pragma once
// The CSV log of polled values: one line per round of the scanners, written while they run.
//
// The scanners hand every poll to the log on their own thread (ScanListener). Polls that share a
// deadline (`ScanResult::slot`: scanners switched on together with one period) are one round and
// stand on one line; the line is written with a single write() as soon as every scanner expected in
// the round has reported, at the latest when the next round starts or the log is closed. So a crash
// of the program loses at most the round being collected, and the file holds complete lines only.
//
// A write error (a full disk, a removed folder, a lost network share) stops the log: the lines
// written stay, a partly written line is cut off again, and the reason is kept for the person. The
// owner learns of it through failed() or, at once, through the failure handler.

#include "app/scan_result_queue.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zr740 {

class Parameter;

// One CSV field: quoted ("..." with inner quotes doubled) when it holds a comma, a quote, CR or LF,
// or starts or ends with a blank; otherwise as it is.
std::string csv_field(std::string_view text);
// Fields joined by commas, each through csv_field, with the line's "\n".
std::string csv_line(const std::vector<std::string>& fields);
// "2026-12-10T12:34:56.789Z": ISO 8601 in UTC, milliseconds cut (not rounded).
std::string iso_utc_ms(std::chrono::system_clock::time_point when);

class CsvLog : public ScanListener {
public:
    // Called once when the log stops on a write error, with the text for the person, on the thread
    // that met the error (usually the scanner thread) and without the log's lock held.
    using FailureHandler = std::function<void(const std::string& reason)>;

    // Creates or truncates `path` and writes the header "time,<caption 1>,...,<caption n>,status".
    // nullptr, with a text for the person in `error`, when it cannot. The columns are the scanners
    // in the order of the header; polls of other parameters are left out.
    static std::unique_ptr<CsvLog> open(const std::string& path, std::vector<Parameter*> columns, std::string& error);
    // Closes the log as close() does.
    ~CsvLog() override;
    CsvLog(const CsvLog&) = delete;
    CsvLog& operator=(const CsvLog&) = delete;

    // Set it before the log is handed to the scanners.
    void on_failure(FailureHandler handler);

    // Scanner thread.
    void polled(const ScanResult& result) override;

    // Any thread. After a write error the log writes nothing more; what was written stays.
    bool failed() const;
    std::string failure() const;
    // Lines of values written, the header not counted.
    std::size_t lines() const;
    const std::string& path() const { return path_; }

    // Writes the round being collected, flushes the file to the disk and closes it. Later polls are
    // ignored. Safe to call more than once.
    void close();

private:
    using Slot = std::chrono::steady_clock::time_point;
    enum class Cell : unsigned char { empty, value, failed };
    struct Column {
        std::string caption;
        std::optional<Slot> last;                                    // the slot it was last polled for
        std::optional<std::chrono::steady_clock::duration> interval; // between its last two slots
        Cell cell = Cell::empty;                                     // in the round being collected
        std::string text;                                            // value or failure text
    };

    CsvLog(std::string path, int fd, std::vector<Parameter*> columns);
    // With mutex_ held. Each returns whether the failure handler is due.
    bool write_round();
    bool write_line(const std::string& line);
    bool fail(int error_number);
    bool round_complete() const;
    void notify(bool due);

    const std::string path_;
    mutable std::mutex mutex_; // everything below but the atomics
    int fd_ = -1;
    std::vector<Column> columns_;
    std::unordered_map<const Parameter*, std::size_t> column_of_;
    bool round_open_ = false;
    Slot round_slot_{};
    std::chrono::system_clock::time_point round_time_{};
    long long written_ = 0; // bytes of complete lines in the file
    std::string line_;      // reused for each line
    FailureHandler handler_;
    int error_number_ = 0;
    std::string failure_; // written once, before failed_ is set
    std::atomic<bool> failed_{false};
    std::atomic<std::size_t> lines_{0};
};

} // namespace zr740
