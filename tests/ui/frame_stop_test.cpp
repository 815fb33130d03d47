// A person's run told to end from outside, in-process against the simulated instrument: whatever
// stands in the window ends at once without a question, unsaved changes go to the recovery file,
// and the next start offers them back.

#include "app/app_context.h"
#include "app/chlb5_app.h"
#include "app/chlb5_doc.h"
#include "app/recovery_file.h"
#include "platform/temp_dir.h"
#include "simulator/instrument_simulator.h"
#include "support/configuration_files.h"
#include "support/memory_settings.h"
#include "support/recording_shell.h"
#include "ui/frame_texts.h"
#include "ui/main_frame.h"
#include "ui/progress_window.h"
#include "ui/qt_front.h"
#include "ui/qt_shell.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <algorithm>
#include <fstream>
#include <thread>

namespace zr740::testing {
namespace {

namespace fs = std::filesystem;
namespace ids = ui::texts::ids;
using Clock = std::chrono::steady_clock;

const std::string bin = std::string(ZR740_BINARY_DIR) + "/bin";
constexpr const char* marker = "0x0018";
constexpr const char* marker_value = "7.250";
constexpr const char* original_path = "/srv/lines/line3.zr740";

class StopFromOutside : public ::testing::Test {
protected:
    void SetUp() override
    {
        context.program_folder = bin;
        context.recovery_folder = (state.path() / "zr740").string();
        sim::SimulatorOptions options;
        options.description_path = bin + "/zr740.dat";
        options.live_values = false;
        options.address = 5;
        simulator = std::make_unique<sim::InstrumentSimulator>(options);
        ASSERT_TRUE(simulator->start()) << simulator->error();
        memory.texts["port_name"] = simulator->port_path();
        memory.values["address"] = 5;
    }

    RecoveryFile recovery() const { return RecoveryFile(context.recovery_folder); }

    // Runs the program with windows; `at_window` is called once the main window stands, on the
    // window thread, with the front that a stop from outside reaches.
    int run(const std::vector<std::string>& arguments, std::function<void(ui::QtFront&, ui::CMainFrame&)> at_window)
    {
        ui::QtFront front(*shell, memory);
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!front.frame() || !front.frame()->isVisible())
                return;
            watch.stop();
            if (at_window)
                at_window(front, *front.frame());
        });
        watch.start(5);
        CHLB5App app(context, *shell, memory, {}, front);
        const int code = app.run(arguments);
        if (stopper.joinable())
            stopper.join();
        return code;
    }

    // As the shutdown watcher does on a signal: from its own thread, once `standing` holds.
    void stop_when(ui::QtFront& front, std::function<bool()> standing)
    {
        auto* poll = new QTimer(shell.get());
        QObject::connect(poll, &QTimer::timeout, [this, poll, &front, standing] {
            if (!standing())
                return;
            poll->stop();
            poll->deleteLater();
            stopped_at = Clock::now();
            stopper = std::thread([this, &front] {
                context.stop_requested = true;
                front.stop();
            });
        });
        poll->start(5);
    }

    // Changes kept by an earlier run: a document of `variant` with the marker's value, under `path`.
    void keep_earlier_changes(int variant, const std::string& path)
    {
        AppContext earlier;
        earlier.program_folder = bin;
        earlier.run.description_variant = static_cast<std::uint8_t>(variant);
        RecordingShell quiet;
        MemorySettings settings;
        CHLB5Doc document(earlier, quiet, settings, {});
        ASSERT_TRUE(document.on_new_document());
        document.root()->find_in_tree(marker)->value_text = marker_value;
        ASSERT_TRUE(recovery().keep(document, path));
    }

    std::vector<ui::QtShell::ShownBox> boxes_with(std::string_view start) const
    {
        std::vector<ui::QtShell::ShownBox> found;
        for (auto& box : shell->shown_boxes())
            if (box.text.starts_with(start))
                found.push_back(box);
        return found;
    }

    TempDir state;
    AppContext context;
    MemorySettings memory;
    // A fresh one for every run: a stopped window's shell asks nothing any more.
    std::unique_ptr<ui::QtShell> shell = std::make_unique<ui::QtShell>();
    std::unique_ptr<sim::InstrumentSimulator> simulator;
    std::thread stopper;
    Clock::time_point stopped_at{};
};

