#include "app/chlb5_doc.h"

#include "app/app_context.h"
#include "platform/shell.h"

namespace zr740 {

CHLB5Doc::CHLB5Doc(AppContext& context, Shell& shell) : context_(context), shell_(shell) {}

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
    root_.reset();
    scanners_.reset();
    pout_.fill(nullptr);
}

bool CHLB5Doc::load_description()
{
    LoadedTrees trees;
    if (!load_description_file(description_path(), context_.description_variant, lists_, instrument_version, pout_,
                               shell_, trees))
        return false;
    adopt(std::move(trees));
    return true;
}

void CHLB5Doc::load_description_text(std::string_view cp1251_text)
{
    adopt(parse_and_build(cp1251_text, lists_, instrument_version, pout_, shell_));
}

void CHLB5Doc::adopt(LoadedTrees trees)
{
    root_ = std::move(trees.root);
    scanners_ = std::move(trees.scanners);
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
