#include "description/description_lists.h"

#include "model/text.h"

namespace zr740 {

void NameIndex::add(std::string_view name, std::size_t index)
{
    if (next_.size() <= index)
        next_.resize(index + 1, none);
    const auto [it, inserted] = chains_.try_emplace(fold_case(name), Chain{index, index});
    if (!inserted) {
        next_[it->second.last] = index;
        it->second.last = index;
    }
}

std::size_t NameIndex::first(std::string_view name) const
{
    const auto it = chains_.find(fold_case(name));
    return it == chains_.end() ? none : it->second.first;
}

void NameIndex::clear()
{
    chains_.clear();
    next_.clear();
}

const DescConst* DescriptionLists::find_constant(std::string_view name) const
{
    const auto it = constant_index_.find(fold_case(name));
    return it == constant_index_.end() ? nullptr : &constants_[it->second];
}

const DescType* DescriptionLists::find_type(std::string_view name) const
{
    const auto it = type_index_.find(fold_case(name));
    return it == type_index_.end() ? nullptr : &types_[it->second];
}

DescParameter* DescriptionLists::find_parameter(std::string_view name)
{
    std::size_t index = NameIndex::none;
    parameter_names_.for_each(name, [&](std::size_t i) {
        if (index == NameIndex::none)
            index = i;
    });
    if (index == NameIndex::none)
        return nullptr;
    auto& slot = parameters_[index];
    if (slot.use_count() > 1)
        slot = std::make_shared<DescParameter>(*slot);
    // The list holds the only reference now, so changing it is invisible to every branch.
    return slot.get();
}

void DescriptionLists::add_constant(DescConst constant)
{
    constant_index_.emplace(fold_case(constant.name), constants_.size()); // first one wins
    constants_.push_back(std::move(constant));
}

void DescriptionLists::add_type(DescType type)
{
    type_index_[fold_case(type.name)] = types_.size(); // last one wins
    types_.push_back(std::move(type));
}

void DescriptionLists::add_parameter(DescParameter parameter)
{
    parameter_names_.add(parameter.name, parameters_.size());
    parameters_.push_back(std::make_shared<DescParameter>(std::move(parameter)));
}

DescBranch& DescriptionLists::add_branch(std::unique_ptr<DescBranch> branch)
{
    branch_names_.add(branch->name, branches_.size());
    branches_.push_back(std::move(branch));
    return *branches_.back();
}

DescriptionLists::Survivors DescriptionLists::release_templates()
{
    Survivors survivors;
    for (auto& branch : branches_) {
        if (branch.get() == root)
            survivors.root = std::move(branch);
        else if (branch.get() == scanners)
            survivors.scanners = std::move(branch);
    }
    // The network branch lives on only when it is part of a surviving tree.
    bool network_survives = false;
    for (auto* tree : {survivors.root.get(), survivors.scanners.get()}) {
        if (tree && network)
            tree->for_each_branch([&](DescBranch& branch) { network_survives |= (&branch == network); });
    }
    if (!network_survives)
        network = nullptr;
    branches_.clear();
    branch_names_.clear();
    constants_.clear();
    constant_index_.clear();
    types_.clear();
    type_index_.clear();
    root = survivors.root.get();
    scanners = survivors.scanners.get();
    return survivors;
}

void DescriptionLists::clear()
{
    release_templates();
    root = scanners = network = nullptr;
    parameters_.clear();
    parameter_names_.clear();
    copied_nodes = 0;
}

} // namespace zr740
