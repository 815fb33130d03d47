#pragma once
// Ends whatever the window thread stands in: message boxes, dialogs run with exec(), the progress
// window of a job, file dialogs. Each is closed as its Cancel or Escape would close it, so the code
// that opened it goes on as after a refusal; the nested loops of those windows return as soon as the
// window thread is back in them.

namespace zr740::ui {

// Closes every modal window and every dialog standing, innermost first. Returns how many it closed.
int close_modal_windows();

} // namespace zr740::ui
