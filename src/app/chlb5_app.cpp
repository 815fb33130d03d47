#include "app/chlb5_app.h"

#include "app/app_context.h"
#include "app/app_texts.h"
#include "app/chlb5_doc.h"
#include "app/commission_run.h"
#include "app/configuration_file.h"
#include "app/console_shell.h"
#include "app/engine_texts.h"
#include "app/exit_code.h"
#include "app/port_options.h"
#include "app/window_front.h"
#include "device/base_device.h"
#include "device/device_texts.h"
#include "link/transaction_texts.h"
#include "model/model_texts.h"
#include "model/network_names.h"
#include "model/text.h"
#include "platform/safe_file.h"
#include "app/app_shell.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace zr740 {
namespace {

constexpr std::size_t job_done = 0;
constexpr std::size_t shutdown = 1;
// The queue's own commands: save a read whose parameters partly failed beside the named file; the
// first job has ended and the command line has had its say.
constexpr int save_partial_read = command_ids::save_after_read + 1;
constexpr int first_job_ended = command_ids::save_after_read + 2;
// No description variant is known until the instrument or a file tells.
constexpr std::uint8_t variant_unknown = 0xFF;

} // namespace

CHLB5App::CHLB5App(AppContext& context, ConsoleShell& shell, Settings& settings, std::vector<std::string> serial_ports)
    : context_(context), shell_(shell), console_(&shell), settings_(settings), serial_ports_(std::move(serial_ports))
{
    context_.run.description_variant = variant_unknown;
    console_->attach_queue(&queue_);
}

CHLB5App::CHLB5App(AppContext& context, AppShell& shell, Settings& settings, std::vector<std::string> serial_ports,
                   WindowFront& front)
    : context_(context), shell_(shell), front_(&front), settings_(settings), serial_ports_(std::move(serial_ports))
{
    context_.run.description_variant = variant_unknown;
    // The window's auto-read mode starts checked: expanding a branch shows the instrument's values.
    context_.auto_read = true;
    queue_.forward_to([&front](int command) { front.post(command); });
}

CHLB5App::~CHLB5App()
{
    shut_down();
    shell_.send_boxes_to_log(nullptr);
    if (console_)
        console_->attach_queue(nullptr);
}

int CHLB5App::run(const std::vector<std::string>& arguments)
{
    const CmyCommandLineInfo info(arguments);
    prepare(info);
    // A mistyped option (a job's name above all) would otherwise make a run that did nothing and
    // ended 0: the run ends before anything goes to the line.
    if (!info.unknown_options.empty()) {
        std::string names;
        for (const auto& name : info.unknown_options)
            names += (names.empty() ? "'" : ", '") + name + "'";
        shell_.message(fill_placeholders(texts::unknown_options, {names}), std::string(texts::app_title), Icon::stop,
                       Owner::none);
        context_.run.exit_status |= exit_bits::unknown_option;
        return exit_code(context_.run.exit_status);
    }
    // Started before anything else, so that a stop that comes during start-up is seen at once.
    shutdown_watcher_ = std::thread([this] { shutdown_watcher(); });
    if (start_up()) {
        if (compare_) {
            run_compare();
        } else if (poll_seconds_ >= 0) {
            run_poll();
        } else if (page_only()) {
            export_list();
        } else if (!front_) {
            post_creation();
            serve();
        } else if (front_->create_window(*document_, command_line_,
                                         [this](int command) { return run_command(command); })) {
            // The file named on the command line is the document (opened, or the name of a new one),
            // except for "read", which saves into it only once the read has ended.
            if (!file_name_.empty() && !(command_line_.options & option_flags::read))
                front_->document_path(file_name_, true);
            post_creation();
            front_->run();
        }
    }
    shut_down();
    // A run told to end from outside ends as stopped, whatever its job left behind.
    if (context_.stop_requested)
        context_.run.exit_status = exit_bits::stopped;
    return exit_code(context_.run.exit_status);
}

