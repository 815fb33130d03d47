#pragma once
// The application: parses the command line, constructs the document (link settings from the command
// line, the link check), opens the configuration or starts a new one, runs the job the command line
// asks for, saves after a read, and ends with the exit code the exit status word gives. Without
// windows the main window's message queue is a plain command queue served by the calling thread.

#include "app/command_line.h"
#include "app/command_queue.h"
#include "platform/event_set.h"
#include "platform/exit_signals.h"

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zr740 {

struct AppContext;
class CHLB5Doc;
class ConsoleShell;
class Settings;
class AppShell;
class CommissionRun;
class WindowFront;

class CHLB5App {
public:
    CHLB5App(AppContext& context, ConsoleShell& shell, Settings& settings, std::vector<std::string> serial_ports);
    // The same run with windows: `front` takes the place of the command queue's loop, and every
    // command posted to the main window goes to it.
    CHLB5App(AppContext& context, AppShell& shell, Settings& settings, std::vector<std::string> serial_ports,
             WindowFront& front);
    ~CHLB5App();
    CHLB5App(const CHLB5App&) = delete;
    CHLB5App& operator=(const CHLB5App&) = delete;

    // Runs an unattended session for the arguments (without the program name) and returns the
    // process exit code. The exit signals must already be blocked (ExitSignals::block_signals), so
    // that one sent at any moment from process start on reaches the shutdown watcher.
    int run(const std::vector<std::string>& arguments);

    // Runs one of the commands a run posts to its main window (jobs of the command line, apply,
    // save after read). False for any other command, which the main window handles itself.
    bool run_command(int command);

private:
    // The error log and the exit semaphore, before anything can stop the run.
    void prepare(const CmyCommandLineInfo& info);
    // Opens or starts the document and checks the link; false when the run ends here.
    bool start_up();
    // The file the run starts with: none (a new configuration), the named one, or one that is
    // needed and missing.
    enum class StartFile { fresh, existing, missing };
    StartFile start_file(bool page_only) const;
    CHLB5Doc& create_document();
    bool start_page(CHLB5Doc& document, bool open_file);
    // The link check and, when it found no ZR740, whether the run goes on all the same.
    bool start_link(CHLB5Doc& document);
    bool go_on_without_link(CHLB5Doc& document);
    void refuse_unidentified();
    bool start_document(CHLB5Doc& document, bool open_file);
    // The start-up link check of an unattended run; true when a ZR740 answered.
    bool check_link();
    // Commissioning ("commission"): the report is opened before any instrument is touched; false
    // when the run ends here. With "repeat" a silent line at start-up is waited out.
    bool prepare_commission();
    bool wait_for_first_instrument();
    void report_port_failure();
    void apply_port_settings(bool into_instrument_element);
    void post_creation();
    void serve();
    void run_tree_job(bool write);
    void job_not_started();
    void on_job_end();
    void save_read(bool complete);
    // The runs that end by themselves after one thing (chlb5_app_jobs.cpp): the parameter list
    // page or CSV, the polled values' log, the differences of a compare.
    bool page_only() const;
    void export_page();
    void export_list();
    void run_poll();
    void run_compare();
    void job_watcher();
    // The run's job has ended: the job watcher takes it from here.
    void signal_job_done();
    void shutdown_watcher();
    void shut_down();
    // The person's modes of the window (verify, block reads): taken from the settings by a window
    // run without options, and kept there when the person changed them.
    void load_window_modes();
    void keep_window_modes();

    AppContext& context_;
    AppShell& shell_;
    ConsoleShell* console_ = nullptr;
    WindowFront* front_ = nullptr;
    Settings& settings_;
    std::vector<std::string> serial_ports_;
    CommandLineSettings command_line_;
    std::string file_name_;
    std::string html_path_;
    std::string trace_path_;
    std::string csv_path_;
    int poll_seconds_ = -1;
    bool compare_ = false;
    // Whether the start-up link check found a ZR740: nothing, not even the closing INIT, goes to
    // an instrument it did not.
    bool identified_ = false;
    // The window modes as the settings hold them; only a window run without options has them.
    bool window_modes_ = false;
    bool verify_stored_ = false;
    bool blocks_stored_ = false;
    // Guards document_ against the shutdown watcher, which reaches the link to stop it.
    std::mutex document_mutex_;
    std::unique_ptr<CHLB5Doc> document_;
    CommandQueue queue_;
    ExitSignals exit_signals_;
    // The job-done event (automatic) and the shutdown event (manual).
    EventSet events_{{EventSet::Reset::automatic, EventSet::Reset::manual}};
    std::string report_path_;
    // Guarded by document_mutex_ like the document, for the shutdown watcher's stop.
    std::unique_ptr<CommissionRun> commission_;
    std::thread job_watcher_;
    std::thread shutdown_watcher_;
};

// Where a read whose parameters partly failed is saved: "line3.zr740" gives "line3.partial.zr740"
// in the same folder; a name without the extension gets ".partial.zr740" appended.
std::string partial_file_name(const std::string& path);

} // namespace zr740
