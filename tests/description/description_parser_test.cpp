#include "description/description_loader.h"
#include "description/description_parser.h"
#include "model/text.h"
#include "support/recording_shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace zr740 {
namespace {

using testing::RecordingShell;

struct Loaded {
    RecordingShell shell;
    DescriptionLists lists;
    PoutTable pout{};
    LoadedTrees trees;
};

// Loads a UTF-8 description the way the program loads the Windows-1251 one.
std::unique_ptr<Loaded> load(const std::string& utf8, InstrumentVersion version = {})
{
    auto loaded = std::make_unique<Loaded>();
    loaded->trees = parse_and_build(utf8_to_cp1251(utf8), loaded->lists, version, loaded->pout, loaded->shell);
    return loaded;
}

std::vector<std::string> message_texts(const RecordingShell& shell)
{
    std::vector<std::string> texts;
    for (const auto& m : shell.messages)
        texts.push_back(m.text);
    return texts;
}

std::vector<std::string> parameter_names(DescBranch& branch)
{
    std::vector<std::string> names;
    branch.for_each_parameter([&](Parameter& p) { names.push_back(p.name); });
    return names;
}

const std::string basic =
    "parameter 0x0007 1 int Адрес\n"
    "parameter 0x0009 1 2400:4800:9600 Скорость\n"
    "branch Сеть 1 4 4 0x0007 0x0009\n"
    "root Прибор 1 0 0 Сеть\n";

TEST(DescriptionText, LineEndingsAndBlankLinesParseAlike)
{
    for (const std::string eol : {"\n", "\r\n", "\n\r", "\r", "\n\n\r\n  \n"}) {
        std::string text = basic;
        text = replace_all(text, "\n", eol);
        auto loaded = load(text);
        SCOPED_TRACE(eol.size());
        EXPECT_TRUE(loaded->shell.messages.empty());
        ASSERT_NE(loaded->trees.root, nullptr);
        EXPECT_EQ(parameter_names(*loaded->trees.root), (std::vector<std::string>{"0x0007", "0x0009"}));
    }
}

TEST(DescriptionText, ZeroByteEndsTheText)
{
    std::string text = basic + std::string(1, '\0') + "bogus line here\n";
    auto loaded = load(text);
    EXPECT_TRUE(loaded->shell.messages.empty());
    ASSERT_NE(loaded->trees.root, nullptr);
}

TEST(DescriptionText, RejectedLineKeepsWhatCameBefore)
{
    auto loaded = load("parameter 0x0001 1 int Один\n"
                       "branch Первая 1 0 0 0x0001\n"
                       "root Прибор 1 0 0 Первая\n"
                       "parameter 0x0002 1 int Два\n"
                       "strange line\n"
                       "parameter 0x0003 1 int Три\n");
    ASSERT_EQ(loaded->shell.messages.size(), 2u);
    EXPECT_EQ(loaded->shell.messages[0].text, "Непонятная команда в описателе 'strange'");
    EXPECT_EQ(loaded->shell.messages[0].caption, "Ошибка в описателе");
    EXPECT_EQ(loaded->shell.messages[0].icon, Icon::stop);
    EXPECT_EQ(loaded->shell.messages[0].owner, Owner::none);
    EXPECT_EQ(loaded->shell.messages[1].text, "Не удалось создать дерево параметров");
    EXPECT_EQ(loaded->shell.messages[1].caption, "ЗР740");
    ASSERT_NE(loaded->trees.root, nullptr);
    EXPECT_EQ(parameter_names(*loaded->trees.root), std::vector<std::string>{"0x0001"});
    // The descriptor of the line after the root survives; the one after the failure was never read.
    EXPECT_EQ(loaded->lists.parameters().size(), 2u);
}

struct LineCase {
    const char* line;
    std::vector<std::string> messages; // besides the root branch of `basic`
};

TEST(DescriptionLine, MessagesAndIgnoredLines)
{
    const std::vector<LineCase> cases = {
        {"; a comment with fields", {}},
        {"' another comment", {}},
        {";x y", {"Непонятная команда в описателе ';x'", "Не удалось создать дерево параметров"}},
        {"parameter", {}}, // a keyword alone is ignored
        {"frobnicate", {}},
        {"frobnicate now", {"Непонятная команда в описателе 'frobnicate'", "Не удалось создать дерево параметров"}},
        {"rule 0x0099 0 10", {"Параметр '0x0099' не определен.", "Не удалось создать дерево параметров"}},
        {"init 0x0099 5", {"Параметр '0x0099' не определен.", "Не удалось создать дерево параметров"}},
        {"rule 0x0007 1", {"Не удалось создать дерево параметров"}}, // too few fields
        {"parameter 0x0010 1 int", {"Не удалось создать дерево параметров"}},
        {"#if ver >=", {}}, // version unknown ... but too few fields raises first
        {"branch B 1 0 0 nothing", {"Что такое 'nothing', не ясно!", "Не удалось создать дерево параметров"}},
        {"const K 1\nconst k 2", {"Константа 'k' уже определена!", "Не удалось создать дерево параметров"}},
        {"PARAMETER 0x0010 1 int Upper_case_keyword", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        auto loaded = load(std::string(c.line) + "\n" + basic);
        auto expected = c.messages;
        if (!expected.empty())
            expected.push_back("Не опредена корневая ветвь");
        if (std::string(c.line) == "#if ver >=")
            expected = {"Не удалось создать дерево параметров", "Не опредена корневая ветвь"};
        EXPECT_EQ(message_texts(loaded->shell), expected);
    }
}

TEST(DescriptionLine, MessageCaptionsAndIcons)
{
    auto rule = load("rule nope 1 2\n");
    ASSERT_FALSE(rule->shell.messages.empty());
    EXPECT_EQ(rule->shell.messages[0].caption, "Ошибка описателя");
    EXPECT_EQ(rule->shell.messages[0].icon, Icon::warning);
    EXPECT_EQ(rule->shell.messages[0].owner, Owner::main_window);

    auto constant = load("const A 1\nconst A 2\n");
    EXPECT_EQ(constant->shell.messages[0].caption, "Ошибка в описателе");
    EXPECT_EQ(constant->shell.messages[0].icon, Icon::stop);
    EXPECT_EQ(constant->shell.messages[0].owner, Owner::main_window);
}

struct VersionCase {
    InstrumentVersion version;
    const char* condition;
    bool block_read;
};

TEST(DescriptionVersionBlocks, OperatorsAndUnknownVersion)
{
    const std::vector<VersionCase> cases = {
        {{-1, -1}, "#if ver >= 0.0", false}, {{1, 5}, "#if ver >= 1.5", true}, {{1, 4}, "#if ver >= 1.5", false},
        {{2, 0}, "#if ver >= 1.5", true},    {{1, 5}, "#if ver > 1.5", false}, {{1, 6}, "#if ver > 1.5", true},
        {{1, 5}, "#if ver < 1.5", false},    {{1, 4}, "#if ver < 1.5", true},  {{1, 5}, "#if ver <= 1.5", true},
        {{1, 6}, "#if ver <= 1.5", false},   {{0, 9}, "#if ver <= 1.5", true}, {{1, 0}, "#if ver == 9.9", true},
        {{1, 0}, "#IF ver > 5.0", false},    {{1, 0}, "#if ver > 1", true}, // minor missing counts as -1
        {{1, 5}, "#if ver >= 0x1.5", true},  {{8, 0}, "#if ver >= 010.0", true}, // C integer syntax: 010 is 8
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.condition) + " at " + std::to_string(c.version.major) + "." +
                     std::to_string(c.version.minor));
        auto loaded = load(std::string("parameter 0x0001 1 int Всегда\n") + c.condition +
                               "\nparameter 0x0002 1 int Новое\n#else\nparameter 0x0003 1 int Старое\n#endif\n"
                               "root R 1 0 0 0x0001 0x0002 0x0003\n",
                           c.version);
        // The branch line names a parameter of the part that was skipped, so check the descriptors.
        std::vector<std::string> names;
        for (const auto& p : loaded->lists.parameters())
            names.push_back(p->name);
        const std::vector<std::string> expected =
            c.block_read ? std::vector<std::string>{"0x0001", "0x0002"} : std::vector<std::string>{"0x0001", "0x0003"};
        EXPECT_EQ(names, expected);
    }
}

