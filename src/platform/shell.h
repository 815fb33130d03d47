#pragma once
// The one way the core talks to a person: messages and questions. The Qt front end shows boxes, the
// console front end prints, tests record. Every text a user can see passes through here so that it
// can be asserted. What only the application asks of its front end (the progress window, posted
// commands, its dialogs) is the application's own interface, built on this one.

#include <functional>
#include <string>

namespace zr740 {

enum class Icon { none, information, warning, stop, question };

// Whether a message box is owned by the main window or stands on its own (the loader's messages are
// ownerless because they may come before any window exists).
enum class Owner { main_window, none };

// The answer to a question that may also be withdrawn ("save the changes?": yes, no, cancel).
enum class Choice { yes, no, cancel };

class Shell {
public:
    virtual ~Shell() = default;

    virtual void message(const std::string& text, const std::string& caption, Icon icon, Owner owner) = 0;
    // Returns true for "yes". Unattended shells answer "no".
    virtual bool ask_yes_no(const std::string& text, const std::string& caption, Icon icon) = 0;
    // A yes/no/cancel question. Shells that cannot offer "cancel" ask yes/no.
    virtual Choice ask_yes_no_cancel(const std::string& text, const std::string& caption, Icon icon)
    {
        return ask_yes_no(text, caption, icon) ? Choice::yes : Choice::no;
    }
    // In a run that ends by itself nobody is there to click a box: from now on every message is
    // written to the error stream and handed to `log` (caption, text) instead, and every question
    // is answered "no" the same way. Shells without boxes print to the error stream already.
    using MessageLog = std::function<void(const std::string& caption, const std::string& text)>;
    virtual void send_boxes_to_log(MessageLog /*log*/) {}
    // The wait cursor shown during long synchronous work on the window thread.
    virtual void set_wait_cursor(bool on) = 0;
};

} // namespace zr740
