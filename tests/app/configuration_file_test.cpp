// Configuration files at the document level: the header and its schemas, a whole tree saved and
// opened again, damaged and foreign files, and a save that fails without harming the old file.

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "app/configuration_file.h"
#include "platform/temp_dir.h"
#include "support/memory_settings.h"
#include "support/recording_shell.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>

namespace zr740 {
namespace {

using Bytes = std::vector<std::uint8_t>;

class ConfigurationFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        context.program_folder = std::string(ZR740_BINARY_DIR) + "/bin";
        ASSERT_TRUE(document.on_new_document());
    }

    // Gives every parameter distinct values in every field a file keeps.
    void fill_tree()
    {
        int n = 0;
        document.root()->for_each_parameter([&](Parameter& p) {
            ++n;
            p.value_text = "значение " + std::to_string(n);
            p.caption = "подпись " + std::to_string(n);
            p.status_text = n % 2 ? "" : "статус";
            p.scanner_channel = n;
            p.exchangeable = n % 3 != 0;
            p.value_changed = n % 2;
            p.editable_changed = n % 5 == 0;
            p.owner_changed = n % 7 == 0;
            p.editable = n % 4 != 0;
            p.factory_owned = n % 6 == 0;
            p.table_mark = n % 3;
        });
    }

    std::vector<std::string> snapshot(CHLB5Doc& doc)
    {
        std::vector<std::string> out;
        doc.root()->for_each_branch([&](DescBranch& b) {
            out.push_back(b.name + "#" + std::to_string(b.instance_count) + "/" + std::to_string(b.instance_number));
            for (auto& p : b.parameters)
                out.push_back(p->name + "|" + p->value_text + "|" + p->caption + "|" + p->status_text + "|" +
                              std::to_string(p->indexed) + std::to_string(p->linear_index) + "|" +
                              std::to_string(p->scanner_channel) + std::to_string(p->exchangeable) +
                              std::to_string(p->value_changed) + std::to_string(p->editable_changed) +
                              std::to_string(p->owner_changed) + std::to_string(p->editable) +
                              std::to_string(p->factory_owned) + std::to_string(p->table_mark));
        });
        return out;
    }

    bool all_unread()
    {
        bool unread = true;
        document.root()->for_each_parameter([&](Parameter& p) { unread = unread && p.value_text == "Нет данных"; });
        return unread;
    }

    AppContext context;
    testing::RecordingShell shell;
    testing::MemorySettings settings;
    CHLB5Doc document{context, shell, settings, {}};
    testing::TempDir dir;
};

TEST_F(ConfigurationFileTest, HeaderIsTheDocumentClassAndTheVariant)
{
    const Bytes bytes = store_document(document);
    const Bytes head{0xFF, 0xFF, 0x05, 0x00, 0x08, 0x00, 'C', 'H', 'L', 'B', '5', 'D', 'o', 'c', 0x00,
                     0xFF, 0xFF, 0x03, 0x00, 0x0A, 0x00, 'D', 'e', 's', 'c', 'B', 'r', 'a', 'n', 'c', 'h'};
    ASSERT_GT(bytes.size(), head.size());
    EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));
}

TEST_F(ConfigurationFileTest, EveryFieldSurvivesSaveAndOpen)
{
    fill_tree();
    const std::string path = (dir.path() / "line3.zr740").string();
    ASSERT_TRUE(save_configuration(document, path));
    const auto saved = snapshot(document);

    testing::RecordingShell other_shell;
    CHLB5Doc other(context, other_shell, settings, {});
    ASSERT_TRUE(other.on_new_document());
    other.modified = true;
    ASSERT_TRUE(open_configuration(other, path));
    EXPECT_TRUE(other_shell.messages.empty());
    EXPECT_EQ(snapshot(other), saved);
    EXPECT_FALSE(other.modified);
    ASSERT_NE(other.device(), nullptr);
}

