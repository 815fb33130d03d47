#include "app/chlb5_doc.h"

#include "app/app_context.h"
#include "platform/shell.h"

namespace zr740 {

CHLB5Doc::CHLB5Doc(AppContext& context, Shell& shell, Settings& settings, std::vector<std::string> serial_ports)
    : context_(context), shell_(shell), link_(context.run, shell, settings, std::move(serial_ports))
{
}

CHLB5Doc::~CHLB5Doc() = default;

std::string CHLB5Doc::description_path() const
{
    std::string path = context_.program_folder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path + "zr740.dat";
}

void CHLB5Doc::clear()
{
    lists_.clear();
    link_.network_branch = nullptr;
    link_.pout.fill(nullptr);
    root_.reset();
    scanners_.reset();
}

bool CHLB5Doc::load_description()
{
    LoadedTrees trees;
    if (!load_description_file(description_path(), context_.run.description_variant.load(), lists_,
                               link_.instrument_version, link_.pout, shell_, trees))
        return false;
    adopt(std::move(trees));
    return true;
}

void CHLB5Doc::load_description_text(std::string_view cp1251_text)
{
    adopt(parse_and_build(cp1251_text, lists_, link_.instrument_version, link_.pout, shell_));
}

void CHLB5Doc::adopt(LoadedTrees trees)
{
    root_ = std::move(trees.root);
    scanners_ = std::move(trees.scanners);
    link_.network_branch = lists_.network;
    shell_.set_wait_cursor(true);
    if (on_tree_built)
        on_tree_built(*this);
    shell_.set_wait_cursor(false);
}

bool CHLB5Doc::on_new_document()
{
    if (do_not_use)
        return false;
    clear();
    return load_description();
}

} // namespace zr740
