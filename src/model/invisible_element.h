#pragma once
// A named element that owns parameters but is no branch of the description: the program's service
// parameters and network settings.

#include "model/object_with_parameters.h"

#include <array>
#include <string>

namespace zr740 {

class InvisibleElement : public ObjectWithParameters {
public:
    InvisibleElement();
    explicit InvisibleElement(std::string element_name, std::string element_type_name = {});
    InvisibleElement(const InvisibleElement&) = default;

    const RuntimeClass& runtime_class() const override;

    virtual int icon_index() const { return icon; }
    virtual int selected_icon_index() const { return selected_icon; }

    std::string name;
    std::array<int, 4> record{0, 0, 0, 0};
    int icon = 0;
    int selected_icon = 0;
    std::string type_name;
    int marker = -999;
    std::string type_label; // built from the type name

};

} // namespace zr740
