#include "app/chlb5_doc.h"

#include "app/app_context.h"
#include "device/apply_confirmation.h"
#include "device/zr740_device.h"
#include "app/app_shell.h"

namespace zr740 {

CHLB5Doc::CHLB5Doc(AppContext& context, AppShell& shell, Settings& settings, std::vector<std::string> serial_ports)
    : context_(context), shell_(shell), exit_policy_(context.run),
      link_(context.run, shell, settings, std::move(serial_ports)), scan_(link_, shell), engine_(context, *this)
{
    link_.set_report(&exit_policy_);
    outcomes_.set_apply([this](const StepOutcome& outcome) { apply(outcome); });
}

void CHLB5Doc::apply(const StepOutcome& outcome)
{
    switch (outcome.kind) {
    case StepOutcome::Kind::values:
        outcome.apply_values();
        break;
    case StepOutcome::Kind::log_parameter:
        outcome.apply_values();
        if (device_ && outcome.target)
            device_->on_log_parameter(*outcome.target);
        break;
    case StepOutcome::Kind::dependent_limits:
        if (device_)
            device_->update_dependent_limits();
        break;
    case StepOutcome::Kind::reread_written:
        if (device_)
            device_->on_reread_parameters_written();
        break;
    }
}

CHLB5Doc::~CHLB5Doc() = default;

std::string CHLB5Doc::description_path() const
{
    std::string path = context_.program_folder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path + "zr740.dat";
}

void CHLB5Doc::clear()
{
    // Outcomes still on their way name parameters of the tree about to go.
    outcomes_.apply_waiting();
    device_.reset();
    lists_.clear();
    link_.network_branch = nullptr;
    link_.pout.fill(nullptr);
    root_.reset();
    scanners_.reset();
}

bool CHLB5Doc::load_description()
{
    LoadedTrees trees;
    if (!load_description_file(description_path(), context_.run.description_variant.load(), lists_,
                               link_.instrument_version, link_.pout, shell_, trees))
        return false;
    adopt(std::move(trees));
    return true;
}

void CHLB5Doc::load_description_text(std::string_view cp1251_text)
{
    adopt(parse_and_build(cp1251_text, lists_, link_.instrument_version, link_.pout, shell_));
}

void CHLB5Doc::adopt(LoadedTrees trees)
{
    root_ = std::move(trees.root);
    scanners_ = std::move(trees.scanners);
    link_.network_branch = lists_.network;
    device_ = BaseDevice::create_device(context_.run.description_variant.load(), *this);
}

void CHLB5Doc::close()
{
    // The instrument leaves its configuration mode on "INIT"; whether it answers is of no interest.
    Parameter init("INIT");
    init.type_text = "void";
    stop_threads();
    link_.read_registers(init, true);
    device_.reset();
    clear();
}

void CHLB5Doc::initialise_all_parameters() { engine_.write_initial_values(root_.get()); }

void CHLB5Doc::stop_threads()
{
    // Every thread is told first and only then waited for: a scanner poll waits for the port that
    // a job holds, and the job ends only once it has been told. The aborted line ends the
    // transaction on it at once and holds until both threads are gone.
    link_.sio().abort();
    scan_.request_stop();
    engine_.request_stop();
    scan_.stop();
    engine_.stop();
    link_.sio().reset_abort();
    // What the stopped job made is the document's now, before anything replaces the tree.
    outcomes_.apply_waiting();
}

void CHLB5Doc::on_apply_command()
{
    if (!device_)
        return;
    if (context_.unattended()) {
        if (context_.options & option_flags::aply) {
            link_.read_registers(device_->apply_parameter(false), true);
            copy_network_values(link_);
            link_.open_port(true);
        }
    } else {
        // The confirmation has already moved the program's settings when the user asked for it and
        // reopened the port; doing it again here would only reopen the port a second time.
        shell_.apply_dialog(apply_settings_text(&link_, *device_), [&](const ApplyChoices& boxes) {
            confirm_apply(*device_, link_, shell_, boxes);
        });
    }
    shell_.update_all_views();
}

bool CHLB5Doc::on_new_document()
{
    if (do_not_use)
        return false;
    stop_threads();
    clear();
    return load_description();
}

} // namespace zr740
