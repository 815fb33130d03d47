// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wait cursor for the length of one synchronous piece of work on the window thread: shown when
// constructed, taken away on every way out of the scope.

#include "platform/shell.h"

namespace zr740 {

class WaitCursor {
public:
    explicit WaitCursor(Shell& shell) : shell_(shell) { shell_.set_wait_cursor(true); }
    ~WaitCursor() { shell_.set_wait_cursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    Shell& shell_;
};

} // namespace zr740