TEST(DescriptionVersionBlocks, VerMustBeWrittenExactly)
{
    auto loaded = load("#if VER >= 9.0\nparameter 0x0001 1 int A\n#endif\n", {1, 0});
    EXPECT_EQ(loaded->lists.parameters().size(), 1u); // the line was ignored, nothing skipped
}

TEST(DescriptionVersionBlocks, ElseWithoutIfSkipsUntilTheNextElse)
{
    auto loaded = load("#else\nparameter 0x0001 1 int A\n#else\nparameter 0x0002 1 int B\n#endif\n");
    ASSERT_EQ(loaded->lists.parameters().size(), 1u);
    EXPECT_EQ(loaded->lists.parameters()[0]->name, "0x0002");
}

TEST(DescriptionVersionBlocks, IfInsideSkippedBlockDoesNotNest)
{
    auto loaded = load("#if ver > 9.0\n#if ver < 9.0\nparameter 0x0001 1 int A\n#endif\nparameter 0x0002 1 int B\n",
                       {1, 0});
    ASSERT_EQ(loaded->lists.parameters().size(), 1u);
    EXPECT_EQ(loaded->lists.parameters()[0]->name, "0x0002");
}

TEST(DescriptionParameters, FieldsOfTheDescriptor)
{
    auto loaded = load("type Ед кПа МПа мм_рт.ст.\n"
                       "type Ед a b\n"
                       "parameter @0x0015 1 ед Единица\n"
                       "parameter 0x0016 1 int Точка noattr\n"
                       "parameter 0x0017 1 int Таблица table2+ 4\n"
                       "parameter 0x0018 1 int Звезда table5* 3\n"
                       "parameter 0x0019 1 int Без_числа table2+\n"
                       "parameter 0x001A 1 int Чужое_слово words 7\n"
                       "parameter !0x001B 2 1:2:3 Встроенный_список\n"
                       "rule 0x0016 0 3.5\n"
                       "rule 0X0016 9 9\n"
                       "init 0x0015 мм_рт.ст.\n");
    EXPECT_TRUE(loaded->shell.messages.size() == 1); // no root
    const auto& p = loaded->lists.parameters();
    ASSERT_EQ(p.size(), 7u);
    EXPECT_EQ(p[0]->name, "0x0015");
    EXPECT_EQ(p[0]->type_text, "a:b"); // the last type of that name
    EXPECT_EQ(p[0]->attribute_mode, 1);
    EXPECT_EQ(p[0]->init_text, "мм рт.ст.");
    EXPECT_EQ(p[1]->attribute_mode, 0);
    EXPECT_DOUBLE_EQ(p[1]->min, 9); // the rule line found it without regard to case, later wins
    EXPECT_DOUBLE_EQ(p[1]->max, 9);
    EXPECT_EQ((std::vector<int>{p[2]->attribute_table, p[2]->table_mark, p[2]->attribute_count}),
              (std::vector<int>{2, 1, 4}));
    EXPECT_EQ((std::vector<int>{p[3]->attribute_table, p[3]->table_mark, p[3]->attribute_count}),
              (std::vector<int>{5, 2, 3}));
    EXPECT_EQ((std::vector<int>{p[4]->attribute_mode, p[4]->attribute_table, p[4]->table_mark, p[4]->attribute_count}),
              (std::vector<int>{1, 0, 0, 0}));
    EXPECT_EQ((std::vector<int>{p[5]->attribute_table, p[5]->table_mark, p[5]->attribute_count}),
              (std::vector<int>{0, 0, 7}));
    EXPECT_EQ(p[6]->name, "!0x001B");
    EXPECT_EQ(p[6]->register_count, 2);
    EXPECT_EQ(p[6]->type_text, "1:2:3");
    EXPECT_EQ(p[6]->caption, "Встроенный_список");
}

