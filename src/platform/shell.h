#pragma once
// The one way the core talks to a person. The Qt front end shows windows, the console front end prints,
// tests record. Every text a user can see passes through here so that it can be asserted.

#include <string>

namespace zr740 {

enum class Icon { none, information, warning, stop, question };

// Whether a message box is owned by the main window or stands on its own (the loader's messages are
// ownerless because they may come before any window exists).
enum class Owner { main_window, none };

class Shell {
public:
    virtual ~Shell() = default;

    virtual void message(const std::string& text, const std::string& caption, Icon icon, Owner owner) = 0;
    // Returns true for "yes". Unattended shells answer "no".
    virtual bool ask_yes_no(const std::string& text, const std::string& caption, Icon icon) = 0;
    // The wait cursor shown during long synchronous work on the window thread.
    virtual void set_wait_cursor(bool on) = 0;
};

} // namespace zr740
