#pragma once
// The main window as the application sees it when the program has windows: it replaces the
// command queue's loop on the main thread. The application stays free of any window toolkit; the
// window layer implements this.

#include <functional>
#include <string>

namespace zr740 {

class CHLB5Doc;
struct CommandLineSettings;

class WindowFront {
public:
    virtual ~WindowFront() = default;
    // How an interactive run goes on when the start-up link check found no instrument.
    enum class LinkChoice { quit, linked, offline };
    // The start-up link check of an interactive run found no instrument. `linked`: the person
    // found it after all; `offline`: go on without a link (a description variant has been
    // chosen); `quit`: end the program.
    virtual LinkChoice link_check_failed(CHLB5Doc& document) = 0;
    // The start-up link check of a run whose options ask for no job found no instrument: the
    // window opens offline, with the current transmitter's description, and says so.
    virtual void work_offline(CHLB5Doc& document) = 0;
    // The configuration file the document now is: the one named on the command line (opened, or
    // to be created by the first save), or the one a read was saved into. `recent`: it also
    // goes into the recent-file list.
    virtual void document_path(const std::string& path, bool recent) = 0;
    // Creates the main window on the document, placed as the command line asks. `app_command`
    // runs the commands an unattended run posts (true when it took the command). False, after
    // saying so, when the window could not be created.
    virtual bool create_window(CHLB5Doc& document, const CommandLineSettings& settings,
                               std::function<bool(int)> app_command) = 0;
    // From any thread: hands a command to the main window; it runs after the current one.
    virtual void post(int command) = 0;
    // Runs the window thread's loop until the main window has closed.
    virtual void run() = 0;
    // From any thread: a person's run was told to end from outside. Whatever stands open (boxes,
    // dialogs, a question) is closed without an answer, unsaved changes are kept for the next start,
    // and the loop ends; run() returns at once if it has not begun.
    virtual void stop() = 0;
};

} // namespace zr740
