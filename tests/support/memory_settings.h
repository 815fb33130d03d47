#pragma once
// Settings kept in memory for tests (the class lives with the program's own, for its tools).

#include "platform/memory_settings.h"

namespace zr740::testing {
using zr740::MemorySettings;
} // namespace zr740::testing
