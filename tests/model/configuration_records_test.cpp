#include "model/configuration_records.h"

#include "model/net_rs485.h"
#include "model/net_rs485prg.h"
#include "support/memory_settings.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace zr740 {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes hex(std::string_view text)
{
    Bytes out;
    for (std::size_t i = 0; i + 1 < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(static_cast<std::uint8_t>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
        i += 2;
    }
    return out;
}

Bytes ascii(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Every field a parameter record carries.
auto fields(const Parameter& p)
{
    return std::tuple(p.name, p.value_text, p.caption, p.indexed, p.linear_index, p.scanner_channel, p.exchangeable,
                      p.status_text, p.value_changed, p.editable_changed, p.owner_changed, p.editable, p.factory_owned,
                      p.table_mark);
}

Parameter& add(ObjectWithParameters& owner, const std::string& name, int linear_index = -1)
{
    auto& parameter = owner.append(std::make_unique<Parameter>(name));
    if (linear_index >= 0) {
        parameter.indexed = 1;
        parameter.linear_index = linear_index;
    }
    return parameter;
}

// A root with two parameters, a child with an indexed one and a grandchild; `filled` gives every field
// a value of its own, otherwise the parameters stay as freshly made.
std::unique_ptr<DescBranch> make_tree(bool filled)
{
    auto root = std::make_unique<DescBranch>("Прибор", 1, 1, 0, 0);
    add(*root, "0x0001");
    add(*root, "Log");
    auto child = std::make_unique<DescBranch>("Канал", 4, 2, 0, 0);
    add(*child, "0x001A", 5);
    auto grandchild = std::make_unique<DescBranch>("Уставки", 1, 1, 0, 0);
    add(*grandchild, "0x0100");
    child->add_child(std::move(grandchild));
    root->add_child(std::move(child));
    if (filled) {
        int n = 0;
        root->for_each_branch([&](DescBranch& branch) {
            branch.name += " сохранён";
            branch.instance_count += 10;
            branch.instance_number += 20;
        });
        root->for_each_parameter([&](Parameter& p) {
            ++n;
            p.value_text = "Значение " + std::to_string(n);
            p.caption = "Подпись " + std::to_string(n);
            p.linear_index += 100 * n;
            p.scanner_channel = n + 1;
            p.exchangeable = 0;
            p.status_text = "Знач-е в приборе: " + std::to_string(n);
            p.value_changed = 1;
            p.editable_changed = 1;
            p.owner_changed = 1;
            p.editable = 0;
            p.factory_owned = 1;
            p.table_mark = n + 2;
        });
        // The key must still match: keep the indexed parameter's index.
        root->children[0]->parameters[0]->linear_index = 5;
    }
    return root;
}

Bytes store(const DescBranch& branch)
{
    ArchiveWriter writer;
    store_branch(writer, branch);
    return writer.take();
}

void load(const Bytes& data, DescBranch& branch, const LogParameterRead& on_log = {})
{
    ArchiveReader reader(data, record_classes());
    load_branch(reader, branch, on_log);
    EXPECT_TRUE(reader.at_end());
}

std::vector<Parameter*> all_parameters(DescBranch& root)
{
    std::vector<Parameter*> list;
    root.for_each_parameter([&](Parameter& p) { list.push_back(&p); });
    return list;
}

TEST(ConfigurationRecords, TreeRoundTripCarriesEveryField)
{
    auto source = make_tree(true);
    auto target = make_tree(false);
    load(store(*source), *target);

    const auto expected = all_parameters(*source);
    const auto got = all_parameters(*target);
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(fields(*got[i]), fields(*expected[i])) << "parameter " << i;
    std::vector<std::tuple<std::string, int, int>> source_branches, target_branches;
    source->for_each_branch(
        [&](DescBranch& b) { source_branches.emplace_back(b.name, b.instance_count, b.instance_number); });
    target->for_each_branch(
        [&](DescBranch& b) { target_branches.emplace_back(b.name, b.instance_count, b.instance_number); });
    EXPECT_EQ(target_branches, source_branches);
}

// A branch "Br" (2 instances, number 1) with "0x0010" (not indexed) and "0x0011" (indexed, 5).
const Bytes golden_branch =
    hex("FF FF 03 00 0A 00") + ascii("DescBranch") + hex("02") + ascii("Br") + hex("02 00 00 00") +
    // key, MyConverter: name and value, Parameter: caption "Ц" and the fields
    hex("10 00 FF FF") + hex("FF FF 03 00 0B 00") + ascii("MyConverter") + hex("06") + ascii("0x0010") + hex("01") +
    ascii("5") + hex("FF FF 01 00 09 00") + ascii("Parameter") +
    hex("01 D6 00 00 00 00 00 04 00 00 00 01 00 01 00 00 01 00 02 00 00 00") +
    // the second record names its classes by number
    hex("11 00 05 00 02 80 06") + ascii("0x0011") + hex("00 03 80") + hex("00 01 05 00 00 00 FF 00 00 00 00 02") +
    ascii("Ok") + hex("00 00 01 00 01 00 00 00 00") + hex("02 00 00 00 01 00 00 00");

std::unique_ptr<DescBranch> golden_tree(bool filled)
{
    auto branch = std::make_unique<DescBranch>(filled ? "Br" : "old", 1, 1, 0, 0);
    auto& first = add(*branch, "0x0010");
    auto& second = add(*branch, "0x0011", 5);
    if (filled) {
        branch->instance_count = 2;
        first.value_text = "5";
        first.caption = "Ц";
        first.scanner_channel = 4;
        first.value_changed = 1;
        first.table_mark = 2;
        second.value_text.clear();
        second.caption.clear();
        second.scanner_channel = 255;
        second.exchangeable = 0;
        second.status_text = "Ok";
        second.owner_changed = 1;
        second.editable = 0;
        second.factory_owned = 1;
    }
    return branch;
}

TEST(ConfigurationRecords, BranchRecordIsByteForByteTheFileFormat)
{
    EXPECT_EQ(store(*golden_tree(true)), golden_branch);

    auto target = golden_tree(false);
    load(golden_branch, *target);
    auto expected = golden_tree(true);
    expected->parameters[1]->scanner_channel = 0; // see below
    EXPECT_EQ(target->name, "Br");
    EXPECT_EQ(target->instance_count, 2);
    for (std::size_t i = 0; i < 2; ++i)
        EXPECT_EQ(fields(*target->parameters[i]), fields(*expected->parameters[i])) << i;
}

TEST(ConfigurationRecords, ScannerChannel255FromAFileIsNoChannel)
{
    for (const int channel : {254, 255, 256}) {
        auto source = golden_tree(true);
        source->parameters[0]->scanner_channel = channel;
        auto target = golden_tree(false);
        load(store(*source), *target);
        EXPECT_EQ(target->parameters[0]->scanner_channel, channel == 255 ? 0 : channel);
    }
}

TEST(ConfigurationRecords, RawReaderShowsTheRecordAsWritten)
{
    ArchiveReader reader(golden_branch, record_classes());
    const RawBranchRecord record = read_raw_branch(reader);
    EXPECT_TRUE(reader.at_end());
    EXPECT_EQ(record.schema, 3);
    EXPECT_EQ(record.name, "Br");
    EXPECT_EQ(record.instance_count, 2);
    EXPECT_EQ(record.instance_number, 1);
    ASSERT_EQ(record.entries.size(), 2u);
    EXPECT_EQ(record.entries[0].key, 0xFFFF0010u);
    EXPECT_EQ(record.entries[1].key, 0x00050011u);
    EXPECT_EQ(record.entries[1].converter_schema, 3);
    EXPECT_EQ(record.entries[1].parameter_schema, 1);
    const auto expected = golden_tree(true);
    for (std::size_t i = 0; i < 2; ++i)
        EXPECT_EQ(fields(record.entries[i].parameter), fields(*expected->parameters[i])) << i;
}

TEST(ConfigurationRecords, KeyOfNameAndIndex)
{
    struct Case {
        const char* name;
        int linear_index; // -1: not indexed
        std::uint32_t key;
    };
    const Case cases[] = {
        {"0x001A", -1, 0xFFFF001A},
        {"0x001a", -1, 0xFFFF001A},
        {"001A", -1, 0xFFFF001A},
        {" 0x10", -1, 0xFFFF0010},
        {"1A.x", -1, 0xFFFF001A},
        {"Log", -1, 0xFFFF0000},
        {"0xg", -1, 0xFFFF0000},
        {"0x001A", 3, 0x0003001A},
        {"0x001A", 0, 0x0000001A},
        {"0x001A", 0x12345, 0x2345001A},
        {"0x12345", -1, 0xFFFF2345},
        // Past 32 bits the original's conversion saturated.
        {"0x123456789", -1, 0xFFFFFFFF},
        {"FFFFFFFFFFFFFFFFFFFF", -1, 0xFFFFFFFF},
        {"-0x10", -1, 0xFFFFFFF0},
        {"-0x123456789", -1, 0xFFFFFFFF},
    };
    for (const auto& c : cases) {
        Parameter parameter(c.name);
        if (c.linear_index >= 0) {
            parameter.indexed = 1;
            parameter.linear_index = c.linear_index;
        }
        EXPECT_EQ(parameter_key(parameter), c.key) << c.name << " " << c.linear_index;
    }
}

TEST(ConfigurationRecords, RecordsMatchByKeyOnly)
{
    DescBranch source("s", 1, 1, 0, 0);
    add(source, "0x001a").value_text = "by hex value";
    add(source, "0x0020").value_text = "not indexed in the file";
    add(source, "0x0099").value_text = "nowhere in the tree";
    add(source, "0x40").value_text = "duplicate key";

    DescBranch target("t", 1, 1, 0, 0);
    add(target, "0x001A");
    add(target, "0x0020", 0);
    add(target, "0x0030");
    add(target, "0x0040");
    add(target, "0x40");
    load(store(source), target);

    EXPECT_EQ(target.parameters[0]->value_text, "by hex value");
    EXPECT_EQ(target.parameters[0]->name, "0x001a"); // the file's name is taken with the record
    EXPECT_EQ(target.parameters[1]->value_text, "Нет данных");
    EXPECT_EQ(target.parameters[2]->value_text, "Нет данных");
    EXPECT_EQ(target.parameters[3]->value_text, "Нет данных"); // the later of equal keys gets it
    EXPECT_EQ(target.parameters[4]->value_text, "duplicate key");
    EXPECT_EQ(target.parameters.size(), 5u);
}

TEST(ConfigurationRecords, LogParameterIsReportedWhetherTakenOrDropped)
{
    DescBranch source("s", 1, 1, 0, 0);
    add(source, "LOG").value_text = "1";
    add(source, "log", 7).value_text = "2"; // no indexed "log" in the target
    add(source, "0x0001").value_text = "3";
    DescBranch target("t", 1, 1, 0, 0);
    add(target, "Log");
    add(target, "0x0001");

    std::vector<std::string> seen;
    load(store(source), target, [&](Parameter& p) { seen.push_back(p.name + "=" + p.value_text); });
    EXPECT_EQ(seen, (std::vector<std::string>{"LOG=1", "log=2"}));
    load(store(source), target); // no listener
}

TEST(ConfigurationRecords, BranchOfAnotherSchemaReadsNothingButItsChildrenStillLoad)
{
    auto tree = make_tree(false);
    tree->children[0]->children.clear();
    // Root and child: DescBranch of schema 2 (the second by number); nothing else follows.
    const Bytes data = hex("FF FF 02 00 0A 00") + ascii("DescBranch") + hex("01 80");
    load(data, *tree);
    EXPECT_EQ(tree->name, "Прибор");
    EXPECT_EQ(tree->children[0]->name, "Канал");
}

TEST(ConfigurationRecords, InnerSchemaMismatchEndsInAnArchiveError)
{
    struct Case {
        std::size_t offset; // of the schema WORD in golden_branch
        ArchiveErrorKind kind;
    };
    // MyConverter of schema 2: no name or value, so the Parameter reference lands on the name.
    // Parameter of schema 2: no fields, so the next key and class reference land on the caption.
    const Case cases[] = {{29, ArchiveErrorKind::bad_tag}, {55, ArchiveErrorKind::bad_tag}};
    for (const auto& c : cases) {
        Bytes data = golden_branch;
        ASSERT_EQ(data[c.offset], c.offset == 29 ? 3 : 1);
        data[c.offset] = 2;
        auto target = golden_tree(false);
        ArchiveReader reader(data, record_classes());
        try {
            load_branch(reader, *target);
            ADD_FAILURE() << c.offset << ": no error";
        } catch (const ArchiveError& e) {
            EXPECT_EQ(e.kind(), c.kind) << c.offset << ": " << e.what();
        }
    }
}

TEST(ConfigurationRecords, TruncatedFileIsEndOfFileAtEveryByte)
{
    const Bytes data = store(*make_tree(true));
    for (std::size_t size = 0; size < data.size(); ++size) {
        auto target = make_tree(false);
        ArchiveReader reader(std::span(data.data(), size), record_classes());
        try {
            load_branch(reader, *target);
            ADD_FAILURE() << "no error at size " << size;
        } catch (const ArchiveError& e) {
            ASSERT_TRUE(e.is_end_of_file()) << "size " << size << ": " << e.what();
        }
    }
}

TEST(ConfigurationRecords, HugeCountRunsIntoTheEndNotIntoMemory)
{
    const Bytes data = hex("FF FF 03 00 0A 00") + ascii("DescBranch") + hex("00 FF FF FF FF");
    DescBranch target("t", 1, 1, 0, 0);
    ArchiveReader reader(data, record_classes());
    EXPECT_THROW(load_branch(reader, target), ArchiveError);
}

TEST(ConfigurationRecords, ElementRecordsGoInOrderUnderOneClass)
{
    NetRS485 source;
    for (auto& p : source.parameters)
        p->value_text = "v" + p->name;
    ArchiveWriter writer;
    store_element(writer, source);
    const Bytes data = writer.take();
    const Bytes head = hex("FF FF 03 00 10 00") + ascii("InvisibleElement");
    ASSERT_GT(data.size(), head.size());
    EXPECT_EQ(Bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(head.size())), head);

    NetRS485 target;
    target.name = "old";
    ArchiveReader reader(data, record_classes());
    load_element(reader, target);
    EXPECT_TRUE(reader.at_end());
    EXPECT_EQ(target.name, source.name);
    for (std::size_t i = 0; i < target.parameters.size(); ++i)
        EXPECT_EQ(fields(*target.parameters[i]), fields(*source.parameters[i]));

    // A file that breaks off leaves the rest "Нет данных".
    for (auto& p : target.parameters)
        p->value_text = "kept?";
    ArchiveReader cut(std::span(data.data(), data.size() / 2), record_classes());
    EXPECT_THROW(load_element(cut, target), ArchiveError);
    EXPECT_EQ(target.parameters.back()->value_text, "Нет данных");
}

TEST(ConfigurationRecords, ProgramLinkSettingsAreNeverTakenFromAFile)
{
    testing::MemorySettings source_settings;
    source_settings.values["address"] = 3;
    NetRS485prg source(source_settings, {"/dev/ttyS0"});
    for (auto& p : source.parameters) {
        p->name += "!";
        p->caption = "из файла";
    }
    ArchiveWriter writer;
    store_element(writer, source);
    const Bytes data = writer.take();

    testing::MemorySettings settings;
    NetRS485prg target(settings, {"/dev/ttyS0"});
    std::vector<std::pair<std::string, std::string>> before;
    for (auto& p : target.parameters)
        before.emplace_back(p->name, p->value_text);
    ArchiveReader reader(data, record_classes());
    load_element(reader, target);
    EXPECT_TRUE(reader.at_end());
    ASSERT_EQ(target.parameters.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(target.parameters[i]->name, before[i].first);
        EXPECT_EQ(target.parameters[i]->value_text, before[i].second);
        EXPECT_EQ(target.parameters[i]->caption, "из файла"); // the rest of the record is taken
    }
    EXPECT_EQ(target.value_by_name("0x0007"), "16");
}

} // namespace
} // namespace zr740
