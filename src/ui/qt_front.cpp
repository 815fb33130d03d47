#include "ui/qt_front.h"

#include "app/app_context.h"
#include "app/chlb5_app.h"
#include "app/chlb5_doc.h"
#include "app/command_line.h"
#include "app/console_shell.h"
#include "model/model_texts.h"
#include "model/text.h"
#include "ui/frame_texts.h"
#include "ui/main_frame.h"
#include "ui/modal_windows.h"
#include "ui/qt_shell.h"
#include "ui/setup_carrier.h"
#include "ui/splash_window.h"
#include "ui/window_language.h"
#include "ui/window_main.h"
#include "ui/window_post.h"

#include <QApplication>
#include <QLocale>

#include <iostream>

namespace zr740::ui {
QtFront::QtFront(QtShell& shell, Settings& settings)
    : shell_(shell), settings_(settings), splash_(std::make_unique<CHeadBandDlg>(q(texts::splash_caption)))
{
    stop_post_ = new WindowPost(&stop_receiver_);
    splash_->show();
    // The splash must be drawn before the link check holds the window thread.
    QApplication::processEvents();
}

QtFront::~QtFront() = default;

void QtFront::close_splash() { splash_.reset(); }

WindowFront::LinkChoice QtFront::link_check_failed(CHLB5Doc& document)
{
    close_splash();
    CSetupCarrier setup(document.link(), document.job().stop, document.context().run, shell_, true, nullptr);
    if (setup.exec() != QDialog::Accepted)
        return LinkChoice::quit;
    if (!setup.went_offline())
        return LinkChoice::linked;
    work_offline(document);
    return LinkChoice::offline;
}

void QtFront::work_offline(CHLB5Doc& document)
{
    // The main window says what it works with, as long as nothing else is in the status bar.
    offline_note_ = QString::fromStdString(
        fill_placeholders(utf8(texts::offline_note), {variant_caption(document.context().run.description_variant)}));
}

void QtFront::document_path(const std::string& path, bool recent)
{
    if (frame_)
        frame_->adopt_path(path, recent);
}

bool QtFront::create_window(CHLB5Doc& document, const CommandLineSettings& settings,
                            std::function<bool(int)> app_command)
{
    if (!fail_window_creation)
        frame_ = std::make_unique<CMainFrame>(document, shell_, settings_);
    if (!frame_) {
        close_splash();
        shell_.message(utf8(texts::windows_failed), std::string(zr740::texts::app_title), Icon::stop,
                       Owner::none);
        return false;
    }
    frame_->app_command = std::move(app_command);
    frame_->initial_update();
    if (!offline_note_.isEmpty())
        frame_->set_status_note(offline_note_);

    // Placement: the command line's place and size are kept until the job of the command line
    // ends (without a job there is nothing to wait for); both sizes 0 start minimised; otherwise
    // the window fills the screen.
    const auto given = [&](std::uint8_t flag) { return (settings.placement & flag) != 0; };
    const bool sized = given(placement_flags::width) && given(placement_flags::height);
    if (sized && settings.width == 0 && settings.height == 0) {
        frame_->showMinimized();
    } else if (sized && given(placement_flags::x) && given(placement_flags::y)) {
        frame_->setGeometry(settings.x, settings.y, settings.width, settings.height);
        frame_->show();
        frame_->set_placement_lock((settings.options & (option_flags::read | option_flags::write |
                                                        option_flags::calibrate)) != 0);
    } else {
        frame_->showMaximized();
    }
    close_splash();
    frame_->offer_recovery();
    return true;
}

void QtFront::post(int command) { shell_.post_command(command); }

void QtFront::run()
{
    // A stop that came before the loop (while the start offered kept changes) has closed the
    // window already: there is nothing the loop could wait for.
    if (!stopped_) {
        running_ = true;
        QApplication::exec();
        running_ = false;
    }
    // The document goes away after this; nothing of the window may outlive it.
    frame_.reset();
}

void QtFront::stop()
{
    stop_post_->post([this] { end_from_outside(); });
}

void QtFront::end_from_outside()
{
    stopped_ = true;
    if (frame_)
        frame_->end_from_outside();
    else
        close_modal_windows(); // the connection setup of the start, before any main window
    // Every loop ends, the nested ones of boxes and dialogs too, and a box or dialog opened by the
    // code they return to ends at once.
    if (running_)
        QCoreApplication::exit(0);
}

int run_with_windows(int& argc, char** argv, AppContext& context, Settings& settings,
                     std::vector<std::string> serial_ports, const std::vector<std::string>& arguments)
{
    QApplication application(argc, argv);
    // Before the first window: every text is looked up as the window is built.
    const WindowLanguage language(QString::fromStdString(context.program_folder + "/translations"), QLocale());
    QtShell shell;
    QtFront front(shell, settings);
    CHLB5App app(context, shell, settings, std::move(serial_ports), front);
    return app.run(arguments);
}

} // namespace zr740::ui
