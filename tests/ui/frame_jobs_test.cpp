// Jobs started from the main window's keys against the simulated instrument: what each one
// exchanges, what the tree shows afterwards, the progress window and its "Прервать!".

#include "frame_fixture.h"

#include "model/model_texts.h"
#include "ui/chlb5_tree_list_ctrl.h"
#include "ui/chlb5_tree_list_view.h"
#include "ui/progress_window.h"

#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

namespace zr740::testing {
namespace {

class FrameJobsTest : public FrameFixture {
protected:
    void SetUp() override
    {
        FrameFixture::SetUp();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }

    // Parameters that the instrument exchanges, in tree order.
    std::vector<Parameter*> exchanged()
    {
        std::vector<Parameter*> found;
        document->root()->for_each_parameter([&](Parameter& p) {
            if (p.exchangeable)
                found.push_back(&p);
        });
        return found;
    }

    // The tree row showing the parameter (its register number column), as a person finds it.
    QModelIndex row_of(const Parameter& parameter)
    {
        ui::CHLB5TreeListCtrl& model = frame->view()->model();
        ui::TreeNode* node = model.reveal(parameter);
        if (!node)
            return {};
        const QModelIndex index = model.index_of(*node, 1);
        return index.data().toString().toStdString() == parameter.name ? index : QModelIndex();
    }
    QColor colour_of(const Parameter& parameter)
    {
        const QModelIndex index = row_of(parameter);
        return index.isValid() ? index.data(Qt::ForegroundRole).value<QColor>() : QColor();
    }
};

TEST_F(FrameJobsTest, AltRReadsEveryValueIntoTheTree)
{
    press(Qt::Key_R, Qt::AltModifier);

    const auto parameters = exchanged();
    ASSERT_GT(parameters.size(), 20u);
    for (Parameter* p : parameters) {
        EXPECT_NE(p->value_text, "Нет данных") << p->name;
        EXPECT_EQ(p->status_text, "") << p->name;
    }
    EXPECT_EQ(at("0x0007").value_text, "5");
    EXPECT_TRUE(row_of(at("0x0007")).isValid());
    EXPECT_TRUE(document->modified);
    EXPECT_EQ(context.run.exit_status.load(), 0u);
}

TEST_F(FrameJobsTest, AltUWritesOnlyTheChangedRows)
{
    press(Qt::Key_R, Qt::AltModifier);
    Parameter& changed = at("0x0018");
    const std::string before_other = *simulator->value(0x0016);
    changed.value_text = "7.000";
    changed.value_changed = 1;
    const auto requests = simulator->stats().requests;

    press(Qt::Key_U, Qt::AltModifier);

    EXPECT_EQ(simulator->value(0x0018), "7.000");
    EXPECT_EQ(simulator->value(0x0016), before_other);
    EXPECT_EQ(simulator->stats().requests - requests, 1u);
    EXPECT_EQ(changed.value_changed, 0);
}

TEST_F(FrameJobsTest, AltCColoursDifferencesBlueAndReportsThem)
{
    press(Qt::Key_R, Qt::AltModifier);
    Parameter& differing = at("0x0018");
    ASSERT_TRUE(simulator->set_value(0x0018, "3.000"));
    shell.clear_shown_boxes();

    press(Qt::Key_C, Qt::AltModifier);

    const auto result = boxes("Результат сравнения");
    ASSERT_EQ(result.size(), 1u);
    EXPECT_EQ(result[0].text.rfind("Отличия: 1:\n", 0), 0u) << result[0].text;
    EXPECT_EQ(differing.status_text.rfind("Знач-е в приборе: '3.000'", 0), 0u) << differing.status_text;
    EXPECT_EQ(colour_of(differing), QColor(0x40, 0x40, 0xFF));
    EXPECT_EQ(at("0x0016").status_text, "");
}

TEST_F(FrameJobsTest, AltWWritesEveryParameter)
{
    press(Qt::Key_R, Qt::AltModifier);
    at("0x0018").value_text = "6.000";
    press(Qt::Key_W, Qt::AltModifier);
    EXPECT_EQ(simulator->value(0x0018), "6.000");
}

TEST_F(FrameJobsTest, ProgressWindowShowsTheJobAndAbortStopsALongRead)
{
    // Every reply comes late: the read would take many seconds.
    simulator->inject(sim::Fault::delayed(std::chrono::milliseconds{40}, -1));
    bool seen_window = false;
    QString caption;
    QString count;
    // "Прервать!" once the window has shown a few lines, as a person would press it.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        ui::CProgressDlg* window = shell.progress_window();
        if (!window || window->log()->count() < 6)
            return;
        seen_window = window->isVisible() && window->isModal();
        caption = window->windowTitle();
        count = window->count_text();
        window->abort_button()->click();
        poll.stop();
    });
    poll.start(5);

    const auto started = std::chrono::steady_clock::now();
    frame->run_command(139);
    const auto took = std::chrono::steady_clock::now() - started;
    document->engine().wait_until_idle();

    EXPECT_TRUE(seen_window);
    EXPECT_EQ(caption, "Идет чтение параметров из прибора");
    EXPECT_TRUE(count.endsWith(QString(" из %1").arg(BatchEngine::count(*document->root(), CountMode::all))))
        << count.toStdString();
    EXPECT_EQ(context.run.exit_status.load(), exit_bits::stopped);
    EXPECT_LT(took, std::chrono::seconds{3});
    int unread = 0;
    for (Parameter* p : exchanged())
        unread += p->value_text == "Нет данных";
    EXPECT_GT(unread, 10);
    EXPECT_EQ(shell.progress_window(), nullptr);
}

} // namespace
} // namespace zr740::testing

namespace zr740::testing {
namespace {

TEST_F(FrameJobsTest, LinkCheckAndInitCommandTalkToTheInstrument)
{
    const auto requests = simulator->stats().requests;
    press(Qt::Key_N, Qt::AltModifier);
    auto shown = shell.shown_boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].icon, Icon::information);
    EXPECT_NE(shown[0].text.find("Прибор: ZR740_RS"), std::string::npos) << shown[0].text;
    EXPECT_NE(shown[0].text.find("Версия ПО: 1.5"), std::string::npos) << shown[0].text;
    EXPECT_TRUE(frame->status_note().contains("ЗР740"));

    press(Qt::Key_I, Qt::AltModifier);
    EXPECT_GT(simulator->stats().requests, requests + 2);
    EXPECT_EQ(shell.shown_boxes().size(), 1u); // the instrument took INIT: nothing to say
}

} // namespace
} // namespace zr740::testing
