#include "platform/safe_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace zr740 {
namespace {

std::string system_reason(int code) { return std::strerror(code); }

bool write_all(int fd, std::string_view bytes, int& code)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            code = errno;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Read rather than set and restored: umask() is process-wide and other threads may create files.
mode_t current_umask()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    return 022;
}

// Makes the rename itself durable; a failure here is not worth failing the save for.
void sync_folder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool write_file_safely(const std::string& path, std::string_view bytes, std::string& error)
{
    const std::filesystem::path target(path);
    std::string folder = target.parent_path().string();
    if (folder.empty())
        folder = ".";
    std::string temporary = (std::filesystem::path(folder) / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error = system_reason(errno);
        return false;
    }
    int code = 0;
    bool ok = write_all(fd, bytes, code);
    if (ok && ::fsync(fd) != 0) {
        code = errno;
        ok = false;
    }
    // The new file gets the old one's permissions, or those any new file would get.
    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : (0666 & ~current_umask());
    if (ok)
        ::fchmod(fd, mode);
    if (::close(fd) != 0 && ok) {
        code = errno;
        ok = false;
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        code = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        error = system_reason(code);
        return false;
    }
    sync_folder(folder);
    return true;
}

std::optional<std::vector<std::uint8_t>> read_whole_file(const std::string& path, std::size_t limit,
                                                         std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = system_reason(errno);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        if (static_cast<std::uint64_t>(info.st_size) > limit) {
            ::close(fd);
            error = system_reason(EFBIG);
            return std::nullopt;
        }
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    }
    std::uint8_t chunk[65536];
    while (true) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = system_reason(errno);
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        if (bytes.size() + static_cast<std::size_t>(got) > limit) {
            ::close(fd);
            error = system_reason(EFBIG);
            return std::nullopt;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    ::close(fd);
    return bytes;
}

} // namespace zr740
