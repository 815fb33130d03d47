#include "app/commission_report.h"

#include "model/text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zr740 {
namespace {

std::string csv_field(const std::string& text)
{
    if (text.find_first_of(",;\"\r\n") == std::string::npos)
        return text;
    return "\"" + replace_all(text, "\"", "\"\"") + "\"";
}

std::string joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const auto& name : names)
        text += (text.empty() ? "" : ";") + name;
    return text;
}

} // namespace

std::string iso_local_time(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    char text[40];
    if (std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local) == 0)
        return {};
    std::string stamp(text);
    // strftime gives the offset as "+0100"; ISO-8601's extended form wants "+01:00".
    if (stamp.size() >= 5)
        stamp.insert(stamp.size() - 2, ":");
    return stamp;
}

std::string commission_report_header()
{
    return "time,serial,version,address,result,written,verified,failed,failed_parameters";
}

std::string commission_report_line(const CommissionRecord& r)
{
    return csv_field(r.time) + "," + csv_field(r.serial) + "," + csv_field(r.version) + "," +
           std::to_string(r.address) + "," + (r.ok ? "ok" : "failed") + "," + std::to_string(r.written) + "," +
           std::to_string(r.verified) + "," + std::to_string(r.failed) + "," + csv_field(joined(r.failed_names));
}

std::vector<std::string> split_csv_line(std::string_view line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c != '\r' && c != '\n') {
            fields.back() += c;
        }
    }
    return fields;
}

CommissionReport::~CommissionReport()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool CommissionReport::open()
{
    if (fd_ >= 0)
        return true;
    fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        error_ = std::strerror(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(fd_, &status) != 0) {
        error_ = std::strerror(errno);
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    if (status.st_size == 0)
        return write_line(commission_report_header());
    return true;
}

bool CommissionReport::append(const CommissionRecord& record)
{
    if (fd_ < 0 && !open())
        return false;
    return write_line(commission_report_line(record));
}

bool CommissionReport::write_line(std::string line)
{
    line += '\n';
    // A report someone edited by hand may end without a line break: the new line must not be
    // glued to the last one.
    struct stat status {};
    if (::fstat(fd_, &status) == 0 && status.st_size > 0) {
        const int reader = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        char last = '\n';
        if (reader >= 0) {
            if (::pread(reader, &last, 1, status.st_size - 1) != 1)
                last = '\n';
            ::close(reader);
        }
        if (last != '\n')
            line.insert(line.begin(), '\n');
    }
    const ssize_t written = ::write(fd_, line.data(), line.size());
    if (written == static_cast<ssize_t>(line.size()))
        return true;
    error_ = written < 0 ? std::strerror(errno) : std::strerror(ENOSPC);
    return false;
}

} // namespace zr740
