// The view's commands against the simulated instrument: branch jobs, single-parameter commands, the
// context menus, and the navigation between problem parameters.

#include "tree_fixture.h"

#include <QAction>
#include <QMenu>

#include <thread>

namespace zr740::testing {
namespace {

using namespace ui::view_commands;

class TreeCommandsTest : public TreeViewTest {
protected:
    std::string current_name()
    {
        const ui::TreeNode* node = model().node(view->tree()->currentIndex());
        return node && node->parameter ? node->parameter->name : std::string();
    }
    QStringList menu_texts(const QModelIndex& index)
    {
        QStringList texts;
        auto menu = view->context_menu(index);
        if (!menu)
            return texts;
        for (QAction* action : menu->actions())
            texts << (action->isSeparator() ? QString("|") : action->text());
        return texts;
    }
};

TEST_F(TreeCommandsTest, NavigationVisitsProblemParametersInTreeOrderAndSaysWhenThereAreNoMore)
{
    at("0x0004").status_text = "Не могу раскодировать ответ";
    at("0x0018").status_text = "Знач-е в приборе: '2.000',";
    at("0x0022").status_text = "Таймаут при передаче данных (нет связи)";
    struct Step {
        int command;
        const char* selected; // afterwards
        bool no_more;
    };
    const Step steps[] = {
        {next_problem, "0x0004", false},     {next_problem, "0x0018", false}, {next_problem, "0x0022", false},
        {next_problem, "0x0022", true},      {previous_problem, "0x0018", false},
        {previous_problem, "0x0004", false}, {previous_problem, "0x0004", true},
    };
    for (const auto& step : steps) {
        shell.messages.clear();
        ASSERT_TRUE(view->run_view_command(step.command));
        EXPECT_EQ(current_name(), step.selected);
        if (step.no_more) {
            ASSERT_EQ(shell.messages.size(), 1u) << step.selected;
            EXPECT_EQ(shell.messages[0].text, "Нет других проблемных параметров");
            EXPECT_EQ(shell.messages[0].icon, Icon::information);
        } else {
            EXPECT_TRUE(shell.messages.empty()) << step.selected;
        }
    }
    // The selected row is shown: its branch was expanded on the way.
    EXPECT_TRUE(view->tree()->visualRect(view->tree()->currentIndex()).isValid());
}

TEST_F(TreeCommandsTest, NavigationFromABranchTakesItsFirstRowWhenThatIsAProblem)
{
    at("0x0015").status_text = "Не могу раскодировать ответ";
    ui::TreeNode& branch = *row_of("0x0015").parent;
    view->tree()->setCurrentIndex(model().index_of(branch));
    view->run_view_command(next_problem);
    EXPECT_EQ(current_name(), "0x0015");
}

TEST_F(TreeCommandsTest, BranchCommandsNeedABranchAndWorkOnItAlone)
{
    view->tree()->setCurrentIndex(cell("0x0018", 0));
    EXPECT_TRUE(view->run_view_command(read_branch));
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, "Ветвь не определена");
    EXPECT_EQ(shell.messages[0].caption, "ЗР740");
    EXPECT_EQ(shell.messages[0].icon, Icon::stop);

