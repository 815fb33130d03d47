#include "link/trace_file.h"

#include "link/frame_decoder.h"
#include "link/traffic_texts.h"
#include "model/text.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace zr740 {
namespace {

std::string fill_two(std::string_view pattern, std::string_view path, std::string_view reason)
{
    return replace_all(replace_all(pattern, "%s", path), "%e", reason);
}

void append_local_time(std::string& line, std::chrono::system_clock::time_point time)
{
    const auto since = time.time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
    auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(since - seconds).count();
    std::time_t t = static_cast<std::time_t>(seconds.count());
    if (millis < 0) { // before 1970: the second below
        millis += 1000;
        --t;
    }
    std::tm local{};
    localtime_r(&t, &local);
    char buffer[40];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%S", &local);
    line.append(buffer, n);
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%03d", static_cast<int>(millis));
    line += fraction;
}

} // namespace

TraceFile::~TraceFile() { close(); }

bool TraceFile::open(const std::string& path, std::string& error)
{
    close();
    error_.clear();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = fill_two(texts::trace_open_failed, path, std::strerror(errno));
        error_ = error;
        return false;
    }
    fd_ = fd;
    path_ = path;
    return true;
}

void TraceFile::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

std::string TraceFile::format(const TrafficEvent& event)
{
    std::string line;
    line.reserve(64 + 3 * event.bytes.size() + event.text.size());
    append_local_time(line, event.time);
    line += ' ';
    line += traffic_word(event.kind);
    append_hex_bytes(line, event.bytes);
    line += " | ";
    // One event, one line: a text with a line break of its own would look like two.
    for (const char c : event.text)
        line += (c == '\n' || c == '\r') ? ' ' : c;
    line += '\n';
    return line;
}

void TraceFile::on_traffic(const TrafficEvent& event)
{
    if (fd_ < 0)
        return;
    const std::string line = format(event);
    ssize_t written = -1;
    do
        written = ::write(fd_, line.data(), line.size());
    while (written < 0 && errno == EINTR);
    if (written == static_cast<ssize_t>(line.size()))
        return;
    // A full disk writes part of the line; nothing after it could be trusted to be whole.
    error_ = fill_two(texts::trace_write_failed, path_, written < 0 ? std::strerror(errno) : std::strerror(ENOSPC));
    close();
}

} // namespace zr740
