// Configuration file records under arbitrary bytes. The whole input is read three ways:
//   - as a branch record into a small fixed tree; when that succeeds, the tree is stored, the stored
//     bytes are loaded into a copy of the tree and stored again, and both stores must be identical;
//   - as a sequence of raw branch records, as the dump tool reads them;
//   - as element records, into a plain element and into the program's link settings, whose names and
//     values must come out untouched.
// Archive errors are the expected way out of malformed input; anything else is a finding.

#include "model/archive.h"
#include "model/configuration_records.h"
#include "model/desc_branch.h"
#include "model/net_rs485prg.h"

#include "support/memory_settings.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void add(zr740::ObjectWithParameters& owner, const char* name, int linear_index = -1)
{
    auto& parameter = owner.append(std::make_unique<zr740::Parameter>(name));
    if (linear_index >= 0) {
        parameter.indexed = 1;
        parameter.linear_index = linear_index;
    }
}

// Root with a plain, a "Log" and a duplicate-key parameter; two indexed instances of a channel, the
// first with a nested branch.
std::unique_ptr<zr740::DescBranch> make_tree()
{
    auto root = std::make_unique<zr740::DescBranch>("Прибор", 1, 1, 0, 0);
    add(*root, "0x0001");
    add(*root, "Log");
    add(*root, "0x0002");
    add(*root, "2");
    for (int instance = 0; instance < 2; ++instance) {
        auto channel = std::make_unique<zr740::DescBranch>("Канал", 2, instance + 1, 0, 0);
        add(*channel, "0x0010", instance);
        add(*channel, "0x0011", instance);
        if (instance == 0) {
            auto limits = std::make_unique<zr740::DescBranch>("Уставки", 1, 1, 0, 0);
            add(*limits, "0x0100");
            channel->add_child(std::move(limits));
        }
        root->add_child(std::move(channel));
    }
    return root;
}

std::vector<std::uint8_t> store(const zr740::DescBranch& branch)
{
    zr740::ArchiveWriter writer;
    zr740::store_branch(writer, branch);
    return writer.take();
}

void fuzz_branch(std::span<const std::uint8_t> bytes)
{
    auto tree = make_tree();
    int logs = 0;
    const zr740::LogParameterRead on_log = [&](zr740::Parameter&) { ++logs; };
    zr740::ArchiveReader reader(bytes, zr740::record_classes());
    try {
        zr740::load_branch(reader, *tree, on_log);
    } catch (const zr740::ArchiveError&) {
        return;
    }
    check(reader.position() <= bytes.size());

    // What was loaded stores into a record that loads back into the same state.
    const auto stored = store(*tree);
    zr740::DescBranch copy(*tree);
    zr740::ArchiveReader again(stored, zr740::record_classes());
    zr740::load_branch(again, copy, on_log);
    check(again.at_end());
    check(store(copy) == stored);
    tree->for_each_parameter([](zr740::Parameter& p) { check(p.scanner_channel != 255); });
}

void fuzz_raw(std::span<const std::uint8_t> bytes)
{
    zr740::ArchiveReader reader(bytes, zr740::record_classes());
    try {
        while (!reader.at_end()) {
            const std::size_t before = reader.position();
            (void)zr740::read_raw_branch(reader);
            check(reader.position() > before);
        }
    } catch (const zr740::ArchiveError&) {
    }
}

void fuzz_elements(std::span<const std::uint8_t> bytes)
{
    zr740::InvisibleElement element("Элемент");
    add(element, "0x0001");
    add(element, "Log");
    try {
        zr740::ArchiveReader reader(bytes, zr740::record_classes());
        zr740::load_element(reader, element);
    } catch (const zr740::ArchiveError&) {
    }

    zr740::testing::MemorySettings settings;
    zr740::NetRS485prg link(settings, {"/dev/ttyS0"});
    std::vector<std::pair<std::string, std::string>> before;
    for (const auto& p : link.parameters)
        before.emplace_back(p->name, p->value_text);
    try {
        zr740::ArchiveReader reader(bytes, zr740::record_classes());
        zr740::load_element(reader, link);
    } catch (const zr740::ArchiveError&) {
    }
    check(link.parameters.size() == before.size());
    for (std::size_t i = 0; i < before.size(); ++i)
        check(link.parameters[i]->name == before[i].first && link.parameters[i]->value_text == before[i].second);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    fuzz_branch(bytes);
    fuzz_raw(bytes);
    fuzz_elements(bytes);
    return 0;
}
