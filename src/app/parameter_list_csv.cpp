#include "app/parameter_list_csv.h"

#include "app/csv_log.h"
#include "app/csv_texts.h"
#include "app/html_texts.h"
#include "model/c_numbers.h"
#include "model/desc_branch.h"
#include "model/text.h"

namespace zr740 {
namespace {

std::string attributes_text(const Parameter& parameter)
{
    switch (parameter.attribute_mode) {
    case 0:
        return std::string(texts::no_attributes);
    case 1:
        return std::string(texts::plain_attributes);
    default:
        return fill_placeholders(texts::cut_attribute_tree, {std::to_string(parameter.attribute_mode)});
    }
}

void list_branch(const DescBranch& branch, const std::string& path, std::string& out)
{
    for (const auto& parameter : branch.parameters) {
        const Parameter& p = *parameter;
        const bool ranged = p.min < p.max;
        out += csv_line({path, p.name, p.indexed ? std::to_string(p.linear_index) : std::string(),
                         std::to_string(p.register_count), p.caption, p.type_text,
                         ranged ? format_fixed(p.min, 3) : std::string(),
                         ranged ? format_fixed(p.max, 3) : std::string(), attributes_text(p)});
    }
    for (const auto& child : branch.children)
        list_branch(*child, path.empty() ? child->name : path + "\\" + child->name, out);
}

} // namespace

std::string parameter_list_csv(const DescBranch& root)
{
    std::string out = csv_line({std::begin(texts::csv_parameter_columns), std::end(texts::csv_parameter_columns)});
    list_branch(root, {}, out);
    return out;
}

} // namespace zr740
