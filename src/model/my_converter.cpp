#include "model/my_converter.h"

#include "model/model_texts.h"

#include <cstdio>

namespace zr740 {

MyConverter::MyConverter() : type_text(texts::unknown_type) {}

MyConverter::MyConverter(std::string parameter_name)
    : name(std::move(parameter_name)), type_text(texts::unknown_type)
{
}

MyConverter::MyConverter(std::uint16_t number, std::uint8_t count, std::uint8_t function)
    : register_number(number), register_count(count), function_code(function), type_text(texts::unknown_type)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%04X", static_cast<unsigned>(number));
    name = buffer;
}

const RuntimeClass& MyConverter::runtime_class() const
{
    static constexpr RuntimeClass cls{"MyConverter", 3};
    return cls;
}

int MyConverter::set_value_text(const std::string& text)
{
    value_text = text;
    return 1;
}

} // namespace zr740
