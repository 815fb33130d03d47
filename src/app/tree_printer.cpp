#include "app/tree_printer.h"

#include "model/desc_branch.h"

#include <iomanip>
#include <ostream>
#include <string>

namespace zr740 {
namespace {

void print_parameter(std::ostream& out, const Parameter& parameter, int depth)
{
    out << std::string(static_cast<std::size_t>(depth) * 2, ' ') << parameter.name;
    if (parameter.indexed)
        out << ':' << parameter.linear_index;
    out << "  [" << static_cast<int>(parameter.register_count) << "] " << parameter.caption << " = "
        << parameter.value_text;
    if (!parameter.exchangeable)
        out << "  (не обменивается)";
    out << '\n';
}

} // namespace

void print_tree(std::ostream& out, const DescBranch& branch, int depth)
{
    out << std::string(static_cast<std::size_t>(depth) * 2, ' ') << "+ " << branch.name << '\n';
    for (const auto& parameter : branch.parameters)
        print_parameter(out, *parameter, depth + 1);
    for (const auto& child : branch.children) {
        // A branch of one parameter is shown as that parameter's row: its caption is the branch name.
        if (child->children.empty() && child->parameters.size() == 1)
            print_parameter(out, *child->parameters.front(), depth + 1);
        else
            print_tree(out, *child, depth + 1);
    }
}

} // namespace zr740
