#pragma once
// The document: everything the description produces. It owns the parser's lists, the root and
// scanners trees with their parameters, and the POUt table.

#include "description/description_lists.h"
#include "description/description_loader.h"
#include "link/device.h"
#include "model/desc_branch.h"

#include <functional>
#include <memory>
#include <string>

namespace zr740 {

struct AppContext;
class Settings;
class Shell;

class CHLB5Doc {
public:
    // `serial_ports`: the choices of the program's "Port" setting.
    CHLB5Doc(AppContext& context, Shell& shell, Settings& settings, std::vector<std::string> serial_ports);
    ~CHLB5Doc();
    CHLB5Doc(const CHLB5Doc&) = delete;
    CHLB5Doc& operator=(const CHLB5Doc&) = delete;

    // Loads the description of the current variant from the description file and builds the tree.
    // True when a description stream was opened and parsed (even if parsing stopped early).
    bool load_description();
    // The same from a description text already in memory (Windows-1251), for tools and tests.
    void load_description_text(std::string_view cp1251_text);
    // Empties the lists and the tree (before a new load).
    void clear();
    // New document: fails at once when the document was marked not to be used.
    bool on_new_document();

    // Path of the description file: the program folder followed by "zr740.dat".
    std::string description_path() const;

    DescBranch* root() const { return root_.get(); }
    DescBranch* scanners() const { return scanners_.get(); }
    DescBranch* network_branch() const { return link_.network_branch; }
    const DescriptionLists& lists() const { return lists_; }
    Device& link() { return link_; }
    // Set at construction when the start-up connection setup was cancelled: nothing is loaded.
    bool do_not_use = false;
    // Called after every load once the tree stands: this is where the device object of the
    // served model is created for the description variant.
    std::function<void(CHLB5Doc&)> on_tree_built;

private:
    void adopt(LoadedTrees trees);

    AppContext& context_;
    Shell& shell_;
    Device link_;
    DescriptionLists lists_;
    std::unique_ptr<DescBranch> root_;
    std::unique_ptr<DescBranch> scanners_;
};

} // namespace zr740
