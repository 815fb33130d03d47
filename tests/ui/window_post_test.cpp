// Work handed to the window thread: in order, before the window thread's later events, and on
// while one piece of work turns the event loop (as a message box does).
#include "ui/window_post.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <thread>
#include <vector>

namespace zr740::ui {
namespace {

TEST(WindowPost, RunsWorkFromAnotherThreadInOrderBeforeLaterEvents)
{
    QObject owner;
    auto* post = new WindowPost(&owner);
    std::vector<int> ran;
    std::thread([&] {
        for (int n = 0; n < 100; ++n)
            post->post([&ran, n] { ran.push_back(n); });
        // An event of the window thread's own, posted after the work.
        QMetaObject::invokeMethod(&owner, [&ran] { ran.push_back(-1); }, Qt::QueuedConnection);
    }).join();
    EXPECT_TRUE(ran.empty()) << "nothing runs before the window thread gets to its loop";
    QCoreApplication::processEvents();
    ASSERT_EQ(ran.size(), 101u);
    for (int n = 0; n < 100; ++n)
        EXPECT_EQ(ran[n], n);
    EXPECT_EQ(ran.back(), -1);
}

TEST(WindowPost, WorkGoesOnWhileEarlierWorkTurnsTheEventLoop)
{
    QObject owner;
    auto* post = new WindowPost(&owner);
    std::vector<int> ran;
    QEventLoop box;
    post->post([&] {
        ran.push_back(1);
        QTimer::singleShot(2000, &box, &QEventLoop::quit); // a box nobody closes would hang the test
        box.exec();
        ran.push_back(4);
    });
    post->post([&] { ran.push_back(2); });
    post->post([&] {
        ran.push_back(3);
        box.quit();
    });
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 4}));
}

TEST(WindowPost, WorkNotRunWhenItsOwnerGoesIsDropped)
{
    int ran = 0;
    {
        QObject owner;
        auto* post = new WindowPost(&owner);
        post->post([&] { ++ran; });
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, 0);
}

} // namespace
} // namespace zr740::ui
