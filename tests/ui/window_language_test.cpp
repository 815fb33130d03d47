// SPDX-License-Identifier: GPL-3.0-or-later
// The window's language: the translation for the user's locale reaches every kind of window text
// (menus, prompts split into status text and tooltip, headings, captions, counts); without one the
// window is Russian, and Qt's own buttons speak the window's language.

#include "frame_fixture.h"

#include "ui/chlb5_tree_list_view.h"
#include "ui/frame_texts.h"
#include "ui/progress_window.h"
#include "ui/window_language.h"

#include <QHeaderView>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>

#include <optional>

namespace zr740::testing {
namespace {

const QString test_translations = QStringLiteral(ZR740_TEST_TRANSLATIONS);

QString yes_button_text()
{
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    return box.button(QMessageBox::Yes)->text();
}

TEST(WindowLanguageTest, TheFirstLanguageWithATranslationElseRussian)
{
    struct Case {
        const char* locale;
        const char* language;
        const char* menu_file;
        const char* yes;
    };
    const Case cases[] = {
        {"en_US", "en", "&File", "&Yes"},
        {"en_GB", "en", "&File", "&Yes"},
        {"ru_RU", "ru", "&Файл", "&Да"},
        // No German translation: the window stays Russian, and so do the buttons.
        {"de_DE", "ru", "&Файл", "&Да"},
        {"C", "ru", "&Файл", "&Да"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        {
            const ui::WindowLanguage language(test_translations, QLocale(QString::fromLatin1(c.locale)));
            EXPECT_EQ(language.language(), QString::fromLatin1(c.language));
            EXPECT_EQ(ui::q(ui::texts::menu_file), QString::fromUtf8(c.menu_file));
            // A text the translation does not have stays Russian.
            EXPECT_EQ(ui::q(ui::texts::menu_device), QString::fromUtf8("&Прибор"));
            EXPECT_EQ(yes_button_text(), QString::fromUtf8(c.yes));
        }
        // Gone with the object.
        EXPECT_EQ(ui::q(ui::texts::menu_file), QString::fromUtf8("&Файл"));
    }
}

TEST(WindowLanguageTest, AFolderWithoutTranslationsLeavesTheWindowRussian)
{
    const ui::WindowLanguage language(QStringLiteral("/nonexistent/translations"), QLocale(QLocale::English));
    EXPECT_EQ(language.language(), QStringLiteral("ru"));
    EXPECT_EQ(ui::q(ui::texts::menu_file), QString::fromUtf8("&Файл"));
}

// The main window built while the English translation is installed.
class WindowInEnglishTest : public FrameFixture {
  protected:
    void SetUp() override
    {
        language.emplace(test_translations, QLocale(QLocale::English, QLocale::UnitedStates));
        FrameFixture::SetUp();
    }
    void TearDown() override
    {
        FrameFixture::TearDown();
        language.reset();
    }
    std::optional<ui::WindowLanguage> language;
};

TEST_F(WindowInEnglishTest, EveryKindOfTextIsTranslated)
{
    ASSERT_EQ(language->language(), QStringLiteral("en"));
    EXPECT_EQ(frame->menuBar()->actions().at(0)->text(), QStringLiteral("&File"));
    QAction* read_all = frame->action(ui::texts::ids::read_all);
    EXPECT_EQ(read_all->text(), QStringLiteral("Read all parameters\tAlt+R"));
    EXPECT_EQ(read_all->statusTip(), QStringLiteral("Read all parameters from the instrument"));
    EXPECT_EQ(read_all->toolTip(), QStringLiteral("Read"));
    EXPECT_EQ(frame->view()->tree()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Description"));
    EXPECT_TRUE(frame->windowTitle().startsWith(QStringLiteral("Configurator "))) << frame->windowTitle().toStdString();

    ui::CProgressDlg progress;
    progress.set_count(3, 10);
    EXPECT_EQ(progress.count_text(), QStringLiteral("3 of 10"));
}

} // namespace
} // namespace zr740::testing
