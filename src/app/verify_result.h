#pragma once
// What reading written parameters back found: for the person (status texts, the error log, the
// progress window) and for whoever builds on a write job, such as a report of a commissioning run.

#include <string>
#include <vector>

namespace zr740 {

class Parameter;

// One written parameter read back.
struct VerifyVerdict {
    std::string name;    // as the error log names it (":index" when indexed)
    std::string caption;
    std::string sent;    // the value text written
    std::string held;    // the value text the instrument holds; empty when it could not be read
    bool passed = false;
    std::string reason;  // why it failed: the status text the parameter got
};

struct VerifyResult {
    // Whether the job was asked to verify at all.
    bool requested = false;
    // Parameters the job wrote without error.
    int written = 0;
    // Read back and found holding what was sent.
    int verified = 0;
    // Read back and found holding something else, or not readable.
    int failed = 0;
    // Written but not comparable: commands, whose registers hold no value to read back.
    int skipped = 0;
    // One a parameter read back, in the order of the reads.
    std::vector<VerifyVerdict> verdicts;

    std::vector<std::string> failed_names() const
    {
        std::vector<std::string> names;
        for (const auto& verdict : verdicts)
            if (!verdict.passed)
                names.push_back(verdict.name);
        return names;
    }
};

} // namespace zr740
