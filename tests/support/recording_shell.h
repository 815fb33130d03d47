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
    void post_command(int command) override { posted.push_back(command); }
    void update_all_views() override { ++view_updates; }
    // Plays the user: confirms with `apply_choices` unless `apply_cancel` is set.
    std::optional<ApplyChoices> apply_dialog(const std::string& settings_text,
                                             const std::function<void(const ApplyChoices&)>& on_ok) override
    {
        apply_dialog_texts.push_back(settings_text);
        if (apply_cancel)
            return std::nullopt;
        on_ok(apply_choices);
        return apply_choices;
    }

    std::vector<RecordedMessage> messages;
    std::vector<RecordedMessage> questions;
    bool answer = false;
    bool wait_cursor = false;
    std::vector<int> posted;
    int view_updates = 0;
    std::vector<std::string> apply_dialog_texts;
    ApplyChoices apply_choices;
    bool apply_cancel = false;
};

} // namespace zr740::testing
