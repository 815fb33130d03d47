#include "app/chlb5_app.h"

#include "app/app_context.h"
#include "app/app_texts.h"
#include "app/chlb5_doc.h"
#include "app/configuration_file.h"
#include "app/console_shell.h"
#include "app/exit_code.h"
#include "app/window_front.h"
#include "device/device_texts.h"
#include "model/model_texts.h"
#include "model/text.h"
#include "platform/shell.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace zr740 {
namespace {

constexpr std::size_t job_done = 0;
constexpr std::size_t shutdown = 1;
// No description variant is known until the instrument or a file tells.
constexpr std::uint8_t variant_unknown = 0xFF;

std::string_view parity_text(std::uint8_t parity)
{
    switch (parity) {
    case 1:
        return "Четность";
    case 2:
        return "Нечетность";
    case 3:
        return "Отсутствует";
    default:
        return texts::bad_parity;
    }
}

} // namespace

CHLB5App::CHLB5App(AppContext& context, ConsoleShell& shell, Settings& settings, std::vector<std::string> serial_ports)
    : context_(context), shell_(shell), console_(&shell), settings_(settings), serial_ports_(std::move(serial_ports))
{
    context_.run.description_variant = variant_unknown;
    console_->attach_queue(&queue_);
}

CHLB5App::CHLB5App(AppContext& context, Shell& shell, Settings& settings, std::vector<std::string> serial_ports,
                   WindowFront& front)
    : context_(context), shell_(shell), front_(&front), settings_(settings), serial_ports_(std::move(serial_ports))
{
    context_.run.description_variant = variant_unknown;
    queue_.forward_to([&front](int command) { front.post(command); });
}

CHLB5App::~CHLB5App()
{
    shut_down();
    if (console_)
        console_->attach_queue(nullptr);
}

int CHLB5App::run(const std::vector<std::string>& arguments)
{
    const CmyCommandLineInfo info(arguments);
    if (start_up(info)) {
        if (!front_) {
            post_creation();
            serve();
        } else if (front_->create_window(*document_, command_line_, [this](int command) { return run_command(command); })) {
            post_creation();
            front_->run();
        }
    }
    shut_down();
    return exit_code(context_.run.exit_status);
}

bool CHLB5App::start_up(const CmyCommandLineInfo& info)
{
    command_line_ = info.settings;
    file_name_ = info.file_name;
    const std::uint32_t options = command_line_.options;
    context_.options = options;
    context_.run.silent = (command_line_.modes & mode_flags::silent) != 0;
    context_.run.started_with_options = (options & option_flags::any) != 0;

    if (!info.error_log_path.empty()) {
        std::ofstream log(info.error_log_path, std::ios::trunc);
        if (log)
            context_.error_log_path = info.error_log_path;
        else
            shell_.message(fill_placeholders(texts::cannot_create_log, {info.error_log_path, std::strerror(errno)}),
                           std::string(texts::app_title), Icon::warning, Owner::none);
    }
    if (!info.exit_event_name.empty()) {
        std::string error;
        if (!exit_signals_.create_semaphore(info.exit_event_name, error))
            shell_.message(fill_placeholders(texts::cannot_create_exit_event, {info.exit_event_name, error}),
                           std::string(texts::app_title), Icon::warning, Owner::none);
    }

    // What the run starts with: "read" always starts afresh, the file being the target of the save.
    bool open_file = false;
    if (!(options & option_flags::read) && !file_name_.empty()) {
        std::error_code error;
        const auto size = std::filesystem::file_size(file_name_, error);
        if (!error && size > 0) {
            open_file = true;
        } else if (options & option_flags::write) {
            context_.run.exit_status = exit_bits::file_missing;
            return false;
        }
    }

    document_ = std::make_unique<CHLB5Doc>(context_, shell_, settings_, serial_ports_);
    CHLB5Doc& document = *document_;
    document.engine().on_unattended_job_end = [this] { on_job_end(); };
    if (options & option_flags::any)
        apply_port_settings(false);
    const bool found = document.link().check_link();
    // Without options a person sits at the window and decides how to go on without the instrument.
    if (!found && front_ && !(options & option_flags::any) && !front_->link_check_failed(document))
        return false;
    if (command_line_.modes & mode_flags::test)
        return false;

    if (open_file) {
        if (!open_configuration(document, file_name_)) {
            // A file that is not a configuration cannot be written into the instrument either.
            if (options & option_flags::write)
                context_.run.exit_status |= exit_bits::file_missing;
            return false;
        }
    } else {
        document.on_new_document();
    }
    if (options & option_flags::aply)
        apply_port_settings(true);
    if (!context_.run.silent && !document.link().sio().is_open())
        document.link().open_port(true);
    return true;
}

