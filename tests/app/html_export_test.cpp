// The parameter list page: its exact bytes for a small tree, the section walk (numbered copies,
// single-parameter elements, row numbers), the cells, escaping, the shipped description, and where
// the file goes when the current folder takes none.

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "app/html_export.h"
#include "app/html_note.h"
#include "model/text.h"
#include "platform/temp_dir.h"
#include "support/memory_settings.h"
#include "support/recording_shell.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <unistd.h>

namespace zr740 {
namespace {

namespace fs = std::filesystem;

DescBranch& add_element(DescBranch& parent, const std::string& name)
{
    parent.add_child(std::make_unique<DescBranch>(name, 1, 1, 2, 3));
    return *parent.children.back();
}

struct ParameterFields {
    std::string name;
    std::string type = "int";
    std::string caption = "подпись";
    double min = 0;
    double max = 0;
    int attribute_mode = 1;
    int count = 1;
    std::optional<int> index = std::nullopt; // set: indexed at that linear index
};

Parameter& add_parameter(DescBranch& element, const ParameterFields& fields)
{
    auto& parameter = element.append(std::make_unique<Parameter>(fields.name));
    parameter.type_text = fields.type;
    parameter.caption = fields.caption;
    parameter.min = fields.min;
    parameter.max = fields.max;
    parameter.attribute_mode = static_cast<std::uint8_t>(fields.attribute_mode);
    parameter.register_count = static_cast<std::uint8_t>(fields.count);
    parameter.indexed = fields.index.has_value();
    parameter.linear_index = fields.index.value_or(0);
    return parameter;
}

DescBranch make_root()
{
    return DescBranch("Параметры прибора", 1, 1, 1, 1);
}

std::string page_utf8(const DescBranch& root)
{
    return cp1251_to_utf8(parameter_list_page(root, "ЗР740"));
}

// Texts between each `open` and the following `close`.
std::vector<std::string> between(const std::string& text, std::string_view open, std::string_view close)
{
    std::vector<std::string> found;
    for (auto at = text.find(open); at != std::string::npos; at = text.find(open, at)) {
        at += open.size();
        const auto end = text.find(close, at);
        found.push_back(text.substr(at, end - at));
        at = end;
    }
    return found;
}

std::vector<std::string> headings(const std::string& page)
{
    return between(page, "<tr><td colspan=8 bgColor=\"#ffffaa\"><b>", "</b></td></tr>\n");
}

// The cells of every parameter row, the row number first.
std::vector<std::vector<std::string>> rows(const std::string& page)
{
    std::vector<std::vector<std::string>> out;
    const std::string table = page.substr(0, page.find("</table>\n\n<br>\n")); // not the note's rows
    for (const auto& row : between(table, "<tr>\n\t<td>", "</tr>\n"))
        out.push_back(between("\t<td>" + row, "\t<td>", "\t</td>\n"));
    return out;
}

const std::string head =
    "<html>\n<head>\n<meta HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1251\">\n"
    "\t<title>Список параметров прибора ЗР740(old)</title>\n</head>\n\n<body>\n"
    "<h4>Список конфигурационных параметров</h4>\n"
    "<table border=1 width=\"100%\" style=\"font-size=12px\">\n";
const std::string column_row = "<tr>\n<td><strong><b>№</b></strong></td>\n<td><strong><b>Команда</b></strong></td>\n"
                               "<td><strong><b>Кол-во Регистров</b></strong></td>\n"
                               "<td><strong><b>Описание</b></strong></td>\n<td><strong><b>Тип</b></strong></td>\n"
                               "<td><strong><b>Индексация</b></strong></td>\n"
                               "<td><strong><b>Диапазон значений</b></strong></td>\n"
                               "<td><strong><b>Атрибуты</b></strong></td>\n</tr>\n";
const std::string tail = "</table>\n\n<br>\n" + std::string(texts::parameter_list_note) + "</TABLE>\n</body>\n</html>";

TEST(HtmlExportPage, SmallTreeByteForByte)
{
    DescBranch root = make_root();
    DescBranch& network = add_element(root, "Сеть");
    add_parameter(network, {"0x0007", "int", "Сетевой адрес", 1, 247});
    add_parameter(network, {"0x0008", "Корвел:ModBus_RTU", "Протокол", 0, 0, 0});
    for (int copy = 1; copy <= 3; ++copy) {
        DescBranch& channel = add_element(network, "Канал №" + std::to_string(copy) + " выход");
        const std::string number = std::to_string(copy);
        add_parameter(channel, {"0x0020", "float", "Ток канала №" + number, -1.5, 20, 2, 2, 2 * (copy - 1)});
        add_parameter(channel, {"0x0022", "CLK_frm", "Время канала №" + number, 0, 0, 1, 2, 2 * (copy - 1)});
    }
    add_parameter(add_element(root, "Адрес"), {"0x0030", "string", "Адрес"});

    const std::string expected =
        head + "<tr><td colspan=8 bgColor=\"#ffffaa\"><b>Сеть</b></td></tr>\n" + column_row +
        "<tr>\n\t<td>1\t</td>\n\t<td>0x0007\t</td>\n\t<td>1\t</td>\n\t<td>Сетевой адрес\t</td>\n\t<td>int\t</td>\n"
        "\t<td>без индекса\t</td>\n\t<td>от 1.000 до 247.000\t</td>\n\t<td>обычн. атрибуты\t</td>\n</tr>\n"
        "<tr>\n\t<td>2\t</td>\n\t<td>0x0008\t</td>\n\t<td>1\t</td>\n\t<td>Протокол\t</td>\n"
        "\t<td>\n\t<ol start=0>\n\t\t<li> Корвел\n\t\t<li> ModBus RTU\n\t</ol>\t</td>\n"
        "\t<td>без индекса\t</td>\n\t<td>нет ограничений\t</td>\n\t<td>нет атрибутов\t</td>\n</tr>\n"
        "<tr><td colspan=8 bgColor=\"#ffffaa\"><b>Сеть\\Канал №... выход</b></td></tr>\n" +
        column_row +
        "<tr>\n\t<td>1\t</td>\n\t<td>0x0020\t</td>\n\t<td>2\t</td>\n\t<td>Ток канала №...\t</td>\n"
        "\t<td>float\t</td>\n\t<td>0,2..4\t</td>\n\t<td>от -1.500 до 20.000\t</td>\n"
        "\t<td>дерево атр-ов обрезано (кратность индекcов 2)\t</td>\n</tr>\n"
        "<tr>\n\t<td>2\t</td>\n\t<td>0x0022\t</td>\n\t<td>2\t</td>\n\t<td>Время канала №...\t</td>\n"
        "\t<td>CLK_frm\t</td>\n\t<td>0,2..4\t</td>\n\t<td>нет ограничений\t</td>\n\t<td>обычн. атрибуты\t</td>\n"
        "</tr>\n"
        "<tr>\n\t<td>3\t</td>\n\t<td>0x0030\t</td>\n\t<td>1\t</td>\n\t<td>Адрес\t</td>\n\t<td>string\t</td>\n"
        "\t<td>без индекса\t</td>\n\t<td>нет ограничений\t</td>\n\t<td>обычн. атрибуты\t</td>\n</tr>\n" +
        tail;
    EXPECT_EQ(parameter_list_page(root, "ЗР740(old)"), utf8_to_cp1251(expected));
}

TEST(HtmlExportPage, ElementsWithoutParametersGiveATableWithoutRows)
{
    DescBranch root = make_root();
    add_element(add_element(root, "Пусто"), "Тоже пусто");
    add_element(root, "Еще одно");
    std::string expected = head + tail;
    expected = replace_all(expected, "ЗР740(old)", "<неизвестен>");
    EXPECT_EQ(parameter_list_page(root, "<неизвестен>"), utf8_to_cp1251(expected));
    // The note's own table is the one the page's last "</TABLE>" closes.
    const std::string note = to_upper(texts::parameter_list_note);
    EXPECT_NE(note.find("<TABLE"), std::string::npos);
    EXPECT_EQ(note.find("</TABLE>"), std::string::npos);
}

TEST(HtmlExportPage, NumberedNeighboursShareOneSection)
{
    struct Case {
        std::vector<std::string> names;
        std::vector<std::string> headings;
    };
    const Case cases[] = {
        {{"Канал №1 выход", "Канал №2 выход", "Канал №12 выход"}, {"Канал №... выход"}},
        {{"Канал №1", "Канал №2", "Реле"}, {"Канал №...", "Реле"}},
        {{"№1 вход", "№2 вход"}, {"№... вход"}},
        // Only neighbours: a copy after another element starts a section of its own.
        {{"Канал №1 выход", "Реле", "Канал №2 выход"}, {"Канал №... выход", "Реле", "Канал №... выход"}},
        {{"Вход А", "Вход Б"}, {"Вход А", "Вход Б"}},
        {{"Реле", "Реле"}, {"Реле"}},
    };
    for (const auto& c : cases) {
        DescBranch root = make_root();
        for (const auto& name : c.names) {
            DescBranch& element = add_element(root, name);
            add_parameter(element, {"0x0001"});
            add_parameter(element, {"0x0002"});
            // A skipped copy's own children go with it; those listed take the shortened name as path.
            DescBranch& nested = add_element(element, "Вложенный");
            add_parameter(nested, {"0x0003"});
            add_parameter(nested, {"0x0004"});
        }
        std::vector<std::string> expected;
        for (const auto& heading : c.headings) {
            expected.push_back(heading);
            expected.push_back(heading + "\\Вложенный");
        }
        const std::string page = page_utf8(root);
        EXPECT_EQ(headings(page), expected) << c.names.front();
        EXPECT_EQ(rows(page).size(), 4 * c.headings.size()) << c.names.front();
    }
}

TEST(HtmlExportPage, RowNumbersAndHeadingsFollowTheWalk)
{
    DescBranch root = make_root();
    DescBranch& first = add_element(root, "Первый");
    add_parameter(first, {"0x0001"});
    add_parameter(first, {"0x0002"});
    DescBranch& inner = add_element(first, "Внутренний");
    add_parameter(inner, {"0x0003"});
    add_parameter(inner, {"0x0004"});
    add_parameter(add_element(inner, "Одиночный"), {"0x0005"}); // one parameter, no children: no heading
    DescBranch& lone_with_child = add_element(root, "Один с ветвью");
    add_parameter(lone_with_child, {"0x0006"});
    add_element(lone_with_child, "Пустой");
    add_parameter(add_element(root, "Одиночный"), {"0x0007"});

    const std::string page = page_utf8(root);
    EXPECT_EQ(headings(page), (std::vector<std::string>{"Первый", "Первый\\Внутренний", "Один с ветвью"}));
    std::vector<std::pair<std::string, std::string>> numbered;
    for (const auto& cells : rows(page))
        numbered.emplace_back(cells.at(0), cells.at(1));
    // Each call of the walk counts from 1: the rows of an element's children restart, those of
    // its neighbours go on.
    const std::vector<std::pair<std::string, std::string>> expected{{"1", "0x0001"}, {"2", "0x0002"}, {"1", "0x0003"},
                                                                    {"2", "0x0004"}, {"1", "0x0005"}, {"3", "0x0006"},
                                                                    {"4", "0x0007"}};
    EXPECT_EQ(numbered, expected);
}

TEST(HtmlExportPage, Cells)
{
    struct Case {
        ParameterFields fields;
        std::size_t cell;
        std::string text;
    };
    const Case cases[] = {
        {{"a", "int", "c", 0, 0}, 6, "нет ограничений"},
        {{"a", "int", "c", 5, 1}, 6, "нет ограничений"},
        {{"a", "int", "c", -0.0005, 1e6}, 6, "от -0.001 до 1000000.000"},
        {{.name = "a", .attribute_mode = 0}, 7, "нет атрибутов"},
        {{.name = "a", .attribute_mode = 1}, 7, "обычн. атрибуты"},
        {{.name = "a", .attribute_mode = 8}, 7, "дерево атр-ов обрезано (кратность индекcов 8)"},
        {{.name = "a", .count = 4}, 2, "4"},
        {{.name = "a", .type = "STORED_DOT"}, 4, "STORED_DOT"},
        {{.name = "a", .type = "dec_DOT:2"}, 4, "dec_DOT"},
        {{.name = "a", .type = "7:8"}, 4, "\n\t<ol start=0>\n\t\t<li> 7\n\t\t<li> 8\n\t</ol>"},
        {{.name = "a", .type = "Вкл_выкл"}, 4, "\n\t<ol start=0>\n\t\t<li> Вкл выкл\n\t</ol>"},
        {{.name = "a", .type = "float_x"}, 4, "\n\t<ol start=0>\n\t\t<li> float x\n\t</ol>"},
        {{.name = "a", .caption = "Канал №1 из №12"}, 3, "Канал №... из №...2"},
    };
    for (const auto& c : cases) {
        DescBranch root = make_root();
        add_parameter(add_element(root, "Элемент"), c.fields);
        const auto cells = rows(page_utf8(root));
        ASSERT_EQ(cells.size(), 1u);
        ASSERT_EQ(cells[0].size(), 8u);
        EXPECT_EQ(cells[0][c.cell], c.text) << c.fields.type << " " << c.fields.min << " " << c.fields.max;
    }
}

TEST(HtmlExportPage, IndexingFromTheWholeTree)
{
    DescBranch root = make_root();
    DescBranch& a = add_element(root, "А");
    add_parameter(a, {.name = "0x000A", .index = 0});
    add_parameter(a, {.name = "0x0010", .index = 0}); // indexed, but the only index is 0
    add_parameter(a, {.name = "0x0020"});             // not indexed, though indexed copies exist
    add_parameter(a, {.name = "0x0030", .index = 5}); // alone at a higher index
    DescBranch& b = add_element(root, "Б");
    for (int index : {9, 3, 6, 3})
        add_parameter(add_element(b, "В" + std::to_string(index)), {.name = "0x000a", .index = index});
    add_parameter(add_element(b, "Г"), {.name = "0x0020", .index = 4});

    std::vector<std::string> indexing;
    for (const auto& cells : rows(page_utf8(root)))
        indexing.push_back(cells.at(5));
    const std::vector<std::string> expected{"0,3..9", "без индекса", "без индекса", "0,5..5", "0,3..9",
                                            "0,3..9", "0,3..9",      "0,3..9",      "0,4..4"};
    EXPECT_EQ(indexing, expected);
}

TEST(HtmlExportPage, DescriptionTextCannotInjectMarkup)
{
    DescBranch root = make_root();
    DescBranch& element = add_element(root, "A&B <i>");
    add_parameter(element, {"<p>", "x&y:<b>", "1 < 2 & 3 > 0"});
    add_parameter(element, {"q", "float", "c"});
    DescBranch& two = add_element(add_element(element, "<script>"), "two");
    add_parameter(two, {"s"});
    add_parameter(two, {"t"});

    const std::string page = page_utf8(root);
    EXPECT_EQ(headings(page),
              (std::vector<std::string>{"A&amp;B &lt;i&gt;", "A&amp;B &lt;i&gt;\\&lt;script&gt;\\two"}));
    const auto cells = rows(page);
    ASSERT_FALSE(cells.empty());
    EXPECT_EQ(cells[0][1], "&lt;p&gt;");
    EXPECT_EQ(cells[0][3], "1 &lt; 2 &amp; 3 &gt; 0");
    EXPECT_EQ(cells[0][4], "\n\t<ol start=0>\n\t\t<li> x&amp;y\n\t\t<li> &lt;b&gt;\n\t</ol>");
    for (std::string_view injected : {"<p>", "<i>", "<b>\n", "<script>"})
        EXPECT_EQ(page.find(injected), std::string::npos) << injected;
}

class HtmlExportShipped : public ::testing::TestWithParam<int> {};

TEST_P(HtmlExportShipped, ExportsAsWindows1251)
{
    AppContext context;
    context.program_folder = std::string(ZR740_BINARY_DIR) + "/bin";
    context.run.description_variant = GetParam();
    testing::RecordingShell shell;
    testing::MemorySettings settings;
    CHLB5Doc document{context, shell, settings, {}};
    ASSERT_TRUE(document.on_new_document());
    ASSERT_NE(document.root(), nullptr);

    const std::string page = parameter_list_page(*document.root(), GetParam() == 1 ? "ЗР740(old)" : "ЗР740");
    // Every character had a Windows-1251 counterpart (the description holds no "?") and nothing
    // is left in UTF-8.
    EXPECT_EQ(page.find('?'), std::string::npos);
    const std::string utf8 = cp1251_to_utf8(page);
    EXPECT_EQ(utf8_to_cp1251(utf8), page);
    EXPECT_NE(utf8.find("charset=windows-1251"), std::string::npos);

    std::size_t parameters = 0;
    document.root()->for_each_parameter([&](Parameter&) { ++parameters; });
    EXPECT_GT(parameters, 10u);
    EXPECT_EQ(rows(utf8).size(), parameters);
    EXPECT_NE(utf8.find("<b>Сетевые параметры</b>"), std::string::npos);
    EXPECT_NE(utf8.find("\t<td>Сетевой адрес\t</td>\n"), std::string::npos);
    EXPECT_EQ(shell.messages.size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Variants, HtmlExportShipped, ::testing::Values(0, 1));

// Records the order of the calls the export makes on the shell.
class ExportShell : public testing::RecordingShell {
public:
    void set_wait_cursor(bool on) override
    {
        events.push_back(on ? "wait on" : "wait off");
        RecordingShell::set_wait_cursor(on);
    }
    void open_file(const std::string& path) override { events.push_back("open " + path); }
    void message(const std::string& text, const std::string& caption, Icon icon, Owner owner) override
    {
        events.push_back("message");
        RecordingShell::message(text, caption, icon, owner);
    }
    std::vector<std::string> events;
};

// Runs the test body in another current folder and goes back afterwards.
class InFolder {
public:
    explicit InFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~InFolder()
    {
        std::error_code ignored;
        fs::current_path(previous_, ignored);
    }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    fs::path previous_;
};

std::string file_bytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class HtmlExportFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        DescBranch& element = add_element(root, "Элемент");
        add_parameter(element, {"0x0001", "int", "Первый"});
        add_parameter(element, {"0x0002", "float", "Второй"});
        expected = parameter_list_page(root, "ЗР740");
        fs::create_directory(dir.path() / "work");
    }

