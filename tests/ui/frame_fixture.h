#pragma once
// The main window on a document whose link is open to the instrument simulator, with the Qt shell
// recording its boxes instead of showing them: the fixture of the window tests.

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "simulator/instrument_simulator.h"
#include "support/memory_settings.h"
#include "ui/main_frame.h"
#include "ui/qt_shell.h"

#include <QAction>
#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

namespace zr740::testing {

class FrameFixture : public ::testing::Test {
protected:
    static constexpr int address = 5;

    void SetUp() override { start(sim::SimulatorOptions{}); }

    void start(sim::SimulatorOptions options)
    {
        context.program_folder = std::string(ZR740_BINARY_DIR) + "/bin";
        options.description_path = context.program_folder + "/zr740.dat";
        options.live_values = false;
        options.address = address;
        simulator = std::make_unique<sim::InstrumentSimulator>(options);
        ASSERT_TRUE(simulator->start()) << simulator->error();
        memory.texts["port_name"] = simulator->port_path();
        memory.values["address"] = address;
        context.auto_read = false;
        shell.set_unattended_boxes(true);
        document = std::make_unique<CHLB5Doc>(context, shell, memory, std::vector<std::string>{});
        document->engine().window_linger = std::chrono::milliseconds{0};
        ASSERT_EQ(document->link().open_port(true), 0);
        // As the link check finds it with the simulator: no per-byte pacing of requests.
        document->link().sio().automatic_converter = 1;
        ASSERT_TRUE(document->on_new_document());
        frame = std::make_unique<ui::CMainFrame>(*document, shell, memory);
        frame->initial_update();
        frame->show();
    }

    void TearDown() override
    {
        frame.reset();
        document.reset();
    }

    Parameter& at(const char* name) { return *document->root()->find_in_tree(name); }
    // Boxes of one caption shown since the last clear.
    std::vector<ui::QtShell::ShownBox> boxes(std::string_view caption) const
    {
        std::vector<ui::QtShell::ShownBox> found;
        for (auto& box : shell.shown_boxes())
            if (box.caption == caption)
                found.push_back(box);
        return found;
    }
    // Presses the keys in the main window and returns once the command they run has finished.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        // The keys belong to the active window; a job's progress window was the last one.
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        QTest::keyClick(frame.get(), key, modifiers);
        document->engine().wait_until_idle();
        QApplication::processEvents();
    }

    AppContext context;
    MemorySettings memory;
    ui::QtShell shell;
    std::unique_ptr<sim::InstrumentSimulator> simulator;
    std::unique_ptr<CHLB5Doc> document;
    std::unique_ptr<ui::CMainFrame> frame;
};

} // namespace zr740::testing
