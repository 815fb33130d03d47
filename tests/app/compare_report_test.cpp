// The differences a compare found, as the page for people: every text from the description or the
// instrument lands as text, the differing cells are marked, and the file is written whole.

#include "app/compare_report.h"

#include "../platform/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace zr740 {
namespace {

CompareDifference difference(std::string name, int index, std::string caption, std::string configured,
                             std::string measured)
{
    CompareDifference d;
    d.name = std::move(name);
    d.index = index;
    d.caption = std::move(caption);
    d.configuration.value = std::move(configured);
    d.instrument.value = std::move(measured);
    return d;
}

std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

TEST(DifferencesHtml, EscapesEveryTextAndMarksTheCellsThatDiffer)
{
    struct Case {
        const char* what;
        CompareDifference difference;
        std::string cells; // the row's cells as the page must hold them
    };
    CompareDifference attributes = difference("0x0018", -1, "Шкала", "1.000", "1.000");
    attributes.instrument.editable = false;
    attributes.instrument.factory_owned = true;
    const Case cases[] = {
        {"markup in a caption and values", difference("0x0100", 3, "<b>Диапазон</b> & \"шкала\"", "a<b", "'x'>y"),
         "<td>0x0100</td><td>3</td><td>&lt;b&gt;Диапазон&lt;/b&gt; &amp; &quot;шкала&quot;</td>"
         "<td class=\"differs\">a&lt;b</td><td>Редактируемый</td><td>Пользователь</td>"
         "<td class=\"differs\">&#39;x&#39;&gt;y</td><td>Редактируемый</td><td>Пользователь</td>"},
        {"an entity already written stays text", difference("0x0007", -1, "&amp;", "&lt;", "1"),
         "<td>0x0007</td><td></td><td>&amp;amp;</td><td class=\"differs\">&amp;lt;</td>"},
        {"only the attributes differ", attributes,
         "<td>1.000</td><td class=\"differs\">Редактируемый</td><td class=\"differs\">Пользователь</td>"
         "<td>1.000</td><td class=\"differs\">Не редактируемый</td><td class=\"differs\">Фирма</td>"},
    };
    for (const Case& c : cases) {
        const std::string page = differences_html({c.difference});
        EXPECT_NE(page.find(c.cells), std::string::npos) << c.what << "\n" << page;
        // The only tags are the page's own: none came from the texts.
        EXPECT_EQ(page.find("<b>"), std::string::npos) << c.what;
        EXPECT_EQ(occurrences(page, "<tr>"), 3u) << c.what;
    }
}

TEST(DifferencesHtml, CountsTheRowsAndWritesTheFile)
{
    const std::vector<CompareDifference> differences{difference("0x0016", -1, "Адрес", "5", "6"),
                                                     difference("0x0040", 0, "Канал №1", "Вкл", "Выкл")};
    const std::string page = differences_html(differences);
    EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(page.find("<h4>Отличия между конфигурацией и прибором: 2</h4>"), std::string::npos);
    EXPECT_LT(page.find("0x0016"), page.find("0x0040"));
    EXPECT_EQ(differences_html({}).find("<td>"), std::string::npos);

    testing::TempDir dir;
    const std::string path = (dir.path() / "differences.html").string();
    std::string reason;
    ASSERT_TRUE(save_differences_html(differences, path, reason)) << reason;
    std::ifstream file(path, std::ios::binary);
    std::stringstream written;
    written << file.rdbuf();
    EXPECT_EQ(written.str(), page);

    EXPECT_FALSE(save_differences_html(differences, "/proc/no-such-folder/differences.html", reason));
    EXPECT_FALSE(reason.empty());
}

} // namespace
} // namespace zr740
