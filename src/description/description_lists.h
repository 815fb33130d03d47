#pragma once
// What the description parser fills in: constants, types, parameter descriptors and branch
// templates, plus the root, scanners and network branches. Owned by the document.

#include "model/desc_branch.h"
#include "model/desc_records.h"
#include "model/instrument_version.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zr740 {

// Case-insensitive name -> every index declared under it, in order. The indices of one name are
// chained through one array instead of a vector per name, which keeps large descriptions cheap.
class NameIndex {
public:
    static constexpr std::size_t none = static_cast<std::size_t>(-1);

    void add(std::string_view name, std::size_t index);
    template <typename F> void for_each(std::string_view name, F&& visit) const
    {
        for (auto i = first(name); i != none; i = next_[i])
            visit(i);
    }
    void clear();

private:
    struct Chain {
        std::size_t first;
        std::size_t last;
    };
    std::size_t first(std::string_view name) const;

    std::unordered_map<std::string, Chain> chains_;
    std::vector<std::size_t> next_;
};

class DescriptionLists {
public:
    const DescConst* find_constant(std::string_view name) const;
    // The last type of that name, as later declarations shadow earlier ones.
    const DescType* find_type(std::string_view name) const;
    // The first descriptor of that name, ready to be changed: a descriptor that branches already
    // share is replaced by a private copy first, so that the branches keep what they copied.
    DescParameter* find_parameter(std::string_view name);
    // Indices of every descriptor / branch template of that name, in declaration order.
    template <typename F> void for_each_parameter_named(std::string_view name, F&& visit) const
    {
        parameter_names_.for_each(name, visit);
    }
    template <typename F> void for_each_branch_named(std::string_view name, F&& visit) const
    {
        branch_names_.for_each(name, visit);
    }

    void add_constant(DescConst constant);
    void add_type(DescType type);
    void add_parameter(DescParameter parameter);
    DescBranch& add_branch(std::unique_ptr<DescBranch> branch);

    // Empties the constant, type and branch lists; the root and scanners templates are handed over
    // to the caller, the others deleted. The parameter descriptors stay.
    struct Survivors {
        std::unique_ptr<DescBranch> root;
        std::unique_ptr<DescBranch> scanners;
    };
    Survivors release_templates();
    // Empties everything, descriptors included (before a new load).
    void clear();

    const std::vector<std::shared_ptr<DescParameter>>& parameters() const { return parameters_; }
    const std::vector<DescConst>& constants() const { return constants_; }
    const std::vector<DescType>& types() const { return types_; }
    const std::vector<std::unique_ptr<DescBranch>>& branches() const { return branches_; }

    DescBranch* root = nullptr;
    DescBranch* scanners = nullptr;
    DescBranch* network = nullptr;
    // Parameters and branches copied into branches during this load; bounds the work a hostile
    // description can cause by nesting multi-instance branches.
    std::size_t copied_nodes = 0;

private:
    std::vector<DescConst> constants_;
    std::vector<DescType> types_;
    std::vector<std::shared_ptr<DescParameter>> parameters_;
    std::vector<std::unique_ptr<DescBranch>> branches_;
    // Keys are case-folded names.
    std::unordered_map<std::string, std::size_t> constant_index_;
    std::unordered_map<std::string, std::size_t> type_index_;
    NameIndex parameter_names_;
    NameIndex branch_names_;
};

} // namespace zr740
