// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Why a serial device could not be opened, told the way a person can act on it: the device is
// missing, not a serial line, in use, refused (naming the group that may use it), or gone.

#include <string>

namespace zr740 {

// The system's reason why a device could not be opened, in the program's language: `error` is the
// errno of the failed call, `path` the device (whose owning group an access refusal names).
std::string open_failure_reason(int error, const std::string& path);

} // namespace zr740
