#include "simulator/serial_endpoint.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace zr740::sim {
namespace {

std::string system_error(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

bool make_raw(int fd)
{
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

} // namespace

SerialEndpoint::~SerialEndpoint()
{
    if (!link_.empty()) {
        std::error_code ignored;
        if (std::filesystem::is_symlink(link_, ignored))
            std::filesystem::remove(link_, ignored);
    }
    if (slave_fd_ >= 0)
        ::close(slave_fd_);
    if (fd_ >= 0)
        ::close(fd_);
}

bool SerialEndpoint::open_pty(std::string& error)
{
    fd_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0 || grantpt(fd_) != 0 || unlockpt(fd_) != 0) {
        error = system_error("cannot create a pseudo-terminal");
        return false;
    }
    char name[128];
    if (ptsname_r(fd_, name, sizeof name) != 0) {
        error = system_error("cannot name the pseudo-terminal");
        return false;
    }
    path_ = name;
    slave_fd_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_fd_ < 0 || !make_raw(slave_fd_)) {
        error = system_error("cannot set up " + path_);
        return false;
    }
    return true;
}

bool SerialEndpoint::open_device(const std::string& device, const NetworkSettings& settings, std::string& error)
{
    fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        error = system_error("cannot open " + device);
        return false;
    }
    if (!isatty(fd_)) {
        error = device + " is not a terminal";
        return false;
    }
    path_ = device;
    if (!make_raw(fd_) || !set_line_settings(fd_, settings)) {
        error = system_error("cannot set the line settings of " + device);
        return false;
    }
    tcflush(fd_, TCIOFLUSH);
    return true;
}

bool SerialEndpoint::make_link(const std::string& link_path, std::string& error)
{
    namespace fs = std::filesystem;
    std::error_code failure;
    if (fs::is_symlink(link_path, failure)) {
        fs::remove(link_path, failure);
    } else if (fs::exists(link_path, failure)) {
        error = link_path + " exists and is not a symbolic link";
        return false;
    }
    fs::create_symlink(path_, link_path, failure);
    if (failure) {
        error = "cannot create the link " + link_path + ": " + failure.message();
        return false;
    }
    link_ = link_path;
    return true;
}

void SerialEndpoint::reconfigure(const NetworkSettings& settings)
{
    if (is_pty() || fd_ < 0)
        return;
    tcdrain(fd_);
    set_line_settings(fd_, settings);
}

} // namespace zr740::sim
