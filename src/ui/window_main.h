#pragma once
// The program with windows: the application object, the splash window, the Qt shell and the main
// window. Free of Qt in its interface so that main() stays so.

#include <string>
#include <vector>

namespace zr740 {
struct AppContext;
class Settings;
} // namespace zr740

namespace zr740::ui {

// Runs the whole program with windows for the arguments (without the program name) and returns the
// process exit code. `argc`/`argv` go to the window toolkit.
int run_with_windows(int& argc, char** argv, AppContext& context, Settings& settings,
                     std::vector<std::string> serial_ports, const std::vector<std::string>& arguments);

} // namespace zr740::ui
