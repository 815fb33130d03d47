// The whole program with windows, started in-process against the simulated instrument: the
// interactive start, the start without an instrument, an unattended run with its progress window
// and a main window that cannot be created.

#include "app/app_context.h"
#include "app/chlb5_app.h"
#include "simulator/instrument_simulator.h"
#include "support/configuration_files.h"
#include "support/memory_settings.h"
#include "ui/frame_texts.h"
#include "ui/main_frame.h"
#include "ui/progress_window.h"
#include "ui/qt_front.h"
#include "ui/qt_shell.h"
#include "ui/select_device_dlg.h"
#include "ui/setup_carrier.h"
#include "setup_fixture.h"
#include "ui/splash_window.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>

namespace zr740::testing {
namespace {

// While it lives: every window of type T that shows is counted and closed with "Cancel".
template <typename T> class Refused {
public:
    Refused()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (auto* widget : QApplication::topLevelWidgets())
                if (auto* window = qobject_cast<T*>(widget); window && window->isVisible()) {
                    ++seen;
                    window->reject();
                }
        });
        timer_.start(5);
    }
    int seen = 0;

private:
    QTimer timer_;
};

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
    bool auto_read_checked = false;
    const int code = run({}, [&](ui::CMainFrame& frame) {
        title = frame.windowTitle();
        maximised = frame.isMaximized();
        had_tree = frame.status_note().isEmpty();
        auto_read_checked = frame.action(ui::texts::ids::auto_read)->isChecked();
        frame.close();
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(title, "Конфигуратор ЗР740 - Безымянный");
    EXPECT_TRUE(maximised);
    EXPECT_TRUE(had_tree);
    // Expanding a branch reads what it shows.
    EXPECT_TRUE(auto_read_checked);
    EXPECT_TRUE(context.auto_read);
    EXPECT_TRUE(splash_gone_at_window);
}

TEST_F(FrameStartupTest, TheWindowKeepsThePersonsModesButARunWithOptionsDoesNot)
{
    memory.values["VerifyWrites"] = 1;
    bool verify_checked = false;
    run({}, [&](ui::CMainFrame& frame) {
        verify_checked = frame.action(ui::texts::ids::verify_writes)->isChecked();
        frame.action(ui::texts::ids::block_reads)->trigger();
        frame.close();
    });
    EXPECT_TRUE(verify_checked);
    EXPECT_EQ(memory.values["BlockReads"], 1);
    // Verify was not changed: not written again.
    EXPECT_EQ(std::count(memory.writes.begin(), memory.writes.end(), "VerifyWrites"), 0);

    // Another program's run is not shaped by what the person chose.
    context.verify_writes = false;
    context.block_reads = false;
    memory.writes.clear();
    run({"-close/port:" + simulator->port_path()}, {});
    EXPECT_FALSE(context.verify_writes);
    EXPECT_FALSE(context.block_reads);
    EXPECT_FALSE(memory.written("BlockReads"));
    EXPECT_FALSE(memory.written("VerifyWrites"));
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

TEST_F(FrameStartupTest, AFileNamedOnTheCommandLineIsTheDocument)
{
    namespace fs = std::filesystem;
    enum class File { configuration, missing, empty };
    const struct {
        const char* what;
        File file;
        std::vector<std::string> options;
    } cases[] = {
        {"a configuration", File::configuration, {}},
        {"a name not yet saved", File::missing, {}},
        {"an empty file", File::empty, {}},
        {"a configuration with link options", File::configuration, {"-0x0007:5/port:{port}"}},
    };
    const fs::path folder = fs::path(ZR740_BINARY_DIR) / "frame_startup_document";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(folder);
        fs::create_directories(folder);
        const std::string path = (folder / "line3.zr740").string();
        if (c.file == File::configuration) {
            ASSERT_TRUE(write_configuration(context.program_folder, path, [](const Parameter& p) {
                return p.name == "0x0018" ? std::string("7.250") : p.value_text;
            }));
        }
        if (c.file == File::empty)
            std::ofstream(path).flush();
        std::vector<std::string> arguments;
        for (std::string option : c.options) {
            if (const auto at = option.find("{port}"); at != std::string::npos)
                option.replace(at, 6, simulator->port_path());
            arguments.push_back(option);
        }
        arguments.push_back(path);
        memory.texts.erase("Recent File1");
        QString title;
        std::string document;
        std::vector<std::string> recent;
        const Refused<QFileDialog> dialogs;
        run(arguments, [&](ui::CMainFrame& frame) {
            title = frame.windowTitle();
            document = frame.path();
            recent = frame.recent_files();
            // Ctrl+S saves into the named file without asking for a name.
            frame.run_command(ui::texts::ids::file_save);
            frame.close();
        });
        EXPECT_TRUE(title.endsWith(" - line3.zr740")) << title.toStdString();
        EXPECT_EQ(document, path);
        ASSERT_FALSE(recent.empty());
        EXPECT_EQ(recent.front(), path);
        EXPECT_EQ(dialogs.seen, 0);
        const auto values = configuration_values(context.program_folder, path);
        ASSERT_FALSE(values.empty());
        if (c.file == File::configuration) {
            EXPECT_EQ(values.at("0x0018"), "7.250");
        }
    }
}

TEST_F(FrameStartupTest, OptionsShapeOnlyTheStartUpAndTheFirstJob)
{
    namespace fs = std::filesystem;
    const std::string path = std::string(ZR740_BINARY_DIR) + "/frame_startup_first_job.zr740";
    fs::remove(path);
    std::uint32_t options_after = 1;
    bool file_after_job = false;
    bool asked_to_save = false;
    bool file_kept = false;
    QTimer after_job;
    ui::CMainFrame* window = nullptr;
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    QObject::connect(&after_job, &QTimer::timeout, [&] {
        if (window && std::chrono::steady_clock::now() > give_up) {
            after_job.stop();
            window->close();
            return;
        }
        if (!window || context.options != 0 || shell.progress_window())
            return;
        after_job.stop();
        options_after = context.options;
        file_after_job = fs::exists(path);
        const auto saved = fs::last_write_time(path);
        // A second read is the person's: it is not saved into the command line's file.
        window->run_command(ui::texts::ids::read_all);
        file_kept = fs::last_write_time(path) == saved;
        shell.clear_shown_boxes();
        // The read changed the document; closing now asks (and "no" lets it close).
        window->close();
        for (const auto& box : shell.shown_boxes())
            asked_to_save = asked_to_save || box.kind == ui::QtShell::ShownBox::Kind::question_with_cancel;
    });
    after_job.start(5);
    const int code = run({"-read/0x0007:5/port:" + simulator->port_path(), path},
                         [&](ui::CMainFrame& frame) { window = &frame; });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(options_after, 0u);
    EXPECT_TRUE(file_after_job);
    EXPECT_TRUE(file_kept);
    EXPECT_TRUE(asked_to_save);
}

TEST_F(FrameStartupTest, OptionsWithoutAJobOpenTheWindowOfflineWhenNobodyAnswers)
{
    const struct {
        const char* what;
        std::vector<std::string> arguments;
    } cases[] = {
        {"link settings", {"-0x0007:7"}},
        {"placement", {"-x:0/y:0/w:800/h:600/0x0007:7"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        memory.values["address"] = 7;
        const Refused<ui::CSetupCarrier> setups;
        QString note;
        std::uint32_t options = 1;
        QTimer settled;
        ui::CMainFrame* window = nullptr;
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        QObject::connect(&settled, &QTimer::timeout, [&] {
            if (window && std::chrono::steady_clock::now() > give_up) {
                settled.stop();
                window->close();
                return;
            }
            if (!window || context.options != 0)
                return;
            settled.stop();
            note = window->status_note();
            options = context.options;
            window->close();
        });
        settled.start(5);
        run(c.arguments, [&](ui::CMainFrame& frame) { window = &frame; });
        EXPECT_EQ(setups.seen, 0);
        EXPECT_TRUE(note.startsWith("Нет связи с прибором")) << note.toStdString();
        EXPECT_EQ(options, 0u);
        EXPECT_EQ(context.run.description_variant.load(), 0);
        context.options = 0;
    }
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
