// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/open_failure.h"

#include "link/sio_texts.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>
#include <vector>

namespace zr740 {
namespace {

std::string fill(std::string_view pattern, std::string_view key, std::string_view value)
{
    std::string text(pattern);
    for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
    return text;
}

// The group that may read and write the device, when its permissions give the group both.
std::string writable_group(const std::string& path)
{
    struct stat info{};
    if (::stat(path.c_str(), &info) != 0)
        return {};
    if ((info.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP))
        return {};
    const long hint = sysconf(_SC_GETGR_R_SIZE_MAX);
    std::vector<char> buffer(hint > 0 ? static_cast<std::size_t>(hint) : 4096);
    while (true) {
        group entry{};
        group* found = nullptr;
        const int error = getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error != 0 || found == nullptr)
            return {};
        return found->gr_name;
    }
}

} // namespace

std::string open_failure_reason(int error, const std::string& path)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return fill(texts::port_not_found, "%s", path);
    case ENOTTY:
    case EISDIR:
        return fill(texts::port_not_a_tty, "%s", path);
    case EBUSY:
    case EWOULDBLOCK:
        return fill(texts::port_busy, "%s", path);
    case EACCES:
    case EPERM: {
        const std::string group_name = writable_group(path);
        if (group_name.empty())
            return fill(texts::port_access_denied, "%s", path);
        return fill(fill(texts::port_access_denied_group, "%s", path), "%g", group_name);
    }
    case EIO:
    case ENXIO:
    case ENODEV:
        return fill(texts::port_no_hardware, "%s", path);
    default: {
        const char* name = strerrorname_np(error);
        const std::string code = std::string(name ? name : "?") + " (" + std::to_string(error) + ")";
        return fill(fill(texts::port_system_error, "%s", path), "%e", code);
    }
    }
}

} // namespace zr740
