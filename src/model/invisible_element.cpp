#include "model/invisible_element.h"

#include "model/model_texts.h"

namespace zr740 {

InvisibleElement::InvisibleElement() : type_name(texts::invisible_type), type_label(type_name) {}

InvisibleElement::InvisibleElement(std::string element_name, std::string element_type_name)
    : name(std::move(element_name)),
      type_name(element_type_name.empty() ? std::string(texts::invisible_type) : std::move(element_type_name)),
      type_label(type_name)
{
}

const RuntimeClass& InvisibleElement::runtime_class() const
{
    // Every element kind is written under this one class in configuration files.
    static constexpr RuntimeClass cls{"InvisibleElement", 3};
    return cls;
}

} // namespace zr740
