// The tree model: Qt's own consistency checks over the live tree, the fixed rows, and the rule that
// a refresh announces exactly the blocks of rows that changed, never resetting the model.

#include "tree_fixture.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QSignalSpy>

#include <algorithm>
#include <set>

namespace zr740::testing {
namespace {

using ui::CHLB5TreeListCtrl;

TEST_F(TreeViewTest, ModelPassesQtsModelTesterThroughFillReadAndReset)
{
    // Fatal: any inconsistency aborts the test run on the spot.
    QAbstractItemModelTester tester(&model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    fill_all(*model().root_node());
    view->tree()->expandAll();
    ASSERT_TRUE(document.engine().read(document.root()));
    view->update_view();
    view->reset_document();
    EXPECT_EQ(model().rowCount(), 0);
    view->initial_update();
    // Expanding a branch creates its rows.
    const QModelIndex first_branch = model().index(0, 0, model().index_of(*model().parameters_node()));
    EXPECT_EQ(model().rowCount(first_branch), 0);
    EXPECT_TRUE(model().hasChildren(first_branch));
    view->tree()->expand(first_branch);
    EXPECT_EQ(model().rowCount(first_branch), 2);
    EXPECT_TRUE(view->tree()->visualRect(model().index(1, 0, first_branch)).isValid());
    fill_all(*model().root_node());
    EXPECT_EQ(model().rowCount(), 1);
}

TEST_F(TreeViewTest, FixedRowsHeadingsAndColumns)
{
    const QModelIndex root = model().index(0, 0);
    EXPECT_EQ(root.data().toString(), "Конфигурация ЗР740 (Безымянный)");
    const QStringList headings{"Описание", "Номер регистра (HEX)", "Кол-во регистров", "Значение",
                               "Атрибут редактирования", "Владелец", "Ошибки обмена и несоответствия"};
    const int widths[] = {360, 130, 120, 180, 150, 90, 220};
    for (int column = 0; column < CHLB5TreeListCtrl::column_count; ++column) {
        EXPECT_EQ(model().headerData(column, Qt::Horizontal).toString(), headings[column]);
        // The usual widths, widened only so far that the heading is not clipped.
        const int size = view->tree()->header()->sectionSize(column);
        EXPECT_GE(size, widths[column]);
        EXPECT_GE(size, view->tree()->fontMetrics().horizontalAdvance(headings[column])) << column;
        EXPECT_LE(size, std::max(widths[column], view->tree()->fontMetrics().horizontalAdvance(headings[column])) + 80);
        const auto alignment = model().index(0, column).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
        EXPECT_EQ(alignment & Qt::AlignHorizontal_Mask, column == 0 || column == 6 ? Qt::AlignLeft : Qt::AlignRight);
    }
    EXPECT_TRUE(view->tree()->uniformRowHeights());
    EXPECT_TRUE(view->tree()->isExpanded(model().index_of(*model().parameters_node())));
    EXPECT_EQ(model().index_of(*model().parameters_node()).data().toString(), "Параметры прибора");

    model().fill_node(*model().scanners_node());
    const auto& header = *model().scanners_node()->children.front();
    const QStringList expected{"     Имя параметра", "Период", "", "Значение", "", "", "Ошибки обмена и несоответствия"};
    for (int column = 0; column < CHLB5TreeListCtrl::column_count; ++column)
        EXPECT_EQ(model().index_of(header, column).data().toString(), expected[column]) << column;

    EXPECT_EQ(text("0x0018", 1), "0x0018");
    EXPECT_EQ(text("0x0018", 2), "2");
    EXPECT_EQ(text("0x0018", 3), "Нет данных");
}

TEST_F(TreeViewTest, DescriptionWithoutTreeShowsPlaceholder)
{
    view->reset_document();
    document.stop_threads(); // as before any new tree: the scanners poll the old one
    document.clear();
    view->initial_update();
    const QModelIndex placeholder = model().index_of(*model().parameters_node());
    EXPECT_EQ(placeholder.data().toString(), "Параметры прибора");
    EXPECT_EQ(placeholder.siblingAtColumn(2).data().toString(), "(не определены)");
    EXPECT_FALSE(model().hasChildren(placeholder));
}

// Rows of the branch "Параметры измерения" that a case changes, and the blocks it must announce.
struct RefreshCase {
    const char* what;
    std::vector<int> values;  // rows whose value text changes
    std::vector<int> flagged; // rows that only turn green
    std::vector<std::pair<int, int>> blocks;
    bool colour_only;
};

TEST_F(TreeViewTest, RefreshAnnouncesEachChangedBlockOnceWithoutReset)
{
    const RefreshCase cases[] = {
        {"nothing", {}, {}, {}, false},
        {"one row", {2}, {}, {{2, 2}}, false},
        {"a run", {1, 2, 3}, {}, {{1, 3}}, false},
        {"two runs", {0, 1, 4}, {}, {{0, 1}, {4, 4}}, false},
        {"every other", {0, 2, 4, 6}, {}, {{0, 0}, {2, 2}, {4, 4}, {6, 6}}, false},
        {"whole branch", {0, 1, 2, 3, 4, 5, 6, 7}, {}, {{0, 7}}, false},
        {"colour only", {}, {3, 4}, {{3, 4}}, true},
    };
    auto& branch = *model().reveal(at("0x0015"))->parent;
    ASSERT_EQ(branch.children.size(), 8u);
    QSignalSpy changed(&model(), &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model(), &QAbstractItemModel::modelReset);
    int round = 0;
    for (const auto& c : cases) {
        ++round;
        for (int row : c.values)
            branch.children[static_cast<std::size_t>(row)]->parameter->value_text = "v" + std::to_string(round);
        for (int row : c.flagged)
            branch.children[static_cast<std::size_t>(row)]->parameter->value_changed ^= 1;
        changed.clear();
        view->update_view();
        ASSERT_EQ(changed.size(), static_cast<qsizetype>(c.blocks.size())) << c.what;
        for (std::size_t i = 0; i < c.blocks.size(); ++i) {
            const auto top = changed[static_cast<qsizetype>(i)][0].value<QModelIndex>();
            const auto bottom = changed[static_cast<qsizetype>(i)][1].value<QModelIndex>();
            const auto roles = changed[static_cast<qsizetype>(i)][2].value<QList<int>>();
            EXPECT_EQ(top.parent(), model().index_of(branch)) << c.what;
            EXPECT_EQ(top.row(), c.blocks[i].first) << c.what;
            EXPECT_EQ(bottom.row(), c.blocks[i].second) << c.what;
            EXPECT_EQ(bottom.column(), CHLB5TreeListCtrl::column_count - 1) << c.what;
            EXPECT_EQ(roles.contains(Qt::DisplayRole), !c.colour_only) << c.what;
            EXPECT_EQ(roles.contains(Qt::ForegroundRole), c.colour_only) << c.what;
        }
    }
    EXPECT_EQ(reset.size(), 0);
}

TEST_F(TreeViewTest, RowColoursFollowStatusAndChanges)
{
    Parameter& p = at("0x0018");
    const QModelIndex value = cell("0x0018", 3);
    EXPECT_FALSE(value.data(Qt::ForegroundRole).isValid());
    p.value_changed = 1;
    EXPECT_EQ(value.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(0, 200, 0));
    p.status_text = "Знач-е в приборе: '1.000',";
    EXPECT_EQ(value.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(0x40, 0x40, 0xFF));
    p.status_text = "Не могу раскодировать ответ";
    EXPECT_EQ(value.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
}

} // namespace
} // namespace zr740::testing
