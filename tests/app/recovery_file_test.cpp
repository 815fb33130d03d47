// The recovery file of a run ended from outside: kept and taken back with the document's values
// and path, and what becomes of one that cannot be taken.

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "app/configuration_file.h"
#include "app/recovery_file.h"
#include "platform/settings_store.h"
#include "platform/temp_dir.h"
#include "support/memory_settings.h"
#include "support/recording_shell.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zr740 {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

const std::string bin = std::string(ZR740_BINARY_DIR) + "/bin";
constexpr const char* marker = "0x0018";

// A document of one description variant, as a run holds it.
struct OneRun {
    explicit OneRun(int variant)
    {
        context.program_folder = bin;
        context.run.description_variant = static_cast<std::uint8_t>(variant);
        document.on_new_document();
    }
    Parameter& at(const char* name) { return *document.root()->find_in_tree(name); }

    AppContext context;
    testing::RecordingShell shell;
    testing::MemorySettings settings;
    CHLB5Doc document{context, shell, settings, {}};
};

std::vector<std::string> files_in(const fs::path& folder)
{
    std::vector<std::string> names;
    if (fs::exists(folder))
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(RecoveryFile, LivesInTheStateFolder)
{
    PlatformPaths paths;
    paths.user_state_dir = "/home/u/.local/state";
    EXPECT_EQ(RecoveryFile::folder_in(paths), "/home/u/.local/state/zr740");
    const RecoveryFile recovery("/st/zr740");
    EXPECT_EQ(recovery.values_file(), "/st/zr740/recovery.zr740");
    EXPECT_FALSE(recovery.exists());
}

TEST(RecoveryFile, KeptChangesComeBackModifiedWithTheirPathAndLeaveNothingBehind)
{
    TempDir dir;
    const RecoveryFile recovery(dir.path() / "state" / "zr740");
    for (const std::string path : {"/srv/lines/line3.zr740", ""}) {
        SCOPED_TRACE(path);
        OneRun before(0);
        before.at(marker).value_text = "7.250";
        before.document.modified = true;
        ASSERT_TRUE(recovery.keep(before.document, path));
        EXPECT_TRUE(before.document.modified) << "keeping is no saving";
        ASSERT_TRUE(recovery.exists());
        EXPECT_EQ(recovery.original_path(), path);

        OneRun after(0);
        ASSERT_TRUE(recovery.restore(after.document, "line3.zr740"));
        EXPECT_EQ(after.at(marker).value_text, "7.250");
        EXPECT_TRUE(after.document.modified);
        EXPECT_TRUE(after.shell.messages.empty());
        EXPECT_EQ(files_in(recovery.folder()), std::vector<std::string>{});
    }
}

TEST(RecoveryFile, AFolderThatCannotBeWrittenIsReported)
{
    TempDir dir;
    std::ofstream(dir.path() / "state") << "a file where the folder should be";
    const RecoveryFile recovery(dir.path() / "state" / "zr740");
    OneRun run(0);
    EXPECT_FALSE(recovery.keep(run.document, "/srv/line3.zr740"));
    ASSERT_EQ(run.shell.messages.size(), 1u);
    EXPECT_EQ(run.shell.messages[0].caption, "Ошибка записи файла");
    EXPECT_TRUE(run.shell.messages[0].text.starts_with("Не удалось записать несохраненные изменения в '" +
                                                       recovery.values_file().string() + "':\n"))
        << run.shell.messages[0].text;
}

TEST(RecoveryFile, OneThatCannotBeTakenIsSaidSoAndRemovedOrMovedAside)
{
    struct Case {
        const char* what;
        std::function<std::string(const std::string& values)> content; // the kept file's bytes
        int current_variant;
        std::string message; // its start
        bool aside;          // moved aside rather than removed
    };
    const std::string damaged = "Несохраненные изменения в 'line3.zr740' восстановить не удалось: файл восстановления '";
    const std::vector<Case> cases = {
        {"not a configuration", [](const std::string&) { return std::string("garbage"); }, 0, damaged, false},
        {"empty", [](const std::string&) { return std::string(); }, 0, damaged, false},
        {"cut short", [](const std::string& values) { return values.substr(0, values.size() / 2); }, 0,
         damaged, false},
        {"of the other description", [](const std::string& values) { return values; }, 1,
         "Несохраненные изменения в 'line3.zr740' сделаны в конфигурации прибора ЗР740, а программа сейчас "
         "работает с прибором ЗР740(old).\nОни не восстановлены и оставлены в файле '",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const RecoveryFile recovery(dir.path() / "zr740");
        OneRun before(0);
        before.at(marker).value_text = "7.250";
        ASSERT_TRUE(recovery.keep(before.document, "/srv/line3.zr740"));
        std::string values;
        {
            std::ifstream in(recovery.values_file(), std::ios::binary);
            values.assign(std::istreambuf_iterator<char>(in), {});
        }
        std::ofstream(recovery.values_file(), std::ios::binary | std::ios::trunc) << c.content(values);

        OneRun after(c.current_variant);
        EXPECT_FALSE(recovery.restore(after.document, "line3.zr740"));
        ASSERT_FALSE(after.shell.messages.empty());
        EXPECT_TRUE(after.shell.messages.back().text.starts_with(c.message)) << after.shell.messages.back().text;
        EXPECT_NE(after.at(marker).value_text, "7.250");
        EXPECT_FALSE(recovery.exists());
        const auto left = files_in(recovery.folder());
        if (c.aside) {
            ASSERT_EQ(left.size(), 1u);
            EXPECT_TRUE(left[0].starts_with("recovery-") && left[0].ends_with(".zr740")) << left[0];
            // What was moved aside is the configuration, to be opened as any other.
            OneRun later(0);
            ASSERT_TRUE(open_configuration(later.document, (recovery.folder() / left[0]).string()));
            EXPECT_EQ(later.at(marker).value_text, "7.250");
        } else {
            EXPECT_EQ(left, std::vector<std::string>{});
        }
    }
}

} // namespace
} // namespace zr740
