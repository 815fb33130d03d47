#include "platform/program_info.h"
#include "platform/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace zr740 {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

void touch(const fs::path& path)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
}

TEST(ProgramInfo, VersionTextUsesPoints)
{
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"1, 0, 0, 1", "1.0.0.1"},
        {"2, 10, 3, 44", "2.10.3.44"},
        {"1,0, 0", "1,0.0"}, // only comma-and-blank is a separator
        {"", ""},
        {"1, ", "1."},
    };
    for (auto [input, expected] : cases)
        EXPECT_EQ(version_text_from_file_version(input), expected) << input;

    auto version = program_version_text();
    EXPECT_EQ(version.find(", "), std::string::npos);
    EXPECT_EQ(std::count(version.begin(), version.end(), '.'), 3) << version;
    EXPECT_FALSE(copyright_text().empty());
}

TEST(ProgramInfo, OsNameNamesSystemReleaseAndMachine)
{
    EXPECT_EQ(format_os_name("Linux", "6.1.0", "x86_64"), "Linux 6.1.0-x86_64");
    auto name = os_name();
    EXPECT_NE(name, platform_texts::unknown_os);
    EXPECT_EQ(name.rfind("Linux ", 0), 0u) << name;
}

TEST(ProgramInfo, ProgramFolderIsTheFolderOfTheLinkTarget)
{
    TempDir dir;
    touch(dir.path() / "opt" / "bin" / "zr740");
    fs::create_symlink(dir.path() / "opt" / "bin" / "zr740", dir.path() / "self");
    EXPECT_EQ(program_folder(dir.path() / "self"), dir.path() / "opt" / "bin");
    EXPECT_EQ(program_folder(dir.path() / "missing"), fs::path());

    auto real = program_folder();
    EXPECT_TRUE(fs::is_directory(real)) << real;
}

TEST(ProgramInfo, DataFileBesideTheProgramThenInShare)
{
    TempDir dir;
    auto bin = dir.path() / "usr" / "bin";
    fs::create_directories(bin);
    EXPECT_EQ(find_data_file(bin, "zr740.dat"), std::nullopt);

    touch(dir.path() / "usr" / "share" / "zr740" / "zr740.dat");
    EXPECT_EQ(find_data_file(bin, "zr740.dat"), dir.path() / "usr" / "share" / "zr740" / "zr740.dat");

    touch(bin / "zr740.dat");
    EXPECT_EQ(find_data_file(bin, "zr740.dat"), bin / "zr740.dat");

    // A folder of that name is not the file.
    fs::create_directories(bin / "help.chm");
    EXPECT_EQ(find_data_file(bin, "help.chm"), std::nullopt);
    EXPECT_EQ(find_data_file(fs::path(), "zr740.dat"), std::nullopt);
}

TEST(ProgramInfo, MissingDataFileNamesEveryPlaceSearched)
{
    TempDir dir;
    const auto bin = dir.path() / "opt" / "zr740" / "bin";
    const auto share = dir.path() / "opt" / "zr740" / "share" / "zr740";
    const std::vector<fs::path> searched = data_file_candidates(bin, "zr740.dat");
    ASSERT_EQ(searched, (std::vector<fs::path>{bin / "zr740.dat", share / "zr740.dat"}));

    const auto text = data_file_missing_text("zr740.dat", searched);
    EXPECT_EQ(text, "zr740: файл zr740.dat не найден. Искали:\n  " + (bin / "zr740.dat").string() + "\n  " +
                        (share / "zr740.dat").string() + "\n");
    // Without the program's folder there is no place to name, and the text says why.
    EXPECT_TRUE(data_file_candidates(fs::path(), "zr740.dat").empty());
    EXPECT_NE(data_file_missing_text("zr740.dat", {}).find(platform_texts::program_folder_unknown), std::string::npos);

    // The running program (this test) reports a file it lacks, and stays silent about one it has.
    std::ostringstream report;
    EXPECT_EQ(find_data_file("no-such-file.dat", &report), std::nullopt);
    EXPECT_EQ(report.str(),
              data_file_missing_text("no-such-file.dat", data_file_candidates(program_folder(), "no-such-file.dat")));
    const auto self = std::filesystem::read_symlink("/proc/self/exe").filename().string();
    std::ostringstream quiet;
    EXPECT_EQ(find_data_file(self, &quiet), program_folder() / self);
    EXPECT_EQ(quiet.str(), "");
}

} // namespace
} // namespace zr740