TEST_F(ConfigurationFileTest, HeaderSchemas)
{
    const Bytes saved = store_document(document);
    const Bytes body(saved.begin() + 15, saved.end()); // after the class and the variant byte
    auto file = [&](std::uint16_t schema, Bytes extra) {
        Bytes bytes{0xFF, 0xFF, static_cast<std::uint8_t>(schema), static_cast<std::uint8_t>(schema >> 8), 8, 0,
                    'C',  'H',  'L',  'B',  '5', 'D', 'o', 'c'};
        bytes.insert(bytes.end(), extra.begin(), extra.end());
        bytes.insert(bytes.end(), body.begin(), body.end());
        return bytes;
    };
    struct Case {
        std::uint16_t schema;
        Bytes extra;
        bool loads;
        const char* message;
        int variant_after;
    };
    const Case cases[] = {
        {3, {}, true, nullptr, 0},
        {4, {1, 2, 3, 4}, true, nullptr, 0},
        {5, {0}, true, nullptr, 0},
        {1, {0}, false, "Невозможно открыть по причине устаревшей версии файла!", 0},
        {0xFFFF, {0}, false, "Невозможно открыть по причине устаревшей версии файла!", 0},
        {2, {0}, false, "Данные в файле испорчены!", 0},
        {6, {0}, false, "Данные в файле испорчены!", 0},
        {5, {7}, false, "Неверный формат данных! Возможно это устаревшая версия файла.", 0},
    };
    for (const auto& c : cases) {
        shell.messages.clear();
        context.run.description_variant = 0;
        const Bytes bytes = file(c.schema, c.extra);
        EXPECT_EQ(load_document(document, bytes), c.loads) << c.schema;
        if (c.message) {
            ASSERT_EQ(shell.messages.size(), 1u) << c.schema;
            EXPECT_EQ(shell.messages[0].text, c.message);
            EXPECT_EQ(shell.messages[0].caption, "Ошибка открытия файла");
            EXPECT_EQ(shell.messages[0].icon, Icon::warning);
        } else {
            EXPECT_TRUE(shell.messages.empty()) << c.schema << ": " << shell.messages[0].text;
        }
        EXPECT_EQ(context.run.description_variant.load(), c.variant_after);
        ASSERT_NE(document.root(), nullptr);
    }
}

TEST_F(ConfigurationFileTest, AFileOfTheOlderInstrumentSwitchesTheDescription)
{
    context.run.description_variant = 1;
    CHLB5Doc older(context, shell, settings, {});
    ASSERT_TRUE(older.on_new_document());
    older.root()->for_each_parameter([](Parameter& p) { p.value_text = "1"; });
    const Bytes bytes = store_document(older);
    ASSERT_EQ(bytes[14], 1);

    context.run.description_variant = 0;
    ASSERT_TRUE(load_document(document, bytes));
    EXPECT_EQ(context.run.description_variant.load(), 1);
    EXPECT_EQ(snapshot(document), snapshot(older));
}

TEST_F(ConfigurationFileTest, DamagedFilesLeaveACompleteTreeWithoutTheirValues)
{
    fill_tree();
    const Bytes good = store_document(document);
    const auto parameters = snapshot(document).size();

    // Truncated anywhere after the header: the end of the data.
    for (std::size_t cut : {std::size_t{20}, good.size() / 3, good.size() - 1}) {
        shell.messages.clear();
        fill_tree();
        EXPECT_FALSE(load_document(document, Bytes(good.begin(), good.begin() + static_cast<long>(cut))));
        ASSERT_EQ(shell.messages.size(), 1u);
        EXPECT_EQ(shell.messages[0].text,
                  "Произошла ошибка при чтении файла!\nУдостоверьтесь, что этот файл относится к этому конфигуратору!");
        EXPECT_EQ(shell.messages[0].icon, Icon::stop);
        EXPECT_EQ(snapshot(document).size(), parameters);
        EXPECT_TRUE(all_unread()) << cut;
    }

    // An inner record of another schema: its fields are not read and the rest no longer fits.
    Bytes other_schema = good;
    const std::string tag = "Parameter";
    const auto at = std::search(other_schema.begin(), other_schema.end(), tag.begin(), tag.end());
    ASSERT_NE(at, other_schema.end());
    *(at - 4) = 2; // the schema word before the name length
    shell.messages.clear();
    EXPECT_FALSE(load_document(document, other_schema));
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_TRUE(all_unread());

    // Not an archive at all: refused before anything is replaced.
    fill_tree();
    shell.messages.clear();
    const std::string text = "<html>not a configuration</html>";
    EXPECT_FALSE(load_document(document, Bytes(text.begin(), text.end())));
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, "Неверный формат данных! Возможно это устаревшая версия файла.");
    EXPECT_FALSE(all_unread());
}

TEST_F(ConfigurationFileTest, AFailedSaveKeepsTheOldFile)
{
    const std::string path = (dir.path() / "kept.zr740").string();
    ASSERT_TRUE(save_configuration(document, path));
    const auto old_size = std::filesystem::file_size(path);

    // The file system refuses the larger file half-way through.
    fill_tree();
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit small = previous;
    small.rlim_cur = old_size / 2;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = save_configuration(document, path);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, SIG_DFL);

    EXPECT_FALSE(saved);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].caption, "Ошибка записи файла");
    EXPECT_NE(shell.messages[0].text.find("File too large"), std::string::npos) << shell.messages[0].text;
    EXPECT_EQ(std::filesystem::file_size(path), old_size);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1); // no temporary left

    // A folder that cannot be made (a file has its name): nothing is written, the reason is given.
    std::ofstream(dir.path() / "plain") << "x";
    shell.messages.clear();
    const std::string inside = (dir.path() / "plain" / "x.zr740").string();
    EXPECT_FALSE(save_configuration(document, inside));
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text.rfind("Не удалось сохранить файл '" + inside + "':\n", 0), 0u);
    EXPECT_GT(shell.messages[0].text.size(), inside.size() + 60);
}

} // namespace
} // namespace zr740
