// The Qt shell: calls of worker threads reach the window thread, questions carry their answers
// back, preset answers keep tests from ever waiting on a box, the progress window follows its job.

#include "ui/progress_window.h"
#include "ui/qt_shell.h"

#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace zr740::testing {
namespace {

using ui::QtShell;

// Answers the next message box that appears with `button`, from the window thread.
void answer_next_box(QMessageBox::StandardButton button, QString* seen_text = nullptr)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, button, seen_text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (seen_text)
            *seen_text = box->text();
        box->button(button)->click();
        timer->stop();
        timer->deleteLater();
    });
    timer->start(5);
}

TEST(FrameShellTest, WorkerQuestionIsAskedOnTheWindowThreadAndAnswered)
{
    QtShell shell;
    QWidget window;
    shell.set_main_window(&window);
    QString seen;
    answer_next_box(QMessageBox::Yes, &seen);

    std::atomic<int> answer{-1};
    std::thread worker([&] { answer = shell.ask_yes_no("Выполнить чтение?", "ЗР740", Icon::information) ? 1 : 0; });
    QTRY_VERIFY_WITH_TIMEOUT(answer != -1, 5000);
    worker.join();

    EXPECT_EQ(answer, 1);
    EXPECT_EQ(seen, "Выполнить чтение?");
    const auto shown = shell.shown_boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, QtShell::ShownBox::Kind::question);
    EXPECT_EQ(shown[0].caption, "ЗР740");
}

TEST(FrameShellTest, WorkerMessageDoesNotWaitForTheBox)
{
    QtShell shell;
    bool returned = false;
    std::thread worker([&] {
        shell.message("Связь потеряна", "ЗР740", Icon::stop, Owner::main_window);
        returned = true;
    });
    worker.join();
    // The worker is back before the window thread has even seen the message.
    EXPECT_TRUE(returned);
    EXPECT_TRUE(shell.shown_boxes().empty());
    answer_next_box(QMessageBox::Ok);
    QTRY_COMPARE_WITH_TIMEOUT(shell.shown_boxes().size(), std::size_t{1}, 5000);
    EXPECT_EQ(shell.shown_boxes()[0].icon, Icon::stop);
}

TEST(FrameShellTest, PresetAnswersAreTakenInOrderWithoutABox)
{
    QtShell shell;
    shell.preset_answer(Choice::yes);
    shell.preset_answer(Choice::cancel);
    shell.preset_answer(Choice::no);
    EXPECT_TRUE(shell.ask_yes_no("1", "c", Icon::question));
    EXPECT_EQ(shell.ask_yes_no_cancel("2", "c", Icon::warning), Choice::cancel);
    std::atomic<bool> third{true};
    std::thread([&] { third = shell.ask_yes_no("3", "c", Icon::question); }).join();
    EXPECT_FALSE(third);

    // Recording without boxes: messages are kept, questions without a preset answer "no".
    shell.set_unattended_boxes(true);
    shell.message("m", "c", Icon::warning, Owner::none);
    EXPECT_FALSE(shell.ask_yes_no("4", "c", Icon::question));
    const auto shown = shell.shown_boxes();
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[1].kind, QtShell::ShownBox::Kind::question_with_cancel);
    EXPECT_EQ(shown[3].owner, Owner::none);
    EXPECT_EQ(shown[4].answer, Choice::no);
}

TEST(FrameShellTest, ClosingReleasesAWorkerWaitingForAnAnswer)
{
    QtShell shell;
    std::atomic<int> answer{-1};
    std::thread worker([&] { answer = shell.ask_yes_no("?", "c", Icon::question) ? 1 : 0; });
    // The question is queued to the window thread, which is busy elsewhere (no events served).
    std::this_thread::sleep_for(std::chrono::milliseconds{50});
    EXPECT_EQ(answer, -1);
    shell.release_waiting_threads();
    worker.join();
    EXPECT_EQ(answer, 0);
    // The queued question finds it answered and shows nothing; once closing, nothing more is
    // asked, from any thread (the answer is recorded as "no").
    QApplication::processEvents();
    EXPECT_TRUE(shell.shown_boxes().empty());
    EXPECT_FALSE(shell.ask_yes_no("!", "c", Icon::question));
    ASSERT_EQ(shell.shown_boxes().size(), 1u);
    EXPECT_EQ(shell.shown_boxes()[0].text, "!");
}

TEST(FrameShellTest, ProgressWindowFollowsItsJobFromAWorkerThread)
{
    QtShell shell;
    std::thread worker;
    QStringList lines;
    QString count;
    int bar = -1;
    bool aborted = false;
    const int result = shell.run_progress(
        "Идет чтение параметров из прибора", 7,
        [&] {
            worker = std::thread([&] {
                for (int i = 1; i <= 7; ++i) {
                    shell.progress_line("  Чтение: " + std::to_string(i));
                    shell.progress_count(i, 7);
                }
                // What the window shows is taken just before it closes, on the window thread.
                QMetaObject::invokeMethod(&shell, [&] {
                    ui::CProgressDlg* window = shell.progress_window();
                    for (int i = 0; i < window->log()->count(); ++i)
                        lines << window->log()->item(i)->text();
                    count = window->count_text();
                    bar = window->bar()->value();
                });
                shell.close_progress(4);
            });
        },
        [&] { aborted = true; });
    worker.join();

    EXPECT_EQ(result, 4);
    EXPECT_FALSE(aborted);
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[6], "  Чтение: 7");
    EXPECT_EQ(count, "7 из 7");
    EXPECT_EQ(bar, 7);
    EXPECT_EQ(shell.progress_window(), nullptr);
    // A line after the window has closed belongs to no window.
    shell.progress_line("late");
}

TEST(FrameShellTest, AbortButtonCallsTheJobsAbort)
{
    QtShell shell;
    int aborts = 0;
    QTimer::singleShot(20, [&] { shell.progress_window()->abort_button()->click(); });
    const int result = shell.run_progress(
        "c", 0, [] {},
        [&] {
            ++aborts;
            shell.close_progress(0);
        });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(aborts, 1);
}

} // namespace
} // namespace zr740::testing
