#pragma once
// The records a configuration file keeps of the parameter tree: branches with their parameters, and
// the elements outside the tree with theirs. The model holds UTF-8 text, the file Windows-1251; the
// conversion happens here and nowhere else.
//
// A branch record stores each parameter under a key made from the parameter's name and linear index,
// so that a file still loads into a tree whose branches have gained, lost or reordered parameters:
// what matches by key is taken, what does not is dropped, and what the file lacks keeps its value.

#include "model/archive.h"
#include "model/desc_branch.h"
#include "model/invisible_element.h"
#include "model/parameter.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace zr740 {

// Told about every parameter named "Log" (any case) once its record has been read, whether it went
// into the tree or was dropped.
using LogParameterRead = std::function<void(Parameter&)>;

// The classes these records name: DescBranch, MyConverter, Parameter, InvisibleElement. A reader of a
// whole file adds the document's class to them.
std::span<const RuntimeClass> record_classes();

// High half: the linear index of an indexed parameter, else 0xFFFF. Low half: the name read as a
// hexadecimal number the way the C library does it ("0x001A" → 0x1A, "Log" → 0).
std::uint32_t parameter_key(const Parameter& parameter);

void store_parameter(ArchiveWriter& archive, const Parameter& parameter);
// The branch, then its children one after another, depth first.
void store_branch(ArchiveWriter& archive, const DescBranch& branch);
// An element outside the tree, always under InvisibleElement's class whatever its own.
void store_element(ArchiveWriter& archive, const InvisibleElement& element);
void store_element(ArchiveWriter& archive, const DescBranch& branch) = delete;

// `take_name_and_value`: false reads the name and value text but keeps the parameter's own (the
// program's link settings never come from a file).
void load_parameter(ArchiveReader& archive, Parameter& parameter, bool take_name_and_value,
                    const LogParameterRead& on_log = {});
// Reads the branch's record into it by key, then has each child read its own record.
void load_branch(ArchiveReader& archive, DescBranch& branch, const LogParameterRead& on_log = {});
// Reads the records into the element's parameters in their order. The values are reset to
// "Нет данных" first, except those of the program's link settings.
void load_element(ArchiveReader& archive, InvisibleElement& element, const LogParameterRead& on_log = {});
void load_element(ArchiveReader& archive, DescBranch& branch, const LogParameterRead& on_log = {}) = delete;

// One branch record as the file has it, for tools that show a file without the description.
struct RawParameterRecord {
    std::uint32_t key = 0;
    std::uint16_t converter_schema = 0; // MyConverter's; name and value are read only with 3
    std::uint16_t parameter_schema = 0; // Parameter's; the other fields are read only with 1
    Parameter parameter;                // fields that were not read keep a fresh parameter's values
};

struct RawBranchRecord {
    std::uint16_t schema = 0; // only with 3 is there anything but the class reference
    std::string name;
    std::vector<RawParameterRecord> entries;
    std::int32_t instance_count = 0;
    std::int32_t instance_number = 0;
};

// The branch's own record only: its children's records follow it in the archive.
RawBranchRecord read_raw_branch(ArchiveReader& archive);

} // namespace zr740
