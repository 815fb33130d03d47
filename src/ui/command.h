#pragma once
// The commands of the main window and its view: menu items, toolbar buttons, keys, context-menu
// items, and the commands the core posts to the window. The numbers are those the program has
// always used: settings and posted commands may carry them, so a command keeps its number. Those
// the core posts are defined by the core's own numbers, so each has one source.

#include "app/app_shell.h"

namespace zr740::ui {

enum class Command : int {
    // Files.
    file_new = 57600,
    file_open = 57601,
    file_save = 57603,
    file_save_as = 57604,
    recent_file_1 = 57616, // and the three after it
    app_exit = 57665,

    // Jobs of the whole tree and the instrument's service commands.
    read_all = command_ids::read_all,
    write_all = command_ids::write_all,
    write_changed = 256,
    compare = 257,
    initialise = command_ids::initialise_device,
    apply = command_ids::apply_parameters,
    single_point = 378,
    line_search = 32831,
    commission = 32834,
    link_check = 379,
    converter_automatic = 32798,
    converter_semi = 32799,
    port_setup = 32819,
    calibration = 32824,
    init_command = 301,

    // The view's commands: the selected branch, the problem parameters, the selected parameter.
    branch_read = 279,
    branch_write_all = 280,
    branch_write_changed = 281,
    branch_compare = 282,
    previous_problem = 276,
    next_problem = 277,
    read_parameter = 32808,
    write_parameter = 32809,
    set_no_data = 32811,

    // Program modes and the window's bars.
    auto_read = 134,
    immediate_write = 268,
    no_attributes = 294,
    verify_writes = 32832,
    block_reads = 32833,
    traffic_monitor = 32830,
    trend_window = 32836,
    toolbar = 59392,
    status_bar = 59393,

    // Help.
    help = 57667,
    help_key = 57670,
    html_export = 32804,
    about = 57664,

    // The differences of the last compare, and the parameter list as CSV.
    compare_report = 32840,
    csv_export = 32841,

    // Posted by the core only.
    close_window = command_ids::close_window,
    apply_request = command_ids::apply_request,
    calibrate = command_ids::calibrate,
    save_after_read = command_ids::save_after_read,
};

// The number at the int side of Qt and the core (QAction data, posted commands).
constexpr int number(Command command)
{
    return static_cast<int>(command);
}

// The recent-file list's entries are numbered from recent_file_1 on.
inline constexpr int recent_file_count = 4;

} // namespace zr740::ui
