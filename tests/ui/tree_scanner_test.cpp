// Scanner rows: switched on and off by their check boxes, their period column, and the texts they
// show, which come only from the scanners' result queue.

#include "tree_fixture.h"

#include "support/lock_probe.h"

#include <QLineEdit>
#include <QSignalSpy>

namespace zr740::testing {
namespace {

using ui::CHLB5TreeListCtrl;

class TreeScannerTest : public TreeViewTest {
protected:
    QModelIndex scanner_cell(const char* name, int column) { return model().index_of(scanner(name), column); }
    std::string scanner_text(const char* name, int column)
    {
        return scanner_cell(name, column).data().toString().toStdString();
    }
    void push(const char* name, std::string value, std::string status)
    {
        ScanResult record;
        record.parameter = document.scanners()->find(name);
        record.value_text = std::move(value);
        record.status_text = std::move(status);
        document.scanners_thread().results().push(std::move(record));
    }
};

TEST_F(TreeScannerTest, TheCheckBoxStartsPollingAndTheRowShowsTheResults)
{
    ASSERT_TRUE(model().setData(scanner_cell("0x0102", 0), Qt::Checked, Qt::CheckStateRole));
    ASSERT_TRUE(document.scanners_thread().set_period(*document.scanners()->find("0x0102"), 100));
    EXPECT_EQ(scanner_cell("0x0102", 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shell.scan_announcements >= 2; }, 5000));
    QSignalSpy changed(&model(), &QAbstractItemModel::dataChanged);
    view->take_scan_results();
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].value<QModelIndex>(), scanner_cell("0x0102", 0));
    EXPECT_EQ(scanner_text("0x0102", 3), *simulator->value(0x0102));
    EXPECT_EQ(scanner_text("0x0102", 6), "");

    ASSERT_TRUE(model().setData(scanner_cell("0x0102", 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_FALSE(document.scanners()->find("0x0102")->poll_running);
}

TEST_F(TreeScannerTest, RowsShowTheQueuedRecordsNotTheParameter)
{
    document.scanners()->find("0x0100")->value_text = "999.000"; // as a poll in progress might leave it
    push("0x0100", "12.500", "");
    push("0x0104", "", "Таймаут при передаче данных (нет связи)");
    push("0x0100", "12.750", "");
    view->take_scan_results();
    EXPECT_EQ(document.scanners_thread().results().size(), 0u);
    EXPECT_EQ(scanner_text("0x0100", 3), "12.750");
    EXPECT_FALSE(scanner_cell("0x0100", 3).data(Qt::ForegroundRole).isValid());
    EXPECT_EQ(scanner_text("0x0104", 3), "");
    EXPECT_EQ(scanner_text("0x0104", 6), "Таймаут при передаче данных (нет связи)");
    EXPECT_EQ(scanner_cell("0x0104", 3).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
    // A record of a parameter without a row (an earlier tree's) is dropped.
    Parameter stranger("0x0100");
    ScanResult record;
    record.parameter = &stranger;
    record.value_text = "1";
    document.scanners_thread().results().push(record);
    view->take_scan_results();
    EXPECT_EQ(scanner_text("0x0100", 3), "12.750");
}

TEST_F(TreeScannerTest, ThePeriodColumnRefusesLessThan100Milliseconds)
{
    struct Case {
        const char* typed;
        int period;
        bool refused;
    };
    const Case cases[] = {{"99", 1000, true}, {"abc", 1000, true}, {"100", 100, false}, {" 250 ", 250, false}};
    for (const auto& c : cases) {
        shell.messages.clear();
        model().setData(scanner_cell("0x0100", 1), c.typed);
        EXPECT_EQ(scanner_text("0x0100", 1), std::to_string(c.period)) << c.typed;
        ASSERT_EQ(shell.messages.size(), c.refused ? 1u : 0u) << c.typed;
        if (c.refused) {
            EXPECT_EQ(shell.messages[0].text,
                      "Период опроса в миллисекундах.\nПериод опроса не может быть меньше 100 миллисекунд.");
        }
    }
}

TEST_F(TreeScannerTest, EditingAPolledValueWarnsAndHoldsBackItsResults)
{
    ASSERT_TRUE(model().setData(scanner_cell("0x0100", 0), Qt::Checked, Qt::CheckStateRole));
    push("0x0100", "1.000", "");
    view->take_scan_results();
    const QModelIndex value = scanner_cell("0x0100", 3);
    view->tree()->scrollTo(value);
    view->tree()->setCurrentIndex(value);
    view->tree()->edit(value);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, "Данный параметр опрашивается.\nВо время изменения значения вывод на экран "
                                      "измененных значений будет блокирован.");
    EXPECT_EQ(shell.messages[0].icon, Icon::warning);
    ASSERT_NE(view->tree()->viewport()->findChild<QLineEdit*>(), nullptr);
    push("0x0100", "2.000", "");
    view->take_scan_results();
    EXPECT_EQ(scanner_text("0x0100", 3), "1.000");
}

// A value written from a scanner row is changed and sent under the port lock, so that no poll
// touches it meanwhile; what the person is told comes once the lock is free again.
TEST_F(TreeScannerTest, AWrittenValueTellsItsRefusalOrFailureWithThePortLockFree)
{
    struct Case {
        const char* typed;
        bool instrument_refuses;
        const char* caption;
    };
    const Case cases[] = {
        {"abc", false, "ЗР740"},
        {"5", true, "Значение не удалось записать в прибор"},
    };
    std::vector<bool> lock_free;
    shell.on_box = [&] { lock_free.push_back(free_for_other_threads(document.link().port_lock())); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        shell.messages.clear();
        lock_free.clear();
        simulator->clear_faults();
        if (c.instrument_refuses)
            simulator->inject(sim::Fault::exception(0x0102, 4, -1));
        EXPECT_FALSE(model().setData(scanner_cell("0x0102", 3), c.typed));
        ASSERT_EQ(shell.messages.size(), 1u);
        EXPECT_EQ(shell.messages[0].caption, c.caption);
        EXPECT_EQ(lock_free, std::vector<bool>{true});
        EXPECT_EQ(scanner_text("0x0102", 3), "");
    }
    shell.on_box = nullptr;
}

TEST_F(TreeScannerTest, BitScannersShowEachBitOnItsOwnRow)
{
    view->reset_document();
    auto bits = std::make_unique<Parameter>("r.cn");
    bits->register_count = 1;
    bits->type_text = "int";
    document.scanners()->append(std::move(bits));
    view->initial_update();
    ui::TreeNode& row = scanner("r.cn");
    model().fill_node(row);
    ASSERT_EQ(row.children.size(), 16u);
    push("r.cn", "5", "");
    view->take_scan_results();
    for (int bit = 0; bit < 4; ++bit)
        EXPECT_EQ(model().index_of(*row.children[static_cast<std::size_t>(bit)], 3).data().toString(),
                  bit == 0 || bit == 2 ? "включен" : "отключен")
            << bit;
}

} // namespace
} // namespace zr740::testing
