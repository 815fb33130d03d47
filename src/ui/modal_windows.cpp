#include "ui/modal_windows.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace zr740::ui {
namespace {

// A window that does not go when refused (the progress window turns Escape into "Прервать!" and
// closes only when its job has ended) is hidden after the refusal; one that still stands then is
// not asked again, so the loop below always ends.
constexpr int max_rounds = 64;

bool close_one(QWidget* window)
{
    QPointer<QWidget> guard(window);
    if (auto* dialog = qobject_cast<QDialog*>(window))
        dialog->reject();
    if (guard && guard->isVisible())
        guard->close();
    if (guard && guard->isVisible())
        guard->hide();
    return !guard || !guard->isVisible();
}

} // namespace

int close_modal_windows()
{
    int closed = 0;
    for (int round = 0; round < max_rounds; ++round) {
        QWidget* window = QApplication::activeModalWidget();
        if (!window || !close_one(window))
            break;
        ++closed;
    }
    // Dialogs that are not modal, or whose modality the platform keeps to itself (a native file
    // dialog), stand among the top-level windows.
    // Closing one may delete another.
    std::vector<QPointer<QWidget>> windows;
    for (QWidget* window : QApplication::topLevelWidgets())
        windows.emplace_back(window);
    for (const auto& window : windows) {
        auto* dialog = qobject_cast<QDialog*>(window.data());
        if (dialog && dialog->isVisible() && close_one(dialog))
            ++closed;
    }
    return closed;
}

} // namespace zr740::ui