void CHLB5App::apply_port_settings(bool into_instrument_element)
{
    const CommandLineSettings& s = command_line_;
    if (!(s.options & option_flags::port_settings))
        return;
    CHLB5Doc& document = *document_;
    DescBranch* instrument = document.network_branch();
    if (into_instrument_element && !instrument)
        return;
    bool written = false;
    auto put = [&](std::string_view key, const std::string& text) {
        if (into_instrument_element)
            instrument->set_value_by_name(key, text);
        else
            document.link().link_settings().set_value_by_name(key, text);
        written = true;
    };
    if (!s.address.empty())
        put("0x0007", s.address);
    if (s.address_length != 0)
        put("A.Len", std::to_string(s.address_length));
    if (s.baud_rate != 0)
        put("0x0009", std::to_string(s.baud_rate));
    if (s.data_bits != 0)
        put("0x000A", std::to_string(s.data_bits));
    if (!s.stop_bits.empty())
        put("0x000B", s.stop_bits);
    if (s.parity != 0)
        put("0x000C", std::string(parity_text(s.parity)));
    if (!into_instrument_element) {
        if (s.port_number != 0)
            put("Port", "COM" + std::to_string(s.port_number));
        else if (!s.port_path.empty())
            put("Port", s.port_path);
        if (written)
            document.link().open_port(true);
    }
}

void CHLB5App::post_creation()
{
    CHLB5Doc& document = *document_;
    const CommandLineSettings& s = command_line_;
    if (s.rs485 != 0)
        document.link().sio().automatic_converter = s.rs485 == 2 ? 1 : 0;
    if (s.modes & mode_flags::auto_read_on)
        context_.auto_read = true;
    else if (s.modes & mode_flags::auto_read_off)
        context_.auto_read = false;

    if (s.options & option_flags::any) {
        events_.set(job_done);
        if (s.options & option_flags::write) {
            events_.reset(job_done);
            queue_.post(command_ids::write_all);
        } else if (s.options & option_flags::calibrate) {
            events_.reset(job_done);
            queue_.post(command_ids::calibrate);
        } else if (s.options & option_flags::read) {
            events_.reset(job_done);
            queue_.post(command_ids::read_all);
        }
        job_watcher_ = std::thread([this] { job_watcher(); });
    }
    shutdown_watcher_ = std::thread([this] { shutdown_watcher(); });
}

void CHLB5App::serve()
{
    while (true) {
        const int command = queue_.take();
        if (command == command_ids::close_window)
            return;
        run_command(command);
    }
}

bool CHLB5App::run_command(int command)
{
    CHLB5Doc& document = *document_;
    switch (command) {
    case command_ids::read_all:
        run_tree_job(false);
        return true;
    case command_ids::write_all:
        run_tree_job(true);
        return true;
    case command_ids::calibrate:
        // Corrections are entered in the calibration window; an unattended run has none.
        shell_.message(std::string(texts::calibration_needs_window), std::string(texts::app_title), Icon::warning,
                       Owner::main_window);
        events_.set(job_done);
        return true;
    case command_ids::apply_request:
    case command_ids::apply_parameters:
        document.on_apply_command();
        return true;
    case command_ids::save_after_read:
        if (!file_name_.empty())
            save_configuration(document, file_name_);
        return true;
    default:
        return false;
    }
}

void CHLB5App::run_tree_job(bool write)
{
    CHLB5Doc& document = *document_;
    DescBranch* root = document.root();
    if (!root) {
        shell_.message(std::string(texts::tree_undefined), std::string(texts::app_title), Icon::stop,
                       Owner::main_window);
        job_not_started();
        return;
    }
    const bool shown = write ? document.engine().write_all(root) : document.engine().read(root);
    if (!shown)
        job_not_started();
}

void CHLB5App::job_not_started()
{
    if (!context_.unattended())
        return;
    // Nothing was exchanged: a caller must not read success from it. A cause already known (an
    // instrument that is not ours, a port that does not open) keeps its own code.
    if (context_.run.exit_status == 0)
        context_.run.exit_status |= exit_bits::no_reply;
    events_.set(job_done);
}

void CHLB5App::on_job_end()
{
    // Runs on the exchange thread at the end of an unattended job.
    const auto [handled, failed] = document_->engine().last_result();
    if (handled > 0 && failed == handled)
        context_.run.exit_status |= exit_bits::no_reply;
    // A read that was stopped holds only part of the instrument's values; the file named for the
    // result keeps what it had.
    if ((context_.options & option_flags::read) && !(context_.run.exit_status & exit_bits::stopped))
        queue_.post(command_ids::save_after_read);
    events_.set(job_done);
}

void CHLB5App::job_watcher()
{
    const auto event = events_.wait_any(job_done, shutdown + 1);
    if (event == job_done && (command_line_.options & (option_flags::close | option_flags::calibrate)))
        queue_.post(command_ids::close_window);
}

void CHLB5App::shutdown_watcher()
{
    const auto cause = exit_signals_.wait();
    if (cause != ExitSignals::Cause::shutdown) {
        context_.run.exit_status = exit_bits::stopped;
        queue_.post(command_ids::close_window);
    }
    if (document_)
        document_->link().job.events.set(job_events::stop);
}

void CHLB5App::shut_down()
{
    // Closing the document tells the instrument that the session is over.
    if (document_)
        document_->close();
    events_.set(shutdown);
    exit_signals_.shutdown();
    if (shutdown_watcher_.joinable())
        shutdown_watcher_.join();
    if (job_watcher_.joinable())
        job_watcher_.join();
    document_.reset();
}

} // namespace zr740
