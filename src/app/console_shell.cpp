#include "app/console_shell.h"

#include <ostream>

namespace zr740 {

ConsoleShell::ConsoleShell(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

void ConsoleShell::message(const std::string& text, const std::string& caption, Icon, Owner)
{
    err_ << caption << ": " << text << '\n';
    err_.flush();
}

bool ConsoleShell::ask_yes_no(const std::string& text, const std::string& caption, Icon)
{
    err_ << caption << ": " << text << " -> нет\n";
    err_.flush();
    return false;
}

void ConsoleShell::set_wait_cursor(bool) {}

} // namespace zr740
