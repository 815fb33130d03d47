// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the window benchmarks share: the simulator paced like a real line at 9600 baud, a document
// linked to it with its description read, and the main window over it, offscreen.

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "simulator/instrument_simulator.h"
#include "ui/main_frame.h"
#include "ui/qt_shell.h"

#include "support/memory_settings.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

struct PacedWindow {
    // `program_folder` holds zr740.dat unless `description_path` names another description.
    explicit PacedWindow(const std::string& program_folder, const std::string& description_path = {})
    {
        options.description_path = description_path.empty() ? program_folder + "/zr740.dat" : description_path;
        options.address = 16;
        options.pace = true;
        options.live_values = false;
        context.program_folder = program_folder;
        shell.set_unattended_boxes(true);
    }

    // Starts the simulator and links the document to it; false, with the reason on stderr.
    bool start()
    {
        simulator = std::make_unique<zr740::sim::InstrumentSimulator>(options);
        if (!simulator->start()) {
            std::fprintf(stderr, "simulator: %s\n", simulator->error().c_str());
            return false;
        }
        settings.texts["port_name"] = simulator->port_path();
        settings.values["address"] = 16;
        document = std::make_unique<zr740::CHLB5Doc>(context, shell, settings, std::vector<std::string>{});
        document->engine().window_linger = std::chrono::milliseconds{0};
        if (document->link().open_port(true) != 0 || !document->link().check_link() || !document->on_new_document()) {
            std::fprintf(stderr, "the simulated instrument does not answer\n");
            return false;
        }
        return true;
    }

    // The main window over the document, shown and laid out.
    zr740::ui::CMainFrame& show_frame()
    {
        frame = std::make_unique<zr740::ui::CMainFrame>(*document, shell, settings);
        frame->resize(1280, 800);
        frame->initial_update();
        frame->show();
        QApplication::processEvents();
        return *frame;
    }

    ~PacedWindow()
    {
        if (frame)
            frame->close();
        frame.reset();
        if (document)
            document->stop_threads();
    }

    zr740::sim::SimulatorOptions options;
    std::unique_ptr<zr740::sim::InstrumentSimulator> simulator;
    zr740::AppContext context;
    zr740::testing::MemorySettings settings;
    zr740::ui::QtShell shell;
    std::unique_ptr<zr740::CHLB5Doc> document;
    std::unique_ptr<zr740::ui::CMainFrame> frame;
};
