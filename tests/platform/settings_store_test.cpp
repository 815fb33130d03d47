#include "platform/ini_file.h"
#include "platform/settings_store.h"
#include "platform/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <map>

namespace zr740 {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

void write_text(const fs::path& path, std::string_view text)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << text;
}

PlatformPaths paths_in(const TempDir& dir)
{
    return {dir.path() / "home-config", dir.path() / "etc-xdg", dir.path() / "home-cache", dir.path() / "home-state"};
}

TEST(PlatformPaths, FollowTheXdgRules)
{
    struct Case {
        const char* label;
        std::map<std::string, std::string> environment;
        fs::path user;
        fs::path system;
        fs::path state;
    };
    const std::vector<Case> cases = {
        {"nothing but HOME", {{"HOME", "/home/u"}}, "/home/u/.config", "/etc/xdg", "/home/u/.local/state"},
        {"all set",
         {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "/cfg"}, {"XDG_CONFIG_DIRS", "/sys1:/sys2"}, {"XDG_STATE_HOME", "/st"}},
         "/cfg",
         "/sys1",
         "/st"},
        {"only the state folder set", {{"HOME", "/home/u"}, {"XDG_STATE_HOME", "/st"}}, "/home/u/.config", "/etc/xdg", "/st"},
        {"empty and relative entries ignored",
         {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "rel"}, {"XDG_CONFIG_DIRS", ":rel:/sys2"}, {"XDG_STATE_HOME", "st"}},
         "/home/u/.config",
         "/sys2",
         "/home/u/.local/state"},
        {"only useless entries",
         {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", ""}, {"XDG_CONFIG_DIRS", "::"}, {"XDG_STATE_HOME", ""}},
         "/home/u/.config",
         "/etc/xdg",
         "/home/u/.local/state"},
    };
    for (const auto& c : cases) {
        auto paths = platform_paths_from([&](const char* name) -> std::optional<std::string> {
            auto it = c.environment.find(name);
            if (it == c.environment.end())
                return std::nullopt;
            return it->second;
        });
        EXPECT_EQ(paths.user_config_dir, c.user) << c.label;
        EXPECT_EQ(paths.system_config_dir, c.system) << c.label;
        EXPECT_EQ(paths.user_state_dir, c.state) << c.label;
    }
}

TEST(PlatformPaths, WithoutHomeTheUserFolderIsStillAbsolute)
{
    auto paths = platform_paths_from([](const char*) -> std::optional<std::string> { return std::nullopt; });
    EXPECT_TRUE(paths.user_config_dir.is_absolute());
    EXPECT_EQ(paths.user_config_dir.filename(), ".config");
}

