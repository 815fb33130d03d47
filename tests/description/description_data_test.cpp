// The shipped description file (built from data/ by zr740-pack) and the pack tool itself.

#include "description/description_loader.h"
#include "description/packed_storage.h"
#include "model/text.h"
#include "model/value_types.h"
#include "platform/temp_dir.h"
#include "support/recording_shell.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace zr740 {
namespace {

namespace fs = std::filesystem;
using testing::RecordingShell;

std::string file_in(const testing::TempDir& dir, const std::string& name) { return (dir.path() / name).string(); }

const std::string shipped_file = ZR740_BINARY_DIR "/bin/zr740.dat";
const std::string pack_tool = ZR740_BINARY_DIR "/bin/zr740-pack";

struct Loaded {
    RecordingShell shell;
    DescriptionLists lists;
    PoutTable pout{};
    LoadedTrees trees;
    bool ok = false;
};

std::unique_ptr<Loaded> load_shipped(int variant, InstrumentVersion version)
{
    auto loaded = std::make_unique<Loaded>();
    loaded->ok = load_description_file(shipped_file, variant, loaded->lists, version, loaded->pout, loaded->shell,
                                       loaded->trees);
    return loaded;
}

std::map<std::string, Parameter*> parameters_by_name(DescBranch& branch)
{
    std::map<std::string, Parameter*> found;
    branch.for_each_parameter([&](Parameter& p) { found.emplace(p.name, &p); });
    return found;
}

std::size_t parameter_count(DescBranch& branch)
{
    std::size_t count = 0;
    branch.for_each_parameter([&](Parameter&) { ++count; });
    return count;
}

struct Variant {
    int variant;
    InstrumentVersion version;
    const char* what;
};

void PrintTo(const Variant& v, std::ostream* os) { *os << v.what; }

class ShippedDescription : public ::testing::TestWithParam<Variant> {};

// Every path through the version blocks must load without a single message, and the tree must hold
// what the program relies on by name.
TEST_P(ShippedDescription, LoadsCleanlyAndIsConsistent)
{
    const auto& param = GetParam();
    auto loaded = load_shipped(param.variant, param.version);
    ASSERT_TRUE(loaded->ok);
    for (const auto& m : loaded->shell.messages)
        ADD_FAILURE() << "message: " << m.text << " (" << m.caption << ")";
    ASSERT_NE(loaded->trees.root, nullptr);
    ASSERT_NE(loaded->trees.scanners, nullptr);
    EXPECT_GT(parameter_count(*loaded->trees.scanners), 0u);

    auto& root = *loaded->trees.root;
    const auto params = parameters_by_name(root);
    EXPECT_EQ(params.size(), parameter_count(root)) << "parameter names must be unique in the tree";

    // The instrument's network settings, with the lists the link layer maps onto the serial line.
    ASSERT_NE(loaded->lists.network, nullptr);
    const auto network = parameters_by_name(*loaded->lists.network);
    for (const char* name : {"0x0007", "0x0009", "0x000A", "0x000B", "0x000C"})
        EXPECT_TRUE(network.contains(name)) << name;
    if (network.contains("0x000A") && network.contains("0x000B") && network.contains("0x000C")) {
        EXPECT_EQ(network.at("0x000A")->type_text, "7:8");
        EXPECT_EQ(network.at("0x000B")->type_text, "1:2");
        EXPECT_EQ(network.at("0x000C")->type_text, "Отсутствует:Четность:Нечетность");
    }
    if (param.variant == 0 && network.contains("0x0009")) {
        EXPECT_EQ(network.at("0x0009")->type_text, "2400:4800:9600:14400:19200:28800:38400:57600:115200");
    }

    // The range limits drive the set-point limits; the unit, point and damping force a re-read.
    std::vector<std::string> needed = {"0x0000", "0x0004", "0x0015", "0x0016", "0x0018", "0x001A", "0x001C"};
    if (param.variant == 0)
        needed.insert(needed.end(), {"0x0008", "0x0026", "0x0028", "0x002A", "0x002C"});
    for (const auto& name : needed)
        EXPECT_TRUE(params.contains(name)) << name;
    for (const char* name : {"0x001A", "0x001C", "0x0026", "0x0028", "0x002A", "0x002C"}) {
        if (params.contains(name)) {
            EXPECT_EQ(params.at(name)->type_text, "float") << name;
            EXPECT_EQ(params.at(name)->register_count, 2) << name;
        }
    }

    // Exchanged parameters must not share registers.
    std::map<unsigned, std::string> owner;
    for (auto& tree : {&root, loaded->trees.scanners.get()})
        tree->for_each_parameter([&](Parameter& p) {
            if (!p.exchangeable)
                return;
            const auto first = static_cast<unsigned>(std::stoul(p.name, nullptr, 16));
            EXPECT_GT(p.register_count, 0) << p.name;
            for (unsigned r = first; r < first + p.register_count; ++r) {
                const auto [it, fresh] = owner.emplace(r, p.name);
                EXPECT_TRUE(fresh) << p.name << " overlaps " << it->second << " at register " << r;
            }
        });

    // Initialising the instrument writes every init text: each must pass the parameter's own input
    // check and encode, and an enumeration's must be one of its items.
    root.for_each_parameter([&](Parameter& p) {
        if (p.init_text.empty())
            return;
        SCOPED_TRACE(p.name + " init '" + p.init_text + "'");
        const auto items = type_items(p.type_text);
        const auto base = fold_case(p.base_type());
        const bool numeric = base == "int" || base == "int16" || base == "float" || base == "stored_dot" ||
                             base == "clk_frm" || base == "name";
        if (!numeric) {
            bool listed = false;
            for (const auto& item : items)
                listed = listed || equals_no_case(item, p.init_text);
            EXPECT_TRUE(listed);
        }
        Parameter copy = p;
        EXPECT_EQ(copy.set_value_from_input(p.init_text, false), 1);
        std::array<std::uint8_t, 4> bytes{};
        int length = 0;
        EXPECT_EQ(copy.encode(bytes, length), 1);
    });
}

INSTANTIATE_TEST_SUITE_P(
    Variants, ShippedDescription,
    ::testing::Values(Variant{0, {}, "current_version_unknown"}, Variant{0, {1, 4}, "current_version_1_4"},
                      Variant{0, {1, 5}, "current_version_1_5"}, Variant{0, {2, 0}, "current_version_2_0"},
                      Variant{1, {}, "old_version_unknown"}, Variant{1, {1, 2}, "old_version_1_2"}),
    [](const auto& test_case) { return std::string(test_case.param.what); });

TEST(ShippedDescription, VersionBlockAddsTheFirmware15Parameters)
{
    const std::vector<std::string> added = {"0x002E", "0x0032", "0x0033"};
    for (const auto& [version, present] :
         std::vector<std::pair<InstrumentVersion, bool>>{{{}, false}, {{1, 4}, false}, {{1, 5}, true}, {{3, 0}, true}}) {
        SCOPED_TRACE(std::to_string(version.major) + "." + std::to_string(version.minor));
        auto loaded = load_shipped(0, version);
        ASSERT_NE(loaded->trees.root, nullptr);
        const auto params = parameters_by_name(*loaded->trees.root);
        for (const auto& name : added)
            EXPECT_EQ(params.contains(name), present) << name;
    }
}


void write_file(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

int run_pack(const std::vector<std::string>& arguments)
{
    std::string command = "'" + pack_tool + "'";
    for (const auto& a : arguments)
        command += " '" + a + "'";
    command += " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(PackTool, WritesWindows1251StreamsThatTheReaderTakesBack)
{
    testing::TempDir dir;
    const std::string text = "; проверка\nparameter 0x0007 1 int Адрес_°\n";
    write_file(file_in(dir, "a.txt"), "\xEF\xBB\xBF" + text); // a leading byte-order mark is dropped
    write_file(file_in(dir, "b.txt"), "root Прибор 1 1 1\n");
    const auto out = file_in(dir, "out.dat");
    ASSERT_EQ(run_pack({out, "zr740.tree=" + file_in(dir, "a.txt"), "zr740_old.tree=" + file_in(dir, "b.txt")}), 0);

    PackedStorage storage;
    ASSERT_TRUE(storage.open(out));
    std::string extracted;
    EXPECT_EQ(storage.extract("zr740.tree", extracted), utf8_to_cp1251(text).size());
    EXPECT_EQ(extracted, utf8_to_cp1251(text));
    EXPECT_GT(storage.extract("zr740_old.tree", extracted), 0u);
    EXPECT_EQ(cp1251_to_utf8(extracted), "root Прибор 1 1 1\n");
}

TEST(PackTool, RefusesBadInputAndLeavesTheOutputAlone)
{
    testing::TempDir dir;
    write_file(file_in(dir, "good.txt"), "root Прибор 1 1 1\n");
    write_file(file_in(dir, "euro_sign_ok.txt"), "; €\n");
    write_file(file_in(dir, "cjk.txt"), "; ok\n; 漢字\n");
    write_file(file_in(dir, "bad_utf8.txt"), "; \xC3\x28\n");
    write_file(file_in(dir, "zero.txt"), std::string("; a\0b\n", 6));
    write_file(file_in(dir, "empty.txt"), "");
    const auto out = file_in(dir, "out.dat");
    write_file(out, "previous");

    ASSERT_EQ(run_pack({out, "zr740.tree=" + file_in(dir, "euro_sign_ok.txt")}), 0);
    write_file(out, "previous");

    const std::vector<std::vector<std::string>> refused = {
        {out},
        {out, "zr740.tree=" + file_in(dir, "cjk.txt")},
        {out, "zr740.tree=" + file_in(dir, "bad_utf8.txt")},
        {out, "zr740.tree=" + file_in(dir, "zero.txt")},
        {out, "zr740.tree=" + file_in(dir, "empty.txt")},
        {out, "zr740.tree=" + file_in(dir, "absent.txt")},
        {out, "zr740.tree" + file_in(dir, "good.txt")},
        {out, "=" + file_in(dir, "good.txt")},
        {out, "bad/name=" + file_in(dir, "good.txt")},
        {out, "a_name_longer_than_thirty_one_chars=" + file_in(dir, "good.txt")},
        {out, "zr740.tree=" + file_in(dir, "good.txt"), "ZR740.TREE=" + file_in(dir, "good.txt")},
        {file_in(dir, "no_such_dir/out.dat"), "zr740.tree=" + file_in(dir, "good.txt")},
    };
    for (const auto& arguments : refused) {
        SCOPED_TRACE(arguments.back());
        EXPECT_NE(run_pack(arguments), 0);
        std::ifstream in(out, std::ios::binary);
        const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(content, "previous");
    }
    EXPECT_FALSE(fs::exists(out + ".part"));
}

} // namespace
} // namespace zr740
