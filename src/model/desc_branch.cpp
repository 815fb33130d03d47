#include "model/desc_branch.h"

#include "model/text.h"
#include "model/value_types.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace zr740 {
namespace {

// Linear indices are ints (they go into configuration files as 16-bit keys and are shown in the
// tree). They grow by products down the tree, so a hostile description can push them far beyond.
struct IndexArithmetic {
    bool overflow = false;

    int bounded(std::int64_t value)
    {
        constexpr std::int64_t low = std::numeric_limits<int>::min();
        constexpr std::int64_t high = std::numeric_limits<int>::max();
        if (value < low || value > high) {
            overflow = true;
            return static_cast<int>(std::clamp(value, low, high));
        }
        return static_cast<int>(value);
    }
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A name ending in the marker character followed by one digit: returns the digit and cuts both.
std::optional<int> take_marker(std::string& name, char marker)
{
    if (name.size() < 2 || name[name.size() - 2] != marker || !is_digit(name.back()))
        return std::nullopt;
    const int digit = name.back() - '0';
    name.resize(name.size() - 2);
    return digit;
}

} // namespace

DescBranch::DescBranch(std::string branch_name, int count, int number, int icon_index, int selected_icon_index)
    : InvisibleElement(std::move(branch_name)), instance_count(count), instance_number(number)
{
    icon = icon_index;
    selected_icon = selected_icon_index;
}

DescBranch::DescBranch(const DescBranch& other)
    : InvisibleElement(other),
      instance_count(other.instance_count),
      instance_number(other.instance_number),
      descriptors(other.descriptors),
      order(other.order)
{
    children.reserve(other.children.size());
    for (const auto& child : other.children)
        children.push_back(std::make_unique<DescBranch>(*child));
}

const RuntimeClass& DescBranch::runtime_class() const
{
    static constexpr RuntimeClass cls{"DescBranch", 3};
    return cls;
}

void DescBranch::reset_values()
{
    ObjectWithParameters::reset_values();
    for (auto& child : children)
        child->reset_values();
}

void DescBranch::add_parameter_descriptor(std::shared_ptr<const DescParameter> descriptor)
{
    descriptors.push_back(std::move(descriptor));
    order.push_back(ChildKind::parameter);
}

void DescBranch::add_child(std::unique_ptr<DescBranch> child)
{
    children.push_back(std::move(child));
    order.push_back(ChildKind::branch);
}

int DescBranch::build(PoutTable& pout, bool forced, int base)
{
    // Every term is an int and every factor a single digit or an instance count, so each step
    // fits in 64 bits before it is brought back into the int range.
    IndexArithmetic index;
    int h = index.bounded(std::int64_t{instance_count} * base + instance_number - 1);
    if (const auto factor = take_marker(name, '*'))
        h = index.bounded(std::int64_t{h} * *factor);
    if (const auto offset = take_marker(name, '+')) {
        h = index.bounded(std::int64_t{h} + *offset);
        if (name != "K20")
            instance_number = index.bounded(std::int64_t{instance_number} + *offset);
    }
    if (instance_count > 1) {
        if (name.find('#') == std::string::npos) {
            if (name == "Состояние_дополнительного_ВЭ")
                instance_number = index.bounded(std::int64_t{instance_number} + 8);
            name += '#';
        }
        name = replace_all(name, "#", " " + std::to_string(instance_number));
    }

    int c = 1;
    for (auto& child : children) {
        const int multiplicity = child->build(pout, forced || instance_count > 1, h);
        if (multiplicity < 0)
            index.overflow = true;
        else
            c = std::max(c, multiplicity);
    }

    std::replace(name.begin(), name.end(), '_', ' ');

    const bool indexed_here = forced || instance_count > 1;
    parameters.reserve(parameters.size() + descriptors.size());
    for (const auto& shared : descriptors) {
        const DescParameter& descriptor = *shared;
        auto parameter = std::make_unique<Parameter>(descriptor.name);
        parameter->caption = descriptor.caption;
        std::replace(parameter->caption.begin(), parameter->caption.end(), '_', ' ');
        parameter->type_text = descriptor.type_text;
        split_decimals(parameter->type_text, parameter->decimals);
        parameter->min = descriptor.min;
        parameter->max = descriptor.max;
        parameter->attribute_mode = descriptor.attribute_mode;
        parameter->init_text = descriptor.init_text;
        if (!parameter->name.empty() && parameter->name.front() == '!') {
            parameter->name.erase(0, 1);
            parameter->exchangeable = 0;
        }
        parameter->register_count = descriptor.register_count;
        if (indexed_here) {
            parameter->indexed = 1;
            parameter->linear_index = index.bounded(std::int64_t{c} * h);
        }
        parameter->table_mark = descriptor.table_mark;
        // The POUt table has eight entries; a parameter beyond them simply is not entered.
        if (parameter->name.size() == 4 && equals_no_case(parameter->name, "POUt") && parameter->linear_index >= 0 &&
            parameter->linear_index < static_cast<int>(pout.size())) {
            pout[static_cast<std::size_t>(parameter->linear_index)] = parameter.get();
            parameter->pout_entry = &pout[static_cast<std::size_t>(parameter->linear_index)];
        }
        parameters.push_back(std::move(parameter));
    }

    if (children.empty() && parameters.size() == 1)
        parameters.front()->caption = name;

    const int multiplicity = index.bounded(std::int64_t{c} * instance_count);
    return index.overflow ? -1 : multiplicity;
}

Parameter* DescBranch::find_in_tree(std::string_view parameter_name)
{
    if (Parameter* own = find(parameter_name))
        return own;
    for (auto& child : children)
        if (Parameter* found = child->find_in_tree(parameter_name))
            return found;
    return nullptr;
}

} // namespace zr740
