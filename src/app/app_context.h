#pragma once
// State that the program shares across its parts for one run. Kept in one object handed around by
// reference instead of in globals, so that tests can run side by side.

#include "platform/run_state.h"

#include <string>

namespace zr740 {

struct AppContext {
    RunState run;
    // Where the description file and the other program files are looked for.
    std::string program_folder;
};

} // namespace zr740