void CHLB5App::prepare(const CmyCommandLineInfo& info)
{
    command_line_ = info.settings;
    file_name_ = info.file_name;
    html_path_ = info.html_path;
    trace_path_ = info.trace_path;
    csv_path_ = info.csv_path;
    poll_seconds_ = info.poll_seconds;
    compare_ = info.compare;
    report_path_ = info.report_path;
    context_.options = command_line_.options;
    context_.run.silent = (command_line_.modes & mode_flags::silent) != 0;
    // The two modes hold for the whole run, like their check marks in the window.
    if (command_line_.modes & mode_flags::verify)
        context_.verify_writes = true;
    if (command_line_.modes & mode_flags::block_reads)
        context_.block_reads = true;
    load_window_modes();
    context_.run.started_with_options = (command_line_.options & option_flags::any) != 0;

    // A run that ends by itself has nobody at the screen: a box would hold a production-line
    // script for ever. Its messages go to the error stream and into the error log instead.
    const std::uint32_t options = command_line_.options;
    const bool ends_by_itself = !front_ || !info.unknown_options.empty() || !info.html_path.empty() ||
                                !info.csv_path.empty() || info.poll_seconds >= 0 || info.compare ||
                                (command_line_.modes & mode_flags::test) ||
                                ((options & option_flags::close) && !(options & option_flags::calibrate));
    if (ends_by_itself)
        shell_.send_boxes_to_log([this](const std::string& caption, const std::string& text) {
            std::string line = text;
            std::replace(line.begin(), line.end(), '\n', ' ');
            BatchEngine::append_to_error_log(context_.error_log_path, caption, line);
        });

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
}

bool CHLB5App::start_up()
{
    const bool page_only = this->page_only();
    // A read that has nowhere to go is refused before the instrument is asked anything.
    if ((command_line_.options & option_flags::read) && file_name_.empty() && !page_only) {
        shell_.message(std::string(texts::read_needs_file), std::string(texts::app_title), Icon::stop, Owner::none);
        context_.run.exit_status |= exit_bits::file_missing;
        return false;
    }
    const StartFile start = start_file(page_only);
    if (start == StartFile::missing) {
        context_.run.exit_status |= exit_bits::file_missing;
        return false;
    }
    CHLB5Doc& document = create_document();
    if (page_only)
        return start_page(document, start == StartFile::existing);
    if ((command_line_.options & option_flags::commission) && !prepare_commission())
        return false;
    // A test run ends once the link has been checked.
    if (!start_link(document) || (command_line_.modes & mode_flags::test))
        return false;
    return start_document(document, start == StartFile::existing);
}

// "read" always starts afresh, the file being the target of the save; a write and a page need the
// file, anything else starts a new configuration under its name.
CHLB5App::StartFile CHLB5App::start_file(bool page_only) const
{
    const std::uint32_t options = command_line_.options;
    // A compare needs the configuration it compares.
    if (compare_ && file_name_.empty()) {
        shell_.message(std::string(texts::compare_needs_file), std::string(texts::app_title), Icon::stop, Owner::none);
        return StartFile::missing;
    }
    if (((options & option_flags::read) && !page_only) || file_name_.empty())
        return StartFile::fresh;
    std::error_code error;
    const auto size = std::filesystem::file_size(file_name_, error);
    if (!error && size > 0)
        return StartFile::existing;
    return (options & option_flags::write) || page_only || compare_ ? StartFile::missing : StartFile::fresh;
}

CHLB5Doc& CHLB5App::create_document()
{
    {
        auto document = std::make_unique<CHLB5Doc>(context_, shell_, settings_, serial_ports_);
        std::lock_guard lock(document_mutex_);
        document_ = std::move(document);
    }
    document_->engine().on_unattended_job_end = [this] { on_job_end(); };
    // Before the first exchange, so that the log holds the whole run, the link check too.
    std::string error;
    if (!trace_path_.empty() && !document_->link().open_trace_file(trace_path_, error))
        shell_.message(fill_placeholders(texts::cannot_open_trace, {trace_path_, error}), std::string(texts::app_title),
                       Icon::warning, Owner::none);
    return *document_;
}

// The page documents the description, not an instrument: no link is needed. Without a file it is
// the current transmitter's description.
bool CHLB5App::start_page(CHLB5Doc& document, bool open_file)
{
    if (open_file) {
        if (open_configuration(document, file_name_))
            return true;
        context_.run.exit_status |= exit_bits::file_missing;
        return false;
    }
    context_.run.description_variant = 0;
    return document.on_new_document();
}

bool CHLB5App::start_link(CHLB5Doc& document)
{
    if (command_line_.options & option_flags::any)
        apply_port_settings(false);
    identified_ = check_link();
    if (context_.stop_requested)
        return false;
    if (!identified_ && wait_for_first_instrument())
        return true;
    return identified_ || go_on_without_link(document);
}

