// The whole program with windows, started in-process against the simulated instrument: the
// interactive start, the start without an instrument, an unattended run with its progress window
// and a main window that cannot be created.

#include "app/app_context.h"
#include "app/chlb5_app.h"
#include "simulator/instrument_simulator.h"
#include "support/memory_settings.h"
#include "ui/main_frame.h"
#include "ui/progress_window.h"
#include "ui/qt_front.h"
#include "ui/qt_shell.h"
#include "ui/select_device_dlg.h"
#include "ui/setup_carrier.h"
#include "setup_fixture.h"
#include "ui/splash_window.h"

#include <QApplication>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>

namespace zr740::testing {
namespace {

class FrameStartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        context.program_folder = std::string(ZR740_BINARY_DIR) + "/bin";
        sim::SimulatorOptions options;
        options.description_path = context.program_folder + "/zr740.dat";
        options.live_values = false;
        options.address = 5;
        simulator = std::make_unique<sim::InstrumentSimulator>(options);
        ASSERT_TRUE(simulator->start()) << simulator->error();
        memory.texts["port_name"] = simulator->port_path();
        memory.values["address"] = 5;
        shell.set_unattended_boxes(true);
    }

    // Runs the program; `at_window` is called once the main window stands, on the window thread.
    int run(const std::vector<std::string>& arguments, std::function<void(ui::CMainFrame&)> at_window)
    {
        ui::QtFront front(shell, memory);
        front.fail_window_creation = fail_window;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!front.frame() || !front.frame()->isVisible())
                return;
            watch.stop();
            splash_gone_at_window = front.splash() == nullptr;
            if (at_window)
                at_window(*front.frame());
        });
        watch.start(5);
        CHLB5App app(context, shell, memory, {}, front);
        return app.run(arguments);
    }

    AppContext context;
    MemorySettings memory;
    ui::QtShell shell;
    std::unique_ptr<sim::InstrumentSimulator> simulator;
    bool fail_window = false;
    bool splash_gone_at_window = false;
};

TEST_F(FrameStartupTest, SplashSaysInitialisingUntilTheWindowStands)
{
    ui::QtFront front(shell, memory);
    ASSERT_NE(front.splash(), nullptr);
    EXPECT_TRUE(front.splash()->isVisible());
    EXPECT_EQ(front.splash()->caption(), "Инициализация...");
}

TEST_F(FrameStartupTest, WithoutOptionsTheMaximisedWindowShowsTheInstrument)
{
    QString title;
    bool maximised = false;
    bool had_tree = false;
    const int code = run({}, [&](ui::CMainFrame& frame) {
        title = frame.windowTitle();
        maximised = frame.isMaximized();
        had_tree = frame.status_note().isEmpty();
        frame.close();
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(title, "Конфигуратор ЗР740 - Безымянный");
    EXPECT_TRUE(maximised);
    EXPECT_TRUE(had_tree);
    EXPECT_TRUE(splash_gone_at_window);
}

TEST_F(FrameStartupTest, WithoutAnInstrumentTheWindowOpensOfflineWithANote)
{
    // An address nobody answers. (A stopped simulator would free its pseudo-terminal for the
    // simulator of a test running beside this one.)
    memory.values["address"] = 7;
    QString note;
    // The connection setup comes first; working offline takes the current transmitter.
    bool setup_seen = false;
    when_shown<ui::CSetupCarrier>([&](ui::CSetupCarrier& setup) {
        setup_seen = true;
        when_shown<ui::CSelectDeviceDlg>([](ui::CSelectDeviceDlg& select) {
            select.list()->setCurrentItem(select.list()->topLevelItem(0));
            select.accept();
        });
        setup.command(3);
    });
    context.auto_read = true;
    const auto started = std::chrono::steady_clock::now();
    run({}, [&](ui::CMainFrame& frame) {
        note = frame.status_note();
        frame.close();
    });
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds{20});
    EXPECT_TRUE(setup_seen);
    EXPECT_TRUE(note.startsWith("Нет связи с прибором")) << note.toStdString();
    EXPECT_EQ(context.run.description_variant.load(), 0);
    EXPECT_FALSE(context.auto_read);
}

TEST_F(FrameStartupTest, WithoutAnInstrumentExitFromTheSetupEndsTheProgram)
{
    memory.values["address"] = 7;
    bool window_seen = false;
    when_shown<ui::CSetupCarrier>([](ui::CSetupCarrier& setup) { setup.command(2); });
    run({}, [&](ui::CMainFrame& frame) {
        window_seen = true;
        frame.close();
    });
    EXPECT_FALSE(window_seen);
}

TEST_F(FrameStartupTest, UnattendedReadShowsTheProgressWindowSavesAndCloses)
{
    const std::string path = std::string(ZR740_BINARY_DIR) + "/frame_startup_read.zr740";
    std::filesystem::remove(path);
    bool progress_seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (shell.progress_window() && shell.progress_window()->isVisible())
            progress_seen = true;
    });
    poll.start(2);
    const int code = run({"-read/close/0x0007:5/port:" + simulator->port_path(), path}, nullptr);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(progress_seen);
    EXPECT_GT(std::filesystem::file_size(path), 100u);
}

TEST_F(FrameStartupTest, PlacementFromTheCommandLineHoldsDuringTheJob)
{
    QRect geometry;
    bool locked = false;
    // A read needs a file to save into; without one the run is refused before the window opens.
    const std::string path = std::string(ZR740_BINARY_DIR) + "/frame_startup_placement.zr740";
    const int code = run({"-x:10/y:20/w:600/h:400/read/close/0x0007:5/port:" + simulator->port_path(), path},
                         [&](ui::CMainFrame& frame) {
                             geometry = frame.geometry();
                             locked = frame.placement_locked();
                         });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(geometry.size(), QSize(600, 400));
    EXPECT_TRUE(locked);
}

TEST_F(FrameStartupTest, AWindowThatCannotBeCreatedIsReported)
{
    fail_window = true;
    run({}, nullptr);
    const auto shown = shell.shown_boxes();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text, "Не удалось выполнить создание окон.\nПрограмме не хватает ресурсов!");
    EXPECT_EQ(shown.back().icon, Icon::stop);
    EXPECT_EQ(shown.back().owner, Owner::none);
}

} // namespace
} // namespace zr740::testing
