#include "platform/safe_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace zr740 {
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    bool close()
    {
        if (fd_ < 0)
            return true;
        int result = ::close(fd_);
        fd_ = -1;
        return result == 0;
    }

private:
    int fd_;
};

bool write_all(int fd, std::string_view content)
{
    while (!content.empty()) {
        ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Makes the rename itself durable; a failure here leaves a consistent file, so it is not an error.
void sync_folder(const std::filesystem::path& folder)
{
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

bool write_file_atomically(const std::filesystem::path& target, std::string_view content,
                           const std::function<bool(const std::filesystem::path&)>& before_rename, std::string* reason)
{
    auto fail = [&](std::string why) {
        if (reason)
            *reason = std::move(why);
        return false;
    };
    if (target.filename().empty())
        return fail(std::strerror(EISDIR));
    auto folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        return fail(error.message());

    // The temporary file is created with O_EXCL under a random name, so two writers (or a stale
    // file of an earlier crash) never share one; the mode 0666 lets the umask decide as for any
    // new file.
    std::random_device random;
    std::filesystem::path temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
        std::string name = ".";
        name += target.filename().string();
        name += suffix;
        temporary = folder / name;
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return fail(std::strerror(errno));
    }
    if (fd < 0)
        return fail(std::strerror(EEXIST));

    // Removes the temporary file on every way out but the successful rename, exceptions included.
    struct TemporaryGuard {
        const std::filesystem::path& path;
        bool keep = false;
        ~TemporaryGuard()
        {
            if (!keep)
                ::unlink(path.c_str());
        }
    } guard{temporary};

    FileDescriptor file(fd);
    // A file that is replaced keeps its permissions (a user may have narrowed them on purpose).
    struct stat old_state {};
    if (::stat(target.c_str(), &old_state) == 0 && S_ISREG(old_state.st_mode))
        ::fchmod(file.get(), old_state.st_mode & 07777);
    if (!write_all(file.get(), content) || ::fsync(file.get()) != 0) {
        const int code = errno;
        file.close();
        return fail(std::strerror(code));
    }
    if (!file.close())
        return fail(std::strerror(errno));
    if (before_rename && !before_rename(temporary))
        return fail("abandoned");
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        return fail(std::strerror(errno));
    guard.keep = true;
    sync_folder(folder);
    return true;
}

std::optional<std::vector<std::uint8_t>> read_whole_file(const std::string& path, std::size_t limit,
                                                         std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        if (static_cast<std::uint64_t>(info.st_size) > limit) {
            ::close(fd);
            error = std::strerror(EFBIG);
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
            error = std::strerror(errno);
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        if (bytes.size() + static_cast<std::size_t>(got) > limit) {
            ::close(fd);
            error = std::strerror(EFBIG);
            return std::nullopt;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    ::close(fd);
    return bytes;
}

} // namespace zr740
