#pragma once
// A shell that records every message, so tests can assert text, caption, icon and owner.

#include "platform/shell.h"

#include <string>
#include <vector>

namespace zr740::testing {

struct RecordedMessage {
    std::string text;
    std::string caption;
    Icon icon;
    Owner owner;
};

class RecordingShell : public Shell {
public:
    void message(const std::string& text, const std::string& caption, Icon icon, Owner owner) override
    {
        messages.push_back({text, caption, icon, owner});
    }
    bool ask_yes_no(const std::string& text, const std::string& caption, Icon icon) override
    {
        questions.push_back({text, caption, icon, Owner::main_window});
        return answer;
    }
    void set_wait_cursor(bool on) override { wait_cursor = on; }

    std::vector<RecordedMessage> messages;
    std::vector<RecordedMessage> questions;
    bool answer = false;
    bool wait_cursor = false;
};

} // namespace zr740::testing
