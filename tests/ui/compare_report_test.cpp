// The compare report window: a compare that finds more differences than a box lists opens it with
// every one of them, sortable and saved as CSV or HTML; a few still go to the box, none to today's
// message; a double click shows the parameter in the tree. And the parameter list saved as CSV
// from the "Справка" menu.

#include "frame_fixture.h"

#include "../platform/temp_dir.h"
#include "app/compare_report.h"
#include "app/parameter_list_csv.h"
#include "ui/chlb5_tree_list_ctrl.h"
#include "ui/chlb5_tree_list_view.h"
#include "ui/compare_report_window.h"
#include "ui/difference_model.h"
#include "ui/frame_texts.h"

#include <QFileDialog>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QTreeView>

#include <fstream>
#include <sstream>

namespace zr740::testing {
namespace {

using ui::DifferenceModel;

// Answers the next save dialog with `path`, as a person typing the name and pressing "Сохранить".
class SaveDialogAnswer {
public:
    explicit SaveDialogAnswer(QString path) : path_(std::move(path))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (auto* widget : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog && dialog->isVisible()) {
                    ++seen;
                    suggested = dialog->selectedFiles().value(0);
                    dialog->selectFile(path_);
                    static_cast<QDialog*>(dialog)->accept();
                }
        });
        timer_.start(5);
    }
    int seen = 0;
    QString suggested;

private:
    QString path_;
    QTimer timer_;
};

std::string file_text(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class CompareReportTest : public FrameFixture {
protected:
    void SetUp() override
    {
        FrameFixture::SetUp();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        press(Qt::Key_R, Qt::AltModifier);
    }

    // The configuration's value of the first `count` parameters the instrument exchanges becomes
    // 1001, 1002, ... (in tree order): each differs from the instrument's after the read.
    std::vector<Parameter*> change_configuration(std::size_t count)
    {
        std::vector<Parameter*> changed;
        document->root()->for_each_parameter([&](Parameter& p) {
            if (changed.size() < count && p.exchangeable && p.linear_index >= 0 && !p.indexed) {
                read_values.push_back(p.value_text);
                p.value_text = std::to_string(1001 + changed.size());
                changed.push_back(&p);
            }
        });
        return changed;
    }

    // As "Сравнить с реальными значениями" in the menu: the report may be the active window.
    void compare()
    {
        shell.clear_shown_boxes();
        frame->run_command(ui::Command::compare);
        document->engine().wait_until_idle();
        QApplication::processEvents();
    }

    ui::CompareReportWindow* report() { return frame->findChild<ui::CompareReportWindow*>("compareReport"); }

    // A column of the table as shown (in the order shown).
    std::vector<std::string> column(int which)
    {
        std::vector<std::string> texts;
        QAbstractItemModel* shown = report()->table()->model();
        for (int row = 0; row < shown->rowCount(); ++row)
            texts.push_back(shown->index(row, which).data().toString().toStdString());
        return texts;
    }

    QAction* report_action() { return frame->action(ui::texts::ids::compare_report); }

    // The values the read found, of the parameters changed, in their order.
    std::vector<std::string> read_values;
};

TEST_F(CompareReportTest, ManyDifferencesOpenTheReportSortableAndSaved)
{
    const auto changed = change_configuration(12);
    ASSERT_EQ(changed.size(), 12u);
    compare();

    EXPECT_TRUE(boxes("Результат сравнения").empty());
    ui::CompareReportWindow* window = report();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->summary(), "Отличий между конфигурацией и прибором: 12");
    std::vector<std::string> names;
    for (Parameter* p : changed)
        names.push_back(p->name);
    EXPECT_EQ(column(DifferenceModel::command_column), names);
    const Parameter& first = *changed.front();
    EXPECT_EQ(column(DifferenceModel::caption_column).front(), first.caption);
    EXPECT_EQ(column(DifferenceModel::configuration_value).front(), "1001");
    EXPECT_EQ(column(DifferenceModel::instrument_value), read_values);
    EXPECT_EQ(column(DifferenceModel::configuration_access).front(),
              first.editable ? "Редактируемый" : "Не редактируемый");
    EXPECT_EQ(column(DifferenceModel::instrument_owner).front(), first.factory_owned ? "Фирма" : "Пользователь");
    EXPECT_TRUE(report_action()->isEnabled());

    // Descending by the configuration's values, as numbers: 1012 first, not "1009" after "101...".
    window->table()->sortByColumn(DifferenceModel::configuration_value, Qt::DescendingOrder);
    const auto values = column(DifferenceModel::configuration_value);
    EXPECT_EQ(values.front(), "1012");
    EXPECT_EQ(values.back(), "1001");
    EXPECT_TRUE(std::is_sorted(values.rbegin(), values.rend()));
    window->table()->sortByColumn(DifferenceModel::command_column, Qt::AscendingOrder);
    auto sorted_names = names;
    std::sort(sorted_names.begin(), sorted_names.end());
    EXPECT_EQ(column(DifferenceModel::command_column), sorted_names);

    // Saved whole, whatever the order shown; a name typed without its extension gets it.
    TempDir dir;
    {
        SaveDialogAnswer answer(QString::fromStdString((dir.path() / "found").string()));
        window->save_csv_button()->click();
        EXPECT_EQ(answer.seen, 1);
    }
    const std::string csv = file_text(dir.path() / "found.csv");
    EXPECT_EQ(csv, differences_csv(document->engine().last_differences()));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 13);
    {
        SaveDialogAnswer answer(QString::fromStdString((dir.path() / "found.html").string()));
        window->save_html_button()->click();
        EXPECT_EQ(answer.seen, 1);
        EXPECT_TRUE(answer.suggested.endsWith("differences.html")) << answer.suggested.toStdString();
    }
    const std::string page = file_text(dir.path() / "found.html");
    EXPECT_EQ(page, differences_html(document->engine().last_differences()));
    for (const auto& name : names)
        EXPECT_NE(page.find("<td>" + name + "</td>"), std::string::npos) << name;

    // A file that cannot be written is told, not lost silently.
    shell.clear_shown_boxes();
    EXPECT_FALSE(window->save_csv_to("/proc/no-such-folder/found.csv"));
    ASSERT_EQ(boxes("Результат сравнения").size(), 1u);
    EXPECT_EQ(boxes("Результат сравнения")[0].icon, Icon::stop);
}

