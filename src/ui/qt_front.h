#pragma once
// The window front of the application: the splash window during start-up, the main window once
// the document exists, its placement from the command line, and the window thread's loop.

#include "app/window_front.h"

#include <QObject>
#include <QString>

#include <memory>

namespace zr740 {
class Settings;
}

namespace zr740::ui {

class CHeadBandDlg;
class CMainFrame;
class QtShell;
class WindowPost;

class QtFront : public WindowFront {
public:
    QtFront(QtShell& shell, Settings& settings);
    ~QtFront() override;

    LinkChoice link_check_failed(CHLB5Doc& document) override;
    void work_offline(CHLB5Doc& document) override;
    void document_path(const std::string& path, bool recent) override;
    bool create_window(CHLB5Doc& document, const CommandLineSettings& settings,
                       std::function<bool(int)> app_command) override;
    void post(int command) override;
    void run() override;
    void stop() override;

    CMainFrame* frame() const { return frame_.get(); }
    CHeadBandDlg* splash() const { return splash_.get(); }
    // For tests: the main window cannot be created.
    bool fail_window_creation = false;

private:
    void close_splash();
    // On the window thread.
    void end_from_outside();

    QtShell& shell_;
    Settings& settings_;
    std::unique_ptr<CHeadBandDlg> splash_;
    std::unique_ptr<CMainFrame> frame_;
    QString offline_note_;
    // Window-thread state of a stop from outside: the loop is running, a stop has come.
    bool running_ = false;
    bool stopped_ = false;
    // Takes the stop over to the window thread through a queue whose lock the thread sanitizer sees;
    // a stop still queued when the front goes is dropped with it.
    QObject stop_receiver_;
    WindowPost* stop_post_ = nullptr; // a child of stop_receiver_
};

} // namespace zr740::ui
