#pragma once
// Prints a parameter tree as indented text, in the order the tree view shows it.

#include <iosfwd>

namespace zr740 {

class DescBranch;

void print_tree(std::ostream& out, const DescBranch& branch, int depth = 0);

} // namespace zr740
