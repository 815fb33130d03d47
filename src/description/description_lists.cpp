#include "description/description_lists.h"

#include "model/text.h"

namespace zr740 {
namespace {
const std::vector<std::size_t> none;
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
    const auto it = parameter_index_.find(fold_case(name));
    if (it == parameter_index_.end())
        return nullptr;
    auto& slot = parameters_[it->second.front()];
    if (slot.use_count() > 1)
        slot = std::make_shared<DescParameter>(*slot);
    // The list holds the only reference now, so changing it is invisible to every branch.
    return slot.get();
}

const std::vector<std::size_t>& DescriptionLists::parameters_named(std::string_view name) const
{
    const auto it = parameter_index_.find(fold_case(name));
    return it == parameter_index_.end() ? none : it->second;
}

const std::vector<std::size_t>& DescriptionLists::branches_named(std::string_view name) const
{
    const auto it = branch_index_.find(fold_case(name));
    return it == branch_index_.end() ? none : it->second;
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
    parameter_index_[fold_case(parameter.name)].push_back(parameters_.size());
    parameters_.push_back(std::make_shared<DescParameter>(std::move(parameter)));
}

DescBranch& DescriptionLists::add_branch(std::unique_ptr<DescBranch> branch)
{
    branch_index_[fold_case(branch->name)].push_back(branches_.size());
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
    branch_index_.clear();
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
    parameter_index_.clear();
    copied_nodes = 0;
}

} // namespace zr740
