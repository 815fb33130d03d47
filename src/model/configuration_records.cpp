#include "model/configuration_records.h"

#include "model/c_numbers.h"
#include "model/model_texts.h"
#include "model/net_rs485prg.h"
#include "model/text.h"

#include <array>
#include <climits>
#include <unordered_map>

namespace zr740 {
namespace {

// Positions in record_classes().
enum ClassSlot : std::size_t { branch_slot, converter_slot, parameter_slot, element_slot };

// A scanner channel of 255 is no channel but a transient mark: the next transaction becomes a
// broadcast write to every instrument on the line. The program sets it for one transaction only;
// a file must not be able to arm it, so it is read as "no channel".
constexpr int broadcast_channel = 255;

constexpr std::uint16_t not_indexed = 0xFFFF;

bool is_c_space(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The name read as a hexadecimal number, cut to 16 bits. The files were written where unsigned long
// is 32 bits wide: a number past that saturated to 0xFFFFFFFF there, where a 64-bit conversion keeps
// its low bits instead. Negated numbers wrap alike in both widths as long as they fit.
std::uint16_t name_key(std::string_view name)
{
    const unsigned long value = c_strtoul16(name);
    if constexpr (sizeof(unsigned long) > 4) {
        std::size_t pos = 0;
        while (pos < name.size() && is_c_space(name[pos]))
            ++pos;
        const bool negative = pos < name.size() && name[pos] == '-';
        constexpr unsigned long max32 = 0xFFFFFFFFul;
        const bool fits = negative ? (value == 0 || value > ULONG_MAX - max32) : value <= max32;
        if (!fits)
            return 0xFFFF;
    }
    return static_cast<std::uint16_t>(value);
}

void write_text(ArchiveWriter& archive, const std::string& utf8)
{
    archive.write_string(utf8_to_cp1251(utf8));
}

std::string read_text(ArchiveReader& archive)
{
    return cp1251_to_utf8(archive.read_string());
}

struct RecordSchemas {
    std::uint16_t converter;
    std::uint16_t parameter;
};

// One parameter record, each half read only when its schema is the class's own. A mismatch leaves
// the rest of the archive misaligned; the reads that follow then fail, as they did in the original.
RecordSchemas read_parameter_fields(ArchiveReader& archive, Parameter& parameter, bool take_name_and_value)
{
    const auto classes = record_classes();
    const RuntimeClass& converter_class = classes[converter_slot];
    const RuntimeClass& parameter_class = classes[parameter_slot];

    RecordSchemas schemas{};
    schemas.converter = archive.read_class(converter_class);
    if (schemas.converter == converter_class.schema) {
        std::string name = read_text(archive);
        std::string value = read_text(archive);
        if (take_name_and_value) {
            parameter.name = std::move(name);
            parameter.value_text = std::move(value);
        }
    }

    schemas.parameter = archive.read_class(parameter_class);
    if (schemas.parameter == parameter_class.schema) {
        parameter.caption = read_text(archive);
        parameter.indexed = archive.read_byte();
        parameter.linear_index = archive.read_int();
        parameter.scanner_channel = archive.read_int();
        parameter.exchangeable = archive.read_byte();
        parameter.status_text = read_text(archive);
        parameter.value_changed = archive.read_byte();
        parameter.editable_changed = archive.read_byte();
        parameter.owner_changed = archive.read_byte();
        parameter.editable = archive.read_byte();
        parameter.factory_owned = archive.read_byte();
        parameter.table_mark = archive.read_int();
    }
    return schemas;
}

} // namespace

std::span<const RuntimeClass> record_classes()
{
    // Taken from the classes themselves so that the names and schemas live in one place each.
    static const std::array<RuntimeClass, 4> classes = [] {
        const DescBranch branch({}, 1, 1, 0, 0);
        const Parameter parameter;
        std::array<RuntimeClass, 4> list{};
        list[branch_slot] = branch.DescBranch::runtime_class();
        list[converter_slot] = parameter.MyConverter::runtime_class();
        list[parameter_slot] = parameter.Parameter::runtime_class();
        list[element_slot] = branch.InvisibleElement::runtime_class();
        return list;
    }();
    return classes;
}

std::uint32_t parameter_key(const Parameter& parameter)
{
    const std::uint16_t index = parameter.indexed ? static_cast<std::uint16_t>(parameter.linear_index) : not_indexed;
    return (std::uint32_t{index} << 16) | name_key(parameter.name);
}

void store_parameter(ArchiveWriter& archive, const Parameter& parameter)
{
    archive.write_class(parameter.MyConverter::runtime_class());
    write_text(archive, parameter.name);
    write_text(archive, parameter.value_text);
    archive.write_class(parameter.Parameter::runtime_class());
    write_text(archive, parameter.caption);
    archive.write_byte(parameter.indexed);
    archive.write_int(parameter.linear_index);
    archive.write_int(parameter.scanner_channel);
    archive.write_byte(parameter.exchangeable);
    write_text(archive, parameter.status_text);
    archive.write_byte(parameter.value_changed);
    archive.write_byte(parameter.editable_changed);
    archive.write_byte(parameter.owner_changed);
    archive.write_byte(parameter.editable);
    archive.write_byte(parameter.factory_owned);
    archive.write_int(parameter.table_mark);
}

void store_branch(ArchiveWriter& archive, const DescBranch& branch)
{
    archive.write_class(branch.DescBranch::runtime_class());
    write_text(archive, branch.name);
    archive.write_dword(static_cast<std::uint32_t>(branch.parameters.size()));
    for (const auto& parameter : branch.parameters) {
        archive.write_dword(parameter_key(*parameter));
        store_parameter(archive, *parameter);
    }
    archive.write_int(branch.instance_count);
    archive.write_int(branch.instance_number);
    for (const auto& child : branch.children)
        store_branch(archive, *child);
}

void store_element(ArchiveWriter& archive, const InvisibleElement& element)
{
    archive.write_class(element.InvisibleElement::runtime_class());
    write_text(archive, element.name);
    archive.write_dword(static_cast<std::uint32_t>(element.parameters.size()));
    for (const auto& parameter : element.parameters)
        store_parameter(archive, *parameter);
}

void load_parameter(ArchiveReader& archive, Parameter& parameter, bool take_name_and_value,
                    const LogParameterRead& on_log)
{
    const RecordSchemas schemas = read_parameter_fields(archive, parameter, take_name_and_value);
    if (schemas.parameter == record_classes()[parameter_slot].schema && parameter.scanner_channel == broadcast_channel)
        parameter.scanner_channel = 0;
    if (on_log && equals_no_case(parameter.name, "Log"))
        on_log(parameter);
}

void load_branch(ArchiveReader& archive, DescBranch& branch, const LogParameterRead& on_log)
{
    const RuntimeClass& branch_class = record_classes()[branch_slot];
    if (archive.read_class(branch_class) == branch_class.schema) {
        // Keys are looked up once per record; a tree with duplicate keys gives the later parameter.
        std::unordered_map<std::uint32_t, Parameter*> by_key;
        by_key.reserve(branch.parameters.size());
        for (const auto& parameter : branch.parameters)
            by_key.insert_or_assign(parameter_key(*parameter), parameter.get());

        branch.name = read_text(archive);
        // The count is only a bound: every record takes at least its key's four bytes, so a made-up
        // count runs into the end of the archive instead of into memory.
        const std::uint32_t count = archive.read_dword();
        for (std::uint32_t i = 0; i < count; ++i) {
            // A key cut short ends the list quietly, as it did in the original.
            const auto key = archive.try_read_dword();
            if (!key)
                break;
            if (const auto match = by_key.find(*key); match != by_key.end()) {
                load_parameter(archive, *match->second, true, on_log);
            } else {
                Parameter dropped;
                load_parameter(archive, dropped, true, on_log);
            }
        }
        branch.instance_count = archive.read_int();
        branch.instance_number = archive.read_int();
    }
    for (auto& child : branch.children)
        load_branch(archive, *child, on_log);
}

void load_element(ArchiveReader& archive, InvisibleElement& element, const LogParameterRead& on_log)
{
    const bool link_settings = dynamic_cast<const NetRS485prg*>(&element) != nullptr;
    if (!link_settings)
        for (auto& parameter : element.parameters)
            parameter->value_text = texts::no_data;

    const RuntimeClass& element_class = record_classes()[element_slot];
    if (archive.read_class(element_class) == element_class.schema) {
        element.name = read_text(archive);
        // The element's own parameters decide how many records follow; the count is not used.
        (void)archive.read_dword();
    }
    for (auto& parameter : element.parameters)
        load_parameter(archive, *parameter, !link_settings, on_log);
}

RawBranchRecord read_raw_branch(ArchiveReader& archive)
{
    const RuntimeClass& branch_class = record_classes()[branch_slot];
    RawBranchRecord record;
    record.schema = archive.read_class(branch_class);
    if (record.schema != branch_class.schema)
        return record;
    record.name = read_text(archive);
    const std::uint32_t count = archive.read_dword();
    for (std::uint32_t i = 0; i < count; ++i) {
        const auto key = archive.try_read_dword();
        if (!key)
            break;
        RawParameterRecord entry;
        entry.key = *key;
        const RecordSchemas schemas = read_parameter_fields(archive, entry.parameter, true);
        entry.converter_schema = schemas.converter;
        entry.parameter_schema = schemas.parameter;
        record.entries.push_back(std::move(entry));
    }
    record.instance_count = archive.read_int();
    record.instance_number = archive.read_int();
    return record;
}

} // namespace zr740
