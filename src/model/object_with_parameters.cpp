#include "model/object_with_parameters.h"

#include "model/model_texts.h"
#include "model/text.h"
#include "platform/shell.h"

namespace zr740 {

ObjectWithParameters::ObjectWithParameters(const ObjectWithParameters& other)
    : shown_count(other.shown_count), linear_index(other.linear_index)
{
    parameters.reserve(other.parameters.size());
    for (const auto& parameter : other.parameters) {
        auto copy = std::make_unique<Parameter>(*parameter);
        // A copy belongs to no table of the original.
        copy->pout_entry = nullptr;
        parameters.push_back(std::move(copy));
    }
}

const RuntimeClass& ObjectWithParameters::runtime_class() const
{
    static constexpr RuntimeClass cls{"ObjectWithParameters", 1};
    return cls;
}

void ObjectWithParameters::rebuild_parameters() { parameters.clear(); }

std::string ObjectWithParameters::value_by_name(std::string_view parameter_name) const
{
    if (const auto* parameter = find(parameter_name))
        return parameter->value_text;
    return std::string(texts::no_data);
}

int ObjectWithParameters::set_value_by_name(std::string_view parameter_name, const std::string& text)
{
    auto* parameter = find(parameter_name);
    if (!parameter)
        return 0;
    if (!equals_no_case(parameter->value_text, text))
        parameter->value_changed = 1;
    parameter->value_text = text;
    return 1;
}

int ObjectWithParameters::linear_index_check(Shell& shell)
{
    for (const auto& parameter : parameters) {
        if (!parameter->indexed)
            continue;
        if (linear_index == -1) {
            linear_index = parameter->linear_index;
            continue;
        }
        if (parameter->linear_index != linear_index) {
            std::string text(texts::suspicious_index_1);
            text += parameter->name;
            text += texts::suspicious_index_2;
            text += parameter->caption;
            text += texts::suspicious_index_3;
            shell.message(text, std::string(texts::warning_caption), Icon::warning, Owner::main_window);
        }
    }
    return linear_index;
}

void ObjectWithParameters::set_linear_index(int index)
{
    linear_index = index;
    for (auto& parameter : parameters)
        if (parameter->indexed)
            parameter->linear_index = index;
}

int ObjectWithParameters::has_changes() const
{
    for (const auto& parameter : parameters)
        if (parameter->any_changed())
            return 2;
    return 0;
}

void ObjectWithParameters::reset_values()
{
    for (auto& parameter : parameters)
        parameter->value_text = texts::no_data;
}

Parameter* ObjectWithParameters::find(std::string_view parameter_name) const
{
    for (const auto& parameter : parameters)
        if (equals_no_case(parameter->name, parameter_name))
            return parameter.get();
    return nullptr;
}

void ObjectWithParameters::clear_changed()
{
    for (auto& parameter : parameters)
        parameter->clear_changed();
}

Parameter& ObjectWithParameters::append(std::unique_ptr<Parameter> parameter)
{
    parameters.push_back(std::move(parameter));
    return *parameters.back();
}

} // namespace zr740
