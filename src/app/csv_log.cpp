#include "app/csv_log.h"

#include "app/csv_texts.h"
#include "model/parameter.h"
#include "model/text.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace zr740 {
namespace {

bool needs_quotes(std::string_view text)
{
    if (text.empty())
        return false;
    if (text.front() == ' ' || text.front() == '\t' || text.back() == ' ' || text.back() == '\t')
        return true;
    return text.find_first_of(",\"\r\n") != std::string_view::npos;
}

void append_field(std::string& out, std::string_view text)
{
    if (!needs_quotes(text)) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

std::string system_reason(int error_number)
{
    return std::strerror(error_number);
}

} // namespace

std::string csv_field(std::string_view text)
{
    std::string out;
    append_field(out, text);
    return out;
}

std::string csv_line(const std::vector<std::string>& fields)
{
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out += ',';
        append_field(out, fields[i]);
    }
    out += '\n';
    return out;
}

std::string iso_utc_ms(std::chrono::system_clock::time_point when)
{
    using namespace std::chrono;
    const auto milliseconds = floor<std::chrono::milliseconds>(when.time_since_epoch()).count();
    // Floor division, so that a time before 1970 still gets 0..999 milliseconds.
    long long seconds = milliseconds / 1000;
    long long rest = milliseconds % 1000;
    if (rest < 0) {
        rest += 1000;
        --seconds;
    }
    const std::time_t whole = static_cast<std::time_t>(seconds);
    std::tm utc{};
    gmtime_r(&whole, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(rest));
    return text;
}

std::unique_ptr<CsvLog> CsvLog::open(const std::string& path, std::vector<Parameter*> columns, std::string& error)
{
    if (columns.empty()) {
        error = fill_placeholders(texts::csv_no_columns, {path});
        return nullptr;
    }
    // Not blocking on the open: a pipe nobody reads would hang the program here; it fails instead.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) {
        error = fill_placeholders(texts::csv_cannot_create, {path, system_reason(errno)});
        return nullptr;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0)
        (void)fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::unique_ptr<CsvLog> log(new CsvLog(path, fd, std::move(columns)));

    std::vector<std::string> header;
    header.reserve(log->columns_.size() + 2);
    header.emplace_back(texts::csv_time_column);
    for (const Column& column : log->columns_)
        header.push_back(column.caption);
    header.emplace_back(texts::csv_status_column);
    {
        std::lock_guard lock(log->mutex_);
        log->write_line(csv_line(header));
        if (log->failed_) {
            error = fill_placeholders(texts::csv_cannot_create, {path, system_reason(log->error_number_)});
            return nullptr;
        }
    }
    log->lines_ = 0; // the header is no line of values
    return log;
}

CsvLog::CsvLog(std::string path, int fd, std::vector<Parameter*> columns) : path_(std::move(path)), fd_(fd)
{
    columns_.reserve(columns.size());
    for (Parameter* parameter : columns) {
        column_of_.emplace(parameter, columns_.size());
        Column column;
        column.caption = parameter->caption;
        columns_.push_back(std::move(column));
    }
}

CsvLog::~CsvLog()
{
    close();
}

void CsvLog::on_failure(FailureHandler handler)
{
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

bool CsvLog::failed() const
{
    return failed_.load(std::memory_order_acquire);
}

std::string CsvLog::failure() const
{
    // failure_ is written once, before failed_ is set.
    return failed() ? failure_ : std::string();
}

std::size_t CsvLog::lines() const
{
    return lines_.load(std::memory_order_relaxed);
}

void CsvLog::polled(const ScanResult& result)
{
    bool due = false;
    {
        std::lock_guard lock(mutex_);
        if (fd_ < 0)
            return;
        const auto found = column_of_.find(result.parameter);
        if (found == column_of_.end())
            return;
        Column& column = columns_[found->second];
        // A new deadline starts a new round; so does a second poll of one scanner for the same
        // deadline, which only a timer re-armed at that very instant could make.
        if (round_open_ && (result.slot != round_slot_ || column.cell != Cell::empty))
            due = write_round();
        if (fd_ >= 0) {
            if (!round_open_) {
                round_open_ = true;
                round_slot_ = result.slot;
                round_time_ = result.polled_at;
            }
            if (result.status_text.empty() && !result.value_text.empty()) {
                column.cell = Cell::value;
                column.text = result.value_text;
            } else {
                column.cell = Cell::failed;
                column.text = result.status_text;
            }
            if (column.last && result.slot > *column.last)
                column.interval = result.slot - *column.last;
            column.last = result.slot;
            if (round_complete())
                due = write_round() || due;
        }
    }
    notify(due);
}

bool CsvLog::round_complete() const
{
    for (const Column& column : columns_) {
        if (column.cell != Cell::empty)
            continue;
        // Not known yet when this one comes: the line waits for the next round.
        if (!column.last || !column.interval)
            return false;
        // Due in this round (or overdue, and so perhaps in it): wait for it.
        if (*column.last + *column.interval <= round_slot_)
            return false;
    }
    return true;
}

bool CsvLog::write_round()
{
    round_open_ = false;
    line_ = iso_utc_ms(round_time_);
    std::string status;
    for (Column& column : columns_) {
        line_ += ',';
        if (column.cell == Cell::value) {
            append_field(line_, column.text);
        } else if (column.cell == Cell::failed) {
            if (!status.empty())
                status += "; ";
            status += fill_placeholders(texts::csv_poll_failed, {column.caption, column.text});
        }
        column.cell = Cell::empty;
        column.text.clear();
    }
    line_ += ',';
    append_field(line_, status);
    line_ += '\n';
    return write_line(line_);
}

bool CsvLog::write_line(const std::string& line)
{
    if (fd_ < 0)
        return false;
    std::size_t done = 0;
    // One write() for the line; a short one (a signal, a nearly full disk) is followed up.
    while (done < line.size()) {
        const ssize_t n = ::write(fd_, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(n < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    written_ += static_cast<long long>(line.size());
    lines_.fetch_add(1, std::memory_order_relaxed);
    return false;
}

bool CsvLog::fail(int error_number)
{
    // A part of a line would read as a line with missing columns; the file keeps complete ones.
    if (ftruncate(fd_, static_cast<off_t>(written_)) != 0) {
        // Not a regular file (a device, a pipe): nothing to cut off.
    }
    ::close(fd_);
    fd_ = -1;
    round_open_ = false;
    error_number_ = error_number;
    failure_ = fill_placeholders(texts::csv_write_failed, {path_, system_reason(error_number)});
    failed_.store(true, std::memory_order_release);
    return true;
}

void CsvLog::notify(bool due)
{
    if (!due)
        return;
    FailureHandler handler;
    {
        std::lock_guard lock(mutex_);
        handler = handler_;
    }
    if (handler)
        handler(failure_);
}

void CsvLog::close()
{
    bool due = false;
    {
        std::lock_guard lock(mutex_);
        if (fd_ < 0)
            return;
        if (round_open_)
            due = write_round();
        if (fd_ >= 0) {
            // Kept for a power failure too; a device that cannot be synced (a pipe, /dev/null) is fine.
            if (fdatasync(fd_) != 0 && errno != EINVAL && errno != EROFS)
                due = fail(errno);
            else {
                ::close(fd_);
                fd_ = -1;
            }
        }
    }
    notify(due);
}

} // namespace zr740
