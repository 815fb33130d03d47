#pragma once
// The parameter list as CSV, for programs rather than people: every parameter of the description's
// tree on a line of its own (each indexed copy too, with its index), under the path of its element,
// UTF-8 with "\n" line ends. The HTML page (html_export.h) lists a run of numbered copies once.

#include <string>

namespace zr740 {

class DescBranch;

std::string parameter_list_csv(const DescBranch& root);

} // namespace zr740