// Whether the run goes on although the link check found no ZR740.
bool CHLB5App::go_on_without_link(CHLB5Doc& document)
{
    const std::uint32_t options = command_line_.options;
    // Without options a person sits at the window and decides how to go on without the instrument.
    const bool interactive = front_ && !(options & option_flags::any);
    // Options that only set the link or place the window ask for no job: the window opens all the
    // same, offline, and its status bar says so.
    const bool job = (options & (option_flags::read | option_flags::write | option_flags::calibrate)) != 0;
    const bool window_without_job = front_ && !interactive && !job && !(options & option_flags::close) &&
                                    !(command_line_.modes & mode_flags::test);
    if (window_without_job) {
        if (context_.run.description_variant > 1)
            context_.run.description_variant = 0;
        command_line_.modes = mode_flags::auto_read_off;
        front_->work_offline(document);
        return true;
    }
    if (interactive) {
        const auto choice = front_->link_check_failed(document);
        if (choice == WindowFront::LinkChoice::quit)
            return false;
        identified_ = choice == WindowFront::LinkChoice::linked;
        // Offline there is nothing to read: the mode the command line asked for gives way.
        if (choice == WindowFront::LinkChoice::offline)
            command_line_.modes = mode_flags::auto_read_off;
        return true;
    }
    refuse_unidentified();
    return false;
}

// Nothing goes to an instrument that is not known to be a ZR740, and nothing read from one is saved
// as its configuration.
void CHLB5App::refuse_unidentified()
{
    report_port_failure();
    // Silence sets no bit on the way; a port that would not open or a foreign instrument has.
    if (context_.run.exit_status == 0)
        context_.run.exit_status |= exit_bits::no_reply;
    if (!(context_.run.exit_status & exit_bits::port_unavailable) && !(command_line_.modes & mode_flags::test))
        shell_.message(std::string(texts::instrument_not_identified), std::string(texts::app_title), Icon::stop,
                       Owner::none);
}