// What stands in the window when the stop comes.
struct Standing {
    const char* what;
    bool changed; // the person changed a value before
    // Opens it; runs from a timer, so a modal window's loop may hold it.
    std::function<void(ui::CMainFrame&)> open;
    // Whether it stands, so that the stop comes while it does.
    std::function<bool(ui::QtShell&, ui::CMainFrame&)> stands = [](ui::QtShell&, ui::CMainFrame&) {
        return QApplication::activeModalWidget() != nullptr;
    };
    // The instrument answers slowly, so that a job is still under way (and changing the document)
    // when the stop comes.
    bool slow = false;
    // The question whether to save stood before the stop: it is the only one.
    bool asked_before = false;
};

TEST_F(StopFromOutside, EndsFastWhateverStandsAndKeepsTheChanges)
{
    const auto nothing = [](ui::QtShell&, ui::CMainFrame&) { return true; };
    const auto command = [](int id) { return [id](ui::CMainFrame& frame) { frame.run_command(id); }; };
    const std::vector<Standing> cases = {
        {"the main window alone, nothing changed", false, {}, nothing},
        {"the main window alone, a value changed", true, {}, nothing},
        {"a message box", false, command(ids::about)},
        {"the question whether to save the changes", true, [](ui::CMainFrame& frame) { frame.close(); },
         Standing{}.stands, false, true},
        {"the connection setup", false, command(ids::port_setup)},
        {"the single-parameter poll", true, command(ids::single_point)},
        {"the apply dialog", false, command(ids::apply)},
        {"the file dialog of \"save as\"", true, command(ids::file_save_as)},
        {"the progress window of a slow read", false, command(ids::read_all),
         [](ui::QtShell& s, ui::CMainFrame& frame) {
             return s.progress_window() && s.progress_window()->isVisible() && frame.document().modified;
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        recovery().remove();
        context.stop_requested = false;
        context.run.exit_status = 0;
        shell = std::make_unique<ui::QtShell>();
        const int code = run({}, [&](ui::QtFront& front, ui::CMainFrame& frame) {
            if (c.slow)
                simulator->inject(sim::Fault::delayed(std::chrono::milliseconds{40}, 100000));
            if (c.changed) {
                frame.document().root()->find_in_tree(marker)->value_text = marker_value;
                frame.document().modified = true;
            }
            if (c.open)
                QTimer::singleShot(0, &frame, [&frame, open = c.open] { open(frame); });
            stop_when(front, [this, &frame, stands = c.stands] { return stands(*shell, frame); });
        });
        simulator->clear_faults();
        EXPECT_EQ(code, 205);
        EXPECT_LT(Clock::now() - stopped_at, std::chrono::seconds{2});
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_EQ(boxes_with("Сохранить изменения").size(), c.asked_before ? 1u : 0u) << "nothing is asked on the way";
        // A read under way has changed the document too.
        ASSERT_EQ(recovery().exists(), c.changed || c.slow);
        if (c.changed) {
            EXPECT_EQ(configuration_values(bin, recovery().values_file().string())[marker], marker_value);
            EXPECT_EQ(recovery().original_path(), "");
        }
    }
}

TEST_F(StopFromOutside, AFolderThatCannotBeWrittenIsReportedAndTheRunEndsAnyway)
{
    // A file where the folder should be.
    fs::create_directories(state.path());
    std::ofstream(context.recovery_folder) << "not a folder";
    shell->set_unattended_boxes(true);
    const int code = run({}, [&](ui::QtFront& front, ui::CMainFrame& frame) {
        frame.document().modified = true;
        stop_when(front, [] { return true; });
    });
    EXPECT_EQ(code, 205);
    EXPECT_LT(Clock::now() - stopped_at, std::chrono::seconds{2});
    const auto reported = boxes_with("Не удалось записать несохраненные изменения");
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].caption, "Ошибка записи файла");
    EXPECT_NE(reported[0].text.find(context.recovery_folder), std::string::npos);
}