TEST_F(CompareReportTest, DoubleClickShowsTheParameterInTheTree)
{
    const auto changed = change_configuration(8);
    compare();
    ui::CompareReportWindow* window = report();
    ASSERT_NE(window, nullptr);
    QTableView* table = window->table();
    const QRect cell = table->visualRect(table->model()->index(6, DifferenceModel::caption_column));
    // A click, then the double click on the same row, as the mouse delivers them.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());

    ui::CHLB5TreeListCtrl& model = frame->view()->model();
    const ui::TreeNode* current = model.node(frame->view()->tree()->currentIndex());
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->parameter, changed[6]);
}

TEST_F(CompareReportTest, AFewDifferencesStayInTheBoxAndTheReportOpensOnRequest)
{
    change_configuration(3);
    compare();

    const auto result = boxes("Результат сравнения");
    ASSERT_EQ(result.size(), 1u);
    EXPECT_EQ(result[0].text.rfind("Отличия: 3:\n", 0), 0u) << result[0].text;
    EXPECT_TRUE(report() == nullptr || !report()->isVisible());

    ASSERT_TRUE(report_action()->isEnabled());
    report_action()->trigger();
    ASSERT_NE(report(), nullptr);
    EXPECT_TRUE(report()->isVisible());
    EXPECT_EQ(report()->table()->model()->rowCount(), 3);
}

TEST_F(CompareReportTest, NoDifferencesKeepTheMessageAndEmptyAStandingReport)
{
    // The command waits for a compare that found something.
    EXPECT_FALSE(report_action()->isEnabled());
    const auto changed = change_configuration(6);
    compare();
    ASSERT_NE(report(), nullptr);
    ASSERT_EQ(report()->table()->model()->rowCount(), 6);

    for (std::size_t i = 0; i < changed.size(); ++i)
        changed[i]->value_text = read_values[i];
    compare();

    const auto result = boxes("Результат сравнения");
    ASSERT_EQ(result.size(), 1u);
    EXPECT_EQ(result[0].text, "Отличий не обнаружено");
    EXPECT_EQ(result[0].icon, Icon::information);
    EXPECT_EQ(report()->table()->model()->rowCount(), 0);
    EXPECT_EQ(report()->summary(), "Отличий между конфигурацией и прибором: 0");
    EXPECT_FALSE(report()->save_csv_button()->isEnabled());
    EXPECT_FALSE(report_action()->isEnabled());
}

TEST_F(CompareReportTest, ParameterListCsvFromTheHelpMenu)
{
    TempDir dir;
    const auto path = dir.path() / "list.csv";
    {
        SaveDialogAnswer answer(QString::fromStdString(path.string()));
        frame->action(ui::texts::ids::csv_export)->trigger();
        EXPECT_EQ(answer.seen, 1);
        EXPECT_TRUE(answer.suggested.endsWith("parlist.csv")) << answer.suggested.toStdString();
    }
    const std::string csv = file_text(path);
    EXPECT_EQ(csv, parameter_list_csv(*document->root()));
    EXPECT_EQ(csv.rfind("Раздел,Команда,Индекс", 0), 0u);
    EXPECT_TRUE(shell.shown_boxes().empty());
}

} // namespace
} // namespace zr740::testing
