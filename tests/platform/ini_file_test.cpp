#include "platform/ini_file.h"
#include "platform/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sys/stat.h>

namespace zr740 {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

std::string read_text(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_text(const fs::path& path, std::string_view text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::vector<std::string> folder_entries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct Lookup {
    std::string section;
    std::string key;
    std::optional<std::string> expected;
};

struct ParseCase {
    const char* label;
    std::string text;
    std::vector<Lookup> lookups;
};

TEST(IniFile, ParsesWhatItCanAndIgnoresTheRest)
{
    const std::vector<ParseCase> cases = {
        {"plain", "[ZR740]\naddress=16\nbaud_rate=9600\n", {{"ZR740", "address", "16"}, {"ZR740", "baud_rate", "9600"}}},
        {"names without case", "[zr740]\nAddress=5\n", {{"ZR740", "ADDRESS", "5"}}},
        {"keys before any header", "top=1\n[s]\nk=2\n", {{"", "top", "1"}, {"s", "k", "2"}, {"s", "top", std::nullopt}}},
        {"comments and junk lines",
         "; comment\n# another\njunk line\n[s]\n=no key\nstill junk\nk=v\n[\n",
         {{"s", "k", "v"}, {"s", "", std::nullopt}}},
        {"half a header keeps the section", "[s]\n[broken\nk=v\n", {{"s", "k", "v"}, {"broken", "k", std::nullopt}}},
        {"CRLF and BOM", "\xEF\xBB\xBF[s]\r\nk=v\r\n", {{"s", "k", "v"}}},
        {"blanks around names and values", "  [ s ]  \n  k  =  v w  \n", {{"s", "k", "v w"}}},
        {"last repeated key wins, sections merge", "[s]\nk=1\n[t]\nx=0\n[S]\nK=2\n", {{"s", "k", "2"}, {"t", "x", "0"}}},
        {"first = splits", "[s]\nk=a=b\n", {{"s", "k", "a=b"}}},
        {"escapes", "[s]\nk=\\sa\\\\b\\nc\\td\\s\n", {{"s", "k", " a\\b\nc\td "}}},
        {"unknown escape and trailing backslash kept", "[s]\np=C:\\dir\\x\\\n", {{"s", "p", "C:\\dir\\x\\"}}},
        {"empty value", "[s]\nk=\n", {{"s", "k", ""}}},
        {"no final newline", "[s]\nk=v", {{"s", "k", "v"}}},
        {"empty text", "", {{"", "k", std::nullopt}}},
    };
    for (const auto& c : cases) {
        auto file = IniFile::parse(c.text);
        for (const auto& lookup : c.lookups)
            EXPECT_EQ(file.get(lookup.section, lookup.key), lookup.expected) << c.label << ": " << lookup.key;
    }
}

TEST(IniFile, AnyValueSurvivesSerialiseAndParse)
{
    const std::vector<std::string> values = {
        "Сетевые параметры программы",
        " leading and trailing ",
        " ",
        "line\nbreak\r\nand\ttab",
        std::string("nul\0inside", 10),
        "back\\slash\\",
        "=[section]=",
        "; not a comment",
        "\\s literally",
        "",
    };
    IniFile file;
    for (std::size_t i = 0; i < values.size(); ++i)
        ASSERT_TRUE(file.set("s", "k" + std::to_string(i), values[i]));
    ASSERT_TRUE(file.set("", "global", "g"));
    ASSERT_TRUE(file.set("Software\\Korvel\\Devices\\ZR740", "name", "ZR740"));

    auto again = IniFile::parse(file.serialise());
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(again.get("s", "k" + std::to_string(i)), values[i]) << i;
    EXPECT_EQ(again.get("", "global"), "g");
    EXPECT_EQ(again.get("Software\\Korvel\\Devices\\ZR740", "name"), "ZR740");
}

TEST(IniFile, RefusesNamesItCouldNotWriteBack)
{
    IniFile file;
    for (std::string_view key : {"", "a=b", "[x", ";x", "#x", "a\nb", " k", "k "})
        EXPECT_FALSE(file.set("s", key, "v")) << key;
    for (std::string_view section : {"a]b", "a\nb", " s"})
        EXPECT_FALSE(file.set(section, "k", "v")) << section;
    EXPECT_TRUE(file.sections().empty());
}

TEST(IniFile, SetReplacesAndRemoveDeletes)
{
    IniFile file;
    file.set("s", "k", "1");
    file.set("S", "K", "2");
    ASSERT_EQ(file.sections().size(), 1u);
    EXPECT_EQ(file.sections()[0].entries.size(), 1u);
    EXPECT_EQ(file.get("s", "k"), "2");
    EXPECT_TRUE(file.remove("s", "K"));
    EXPECT_FALSE(file.remove("s", "k"));
    EXPECT_EQ(file.get("s", "k"), std::nullopt);
}

// Whatever bytes a damaged file holds, parsing must not crash, and what it keeps must be stable:
// writing it out and reading it back gives the same file.
TEST(IniFile, GarbageParsesToAStableFile)
{
    std::mt19937 random(740);
    const std::string alphabet = "[]=;#\\ \t\r\nabcAB01\xD0\xA1\xFF";
    for (int round = 0; round < 500; ++round) {
        std::string text(random() % 200, '\0');
        for (auto& c : text)
            c = (random() % 4 == 0) ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
        auto once = IniFile::parse(text).serialise();
        auto twice = IniFile::parse(once).serialise();
        ASSERT_EQ(once, twice) << "round " << round;
    }
}

TEST(IniFile, SaveCreatesFoldersAndLeavesNoTemporaryFiles)
{
    TempDir dir;
    auto path = dir.path() / "a" / "b" / "ZR740.conf";
    IniFile file;
    file.set("ZR740", "address", "16");
    ASSERT_TRUE(file.save(path));
    EXPECT_EQ(IniFile::load(path).get("ZR740", "address"), "16");

    file.set("ZR740", "address", "17");
    ASSERT_TRUE(file.save(path));
    EXPECT_EQ(IniFile::load(path).get("ZR740", "address"), "17");
    EXPECT_EQ(folder_entries(path.parent_path()), std::vector<std::string>{"ZR740.conf"});
}

TEST(IniFile, SaveKeepsThePermissionsOfTheFileItReplaces)
{
    TempDir dir;
    auto path = dir.path() / "ZR740.conf";
    write_text(path, "[s]\nk=1\n");
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    IniFile file;
    file.set("s", "k", "2");
    ASSERT_TRUE(file.save(path));
    struct stat state {};
    ASSERT_EQ(::stat(path.c_str(), &state), 0);
    EXPECT_EQ(state.st_mode & 0777, 0600u);
}

TEST(IniFile, LoadOfMissingOrOddFilesIsEmpty)
{
    TempDir dir;
    EXPECT_TRUE(IniFile::load(dir.path() / "missing.conf").sections().empty());
    EXPECT_TRUE(IniFile::load(dir.path()).sections().empty()); // a folder
}

TEST(AtomicWrite, NewContentIsCompleteBesideTheTargetBeforeTheOldFileIsReplaced)
{
    TempDir dir;
    auto target = dir.path() / "ZR740.conf";
    write_text(target, "old");
    bool called = false;
    ASSERT_TRUE(write_file_atomically(target, "new content", [&](const fs::path& temporary) {
        called = true;
        EXPECT_EQ(temporary.parent_path(), target.parent_path()); // a rename within one file system
        EXPECT_NE(temporary, target);
        EXPECT_EQ(read_text(temporary), "new content");
        EXPECT_EQ(read_text(target), "old");
        return true;
    }));
    EXPECT_TRUE(called);
    EXPECT_EQ(read_text(target), "new content");
    EXPECT_EQ(folder_entries(dir.path()), std::vector<std::string>{"ZR740.conf"});
}

TEST(AtomicWrite, AnInterruptedWriteLeavesTheOldFileWhole)
{
    TempDir dir;
    auto target = dir.path() / "ZR740.conf";
    write_text(target, "[ZR740]\naddress=16\n");

    EXPECT_FALSE(write_file_atomically(target, "[ZR740]\naddress=", [](const fs::path&) { return false; }));
    EXPECT_EQ(read_text(target), "[ZR740]\naddress=16\n");
    EXPECT_EQ(folder_entries(dir.path()), std::vector<std::string>{"ZR740.conf"});

    EXPECT_THROW(write_file_atomically(target, "x", [](const fs::path&) -> bool { throw std::runtime_error("crash"); }),
                 std::runtime_error);
    EXPECT_EQ(read_text(target), "[ZR740]\naddress=16\n");
    EXPECT_EQ(folder_entries(dir.path()), std::vector<std::string>{"ZR740.conf"});
}

TEST(AtomicWrite, FailsWhenTheFolderCannotBeMade)
{
    TempDir dir;
    write_text(dir.path() / "plain", "a file, not a folder");
    EXPECT_FALSE(write_file_atomically(dir.path() / "plain" / "sub" / "ZR740.conf", "x"));
    EXPECT_FALSE(write_file_atomically(dir.path() / "plain" / "ZR740.conf", "x"));
    // A folder standing where the file should go.
    fs::create_directory(dir.path() / "taken");
    EXPECT_FALSE(write_file_atomically(dir.path() / "taken", "x"));
    EXPECT_EQ(folder_entries(dir.path()), (std::vector<std::string>{"plain", "taken"}));
}

} // namespace
} // namespace zr740
