#pragma once
// The document: everything the description produces. It owns the parser's lists, the root and
// scanners trees with their parameters, and the POUt table.

#include "app/app_shell.h"
#include "app/batch_engine.h"
#include "app/exit_policy.h"
#include "app/job_state.h"
#include "app/scan_thread.h"
#include "app/step_outcome.h"
#include "description/description_lists.h"
#include "device/base_device.h"
#include "device/device_document.h"
#include "description/description_loader.h"
#include "link/device.h"
#include "model/desc_branch.h"

#include <atomic>
#include <memory>
#include <string>

namespace zr740 {

struct AppContext;
class Settings;
class AppShell;

class CHLB5Doc : public DeviceDocument {
public:
    // `serial_ports`: the choices of the program's "Port" setting.
    CHLB5Doc(AppContext& context, AppShell& shell, Settings& settings, std::vector<std::string> serial_ports);
    ~CHLB5Doc() override;
    CHLB5Doc(const CHLB5Doc&) = delete;
    CHLB5Doc& operator=(const CHLB5Doc&) = delete;

    // Loads the description of the current variant from the description file and builds the tree.
    // True when a description stream was opened and parsed (even if parsing stopped early).
    bool load_description();
    // The same from a description text already in memory (Windows-1251), for tools and tests.
    void load_description_text(std::string_view cp1251_text);
    // Empties the lists and the tree (before a new load) and deletes the device object.
    void clear();
    // Closing: tells the instrument the session is over ("INIT"), then deletes the device object.
    void close();
    // The apply-parameters command: through the apply dialog, or without it in an unattended run
    // given "aply". Finishes by refreshing the views.
    void on_apply_command();
    // New document: fails at once when the document was marked not to be used.
    bool on_new_document();

    // Path of the description file: the program folder followed by "zr740.dat".
    std::string description_path() const;

    DescBranch* root() const override { return root_.get(); }
    DescBranch* scanners() const override { return scanners_.get(); }
    DescBranch* network_branch() const { return link_.network_branch; }
    const DescriptionLists& lists() const { return lists_; }
    Device& link() override { return link_; }
    AppShell& shell() override { return shell_; }
    AppContext& context() { return context_; }
    void initialise_all_parameters() override;
    void read_all_later() override { shell_.post_command(command_ids::read_all); }
    bool calibration_dialog(const std::function<void(bool, const std::string&)>& apply) override
    {
        return shell_.calibration_dialog(apply);
    }
    BatchEngine& engine() { return engine_; }
    // The exchange thread's jobs and the stop every user of the line heeds.
    JobState& job() { return job_; }
    // The outcomes of the exchange thread's steps on their way to the owner of the values.
    OutcomeQueue& outcomes() { return outcomes_; }
    // Makes the document what an outcome says (on the thread that owns the values).
    void apply(const StepOutcome& outcome);
    ScanThread& scanners_thread() { return scan_; }
    // Starts polling the switched-on scanners of the tree.
    int start_scanners() { return scan_.start_scanners(scanners_.get()); }
    // Stops the scanner thread and the exchange thread (before the tree is replaced or the
    // program ends); the next job starts the exchange thread again.
    void stop_threads();
    // Set when a value was read from the instrument since the document was saved.
    std::atomic<bool> modified{false};
    // The device object of the served model; none without a description or for a foreign variant.
    BaseDevice::CBaseDevice* device() const { return device_.get(); }
    // Set at construction when the start-up connection setup was cancelled: nothing is loaded.
    bool do_not_use = false;

private:
    void adopt(LoadedTrees trees);

    AppContext& context_;
    AppShell& shell_;
    // What the line's findings mean for the run's exit code.
    ExitPolicy exit_policy_;
    Device link_;
    DescriptionLists lists_;
    std::unique_ptr<DescBranch> root_;
    std::unique_ptr<DescBranch> scanners_;
    std::unique_ptr<BaseDevice::CBaseDevice> device_;
    OutcomeQueue outcomes_;
    JobState job_;
    // Last, so that their threads end before anything they use goes away.
    ScanThread scan_;
    BatchEngine engine_;
};

} // namespace zr740
