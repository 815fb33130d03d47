#pragma once
// The shell of a run without windows: messages go to the error stream with their caption, questions
// are answered "no".

#include "platform/shell.h"

#include <iosfwd>

namespace zr740 {

class ConsoleShell : public Shell {
public:
    ConsoleShell(std::ostream& out, std::ostream& err);

    void message(const std::string& text, const std::string& caption, Icon icon, Owner owner) override;
    bool ask_yes_no(const std::string& text, const std::string& caption, Icon icon) override;
    void set_wait_cursor(bool on) override;

private:
    std::ostream& out_;
    std::ostream& err_;
};

} // namespace zr740
