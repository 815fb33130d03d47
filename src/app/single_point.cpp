#include "app/single_point.h"

#include "description/description_lists.h"
#include "link/device_io.h"
#include "model/c_numbers.h"
#include "model/desc_records.h"
#include "model/text.h"
#include "model/value_types.h"
#include "platform/shell.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace zr740 {
namespace {

// The texts of the single-parameter exchange, kept together so that a translation can be added later.
namespace single_point_texts {
inline constexpr std::string_view not_described_1 = "Параметер '";
inline constexpr std::string_view not_described_2 = "' не описан!";
inline constexpr std::string_view app_caption = "ЗР740";
inline constexpr std::string_view error_heading = "Имеет место ошибка:";
inline constexpr std::string_view written_1 = "Нет ошибок; записано. Обратно вернулось='";
inline constexpr std::string_view written_2 = "'";
inline constexpr std::string_view read_heading = "Нет ошибок; строковая нотация ответа:";
inline constexpr std::string_view undefined_type = "<тип неопределен>";
inline constexpr std::string_view hidden_item = "<hide>";
} // namespace single_point_texts

// Base types that may carry a number after ":" (digits after the point for the stored-dot writes).
constexpr std::array<std::string_view, 5> numeric_types = {"int", "int16", "CLK_frm", "stored_dot", "float"};

// Types whose value is typed in rather than picked from a list.
constexpr std::array<std::string_view, 9> typed_in_types = {
    "string", "ASCI", "int", "int16", "CLK_frm", "float", "stored_dot", "name", single_point_texts::undefined_type};

template <std::size_t N> bool is_one_of(std::string_view text, const std::array<std::string_view, N>& names)
{
    // The description writes type names in any case ("STORED_DOT:2"), as the value conversions accept.
    return std::any_of(names.begin(), names.end(), [&](std::string_view name) { return equals_no_case(text, name); });
}

} // namespace

const DescParameter* find_described_parameter(const DescriptionLists& lists, std::string_view name)
{
    auto first_named = [&](std::string_view wanted) {
        const DescParameter* found = nullptr;
        lists.for_each_parameter_named(wanted, [&](std::size_t index) {
            if (!found)
                found = lists.parameters()[index].get();
        });
        return found;
    };
    if (const DescParameter* found = first_named(name))
        return found;
    // The "!" only says that the tree leaves the register out of its exchanges; the register is
    // the same with or without it, and a name typed either way means it.
    if (name.starts_with('!'))
        return first_named(name.substr(1));
    return first_named("!" + std::string(name));
}

std::string single_point_type_text(std::string_view type_text)
{
    const auto colon = type_text.find(':');
    if (colon == std::string_view::npos)
        return std::string(type_text);
    const auto base = type_text.substr(0, colon);
    if (!base.empty() && is_one_of(base, numeric_types) && scan_c_integer(type_text.substr(colon + 1)))
        return std::string(base);
    return std::string(type_text);
}

Parameter single_point_parameter(const DescParameter& descriptor)
{
    Parameter parameter(descriptor.name);
    parameter.type_text = single_point_type_text(descriptor.type_text);
    parameter.register_count = descriptor.register_count;
    parameter.caption = descriptor.caption;
    std::replace(parameter.caption.begin(), parameter.caption.end(), '_', ' ');
    parameter.min = descriptor.min;
    parameter.max = descriptor.max;
    return parameter;
}

std::vector<std::string> single_point_exchange(const DescriptionLists& lists, DeviceIO& link, Shell& shell,
                                               std::string_view name, SinglePointOperation operation,
                                               const std::string& value)
{
    namespace texts = single_point_texts;
    const DescParameter* descriptor = find_described_parameter(lists, name);
    if (!descriptor) {
        shell.message(std::string(texts::not_described_1) + std::string(name) + std::string(texts::not_described_2),
                      std::string(texts::app_caption), Icon::stop, Owner::main_window);
        return {};
    }
    Parameter parameter = single_point_parameter(*descriptor);
    std::vector<std::string> lines;
    lines.push_back(parameter.name + " (" + parameter.caption + ")");

    const bool write = operation == SinglePointOperation::write;
    if (write)
        parameter.set_value_text(value);
    if (link.read_registers(parameter, write) != 0) {
        lines.push_back(parameter.status_text);
    } else if (!parameter.status_text.empty()) {
        lines.emplace_back(texts::error_heading);
        lines.push_back(parameter.status_text);
    } else if (write) {
        lines.push_back(std::string(texts::written_1) + parameter.value_text + std::string(texts::written_2));
    } else {
        lines.emplace_back(texts::read_heading);
        lines.push_back(parameter.value_text);
    }
    return lines;
}

std::vector<std::string> single_point_names(const DescriptionLists& lists)
{
    std::vector<std::string> names;
    names.reserve(lists.parameters().size());
    for (const auto& descriptor : lists.parameters())
        names.push_back(descriptor->name);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::string single_point_description(const DescriptionLists& lists, std::string_view name)
{
    const DescParameter* descriptor = find_described_parameter(lists, name);
    return descriptor ? single_point_parameter(*descriptor).caption : std::string();
}

std::string single_point_identifier(std::string_view name)
{
    std::array<char, 24> text{};
    if (name.starts_with('!'))
        name.remove_prefix(1);
    std::snprintf(text.data(), text.size(), "0x%lX", c_strtoul16(name));
    return text.data();
}

std::vector<std::string> single_point_items(std::string_view type_text)
{
    const std::string type = single_point_type_text(type_text);
    if (is_one_of(type, typed_in_types))
        return {};
    std::vector<std::string> items = type_items(type);
    std::erase_if(
        items, [](const std::string& item) { return item.find(single_point_texts::hidden_item) != std::string::npos; });
    return items;
}

} // namespace zr740
