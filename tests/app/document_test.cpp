#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "support/memory_settings.h"
#include "support/recording_shell.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace zr740 {
namespace {

using testing::RecordingShell;

const std::string shipped_folder = std::string(ZR740_BINARY_DIR) + "/bin";

struct ShippedCase {
    int variant;
    InstrumentVersion version;
};

class ShippedDescription : public ::testing::TestWithParam<ShippedCase> {};

// The description that ships with the program loads cleanly for both instruments, whether or not the
// instrument's version is known.
TEST_P(ShippedDescription, LoadsWithoutAnyMessage)
{
    AppContext context;
    context.program_folder = shipped_folder;
    context.run.description_variant = static_cast<std::uint8_t>(GetParam().variant);
    RecordingShell shell;
    testing::MemorySettings settings;
    CHLB5Doc document(context, shell, settings, {});
    document.link().instrument_version = GetParam().version;

    ASSERT_TRUE(document.on_new_document());
    for (const auto& m : shell.messages)
        ADD_FAILURE() << m.caption << ": " << m.text;
    ASSERT_NE(document.root(), nullptr);
    ASSERT_NE(document.scanners(), nullptr);
    ASSERT_NE(document.network_branch(), nullptr);
    ASSERT_NE(document.device(), nullptr);
    EXPECT_EQ(document.device()->runtime_class().name, "CZR740");

    int parameters = 0;
    document.root()->for_each_parameter([&](Parameter& p) {
        ++parameters;
        EXPECT_EQ(p.value_text, "Нет данных") << p.name;
    });
    EXPECT_GT(parameters, 10);
    // The network branch carries the instrument's link settings.
    EXPECT_NE(document.network_branch()->find("0x0007"), nullptr);
    EXPECT_NE(document.network_branch()->find("0x0009"), nullptr);
    // Loading again starts from an empty tree.
    ASSERT_TRUE(document.on_new_document());
    int again = 0;
    document.root()->for_each_parameter([&](Parameter&) { ++again; });
    EXPECT_EQ(again, parameters);
}

INSTANTIATE_TEST_SUITE_P(Variants, ShippedDescription,
                         ::testing::Values(ShippedCase{0, {-1, -1}}, ShippedCase{0, {1, 5}}, ShippedCase{0, {1, 4}},
                                           ShippedCase{1, {-1, -1}}, ShippedCase{1, {1, 5}}));

TEST(DocumentLoad, FirmwareBlockDecidesTheParameters)
{
    auto count = [](InstrumentVersion version) {
        AppContext context;
        context.program_folder = shipped_folder;
        RecordingShell shell;
        testing::MemorySettings settings;
    CHLB5Doc document(context, shell, settings, {});
        document.link().instrument_version = version;
        EXPECT_TRUE(document.on_new_document());
        int n = 0;
        document.root()->for_each_parameter([&](Parameter&) { ++n; });
        return n;
    };
    EXPECT_NE(count({1, 5}), count({-1, -1}));
}

class TempFolder {
public:
    TempFolder()
    {
        path_ = std::filesystem::temp_directory_path() /
                ("zr740-doc-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    std::string str() const { return path_.string(); }
    std::filesystem::path path() const { return path_; }

private:
    std::filesystem::path path_;
};

TEST(DocumentLoad, MissingOrDamagedFileGivesTheTreeFileMessage)
{
    TempFolder folder;
    AppContext context;
    context.program_folder = folder.str();
    RecordingShell shell;
    testing::MemorySettings settings;
    CHLB5Doc document(context, shell, settings, {});

    EXPECT_FALSE(document.on_new_document()); // no file at all
    {
        std::ofstream damaged(folder.path() / "zr740.dat", std::ios::binary);
        damaged << "this is not a compound file";
    }
    EXPECT_FALSE(document.on_new_document());

    // A real file cut in half.
    std::ifstream shipped(shipped_folder + "/zr740.dat", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(shipped)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(bytes.empty());
    {
        std::ofstream cut(folder.path() / "zr740.dat", std::ios::binary | std::ios::trunc);
        cut.write(bytes.data(), static_cast<std::streamsize>(bytes.size() / 2));
    }
    EXPECT_FALSE(document.on_new_document());

    ASSERT_EQ(shell.messages.size(), 3u);
    for (const auto& m : shell.messages) {
        EXPECT_EQ(m.text, "Ошибка открытия файла дерева!");
        EXPECT_EQ(m.caption, "ЗР740");
        EXPECT_EQ(m.icon, Icon::stop);
    }
    EXPECT_EQ(document.root(), nullptr);
}

TEST(DocumentLoad, UnknownVariantLoadsNothingSilently)
{
    AppContext context;
    context.program_folder = shipped_folder;
    context.run.description_variant = 2;
    RecordingShell shell;
    testing::MemorySettings settings;
    CHLB5Doc document(context, shell, settings, {});
    EXPECT_FALSE(document.on_new_document());
    EXPECT_TRUE(shell.messages.empty());
}

TEST(DocumentLoad, DocumentMarkedNotToBeUsedLoadsNothing)
{
    AppContext context;
    context.program_folder = shipped_folder;
    RecordingShell shell;
    testing::MemorySettings settings;
    CHLB5Doc document(context, shell, settings, {});
    document.do_not_use = true;
    EXPECT_FALSE(document.on_new_document());
    EXPECT_EQ(document.root(), nullptr);
}

} // namespace
} // namespace zr740
