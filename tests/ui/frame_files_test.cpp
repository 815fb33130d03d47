// Files from the main window: unsaved changes are never lost without asking, a file of the other
// instrument is opened only when the person agrees, the recent-file list follows the files used.

#include "frame_fixture.h"

#include "app/configuration_file.h"

#include <QMenu>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace zr740::testing {
namespace {

class FrameFilesTest : public FrameFixture {
protected:
    std::string file(const char* name) const { return std::string(ZR740_BINARY_DIR) + "/" + name; }
    std::optional<std::uint8_t> variant_of(const std::string& path) const
    {
        std::ifstream in(path, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        return configuration_variant(bytes);
    }
};

TEST_F(FrameFilesTest, ClosingWithChangesAsksAndSavesOrStays)
{
    const std::string path = file("frame_files_close.zr740");
    std::filesystem::remove(path);
    document->modified = true;
    shell.preset_answer(Choice::cancel);
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());
    auto shown = shell.shown_boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ui::QtShell::ShownBox::Kind::question_with_cancel);
    EXPECT_EQ(shown[0].text, "Сохранить изменения в Безымянный?");

    ASSERT_TRUE(frame->save_to(path));
    EXPECT_FALSE(document->modified);
    at("0x0018").value_text = "4.000";
    document->modified = true;
    std::filesystem::remove(path);
    shell.preset_answer(Choice::yes);
    EXPECT_TRUE(frame->close());
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(shell.shown_boxes().back().text, "Сохранить изменения в frame_files_close.zr740?");
}

TEST_F(FrameFilesTest, UnchangedDocumentClosesWithoutAsking)
{
    document->modified = false;
    EXPECT_TRUE(frame->close());
    EXPECT_TRUE(shell.shown_boxes().empty());
}

TEST_F(FrameFilesTest, AFileOfTheOtherInstrumentOpensOnlyWhenAgreed)
{
    const std::string path = file("frame_files_variant.zr740");
    at("0x0018").value_text = "2.500";
    ASSERT_TRUE(frame->save_to(path));
    ASSERT_EQ(variant_of(path), 0);
    at("0x0018").value_text = "1.000";

    // The program now speaks with the older instrument.
    context.run.description_variant = 1;
    shell.preset_answer(Choice::no);
    EXPECT_FALSE(frame->open_path(path));
    ASSERT_EQ(shell.shown_boxes().size(), 1u);
    EXPECT_NE(shell.shown_boxes()[0].text.find("конфигурацию прибора ЗР740, а программа сейчас работает с прибором "
                                               "ЗР740(old)"),
              std::string::npos)
        << shell.shown_boxes()[0].text;
    EXPECT_EQ(at("0x0018").value_text, "1.000");

    shell.preset_answer(Choice::yes);
    EXPECT_TRUE(frame->open_path(path));
    EXPECT_EQ(context.run.description_variant.load(), 0);
    EXPECT_EQ(at("0x0018").value_text, "2.500");
    EXPECT_EQ(frame->path(), path);
    EXPECT_EQ(frame->windowTitle(), "Конфигуратор ЗР740 - frame_files_variant.zr740");
}

TEST_F(FrameFilesTest, RecentFilesKeepTheLastFourAndOpenFromTheMenu)
{
    std::vector<std::string> paths;
    for (const char* name : {"frame_recent_1.zr740", "frame_recent_2.zr740", "frame_recent_3.zr740",
                             "frame_recent_4.zr740", "frame_recent_5.zr740"}) {
        paths.push_back(file(name));
        ASSERT_TRUE(frame->save_to(paths.back()));
    }
    EXPECT_EQ(frame->recent_files(), (std::vector<std::string>{paths[4], paths[3], paths[2], paths[1]}));
    EXPECT_EQ(memory.texts["Recent File1"], paths[4]);
    EXPECT_TRUE(frame->action(57616)->text().startsWith("&1 "));

    // Opening the third entry moves it to the top; a file gone is dropped from the list with a note.
    frame->run_command(57616 + 2);
    EXPECT_EQ(frame->path(), paths[2]);
    EXPECT_EQ(frame->recent_files().front(), paths[2]);
    std::filesystem::remove(paths[1]);
    frame->run_command(57616 + 3);
    EXPECT_EQ(frame->recent_files().size(), 3u);
    EXPECT_EQ(shell.shown_boxes().back().icon, Icon::warning);
}

} // namespace
} // namespace zr740::testing
