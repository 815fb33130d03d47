#pragma once
// The command line's "poll": the scanners of the document polled together, every round written to
// a CSV log (csv_log.h), until the run's time is up or it is stopped.
//
// Configuration files hold no scanner settings (which ones run, their periods), so every scanner of
// the description's scanners branch is polled at its own period. What the run earns for its exit
// code: a log that cannot be created or written "file" (200); not one good poll in the whole run
// "no reply" (202); a scanner that never once answered while others did "some parameters failed"
// (207). Single failed polls of scanners that did deliver values are named in the log's status
// column and leave the code alone: a long log on a real line meets the odd time-out.

#include "app/csv_log.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace zr740 {

class AppShell;
class CHLB5Doc;
class Parameter;

class PollRun : public ScanListener {
public:
    PollRun(CHLB5Doc& document, AppShell& shell);
    ~PollRun() override;
    PollRun(const PollRun&) = delete;
    PollRun& operator=(const PollRun&) = delete;

    // Opens the log and starts the scanners. False, after telling the person, when there is nothing
    // to poll or the log cannot be created; exit_bits() then says why. `on_log_failure` is called
    // on the scanner thread when the log stops on a write error, so that the caller can end the run.
    bool start(const std::string& csv_path, std::function<void()> on_log_failure);
    // Stops the scanners, writes the last round and closes the log; tells the person what went
    // wrong and returns the exit status bits of the run.
    std::uint32_t finish();
    std::uint32_t exit_bits() const { return exit_bits_; }

    // Scanner thread.
    void polled(const ScanResult& result) override;

private:
    struct Tally {
        long long good = 0;
        long long failed = 0;
    };

    CHLB5Doc& document_;
    AppShell& shell_;
    std::vector<Parameter*> scanners_;
    std::unique_ptr<CsvLog> log_;
    // Written on the scanner thread, read after it has ended.
    std::unordered_map<const Parameter*, Tally> tallies_;
    std::uint32_t exit_bits_ = 0;
    bool started_ = false;
};

} // namespace zr740
