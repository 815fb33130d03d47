#pragma once
// Pictures of the menu and toolbar commands: the desktop theme's icon where the freedesktop naming
// has one for the command, else (and whenever the theme lacks it) a picture drawn here, so the set
// looks the same on every desktop and needs no image files.

#include <QIcon>

namespace zr740::ui {

// The command's picture; a null icon for commands without one.
QIcon command_icon(int command);
// The picture drawn here, without asking the theme (used by the splash window and by tests).
QIcon drawn_icon(int command);

} // namespace zr740::ui
