// The main window when the run is ended from outside (a logout, a service manager, `kill`), and the
// offer of the changes such a run could not save at the next start.

#include "ui/main_frame.h"

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "app/recovery_file.h"
#include "model/model_texts.h"
#include "model/text.h"
#include "app/app_shell.h"
#include "ui/chlb5_tree_list_view.h"
#include "ui/frame_texts.h"
#include "ui/modal_windows.h"
#include "ui/qt_shell.h"

#include <QFileInfo>

namespace zr740::ui {
namespace {

// How a person knows the document: its file's name, or the name of a new one.
std::string document_name(const std::string& path)
{
    return path.empty() ? utf8(texts::untitled) : QFileInfo(QString::fromStdString(path)).fileName().toStdString();
}

} // namespace

void CMainFrame::end_from_outside()
{
    closing_ = true;
    // From here on no box is shown and a worker waiting for an answer gets "no".
    shell_.release_waiting_threads();
    // The tree is read below: no worker may still write into it.
    document_.stop_threads();
    close_modal_windows();
    const std::string& folder = document_.context().recovery_folder;
    if (document_.modified && !folder.empty())
        RecoveryFile(folder).keep(document_, path_);
    close();
}

void CMainFrame::offer_recovery()
{
    AppContext& context = document_.context();
    if (context.recovery_folder.empty() || context.unattended())
        return;
    const RecoveryFile recovery(context.recovery_folder);
    if (!recovery.exists())
        return;
    const std::string original = recovery.original_path();
    const std::string name = document_name(original);
    if (!recovery.usable(document_, name))
        return;
    const bool wanted = shell_.ask_yes_no(fill_placeholders(utf8(texts::ask_to_recover), {name}),
                                          std::string(zr740::texts::app_title), Icon::question);
    // A stop that closed the question is no answer: the changes wait for the next start.
    if (closing_ || context.stop_requested)
        return;
    if (!wanted) {
        recovery.remove();
        return;
    }
    drop_tree();
    if (recovery.restore(document_, name))
        path_ = original;
    initial_update();
}

} // namespace zr740::ui
