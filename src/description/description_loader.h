#pragma once
// Loads the instrument's description: takes the stream of the chosen variant out of the compound
// description file, parses it line by line and builds the root and scanners trees.

#include "description/description_lists.h"
#include "model/desc_branch.h"

#include <memory>
#include <string>
#include <string_view>

namespace zr740 {

class Shell;

// The stream that holds a description variant: "zr740.tree" (0) or "zr740_old.tree" (1); empty
// for any other variant.
std::string_view description_stream_name(int variant);

struct LoadedTrees {
    std::unique_ptr<DescBranch> root;
    std::unique_ptr<DescBranch> scanners;
};

// Feeds a whole description text (Windows-1251, possibly with a zero byte that ends it) to the
// parser and builds the trees. Shows the parser's and the loader's messages through the shell.
// The lists must be empty; afterwards they hold the parameter descriptors only.
LoadedTrees parse_and_build(std::string_view cp1251_text, DescriptionLists& lists, InstrumentVersion version,
                            PoutTable& pout, Shell& shell);

// Opens the description file, extracts the variant's stream and calls parse_and_build. Returns
// false (after "Ошибка открытия файла дерева!" where a file or stream is at fault) when nothing was
// parsed; true otherwise, even when parsing stopped early.
bool load_description_file(const std::string& path, int variant, DescriptionLists& lists, InstrumentVersion version,
                           PoutTable& pout, Shell& shell, LoadedTrees& trees);

} // namespace zr740