    view->tree()->setCurrentIndex(model().index_of(*row_of("0x0018").parent));
    EXPECT_TRUE(view->run_view_command(read_branch));
    EXPECT_EQ(shell.progress_captions.back(), "Идет чтение параметров из прибора");
    EXPECT_EQ(text("0x0018", 3), *simulator->value(0x0018));
    EXPECT_EQ(text("0x0021", 3), "Нет данных"); // another branch
}

TEST_F(TreeCommandsTest, SingleParameterCommandsReadWriteAndForgetTheValue)
{
    view->tree()->setCurrentIndex(cell("0x0016", 0));
    EXPECT_TRUE(view->run_view_command(read_parameter));
    EXPECT_EQ(text("0x0016", 3), *simulator->value(0x0016));

    at("0x0016").set_value_from_input("3", false);
    EXPECT_TRUE(view->run_view_command(write_parameter));
    EXPECT_EQ(*simulator->value(0x0016), "3");

    at("0x0016").status_text = "Не могу раскодировать ответ";
    at("0x0016").value_changed = 1;
    EXPECT_TRUE(view->run_view_command(set_no_data));
    EXPECT_EQ(text("0x0016", 3), "Нет данных");
    EXPECT_EQ(text("0x0016", 6), "");
    EXPECT_FALSE(at("0x0016").any_changed());
    EXPECT_FALSE(cell("0x0016", 3).data(Qt::ForegroundRole).isValid());

    EXPECT_FALSE(view->run_view_command(139)); // the frame's
}

TEST_F(TreeCommandsTest, ExpandingABranchReadsItsUnreadValuesWhenAutoReadIsOn)
{
    struct Case {
        bool auto_read;
        const char* status;
        bool read;
    };
    const Case cases[] = {{false, "", false}, {true, "Не могу раскодировать ответ", false}, {true, "", true}};
    for (const auto& c : cases) {
        view->reset_document();
        document.root()->reset_values();
        at("0x0021").status_text = c.status;
        context.auto_read = c.auto_read;
        view->initial_update();
        ui::TreeNode& branch = *model().parameters_node()->children[3];
        ASSERT_EQ(branch.element->name, "Токовый выход");
        view->tree()->expand(model().index_of(branch));
        EXPECT_EQ(text("0x0021", 3), c.read ? *simulator->value(0x0021) : "Нет данных") << c.auto_read << c.status;
        EXPECT_EQ(text("0x0022", 3) != "Нет данных", c.auto_read) << c.auto_read << c.status;
    }
}

TEST_F(TreeCommandsTest, ContextMenusOfBranchesAndParameters)
{
    const QStringList branch{"Прочитать параметры ветви", "Записать параметры ветви", "Записать только измененные",
                             "Сравнить с реальными значениями"};
    EXPECT_EQ(menu_texts(model().index_of(*row_of("0x0018").parent)), branch);
    EXPECT_EQ(menu_texts(cell("0x0018", 0)),
              QStringList({"Прочитать параметр", "Записать параметр", "|", "Установить значение в \"Нет данных\""}));
    // Kept only in the configuration file: the instrument has no such parameter to write.
    EXPECT_EQ(menu_texts(cell("0x0044", 0)), QStringList({"Прочитать параметр", "|", "Установить значение в \"Нет данных\""}));
    model().fill_node(*model().scanners_node());
    EXPECT_TRUE(menu_texts(model().index_of(*model().scanners_node())).isEmpty());
    EXPECT_TRUE(menu_texts(model().index(0, 0)).isEmpty()); // the root row

    // An action runs its command on the row the menu was opened for.
    auto menu = view->context_menu(cell("0x0016", 0));
    menu->actions().at(0)->trigger();
    EXPECT_EQ(text("0x0016", 3), *simulator->value(0x0016));
}

// The rows of the program's own link settings are no registers of the instrument: no menu offers
// to read, write or empty them, the commands leave them alone, and expanding them reads nothing.
TEST_F(TreeCommandsTest, TheProgramsLinkSettingsAreNeitherReadNorWrittenNorEmptied)
{
    ui::TreeNode& element = *model().root_node()->children[1];
    ASSERT_EQ(element.element, &settings());
    model().fill_node(element);
    ASSERT_EQ(element.children.size(), settings().parameters.size());
    for (auto& row : element.children) {
        Parameter& setting = *row->parameter;
        SCOPED_TRACE(setting.name);
        EXPECT_TRUE(menu_texts(model().index_of(*row)).isEmpty());
        const std::string before = setting.value_text;
        view->tree()->setCurrentIndex(model().index_of(*row));
        for (const int command : {read_parameter, write_parameter, set_no_data}) {
            const std::uint64_t requests = simulator->stats().requests;
            EXPECT_TRUE(view->run_view_command(command));
            EXPECT_EQ(setting.value_text, before) << command;
            EXPECT_EQ(setting.status_text, "") << command;
            EXPECT_EQ(simulator->stats().requests, requests) << command;
        }
    }

    // An unread setting would be the first that auto-read takes.
    context.auto_read = true;
    Parameter& protocol = *settings().find("Prot");
    protocol.value_text = "Нет данных";
    const std::uint64_t requests = simulator->stats().requests;
    view->tree()->expand(model().index_of(element));
    EXPECT_EQ(protocol.value_text, "Нет данных");
    EXPECT_EQ(protocol.status_text, "");
    EXPECT_EQ(simulator->stats().requests, requests);
}

} // namespace
} // namespace zr740::testing
