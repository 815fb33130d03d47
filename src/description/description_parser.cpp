#include "description/description_parser.h"

#include "description/description_texts.h"
#include "model/c_numbers.h"
#include "model/text.h"
#include "platform/shell.h"

#include <string>
#include <vector>

namespace zr740 {
namespace {

using Fields = std::vector<std::string_view>;

// Multi-instance branches are copied deeply; a hostile description could nest them until memory
// runs out. No real instrument comes near these numbers.
constexpr long max_instances = 4096;
constexpr std::size_t max_copied_nodes = 1'000'000;

void require(const Fields& fields, std::size_t count, std::string_view keyword)
{
    if (fields.size() < count)
        throw DescriptionSyntaxError("'" + std::string(keyword) + "' needs " + std::to_string(count) + " fields");
}

std::string underscores_to_blanks(std::string_view text)
{
    std::string out(text);
    for (auto& c : out)
        if (c == '_')
            c = ' ';
    return out;
}

void stop_message(Shell& shell, std::string text, Owner owner)
{
    shell.message(text, std::string(texts::description_error), Icon::stop, owner);
}

// True when the version block applies to the connected instrument.
bool version_applies(InstrumentVersion instrument, std::string_view op, std::string_view version)
{
    int major = -1;
    int minor = -1;
    const auto dot = version.find('.');
    if (const auto value = scan_c_integer(version.substr(0, dot)))
        major = static_cast<int>(*value);
    if (dot != std::string_view::npos)
        if (const auto value = scan_c_integer(version.substr(dot + 1)))
            minor = static_cast<int>(*value);

    const bool same_major = instrument.major == major;
    if (op == "<")
        return instrument.major < major || (same_major && instrument.minor < minor);
    if (op == ">")
        return instrument.major > major || (same_major && instrument.minor > minor);
    if (op == "<=")
        return instrument.major < major || (same_major && instrument.minor <= minor);
    if (op == ">=")
        return instrument.major > major || (same_major && instrument.minor >= minor);
    return true;
}

void parse_if(ParseContext& context, const Fields& fields)
{
    if (fields[1] != "ver")
        return;
    require(fields, 4, "#if");
    context.skip = !context.version.known() || !version_applies(context.version, fields[2], fields[3]);
}

void parse_parameter(ParseContext& context, const Fields& fields)
{
    require(fields, 5, "parameter");
    DescParameter descriptor;
    descriptor.name = std::string(fields[1]);
    if (!descriptor.name.empty() && descriptor.name.front() == '@')
        descriptor.name.erase(0, 1);
    descriptor.register_count = static_cast<std::uint8_t>(c_atol(fields[2]));
    if (const auto* type = context.lists.find_type(fields[3]))
        descriptor.type_text = type->items;
    else
        descriptor.type_text = std::string(fields[3]);
    descriptor.caption = std::string(fields[4]);

    if (fields.size() > 5) {
        if (equals_no_case(fields[5], "noattr")) {
            descriptor.attribute_mode = 0;
        } else if (fields.size() > 6) {
            descriptor.attribute_count = static_cast<int>(c_atol(fields[6]));
            std::string word(fields[5]);
            if (word.ends_with('+')) {
                descriptor.table_mark = 1;
                word.pop_back();
            } else if (word.ends_with('*')) {
                descriptor.table_mark = 2;
                word.pop_back();
            }
            for (int table = 1; table <= 5; ++table)
                if (equals_no_case(word, "table" + std::to_string(table)))
                    descriptor.attribute_table = table;
        }
    }
    context.lists.add_parameter(std::move(descriptor));
}

int undefined_parameter(ParseContext& context, std::string_view name)
{
    std::string text(texts::parameter_undefined_1);
    text += name;
    text += texts::parameter_undefined_2;
    context.shell.message(text, std::string(texts::descriptor_error), Icon::warning, Owner::main_window);
    return 0;
}

int parse_rule(ParseContext& context, const Fields& fields)
{
    require(fields, 4, "rule");
    auto* descriptor = context.lists.find_parameter(fields[1]);
    if (!descriptor)
        return undefined_parameter(context, fields[1]);
    descriptor->min = parse_double_prefix(fields[2]).value;
    descriptor->max = parse_double_prefix(fields[3]).value;
    return 1;
}

int parse_init(ParseContext& context, const Fields& fields)
{
    require(fields, 3, "init");
    auto* descriptor = context.lists.find_parameter(fields[1]);
    if (!descriptor)
        return undefined_parameter(context, fields[1]);
    descriptor->init_text = underscores_to_blanks(fields[2]);
    return 1;
}

int parse_const(ParseContext& context, const Fields& fields)
{
    require(fields, 3, "const");
    if (context.lists.find_constant(fields[1])) {
        std::string text(texts::constant_defined_1);
        text += fields[1];
        text += texts::constant_defined_2;
        stop_message(context.shell, std::move(text), Owner::main_window);
        return 0;
    }
    context.lists.add_constant({std::string(fields[1]), c_atof(fields[2])});
    return 1;
}

void parse_type(ParseContext& context, const Fields& fields)
{
    DescType type{std::string(fields[1]), {}};
    for (std::size_t i = 2; i < fields.size(); ++i) {
        if (i > 2)
            type.items += ':';
        type.items += underscores_to_blanks(fields[i]);
    }
    context.lists.add_type(std::move(type));
}

std::size_t node_count(const DescBranch& branch)
{
    std::size_t n = 1 + branch.descriptors.size();
    for (const auto& child : branch.children)
        n += node_count(*child);
    return n;
}

void charge(ParseContext& context, std::size_t nodes)
{
    context.lists.copied_nodes += nodes;
    if (context.lists.copied_nodes > max_copied_nodes)
        throw DescriptionSyntaxError("description too large");
}

// Locates `target` in `tree` as a path of child positions.
bool path_to(const DescBranch& tree, const DescBranch* target, std::vector<std::size_t>& path)
{
    if (&tree == target)
        return true;
    for (std::size_t i = 0; i < tree.children.size(); ++i) {
        path.push_back(i);
        if (path_to(*tree.children[i], target, path))
            return true;
        path.pop_back();
    }
    return false;
}

// The network branch follows every copy of a branch that holds it, so that it always names the
// branch of the tree being built and never a template that is deleted after the load.
void follow_network_branch(DescriptionLists& lists, const DescBranch& source, DescBranch& copy)
{
    std::vector<std::size_t> path;
    if (!lists.network || !path_to(source, lists.network, path))
        return;
    DescBranch* node = &copy;
    for (const auto i : path)
        node = node->children[i].get();
    lists.network = node;
}

enum class BranchKind { branch, root, scanners };

int parse_branch(ParseContext& context, const Fields& fields, BranchKind kind)
{
    require(fields, 5, "branch");
    auto& lists = context.lists;
    long count = c_atol(fields[2]);
    if (count == 0)
        if (const auto* constant = lists.find_constant(fields[2])) {
            // A constant is any double, infinities and NaN included; only a value within the
            // instance limit is converted (truncated), a larger one is refused below as such.
            const double value = constant->value;
            if (value >= static_cast<double>(max_instances + 1))
                count = max_instances + 1;
            else if (value > 0.0)
                count = static_cast<long>(value);
        }
    if (count <= 0)
        return 1;
    if (count > max_instances)
        throw DescriptionSyntaxError("too many instances");

    const int icon = static_cast<int>(c_atol(fields[3]));
    const int selected_icon = static_cast<int>(c_atol(fields[4]));
    for (long instance = 1; instance <= count; ++instance) {
        auto branch = std::make_unique<DescBranch>(std::string(fields[1]), static_cast<int>(count),
                                                   static_cast<int>(instance), icon, selected_icon);
        for (std::size_t i = 5; i < fields.size(); ++i) {
            bool matched = false;
            lists.for_each_parameter_named(fields[i], [&](std::size_t index) {
                matched = true;
                charge(context, 1);
                branch->add_parameter_descriptor(lists.parameters()[index]);
            });
            lists.for_each_branch_named(fields[i], [&](std::size_t index) {
                matched = true;
                const auto& source = *lists.branches()[index];
                charge(context, node_count(source));
                auto copy = std::make_unique<DescBranch>(source);
                follow_network_branch(lists, source, *copy);
                branch->add_child(std::move(copy));
            });
            if (!matched) {
                std::string text(texts::unknown_child_1);
                text += fields[i];
                text += texts::unknown_child_2;
                stop_message(context.shell, std::move(text), Owner::main_window);
                return 0;
            }
        }
        auto& added = lists.add_branch(std::move(branch));
        if (kind == BranchKind::branch &&
            (added.name == texts::network_branch_ru || added.name == texts::network_branch_en))
            lists.network = &added;
        else if (kind == BranchKind::root)
            lists.root = &added;
        else if (kind == BranchKind::scanners)
            lists.scanners = &added;
    }
    return 1;
}

int unknown_command(ParseContext& context, std::string_view keyword)
{
    std::string text(texts::unknown_command);
    text += keyword;
    text += "'";
    stop_message(context.shell, std::move(text), Owner::none);
    return 0;
}

} // namespace

int parse_description_line(ParseContext& context, std::string_view line)
{
    auto& fields = context.fields;
    split_fields(line, fields);
    if (fields.empty())
        return 1;
    const auto keyword = fields[0];
    if (keyword == ";" || keyword == "'")
        return 1;
    // Keywords are ASCII, so a folded copy of a short first field is enough to dispatch on.
    const std::string word = keyword.size() <= 9 ? fold_case(keyword) : std::string();
    if (word == "#endif") {
        context.skip = false;
        return 1;
    }
    if (word == "#else") {
        context.skip = !context.skip;
        return 1;
    }
    if (context.skip || fields.size() < 2)
        return 1;

    if (word == "#if") {
        parse_if(context, fields);
        return 1;
    }
    if (word == "parameter") {
        parse_parameter(context, fields);
        return 1;
    }
    if (word == "rule")
        return parse_rule(context, fields);
    if (word == "init")
        return parse_init(context, fields);
    if (word == "const")
        return parse_const(context, fields);
    if (word == "type") {
        parse_type(context, fields);
        return 1;
    }
    if (word == "branch")
        return parse_branch(context, fields, BranchKind::branch);
    if (word == "root")
        return parse_branch(context, fields, BranchKind::root);
    if (word == "scanners")
        return parse_branch(context, fields, BranchKind::scanners);
    return unknown_command(context, keyword);
}

} // namespace zr740
