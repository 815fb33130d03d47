#pragma once
// The simulator's end of the line: the master side of a new pseudo-terminal pair (the program
// opens the slave side) or an existing serial device. Non-blocking, raw.

#include "simulator/register_bank.h"

#include <string>

namespace zr740::sim {

class SerialEndpoint {
public:
    SerialEndpoint() = default;
    ~SerialEndpoint();
    SerialEndpoint(const SerialEndpoint&) = delete;
    SerialEndpoint& operator=(const SerialEndpoint&) = delete;

    // A new pseudo-terminal pair; path() is then the slave side. The slave is put in raw mode and
    // kept open here, so the line discipline never echoes or translates, and a program closing
    // its end does not hang up the master.
    bool open_pty(std::string& error);
    // An existing serial device, set to the given line settings.
    bool open_device(const std::string& device, const NetworkSettings& settings, std::string& error);
    // A symbolic link at `link_path` to path(), replacing an earlier link there (never a file);
    // removed again by the destructor.
    bool make_link(const std::string& link_path, std::string& error);

    // New line settings (a device only; a pseudo-terminal has no line). Waits for what is being
    // sent to leave first.
    void reconfigure(const NetworkSettings& settings);

    int fd() const { return fd_; }
    bool is_pty() const { return slave_fd_ >= 0; }
    const std::string& path() const { return path_; }

private:
    int fd_ = -1;
    int slave_fd_ = -1;
    std::string path_;
    std::string link_;
};

// termios2 with an arbitrary baud rate (14400, 28800 have no B-constant). False when the driver
// refuses.
bool set_line_settings(int fd, const NetworkSettings& settings);
// The baud rate the line is set to (on a pseudo-terminal master: the one the slave's user set);
// 0 when it cannot be read.
int line_baud_rate(int fd);

} // namespace zr740::sim
