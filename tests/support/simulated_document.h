#pragma once
// A document with the shipped description, its link open to the instrument simulator on a
// pseudo-terminal: the fixture of the tests that drive whole commands against an instrument.

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "simulator/instrument_simulator.h"
#include "support/memory_settings.h"
#include "support/recording_shell.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace zr740::testing {

class SimulatedDocument : public ::testing::Test {
protected:
    // Instrument address the simulator starts with (the factory one is 16).
    static constexpr int address = 5;

    void SetUp() override
    {
        context.program_folder = std::string(ZR740_BINARY_DIR) + "/bin";
        start_simulator();
        if (HasFatalFailure())
            return;
        settings().set_value_by_name("Port", link_path.empty() ? simulator->port_path() : link_path);
        settings().set_value_by_name("0x0007", std::to_string(address));
        ASSERT_EQ(document.link().open_port(true), 0);
        // As the link check finds it with the simulator: no per-byte pacing of requests.
        document.link().sio().automatic_converter = 1;
        ASSERT_TRUE(document.on_new_document());
        ASSERT_NE(document.device(), nullptr);
    }

    // A simulator with the shipped description at `address`, also under `link_path` when set.
    void start_simulator()
    {
        sim::SimulatorOptions options;
        options.description_path = context.program_folder + "/zr740.dat";
        options.live_values = false;
        options.address = address;
        options.link_path = link_path;
        simulator = std::make_unique<sim::InstrumentSimulator>(options);
        ASSERT_TRUE(simulator->start()) << simulator->error();
    }

    NetRS485prg& settings() { return document.link().link_settings(); }
    Parameter& at(const char* name) { return *document.root()->find_in_tree(name); }

    // Set before SetUp: the simulator also serves under this name, and the program's port is it.
    std::string link_path;
    AppContext context;
    RecordingShell shell;
    MemorySettings memory;
    CHLB5Doc document{context, shell, memory, {}};
    std::unique_ptr<sim::InstrumentSimulator> simulator;
};

} // namespace zr740::testing
