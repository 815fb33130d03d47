#pragma once
// The line parser of the description language. Each line declares a constant, a type, a parameter,
// its limits or initial value, a branch of the tree, or opens/closes a block on the firmware version.

#include "description/description_lists.h"

#include <stdexcept>
#include <string_view>
#include <vector>

namespace zr740 {

class Shell;

// A line that lacks a field its keyword requires. The loader turns it into a failed load.
class DescriptionSyntaxError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ParseContext {
    DescriptionLists& lists;
    InstrumentVersion version;
    Shell& shell;
    bool skip = false; // inside the branch of a version block that does not apply
    std::vector<std::string_view> fields = {}; // scratch space reused from line to line
};

// Returns 1 to go on, 0 to stop the load (after the line's message). Throws DescriptionSyntaxError.
int parse_description_line(ParseContext& context, std::string_view line);

} // namespace zr740
