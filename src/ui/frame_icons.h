#pragma once
// Pictures of the menu and toolbar commands: the desktop theme's icon where the freedesktop naming
// has one for the command, else (and whenever the theme lacks it) a picture drawn here, so the set
// looks the same on every desktop and needs no image files. Which command shows which picture is
// a column of the command table (command_table.h).

#include <QIcon>

class QPainter;

namespace zr740::ui {

// Draws a picture on a 32 x 32 grid; it is rendered at the sizes menus and toolbars ask for.
using Drawing = void (*)(QPainter&);

struct Picture {
    const char* theme = nullptr; // the theme's icon name, used where the theme has it
    Drawing drawing = nullptr;   // none: the command has no picture
};

// The picture as the window shows it; a null icon for none.
QIcon picture_icon(const Picture& picture);
// The drawn picture alone, without asking the theme (the splash window shows one).
QIcon drawn_icon(Drawing drawing);

// The drawn pictures, one a command (saving under a new name shows the picture of saving).
namespace pictures {
void file_new(QPainter& p);
void file_open(QPainter& p);
void file_save(QPainter& p);
void app_exit(QPainter& p);
void read_all(QPainter& p);
void write_all(QPainter& p);
void write_changed(QPainter& p);
void compare(QPainter& p);
void initialise(QPainter& p);
void apply(QPainter& p);
void single_point(QPainter& p);
void link_check(QPainter& p);
void port_setup(QPainter& p);
void branch_read(QPainter& p);
void branch_write_all(QPainter& p);
void branch_write_changed(QPainter& p);
void branch_compare(QPainter& p);
void previous_problem(QPainter& p);
void next_problem(QPainter& p);
void calibration(QPainter& p);
void trend(QPainter& p);
void help(QPainter& p);
void html_export(QPainter& p);
void about(QPainter& p);
} // namespace pictures

} // namespace zr740::ui
