#pragma once
// A branch of the parameter tree as the description declares it. The parser makes templates; the
// root and scanners branches are deep copies that are then built into live parameters.

#include "model/desc_records.h"
#include "model/invisible_element.h"

#include <array>
#include <memory>
#include <vector>

namespace zr740 {

// Parameters named "POUt" are entered here at their linear index (indices 0 to 7).
using PoutTable = std::array<Parameter*, 8>;

class DescBranch : public InvisibleElement {
public:
    enum class ChildKind : std::uint8_t { parameter = 0, branch = 1 };

    DescBranch(std::string branch_name, int count, int number, int icon_index, int selected_icon_index);
    // Deep copy: descriptors, children and their parameters.
    DescBranch(const DescBranch& other);
    DescBranch& operator=(const DescBranch&) = delete;

    const RuntimeClass& runtime_class() const override;
    void reset_values() override;
    int icon_index() const override { return icon; }
    int selected_icon_index() const override { return selected_icon; }

    // Creates the live parameters of this branch and its children from their descriptors and
    // interprets the name markers ("*d", "+d", "#"). `forced`: an ancestor has several instances;
    // `base`: the linear index handed down by the parent. Returns the branch's index multiplicity,
    // or -1 when a linear index of this branch or below does not fit an int (the tree is complete
    // all the same, with such indices held at the int limits).
    int build(PoutTable& pout, bool forced, int base);

    void add_parameter_descriptor(std::shared_ptr<const DescParameter> descriptor);
    void add_child(std::unique_ptr<DescBranch> child);

    // The first parameter of the name (no case) in this branch or below it, in traversal order.
    Parameter* find_in_tree(std::string_view parameter_name);

    // Visits this branch and every branch below it, depth first, parents before children.
    template <typename F> void for_each_branch(F&& visit)
    {
        visit(*this);
        for (auto& child : children)
            child->for_each_branch(visit);
    }
    // Every parameter of this branch and below, in the order of the traversal above.
    template <typename F> void for_each_parameter(F&& visit)
    {
        for_each_branch([&](DescBranch& branch) {
            for (auto& parameter : branch.parameters)
                visit(*parameter);
        });
    }

    int instance_count = 1;
    int instance_number = 1;
    // Shared with the parser's list and with other copies; never changed once shared.
    std::vector<std::shared_ptr<const DescParameter>> descriptors;
    std::vector<std::unique_ptr<DescBranch>> children;
    std::vector<ChildKind> order; // one entry per child line item, in the order of the line
};

} // namespace zr740
