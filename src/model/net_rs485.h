#pragma once
// The instrument's network parameters: baud rate, data bits, parity, stop bits and address, as the
// registers 0x0007-0x000C hold them. The program's own link settings derive from this element.

#include "model/invisible_element.h"

#include <string>

namespace zr740 {

class NetRS485 : public InvisibleElement {
public:
    NetRS485();
    NetRS485(const NetRS485&) = default;

    // Deletes the parameters and creates the five network parameters, each with its initial text
    // and "Нет данных" as its value.
    void rebuild_parameters() override;

    static constexpr int fixed_icon = 4;

    int extra = 1; // kept with the element's state; nothing in the program reads it

protected:
    // For the program's settings element, which differs in name and icon only.
    NetRS485(std::string element_name, int icon_index);
};

} // namespace zr740