// Opens the named configuration or starts a new one, and readies the link for the job.
bool CHLB5App::start_document(CHLB5Doc& document, bool open_file)
{
    const std::uint32_t options = command_line_.options;
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

bool CHLB5App::check_link()
{
    Device& link = document_->link();
    // "silent" keeps the port closed until a job needs it, but an unattended job never goes to an
    // instrument that has not been identified, so the check opens it all the same.
    const bool silent = context_.run.silent;
    context_.run.silent = false;
    const bool found = link.check_link();
    context_.run.silent = silent;
    if (silent) {
        std::lock_guard lock(link.port_lock());
        link.close_port();
    }
    return found;
}

void CHLB5App::report_port_failure()
{
    if (!(context_.run.exit_status & exit_bits::port_unavailable))
        return;
    // Unattended runs show no message boxes about the port, but a script's log is where a person
    // looks: the reason goes to the error stream and into the error log.
    const Sio& sio = document_->link().sio();
    const std::string reason = sio.open_error().empty() ? std::string(texts::port_open_failed) : sio.open_error();
    shell_.message(fill_placeholders(texts::cannot_open_port, {sio.port_name}) + "\n" + reason,
                   std::string(texts::serial_driver_error), Icon::stop, Owner::none);
    std::string one_line = reason;
    std::replace(one_line.begin(), one_line.end(), '\n', ' ');
    BatchEngine::append_to_error_log(context_.error_log_path, std::string(network_names::port), one_line);
}

void CHLB5App::apply_port_settings(bool into_instrument_element)
{
    if (!(command_line_.options & option_flags::port_settings))
        return;
    CHLB5Doc& document = *document_;
    DescBranch* instrument = document.network_branch();
    if (into_instrument_element && !instrument)
        return;
    const auto values = port_setting_texts(command_line_, !into_instrument_element);
    for (const auto& [key, text] : values) {
        if (into_instrument_element)
            instrument->set_value_by_name(key, text);
        else
            document.link().link_settings().set_value_by_name(key, text);
    }
    if (!into_instrument_element && !values.empty())
        document.link().open_port(true);
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
        if (s.options & option_flags::commission) {
            events_.reset(job_done);
            if (!commission_->start())
                events_.set(job_done);
        } else if (s.options & option_flags::write) {
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
    // After a stop from outside, nothing more goes to the instrument.
    const bool stopped = context_.stop_requested;
    switch (command) {
    case command_ids::read_all:
    case command_ids::write_all:
        if (stopped)
            job_not_started();
        else
            run_tree_job(command == command_ids::write_all);
        return true;
    case command_ids::calibrate:
        // Corrections are entered in the calibration window; a run without windows has none.
        if (auto* device = document.device(); device && device->supports_calibration() && shell_.has_main_window())
            device->calibrate();
        else
            shell_.message(std::string(texts::calibration_needs_window), std::string(texts::app_title),
                           Icon::warning, Owner::main_window);
        events_.set(job_done);
        return true;
    case command_ids::apply_request:
    case command_ids::apply_parameters:
        if (!stopped)
            document.on_apply_command();
        return true;
    case command_ids::save_after_read:
        save_read(true);
        return true;
    case save_partial_read:
        save_read(false);
        return true;
    case first_job_ended:
        // From now on the window is the person's: Alt+A asks, closing asks to save, and a later
        // read is not saved into the command line's file.
        command_line_ = CommandLineSettings{};
        context_.options = 0;
        context_.run.started_with_options = false;
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
    const ExchangeCount exchanges = document_->engine().last_exchanges();
    const bool stopped = context_.stop_requested || (context_.run.exit_status & exit_bits::stopped);
    const bool nothing = exchanges.made > 0 && exchanges.failed == exchanges.made;
    if (!stopped) {
        if (nothing)
            context_.run.exit_status |= exit_bits::no_reply;
        else if (exchanges.failed > 0)
            context_.run.exit_status |= exit_bits::partial;
    }
    // A stopped read holds only part of the instrument's values and is not saved; one whose
    // parameters partly failed is saved beside the named file; one that read nothing is not saved.
    if ((context_.options & option_flags::read) && !stopped) {
        if (exchanges.failed == 0)
            queue_.post(command_ids::save_after_read);
        else if (!nothing)
            queue_.post(save_partial_read);
        else
            shell_.message(fill_placeholders(texts::nothing_read, {file_name_}), std::string(texts::app_title),
                           Icon::warning, Owner::none);
    }
    events_.set(job_done);
}

void CHLB5App::save_read(bool complete)
{
    if (file_name_.empty())
        return;
    CHLB5Doc& document = *document_;
    std::string target = file_name_;
    if (!complete) {
        // The named file keeps what it had (perhaps a complete earlier read); the partial result
        // goes beside it under a name that says so.
        target = partial_file_name(file_name_);
        const ExchangeCount exchanges = document.engine().last_exchanges();
        shell_.message(fill_placeholders(texts::partial_read_saved, {std::to_string(exchanges.failed),
                                                                     std::to_string(exchanges.made), file_name_, target}),
                       std::string(texts::app_title), Icon::warning, Owner::none);
    }
    if (!save_configuration(document, target)) {
        context_.run.exit_status |= exit_bits::file_missing;
        return;
    }
    // The window goes on with the file just written, which is not put into the recent-file list.
    if (front_)
        front_->document_path(target, false);
}

void CHLB5App::signal_job_done() { events_.set(job_done); }

void CHLB5App::job_watcher()
{
    const auto event = events_.wait_any(job_done, shutdown + 1);
    // Without a main window nobody could close the run later: it ends after its job, as with "close".
    const bool close = (command_line_.options & (option_flags::close | option_flags::calibrate)) != 0 ||
                       !shell_.has_main_window();
    if (event != job_done)
        return;
    // The settings are zeroed on the thread that reads them, after whatever the job posted.
    queue_.post(close ? command_ids::close_window : first_job_ended);
}

void CHLB5App::shutdown_watcher()
{
    const auto cause = exit_signals_.wait();
    const bool from_outside = cause != ExitSignals::Cause::shutdown;
    if (from_outside) {
        context_.stop_requested = true;
        // A posted close would wait behind every box and dialog standing in the window, and ask
        // about unsaved changes; a person's window is ended as a whole instead.
        if (front_ && !context_.unattended())
            front_->stop();
        else
            queue_.post(command_ids::close_window);
    }
    std::lock_guard lock(document_mutex_);
    if (!document_)
        return;
    document_->job().stop.set();
    if (commission_)
        commission_->stop();
    // The transaction on the line ends at once, and so does every later one until the threads
    // have been stopped.
    if (from_outside)
        document_->link().sio().abort();
}

void CHLB5App::shut_down()
{
    std::unique_ptr<CommissionRun> commission;
    {
        std::lock_guard lock(document_mutex_);
        commission = std::move(commission_);
    }
    commission.reset(); // stopped and joined before the document goes
    keep_window_modes();
    if (document_) {
        // Closing the document tells the instrument that the session is over; an instrument that
        // was never identified is told nothing.
        if (!identified_) {
            std::lock_guard port(document_->link().port_lock());
            document_->link().close_port();
        }
        document_->close();
    }
    events_.set(shutdown);
    exit_signals_.shutdown();
    if (shutdown_watcher_.joinable())
        shutdown_watcher_.join();
    if (job_watcher_.joinable())
        job_watcher_.join();
    std::lock_guard lock(document_mutex_);
    document_.reset();
}

std::string partial_file_name(const std::string& path)
{
    constexpr std::string_view extension = ".zr740";
    constexpr std::string_view marker = ".partial";
    const std::filesystem::path file(path);
    std::string name = file.filename().string();
    if (name.size() > extension.size() && equals_no_case(std::string_view(name).substr(name.size() - extension.size()),
                                                          extension))
        name.insert(name.size() - extension.size(), marker);
    else
        name += std::string(marker) + std::string(extension);
    return (file.parent_path() / name).string();
}

} // namespace zr740