TEST(DescriptionParameters, RuleAfterABranchLeavesTheBranchsCopyAlone)
{
    auto loaded = load("parameter 0x0001 1 int A\n"
                       "branch Before 1 0 0 0x0001\n"
                       "rule 0x0001 1 5\n"
                       "init 0x0001 3\n"
                       "branch After 1 0 0 0x0001\n"
                       "root R 1 0 0 Before After\n");
    ASSERT_TRUE(loaded->shell.messages.empty());
    const auto& before = *loaded->trees.root->children[0]->parameters[0];
    const auto& after = *loaded->trees.root->children[1]->parameters[0];
    EXPECT_DOUBLE_EQ(before.max, 0);
    EXPECT_EQ(before.init_text, "");
    EXPECT_DOUBLE_EQ(after.min, 1);
    EXPECT_DOUBLE_EQ(after.max, 5);
    EXPECT_EQ(after.init_text, "3");
}

TEST(DescriptionBranches, CountFromNumberOrConstant)
{
    auto zero = load("parameter 0x0001 1 int A\nbranch B 0 0 0 0x0001\nroot R 1 0 0 0x0001\n");
    EXPECT_TRUE(zero->shell.messages.empty());
    auto missing = load("parameter 0x0001 1 int A\nbranch B NOPE 0 0 0x0001\nroot R 1 0 0 B\n");
    EXPECT_EQ(message_texts(missing->shell),
              (std::vector<std::string>{"Что такое 'B', не ясно!", "Не удалось создать дерево параметров",
                                        "Не опредена корневая ветвь"}));

    auto four = load("const N 4.7\nparameter 0x0001 1 int A\nbranch Канал# N 1 2 0x0001\nroot R 1 0 0 Канал#\n");
    EXPECT_TRUE(four->shell.messages.empty());
    auto& root = *four->trees.root;
    ASSERT_EQ(root.children.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        const auto& child = *root.children[static_cast<std::size_t>(i)];
        EXPECT_EQ(child.name, "Канал " + std::to_string(i + 1));
        EXPECT_EQ(child.instance_number, i + 1);
        EXPECT_EQ(child.icon_index(), 1);
        EXPECT_EQ(child.selected_icon_index(), 2);
        ASSERT_EQ(child.parameters.size(), 1u);
        EXPECT_EQ(child.parameters[0]->indexed, 1);
        EXPECT_EQ(child.parameters[0]->linear_index, i);
        EXPECT_EQ(child.parameters[0]->caption, child.name); // a lone parameter takes the branch name
    }
}