// What the next start does with changes kept earlier.
struct Offer {
    const char* what;
    std::vector<std::string> arguments;
    int kept_variant;                   // the description the changes were made in; -1: a damaged file
    std::vector<Choice> answers;        // preset answers of the questions
    bool asked;                         // the offer was made
    bool restored;                      // the tree holds the kept value, marked modified, under its path
    std::vector<std::string> left;      // files in the state folder afterwards ("*" any kept aside)
    std::string message = {};           // the start of a message shown
};

TEST_F(StopFromOutside, TheNextStartOffersTheKeptChanges)
{
    const std::vector<Offer> cases = {
        {"taken", {}, 0, {Choice::yes}, true, true, {}},
        {"refused", {}, 0, {Choice::no}, true, false, {}},
        {"a damaged file", {}, -1, {}, false, false, {}, "Несохраненные изменения в 'line3.zr740' восстановить не удалось"},
        {"made in the other description", {}, 1, {}, false, false, {"*"},
         "Несохраненные изменения в 'line3.zr740' сделаны в конфигурации прибора ЗР740(old)"},
        {"an unattended run", {"-close"}, 0, {}, false, false, {"recovery.path", "recovery.zr740"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(context.recovery_folder);
        shell = std::make_unique<ui::QtShell>();
        shell->set_unattended_boxes(true);
        if (c.kept_variant < 0) {
            keep_earlier_changes(0, original_path);
            std::ofstream(recovery().values_file(), std::ios::trunc) << "not a configuration";
        } else {
            keep_earlier_changes(c.kept_variant, original_path);
        }
        for (Choice answer : c.answers)
            shell->preset_answer(answer);
        std::string value;
        bool modified = false;
        QString title;
        run(c.arguments, [&](ui::QtFront&, ui::CMainFrame& frame) {
            value = frame.document().root()->find_in_tree(marker)->value_text;
            modified = frame.document().modified;
            title = frame.windowTitle();
            frame.document().modified = false;
            frame.close();
        });
        const auto asked = boxes_with("Работа программы была прервана");
        ASSERT_EQ(asked.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(asked[0].text,
                      "Работа программы была прервана, а изменения в 'line3.zr740' остались несохраненными.\n"
                      "Восстановить их?");
            EXPECT_EQ(asked[0].icon, Icon::question);
        }
        if (c.arguments.empty()) {
            EXPECT_EQ(value == marker_value, c.restored) << value;
            EXPECT_EQ(modified, c.restored);
            EXPECT_EQ(title.endsWith(" - line3.zr740"), c.restored) << title.toStdString();
        }
        std::vector<std::string> left;
        if (fs::exists(context.recovery_folder))
            for (const auto& entry : fs::directory_iterator(context.recovery_folder))
                left.push_back(entry.path().filename().string().starts_with("recovery-") ? "*"
                                                                                        : entry.path().filename().string());
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, c.left);
        if (!c.message.empty()) {
            EXPECT_EQ(boxes_with(c.message).size(), 1u);
        }
    }
}

TEST_F(StopFromOutside, AStopWhileTheOfferStandsKeepsTheChangesForLater)
{
    keep_earlier_changes(0, original_path);
    ui::QtFront front(*shell, memory);
    stop_when(front, [] { return QApplication::activeModalWidget() != nullptr; });
    CHLB5App app(context, *shell, memory, {}, front);
    const int code = app.run({});
    stopper.join();
    EXPECT_EQ(code, 205);
    EXPECT_LT(Clock::now() - stopped_at, std::chrono::seconds{2});
    EXPECT_TRUE(recovery().exists());
    EXPECT_EQ(recovery().original_path(), original_path);
}

} // namespace
} // namespace zr740::testing