TEST(ParseStoredInt, AcceptsWholeDecimalIntegersOnly)
{
    struct Case {
        std::string_view text;
        std::optional<int> expected;
    };
    const Case cases[] = {
        {"16", 16},        {"-5", -5},   {"+7", 7},         {" 42\t", 42},
        {"", std::nullopt}, {"abc", std::nullopt}, {"12abc", std::nullopt}, {"1 2", std::nullopt},
        {"0x10", std::nullopt}, {"2147483647", 2147483647}, {"2147483648", std::nullopt}, {"9.5", std::nullopt},
        {"+", std::nullopt}, {"+-1", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parse_stored_int(c.text), c.expected) << c.text;
}

TEST(SettingsStore, MissingOrDamagedValuesReadAsTheDefaults)
{
    TempDir dir;
    SettingsStore store(paths_in(dir));
    EXPECT_EQ(store.read_link_value("address", 16), 16);
    EXPECT_EQ(store.read_link_text("port_name"), std::nullopt);

    write_text(store.user_file(), "\x01\x02garbage\n[ZR740\nbaud_rate=fast\nbyte_size=\n[ZR740]\nstop_bits=2x\naddress=7\n");
    EXPECT_EQ(store.read_link_value("baud_rate", 9600), 9600);
    EXPECT_EQ(store.read_link_value("byte_size", 8), 8);
    EXPECT_EQ(store.read_link_value("stop_bits", 1), 1);
    EXPECT_EQ(store.read_link_value("address", 16), 7);

    // A folder where the file should be is as good as no file.
    fs::remove(store.user_file());
    fs::create_directory(store.user_file());
    EXPECT_EQ(store.read_link_value("address", 16), 16);
    store.write_link_value("address", 3);
    store.flush(); // fails quietly
    EXPECT_EQ(store.read_link_value("address", 16), 16);
}

TEST(SettingsStore, WritesReadBackAndKeepTheRestOfTheFile)
{
    TempDir dir;
    SettingsStore store(paths_in(dir));
    write_text(store.user_file(), "[Recent File List]\nFile1=/home/u/a.zr740\n");

    store.write_link_value("address", 5);
    store.write_link_value("parity_scheme", -1);
    store.write_link_text("port_name", "/dev/serial/by-id/usb-Преобразователь");
    // Until the flush the values are this run's own.
    EXPECT_EQ(store.read_link_value("ADDRESS", 16), 5);
    EXPECT_EQ(IniFile::load(store.user_file()).get("ZR740", "address"), std::nullopt);
    store.flush();

    SettingsStore other(paths_in(dir)); // a later run
    EXPECT_EQ(other.read_link_value("address", 16), 5);
    EXPECT_EQ(other.read_link_value("parity_scheme", 3), -1);
    EXPECT_EQ(other.read_link_text("port_name"), "/dev/serial/by-id/usb-Преобразователь");
    auto file = IniFile::load(store.user_file());
    EXPECT_EQ(file.get("Recent File List", "File1"), "/home/u/a.zr740");
    EXPECT_EQ(file.get("ZR740", "address"), "5");
    EXPECT_EQ(store.user_file(), dir.path() / "home-config" / "Korvel" / "ZR740.conf");
    // The machine record is a different file.
    EXPECT_FALSE(fs::exists(store.machine_file()));
}

TEST(SettingsStore, ARunWritesTheFileOnceAndOnlyWhenAValueChanged)
{
    TempDir dir;
    const auto inode = [](const fs::path& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
    };
    fs::path file;
    {
        SettingsStore run(paths_in(dir));
        file = run.user_file();
        run.write_link_value("address", 16);
        run.write_link_value("baud_rate", 9600);
        run.write_link_value("address", 17); // the last one given counts
    }
    EXPECT_EQ(IniFile::load(file).get("ZR740", "address"), "17");
    const auto first = inode(file);
    ASSERT_NE(first, 0u);
    {
        // The same values again, as every later run of an unchanged set-up saves them.
        SettingsStore run(paths_in(dir));
        run.write_link_value("address", 17);
        run.write_link_value("baud_rate", 9600);
    }
    // Every save replaces the file by a new one; this one was left alone.
    EXPECT_EQ(inode(file), first);
    {
        SettingsStore run(paths_in(dir));
        run.write_link_value("baud_rate", 19200);
    }
    EXPECT_NE(inode(file), first);
    EXPECT_EQ(IniFile::load(file).get("ZR740", "baud_rate"), "19200");
}

TEST(SettingsStore, MachineRecordIsASectionPerKeyPath)
{
    TempDir dir;
    SettingsStore store(paths_in(dir));
    const std::string_view key = "Software\\Korvel\\Devices\\ZR740";
    EXPECT_TRUE(store.write_machine_text("name", "ZR740", key));
    EXPECT_TRUE(store.write_machine_text("version", "1.0.0.1", key));
    EXPECT_TRUE(store.write_machine_text("name", "other", "Software\\Korvel\\Devices\\X"));
    EXPECT_FALSE(store.write_machine_text("bad=name", "x", key));

    auto file = IniFile::load(store.machine_file());
    EXPECT_EQ(file.get(key, "name"), "ZR740");
    EXPECT_EQ(file.get(key, "version"), "1.0.0.1");
    EXPECT_EQ(file.get("Software\\Korvel\\Devices\\X", "name"), "other");
    EXPECT_FALSE(fs::exists(store.user_file()));
}

TEST(SettingsStore, AMachineRecordThatCannotBeWrittenReportsFalse)
{
    TempDir dir;
    write_text(dir.path() / "etc-xdg", "a file where the folder should be");
    SettingsStore store(paths_in(dir));
    EXPECT_FALSE(store.write_machine_text("name", "ZR740", "Software\\Korvel\\Devices\\ZR740"));
}

} // namespace
} // namespace zr740