TEST(DescriptionBranches, NameMarkers)
{
    // "*2" doubles the index base, "+1" adds one to it and to the shown number.
    auto loaded = load("parameter P 1 int P\n"
                       "branch Ряд*2 2 0 0 P\n"
                       "branch Сдвиг+1 2 0 0 P\n"
                       "branch K20+1 2 0 0 P\n"
                       "root R 1 0 0 Ряд*2 Сдвиг+1 K20+1\n");
    ASSERT_TRUE(loaded->shell.messages.empty());
    auto& root = *loaded->trees.root;
    ASSERT_EQ(root.children.size(), 6u);
    std::vector<std::string> names;
    std::vector<int> indices;
    for (auto& child : root.children) {
        names.push_back(child->name);
        indices.push_back(child->parameters[0]->linear_index);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Ряд 1", "Ряд 2", "Сдвиг 2", "Сдвиг 3", "K20 1", "K20 2"}));
    EXPECT_EQ(indices, (std::vector<int>{0, 2, 1, 2, 1, 2}));
}

TEST(DescriptionBranches, NestedInstancesMultiplyTheIndex)
{
    auto loaded = load("parameter P 1 int P\nparameter Q 1 int Q\n"
                       "branch Вход_# 2 0 0 P\n"
                       "branch Модуль_# 3 0 0 Q Вход_#\n"
                       "root R 1 0 0 Модуль_#\n");
    ASSERT_TRUE(loaded->shell.messages.empty());
    std::vector<int> q;
    std::vector<int> p;
    for (auto& module : loaded->trees.root->children) {
        q.push_back(module->parameters[0]->linear_index);
        for (auto& input : module->children)
            p.push_back(input->parameters[0]->linear_index);
    }
    // Each module spans two inputs, so its own parameter counts in steps of two.
    EXPECT_EQ(q, (std::vector<int>{0, 2, 4}));
    EXPECT_EQ(p, (std::vector<int>{0, 1, 2, 3, 4, 5}));
}

// Instance counts from constants of any size, and linear indices that outgrow an int through
// nesting and "*" markers: a message, and no tree built on wrapped numbers.
TEST(DescriptionBranches, HostileCountsAndIndicesGetAMessage)
{
    const std::string not_built = "Не удалось создать дерево параметров";
    const std::string no_root = "Не опредена корневая ветвь";
    struct {
        const char* constant;
        std::vector<std::string> messages;
        int instances; // of the root branch; 0: none made
    } cases[] = {
        {"4096", {}, 4096},         {"4096.9", {}, 4096},      {"4097", {not_built, no_root}, 0},
        {"1e300", {not_built, no_root}, 0}, {"inf", {not_built, no_root}, 0}, {"-inf", {no_root}, 0},
        {"nan", {no_root}, 0},      {"-5", {no_root}, 0},
    };
    for (const auto& c : cases) {
        auto loaded = load(std::string("const N ") + c.constant + "\nparameter P 1 int P\nroot R N 0 0 P\n");
        EXPECT_EQ(message_texts(loaded->shell), c.messages) << c.constant;
        EXPECT_EQ(loaded->trees.root ? loaded->trees.root->instance_count : 0, c.instances) << c.constant;
    }

    // Each level doubles the instances and multiplies the index base by 9: nine levels take the
    // linear indices past the int range while the tree itself stays small.
    std::string text = "parameter P 1 int P\nbranch L1*9 2 0 0 P\n";
    for (int level = 2; level <= 9; ++level)
        text += "branch L" + std::to_string(level) + "*9 2 0 0 P L" + std::to_string(level - 1) + "*9\n";
    auto deep = load(text + "root R 1 0 0 L9*9\n");
    EXPECT_EQ(message_texts(deep->shell),
              std::vector<std::string>{"Линейные индексы параметров в описателе слишком велики (число экземпляров "
                                       "ветвей и метки '*', '+')"});
    EXPECT_EQ(deep->trees.root, nullptr);
    EXPECT_EQ(deep->lists.root, nullptr);
    EXPECT_EQ(deep->pout, PoutTable{});
    // Seven levels still fit.
    text = "parameter P 1 int P\nbranch L1*9 2 0 0 P\n";
    for (int level = 2; level <= 7; ++level)
        text += "branch L" + std::to_string(level) + "*9 2 0 0 P L" + std::to_string(level - 1) + "*9\n";
    auto fits = load(text + "root R 1 0 0 L7*9\n");
    EXPECT_TRUE(fits->shell.messages.empty());
    ASSERT_NE(fits->trees.root, nullptr);
}

TEST(DescriptionBranches, TreeBuildDetails)
{
    auto loaded = load("parameter !0x0002 1 float:2 Не_обменивается\n"
                       "parameter 0x0003 2 int16:3 Число\n"
                       "parameter 0x0004 2 1:2 Список\n"
                       "branch Сетевые_параметры 1 4 4 !0x0002 0x0003\n"
                       "branch Прочее 1 0 0 0x0004 Сетевые_параметры\n"
                       "root R 1 0 0 Прочее\n"
                       "parameter POUt 1 int Выход\n"
                       "branch Выход_# 9 0 0 POUt\n"
                       "scanners Опрос 1 0 0 0x0003 Выход_#\n");
    ASSERT_EQ(message_texts(loaded->shell), std::vector<std::string>{});
    auto& root = *loaded->trees.root;
    EXPECT_EQ(root.children[0]->name, "Прочее");
    auto& net = *root.children[0]->children[0];
    EXPECT_EQ(net.name, "Сетевые параметры");
    EXPECT_EQ(loaded->lists.network, &net); // the copy inside the root, not the template
    EXPECT_EQ(net.parameters[0]->name, "0x0002");
    EXPECT_EQ(net.parameters[0]->exchangeable, 0);
    EXPECT_EQ(net.parameters[0]->icon_index(), 30);
    EXPECT_EQ(net.parameters[0]->type_text, "float");
    EXPECT_EQ(net.parameters[0]->decimals, 2);
    EXPECT_EQ(net.parameters[0]->caption, "Не обменивается");
    EXPECT_EQ(net.parameters[0]->value_text, "Нет данных");
    EXPECT_EQ(net.parameters[1]->type_text, "int16");
    EXPECT_EQ(net.parameters[1]->decimals, 3);
    EXPECT_EQ(net.parameters[1]->icon_index(), 28);
    EXPECT_EQ(root.children[0]->parameters[0]->icon_index(), 27);
    EXPECT_EQ(root.children[0]->order,
              (std::vector<DescBranch::ChildKind>{DescBranch::ChildKind::parameter, DescBranch::ChildKind::branch}));

    // Scanners are polled one by one: channel = linear index, no longer indexed.
    auto& scanners = *loaded->trees.scanners;
    std::vector<int> channels;
    scanners.for_each_parameter([&](Parameter& p) {
        channels.push_back(p.scanner_channel);
        EXPECT_EQ(p.indexed, 0);
    });
    EXPECT_EQ(channels, (std::vector<int>{0, 0, 1, 2, 3, 4, 5, 6, 7, 8}));
    // Nine POUt instances, eight table entries: the ninth is simply not entered.
    for (int i = 0; i < 8; ++i) {
        ASSERT_NE(loaded->pout[static_cast<std::size_t>(i)], nullptr);
        EXPECT_EQ(loaded->pout[static_cast<std::size_t>(i)]->scanner_channel, i);
        EXPECT_EQ(loaded->pout[static_cast<std::size_t>(i)]->pout_entry, &loaded->pout[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(scanners.children[8]->parameters[0]->pout_entry, nullptr);

    // After the build the templates and declarations are gone, the descriptors stay.
    EXPECT_TRUE(loaded->lists.branches().empty());
    EXPECT_TRUE(loaded->lists.types().empty());
    EXPECT_TRUE(loaded->lists.constants().empty());
    EXPECT_EQ(loaded->lists.parameters().size(), 4u);
}

TEST(DescriptionBranches, NetworkBranchNotInTheTreeIsForgotten)
{
    auto loaded = load("parameter 0x0007 1 int A\nbranch Network_parametres 1 0 0 0x0007\nroot R 1 0 0 0x0007\n");
    EXPECT_EQ(loaded->lists.network, nullptr);
}

TEST(DescriptionBranches, NoRootGivesItsMessage)
{
    auto loaded = load("parameter 0x0001 1 int A\n");
    ASSERT_EQ(loaded->shell.messages.size(), 1u);
    EXPECT_EQ(loaded->shell.messages[0].text, "Не опредена корневая ветвь");
    EXPECT_EQ(loaded->shell.messages[0].icon, Icon::stop);
    EXPECT_EQ(loaded->trees.root, nullptr);
}

TEST(DescriptionBranches, HostileSizesStopTheLoadInsteadOfExhaustingMemory)
{
    std::string text = "const BIG 1000000000\nparameter P 1 int P\nbranch B BIG 0 0 P\nroot R 1 0 0 B\n";
    auto huge_count = load(text);
    EXPECT_EQ(huge_count->shell.messages.front().text, "Не удалось создать дерево параметров");

    std::string nested = "parameter P 1 int P\nbranch L0 300 0 0 P\n";
    for (int level = 1; level < 6; ++level)
        nested += "branch L" + std::to_string(level) + " 300 0 0 L" + std::to_string(level - 1) + "\n";
    auto exploding = load(nested);
    EXPECT_EQ(exploding->shell.messages.front().text, "Не удалось создать дерево параметров");
}

} // namespace
} // namespace zr740
