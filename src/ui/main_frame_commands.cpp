// The commands of the main window: files, jobs of the whole tree, the instrument's service
// commands, modes, help. The tree's own commands (branches, navigation, single parameters) belong
// to the view.

#include "ui/main_frame.h"

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "app/configuration_file.h"
#include "app/document_texts.h"
#include "app/engine_texts.h"
#include "app/html_export.h"
#include "app/parameter_list_csv.h"
#include "platform/safe_file.h"
#include "platform/wait_cursor.h"
#include "device/device_texts.h"
#include "model/model_texts.h"
#include "model/text.h"
#include "platform/program_info.h"
#include "app/app_shell.h"
#include "ui/chlb5_tree_list_view.h"
#include "ui/compare_report_window.h"
#include "ui/report_texts.h"
#include "ui/frame_texts.h"
#include "ui/qt_shell.h"
#include "ui/setup_carrier.h"
#include "ui/commission_dialog.h"
#include "ui/line_search_dialog.h"
#include "ui/single_point_dialog.h"
#include "ui/traffic_window.h"
#include "ui/trend_window.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QStatusBar>
#include <QToolBar>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

namespace zr740::ui {
namespace {

std::string title() { return std::string(zr740::texts::app_title); }

bool is_view_command(Command command)
{
    switch (command) {
    case Command::branch_read:
    case Command::branch_write_all:
    case Command::branch_write_changed:
    case Command::branch_compare:
    case Command::previous_problem:
    case Command::next_problem:
    case Command::read_parameter:
    case Command::write_parameter:
    case Command::set_no_data:
        return true;
    default:
        return false;
    }
}

// The entry of the recent-file list the command opens, if it is one.
std::optional<int> recent_index(Command command)
{
    const int index = number(command) - number(Command::recent_file_1);
    if (index < 0 || index >= recent_file_count)
        return std::nullopt;
    return index;
}

std::vector<std::uint8_t> file_bytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

bool CMainFrame::run_command(Command command)
{
    if (is_view_command(command))
        return view_->run_view_command(command);
    if (!run_file_command(command) && !run_device_command(command) && !run_mode_command(command) &&
        !run_help_command(command))
        return false;
    refresh_commands();
    return true;
}

bool CMainFrame::run_file_command(Command command)
{
    switch (command) {
    case Command::file_new:
        file_new();
        return true;
    case Command::file_open:
        file_open();
        return true;
    case Command::file_save:
        file_save();
        return true;
    case Command::file_save_as:
        file_save_as();
        return true;
    case Command::app_exit:
    case Command::close_window:
        close();
        return true;
    default:
        if (const auto index = recent_index(command)) {
            open_recent(*index);
            return true;
        }
        return false;
    }
}

bool CMainFrame::run_device_command(Command command)
{
    switch (command) {
    case Command::read_all:
    case Command::write_all:
    case Command::write_changed:
    case Command::compare:
        tree_job(command);
        return true;
    case Command::initialise:
        if (auto* device = document_.device()) {
            device->initialise_device();
            view_->update_view();
        }
        return true;
    case Command::apply:
    case Command::apply_request:
        document_.on_apply_command();
        return true;
    case Command::single_point: {
        CSinglePoint dialog(document_.lists(), document_.link(), shell_, this);
        dialog.exec();
        return true;
    }
    case Command::line_search: {
        LineSearchDialog search(document_.link(), this);
        if (search.exec() == QDialog::Accepted) {
            view_->update_view();
            link_check();
        }
        return true;
    }
    case Command::commission: {
        CommissionDialog commission(document_, shell_, this);
        commission.exec();
        view_->update_view();
        return true;
    }
    case Command::link_check:
        link_check();
        return true;
    case Command::converter_automatic:
        document_.link().sio().automatic_converter = 1;
        return true;
    case Command::converter_semi:
        document_.link().sio().automatic_converter = 0;
        return true;
    case Command::port_setup: {
        // Here the program already runs: working offline is no choice and the result changes nothing.
        CSetupCarrier setup(document_.link(), document_.job().stop, document_.context().run, shell_, false, this);
        setup.exec();
        // A scan or the factory settings changed the link settings the tree shows too. Only now,
        // with the window's worker ended, may their rows be read again.
        view_->update_view();
        return true;
    }
    case Command::calibration:
        if (auto* device = document_.device(); device && device->supports_calibration())
            device->calibrate();
        return true;
    case Command::init_command:
        init_command();
        return true;
    case Command::compare_report:
        show_compare_report();
        return true;
    default:
        return false;
    }
}

bool CMainFrame::run_mode_command(Command command)
{
    switch (command) {
    case Command::auto_read:
        document_.context().auto_read = !document_.context().auto_read;
        return true;
    case Command::immediate_write:
        document_.context().immediate_write = !document_.context().immediate_write;
        return true;
    case Command::verify_writes:
        document_.context().verify_writes = !document_.context().verify_writes;
        return true;
    case Command::block_reads:
        document_.context().block_reads = !document_.context().block_reads;
        return true;
    case Command::no_attributes:
        no_attributes_ = !no_attributes_;
        if (no_attributes_)
            shell_.message(utf8(texts::no_attributes_note), title(), Icon::information, Owner::main_window);
        return true;
    case Command::toolbar:
        toolbar_->setVisible(!toolbar_->isVisibleTo(this));
        return true;
    case Command::status_bar:
        statusBar()->setVisible(!statusBar()->isVisibleTo(this));
        return true;
    case Command::traffic_monitor: {
        TrafficWindow* monitor = traffic_window();
        monitor->setVisible(!monitor->isVisibleTo(this));
        return true;
    }
    case Command::trend_window: {
        TrendWindow* trends = trend_window();
        trends->setVisible(!trends->isVisibleTo(this));
        return true;
    }
    default:
        return false;
    }
}

bool CMainFrame::run_help_command(Command command)
{
    switch (command) {
    case Command::help:
    case Command::help_key:
        open_help();
        return true;
    case Command::html_export:
        html_export();
        return true;
    case Command::csv_export:
        csv_export();
        return true;
    case Command::about:
        about();
        return true;
    default:
        return false;
    }
}

void CMainFrame::posted_command(int id)
{
    const auto command = static_cast<Command>(id);
    if (command == Command::close_window) {
        close();
        return;
    }
    // The jobs of an unattended run and what follows them belong to the run.
    if (app_command && document_.context().unattended() && app_command(id)) {
        if (command == Command::read_all || command == Command::write_all || command == Command::calibrate)
            set_placement_lock(false);
        view_->update_view();
        update_caption();
        refresh_commands();
        return;
    }
    run_command(command);
}

void CMainFrame::note(std::string_view text)
{
    shell_.message(std::string(text), title(), Icon::information, Owner::main_window);
}

bool CMainFrame::confirm_discard()
{
    if (!document_.modified)
        return true;
    const std::string name =
        path_.empty() ? utf8(texts::untitled) : QFileInfo(QString::fromStdString(path_)).fileName().toStdString();
    switch (shell_.ask_yes_no_cancel(fill_placeholders(utf8(texts::ask_to_save), {name}), title(), Icon::warning)) {
    case Choice::yes:
        return file_save();
    case Choice::no:
        return true;
    case Choice::cancel:
        break;
    }
    return false;
}

void CMainFrame::drop_tree()
{
    if (trend_)
        trend_->stop_log();
    view_->reset_document();
}

void CMainFrame::file_new()
{
    if (!confirm_discard())
        return;
    drop_tree();
    document_.on_new_document();
    document_.modified = false;
    path_.clear();
    initial_update();
}

void CMainFrame::file_open()
{
    if (!confirm_discard())
        return;
    const QString path =
        QFileDialog::getOpenFileName(this, q(texts::open_caption), QString(), q(zr740::texts::file_filter));
    if (!path.isEmpty())
        open_path(path.toStdString());
}

bool CMainFrame::open_path(const std::string& path)
{
    const auto variant = configuration_variant(file_bytes(path));
    const int current = document_.context().run.description_variant;
    if (variant && current <= 1 && *variant != current) {
        const std::string theirs(variant_caption(*variant));
        const std::string ours(variant_caption(current));
        if (!shell_.ask_yes_no(fill_placeholders(utf8(texts::other_variant), {path, theirs, ours, theirs}), title(),
                               Icon::question))
            return false;
    }
    drop_tree();
    const bool opened = open_configuration(document_, path);
    if (opened) {
        path_ = path;
        remember_recent(path);
    }
    initial_update();
    return opened;
}

bool CMainFrame::file_save()
{
    if (path_.empty())
        return file_save_as();
    return save_to(path_);
}

bool CMainFrame::file_save_as()
{
    QString path = QFileDialog::getSaveFileName(this, q(texts::save_caption), QString::fromStdString(path_),
                                                q(zr740::texts::file_filter));
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += q(zr740::texts::file_extension);
    return save_to(path.toStdString());
}

bool CMainFrame::save_to(const std::string& path)
{
    if (!save_configuration(document_, path))
        return false;
    path_ = path;
    remember_recent(path);
    update_caption();
    return true;
}

void CMainFrame::adopt_path(const std::string& path, bool recent)
{
    // A name typed relative to the shell's folder must still name the file from the recent list.
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    path_ = error ? path : absolute.lexically_normal().string();
    if (recent)
        remember_recent(path_);
    update_caption();
}

void CMainFrame::open_recent(int index)
{
    if (static_cast<std::size_t>(index) >= recent_.size() || !confirm_discard())
        return;
    const std::string path = recent_[static_cast<std::size_t>(index)];
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        shell_.message(fill_placeholders(utf8(texts::recent_missing), {path}), title(), Icon::warning, Owner::main_window);
        std::erase(recent_, path);
        store_recent();
        refresh_recent_menu();
        return;
    }
    open_path(path);
}

void CMainFrame::tree_job(Command command)
{
    DescBranch* root = document_.root();
    if (!root) {
        shell_.message(std::string(zr740::texts::tree_undefined), title(), Icon::stop, Owner::main_window);
        return;
    }
    BatchEngine& engine = document_.engine();
    bool done = false;
    switch (command) {
    case Command::read_all:
        done = engine.read(root);
        break;
    case Command::write_all:
        done = engine.write_all(root);
        break;
    case Command::write_changed:
        done = engine.write_changed(root);
        break;
    default:
        done = engine.compare(root);
        break;
    }
    if (done)
        view_->update_view();
    update_caption();
}

void CMainFrame::link_check()
{
    Device& link = document_.link();
    bool recognised = false;
    DeviceIO::IdentifyReport report;
    shell_.set_wait_cursor(true);
    // Opening tells of a port that cannot be opened itself, after it has let go of the lock.
    bool closed = false;
    {
        std::lock_guard lock(link.port_lock());
        // An adapter unplugged and plugged back is a new device under the same name.
        link.close_if_gone();
        closed = !link.sio().is_open();
    }
    if (closed)
        link.open_port(true);
    {
        // A scanner poll on the line finishes first; a batch job cannot run while this window
        // thread is here. The boxes wait until the lock is free: scanners go on polling while the
        // person reads them.
        std::lock_guard lock(link.port_lock());
        recognised = (link.identify(report) & DeviceIO::recognised) != 0;
    }
    shell_.set_wait_cursor(false);
    link.show(report);
    if (recognised)
        set_status_note(QString::fromStdString(
            fill_placeholders(utf8(texts::link_ok_note), {variant_caption(document_.context().run.description_variant)})));
    update_caption();
}

void CMainFrame::init_command()
{
    if (!document_.device())
        return;
    std::string status;
    int result = 0;
    shell_.set_wait_cursor(true);
    {
        std::lock_guard lock(document_.link().port_lock());
        result = document_.engine().init_command(status);
    }
    shell_.set_wait_cursor(false);
    if (result != 0)
        shell_.message(std::string(zr740::texts::init_failed) + status, title(), Icon::stop, Owner::main_window);
}

void CMainFrame::open_help()
{
    std::error_code error;
    if (help_path.empty() || !std::filesystem::is_regular_file(help_path, error)) {
        shell_.message(utf8(texts::help_missing), title(), Icon::warning, Owner::main_window);
        return;
    }
    shell_.open_file(help_path);
}

void CMainFrame::html_export()
{
    DescBranch* root = document_.root();
    if (!root) {
        shell_.message(std::string(zr740::texts::tree_undefined), title(), Icon::stop, Owner::main_window);
        return;
    }
    export_parameter_list(*root, variant_caption(document_.context().run.description_variant), shell_);
}

void CMainFrame::csv_export()
{
    DescBranch* root = document_.root();
    if (!root) {
        shell_.message(std::string(zr740::texts::tree_undefined), title(), Icon::stop, Owner::main_window);
        return;
    }
    QString path = QFileDialog::getSaveFileName(this, q(texts::csv_export_caption), q(texts::csv_export_file),
                                                q(texts::csv_filter));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    std::string reason;
    bool written = false;
    {
        WaitCursor wait(shell_);
        written = write_file_atomically(path.toStdString(), parameter_list_csv(*root), {}, &reason);
    }
    if (!written)
        shell_.message(q(texts::report_save_failed).arg(path, q(reason)).toStdString(), title(), Icon::stop,
                       Owner::main_window);
}

bool CMainFrame::compare_result(const std::vector<CompareDifference>& differences)
{
    last_differences_ = differences;
    refresh_commands();
    // A few fit a box; more would grow it past the screen.
    if (differences.size() > compare_box_limit) {
        show_compare_report();
        return true;
    }
    // A report that stands already follows every compare, also one with few or no differences.
    if (report_ && report_->isVisible())
        report_->set_differences(last_differences_);
    return false;
}

void CMainFrame::show_compare_report()
{
    CompareReportWindow* report = compare_report_window();
    report->set_differences(last_differences_);
    report->show();
    report->raise();
    report->activateWindow();
}

void CMainFrame::about()
{
    shell_.message(fill_placeholders(utf8(texts::about_text), {program_version_text(), copyright_text(), licence_text()}),
                   utf8(texts::about_caption), Icon::information, Owner::main_window);
}

} // namespace zr740::ui