    DescBranch root = make_root();
    std::string expected;
    testing::TempDir dir;
    ExportShell shell;
};

TEST_F(HtmlExportFile, WritesIntoTheCurrentFolderAnewAndOpensIt)
{
    const fs::path work = dir.path() / "work";
    const fs::path target = work / "parlist.html";
    std::ofstream(target) << std::string(expected.size() * 2, 'x'); // an older, longer page
    InFolder in(work);

    const auto written = export_parameter_list(root, "ЗР740", shell, dir.path() / "cache");
    ASSERT_TRUE(written);
    EXPECT_TRUE(fs::equivalent(*written, target)) << *written; // the folder may be reached through a link
    EXPECT_EQ(file_bytes(target), expected);
    EXPECT_EQ(shell.events, (std::vector<std::string>{"wait on", "wait off", "open " + written->string()}));
    EXPECT_FALSE(fs::exists(dir.path() / "cache"));
}

TEST_F(HtmlExportFile, FallsBackToTheCacheFolderAndSaysWhere)
{
    const fs::path work = dir.path() / "work";
    struct Case {
        const char* what;
        std::function<bool()> block; // false: cannot be set up here
    };
    const Case cases[] = {
        // A folder by the page's name: creation fails for any user, root included.
        {"name taken", [&] { return fs::create_directory(work / "parlist.html"); }},
        // A read-only folder stops everyone but root.
        {"read-only",
         [&] {
             fs::remove(work / "parlist.html");
             fs::permissions(work, fs::perms::owner_read | fs::perms::owner_exec);
             return ::geteuid() != 0;
         }},
    };
    for (const auto& c : cases) {
        if (!c.block()) {
            std::cout << "[ skipped  ] " << c.what << ": root writes into read-only folders\n";
            continue;
        }
        shell.events.clear();
        shell.messages.clear();
        const fs::path fallback = dir.path() / c.what / "cache" / "zr740";
        std::optional<fs::path> written;
        {
            InFolder in(work);
            written = export_parameter_list(root, "ЗР740", shell, fallback);
        }
        const fs::path page = fallback / "parlist.html";
        ASSERT_TRUE(written) << c.what;
        EXPECT_EQ(*written, page);
        EXPECT_EQ(file_bytes(page), expected);
        ASSERT_EQ(shell.messages.size(), 1u);
        EXPECT_EQ(shell.messages[0].caption, "ЗР740");
        EXPECT_EQ(shell.messages[0].icon, Icon::information);
        EXPECT_EQ(shell.messages[0].owner, Owner::main_window);
        EXPECT_NE(shell.messages[0].text.find(page.string()), std::string::npos) << shell.messages[0].text;
        EXPECT_EQ(shell.events, (std::vector<std::string>{"wait on", "wait off", "message", "open " + page.string()}));
    }
    fs::permissions(work, fs::perms::owner_all);
}

TEST_F(HtmlExportFile, NoPlaceAtAllIsReportedWithTheReasons)
{
    const fs::path work = dir.path() / "work";
    fs::create_directory(work / "parlist.html");
    std::ofstream(dir.path() / "plain") << "a file, not a folder";
    InFolder in(work);

    const auto written = export_parameter_list(root, "ЗР740", shell, dir.path() / "plain" / "zr740");
    EXPECT_FALSE(written);
    ASSERT_EQ(shell.messages.size(), 1u);
    const auto& message = shell.messages[0];
    EXPECT_EQ(message.caption, "ЗР740");
    EXPECT_EQ(message.icon, Icon::stop);
    EXPECT_NE(message.text.find((work / "parlist.html").string() + ":\nIs a directory"), std::string::npos)
        << message.text;
    EXPECT_NE(message.text.find("Not a directory"), std::string::npos) << message.text;
    EXPECT_EQ(shell.events, (std::vector<std::string>{"wait on", "wait off", "message"}));
}

TEST(HtmlExportFolder, CacheFolderFromTheEnvironment)
{
    struct Case {
        std::map<std::string, std::string> environment;
        fs::path folder;
    };
    const Case cases[] = {
        {{{"XDG_CACHE_HOME", "/var/cache/u"}, {"HOME", "/home/u"}}, "/var/cache/u/zr740"},
        {{{"XDG_CACHE_HOME", "relative"}, {"HOME", "/home/u"}}, "/home/u/.cache/zr740"},
        {{{"XDG_CACHE_HOME", ""}, {"HOME", "/home/u"}}, "/home/u/.cache/zr740"},
        {{{"HOME", "/home/u"}}, "/home/u/.cache/zr740"},
    };
    for (const auto& c : cases) {
        const auto folder = parameter_list_fallback_folder([&](const char* name) -> std::optional<std::string> {
            const auto found = c.environment.find(name);
            return found == c.environment.end() ? std::nullopt : std::optional<std::string>(found->second);
        });
        EXPECT_EQ(folder, c.folder);
    }
}

} // namespace
} // namespace zr740
