#pragma once
// The main window's commands as one table: where each stands in the menus, its text, prompt,
// key, picture, check mark and place on the toolbar. The window builds its menu bar, toolbar and
// keys from it, so a new command is one row here (and its case where the window runs it).

#include "ui/command.h"
#include "ui/frame_icons.h"
#include "ui/ui_text.h"

#include <span>

namespace zr740::ui {

// The menus of the menu bar and their sub-menus.
enum class Menu { none, file, device, service, converter, tree, modes, help };

struct MenuEntry {
    Menu menu;
    Menu parent; // Menu::none: on the menu bar
    Text title;
    bool separator_before = false; // a separator stands above the sub-menu in its parent
};

struct CommandEntry {
    Command command;
    Menu menu;      // Menu::none: a key of the window without a menu item
    Text text = ""; // the item's text, its key after "\t" as the menu shows it
    // The status text, then after "\n" the tooltip (none when there is no "\n").
    Text prompt = "";
    const char* shortcut = nullptr;
    Picture picture = {};
    bool checkable = false;
    bool separator_before = false; // a separator stands above the item in its menu
    int toolbar = 0;               // the button's place on the toolbar, from 1; 0: no button
    bool toolbar_gap = false;      // a separator stands before the button
};

// The menus, those of the menu bar in its order; a sub-menu stands in its parent where its first
// command comes in the command table.
std::span<const MenuEntry> menu_table();
// Every command, in the order of the menus. The row of recent_file_1 stands for the whole
// recent-file list.
std::span<const CommandEntry> command_table();
// The command's row; nullptr for a command without one.
const CommandEntry* command_entry(Command command);

} // namespace zr740::ui
