#include "model/parameter.h"

#include "model/model_texts.h"
#include "model/text.h"

#include <array>

namespace zr740 {

Parameter::Parameter() : caption(texts::unknown_parameter) { reset(); }

Parameter::Parameter(std::string parameter_name)
    : MyConverter(std::move(parameter_name)), caption(texts::unknown_parameter)
{
    reset();
}

Parameter::Parameter(std::uint16_t number, std::uint8_t count, std::uint8_t function)
    : MyConverter(number, count, function), caption(texts::unknown_parameter)
{
    reset();
}

const RuntimeClass& Parameter::runtime_class() const
{
    static constexpr RuntimeClass cls{"Parameter", 1};
    return cls;
}

void Parameter::reset()
{
    exchangeable = 1;
    indexed = 0;
    linear_index = 0;
    scanner_channel = 0;
    clear_changed();
    value_text = texts::no_data;
    status_text.clear();
    attribute_mode = 0;
    editable = 1;
    factory_owned = 0;
}

int Parameter::icon_index() const
{
    if (!exchangeable)
        return 30;
    static constexpr std::array<std::string_view, 8> plain = {"float",   "stored_dot", "int",  "int16",
                                                              "CLK_frm", "string",     "ASCI", "name"};
    for (auto type : plain)
        if (equals_no_case(type_text, type))
            return 28;
    return 27;
}

std::uint32_t Parameter::row_colour() const
{
    if (!status_text.empty())
        return status_text.starts_with("Знач-е в приборе:") ? 0xFF4040u : 0x0000FFu;
    return any_changed() ? 0x00C800u : 0u;
}

} // namespace zr740
