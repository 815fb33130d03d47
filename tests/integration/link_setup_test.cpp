// SPDX-License-Identifier: GPL-3.0-or-later
// The connection setup's worker and closing protocol without a window, against the simulated
// instrument: connecting, scanning the baud rates, stopping a scan, the factory settings.

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "app/link_setup.h"
#include "app/link_setup_texts.h"
#include "simulator/instrument_simulator.h"
#include "support/memory_settings.h"
#include "support/recording_shell.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

namespace zr740::testing {
namespace {

using namespace std::chrono_literals;

// What the worker told the window, kept in order.
class RecordingView : public LinkSetupView {
public:
    struct Status {
        std::string text;
        bool error;
    };

    void set_status(const std::string& text, bool error) override { record([&] { statuses.push_back({text, error}); }); }
    void enable_list(bool on) override { record([&] { list_enabled = on; }); }
    void show_value(std::size_t row, const std::string& text) override
    {
        record([&] { shown.emplace_back(row, text); });
    }
    void post_command(int command) override { record([&] { commands.push_back(command); }); }

    // Waits until the condition on the records holds; false after a generous time-out.
    template <typename Condition> bool wait_for(Condition condition)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 60s, [&] { return condition(); });
    }
    bool any_status(std::string_view text) const
    {
        for (const auto& status : statuses)
            if (status.text == text)
                return true;
        return false;
    }

    std::mutex mutex;
    std::vector<Status> statuses;
    std::vector<std::pair<std::size_t, std::string>> shown;
    std::vector<int> commands;
    bool list_enabled = true;

private:
    template <typename F> void record(F f)
    {
        {
            std::lock_guard lock(mutex);
            f();
        }
        changed.notify_all();
    }
    std::condition_variable changed;
};

class LinkSetupTest : public ::testing::Test {
protected:
    // Starts the simulator with these network settings and points the program's settings at it
    // with the address and baud rate given.
    void start(std::optional<int> simulator_baud, std::optional<int> simulator_address, int address, int baud)
    {
        context.program_folder = std::string(ZR740_BINARY_DIR) + "/bin";
        sim::SimulatorOptions options;
        options.description_path = context.program_folder + "/zr740.dat";
        options.live_values = false;
        options.own_rate_only = true;
        options.baud = simulator_baud;
        options.address = simulator_address;
        simulator = std::make_unique<sim::InstrumentSimulator>(options);
        ASSERT_TRUE(simulator->start()) << simulator->error();
        settings().set_value_by_name("Port", simulator->port_path());
        settings().set_value_by_name("0x0007", std::to_string(address));
        settings().set_value_by_name("0x0009", std::to_string(baud));
    }

    NetRS485prg& settings() { return document.link().link_settings(); }
    std::size_t row_of(std::string_view name)
    {
        const auto& rows = setup.rows();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i]->name == name)
                return i;
        return rows.size();
    }
    // The closing protocol as the window runs it: the first request stops the worker, which posts
    // the command back; the second finds it ended.
    void close_with(int command)
    {
        const std::size_t posted = view.commands.size();
        if (setup.request_close(command, view))
            return;
        ASSERT_TRUE(view.wait_for([&] { return view.commands.size() > posted; }));
        EXPECT_EQ(view.commands.back(), command);
        EXPECT_TRUE(setup.request_close(command, view));
    }

    AppContext context;
    RecordingShell shell;
    MemorySettings memory;
    CHLB5Doc document{context, shell, memory, {}};
    std::unique_ptr<sim::InstrumentSimulator> simulator;
    RecordingView view; // outlives the worker, which reports to it until it ends
    LinkSetup setup{document.link(), document.job().stop};
};

TEST(LinkSetupRates, ScanTriesTheEnumerationItemsOrTheTypeTextItself)
{
    const struct {
        const char* type_text;
        std::vector<std::string> rates;
    } table[] = {
        {"2400:4800:9600", {"2400", "4800", "9600"}},
        {"2400:4800::9600", {"2400", "4800"}}, // the first empty item ends the list
        {"19200", {"19200"}},                  // not an enumeration: the only value
        {"", {}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.type_text);
        Parameter baud("0x0009");
        baud.type_text = row.type_text;
        EXPECT_EQ(LinkSetup::scan_rates(baud), row.rates);
    }
}

TEST_F(LinkSetupTest, ScanFindsTheInstrumentAtAnotherBaudRateAndKeepsIt)
{
    start(4800, 5, 5, 9600);
    setup.start(view);
    setup.scan();
    ASSERT_TRUE(view.wait_for([&] { return !view.commands.empty(); }));
    EXPECT_EQ(view.commands.front(), LinkSetup::ok);
    EXPECT_EQ(settings().value_by_name("0x0009"), "4800");
    EXPECT_TRUE(view.any_status("Идет сканирование на скорости 2400..."));
    EXPECT_TRUE(view.any_status("Идет сканирование на скорости 4800..."));
    EXPECT_FALSE(view.any_status("Идет сканирование на скорости 9600..."));
    EXPECT_EQ(view.statuses.back().text, setup_texts::link_established);
    const auto baud_row = row_of("0x0009");
    EXPECT_EQ(view.shown.back(), std::make_pair(baud_row, std::string("4800")));
    EXPECT_TRUE(view.list_enabled);
    close_with(LinkSetup::ok);
}

TEST_F(LinkSetupTest, StoppedScanRestoresTheStartingRateWithoutAFailure)
{
    // An address nobody answers: every rate fails.
    start(9600, 5, 7, 4800);
    setup.start(view);
    setup.scan();
    ASSERT_TRUE(view.wait_for([&] { return view.any_status("Идет сканирование на скорости 2400..."); }));
    EXPECT_FALSE(setup.request_close(LinkSetup::cancel, view));
    ASSERT_TRUE(view.wait_for([&] { return !view.commands.empty(); }));
    EXPECT_EQ(view.commands, std::vector<int>{LinkSetup::cancel});
    EXPECT_TRUE(setup.worker_ended());
    EXPECT_TRUE(setup.request_close(LinkSetup::cancel, view));
    EXPECT_EQ(settings().value_by_name("0x0009"), "4800");
    EXPECT_EQ(view.shown.back().second, "4800");
    EXPECT_FALSE(view.any_status(setup_texts::link_failed));
    EXPECT_TRUE(view.any_status(setup_texts::interrupting));
    // Stopped within the attempt that ran: no further rate was begun.
    EXPECT_FALSE(view.any_status("Идет сканирование на скорости 4800..."));
}

TEST_F(LinkSetupTest, FailedConnectSaysSoAndLeavesTheSettings)
{
    start(9600, 5, 7, 9600);
    setup.start(view);
    setup.connect();
    ASSERT_TRUE(view.wait_for([&] { return view.any_status(setup_texts::link_failed); }));
    EXPECT_TRUE(view.statuses.back().error);
    EXPECT_TRUE(view.commands.empty());
    EXPECT_EQ(settings().value_by_name("0x0007"), "7");
    close_with(LinkSetup::cancel);
}

TEST_F(LinkSetupTest, FactorySettingsLeaveThePortAndConnect)
{
    // The simulator keeps the factory network settings; the program's differ.
    start(std::nullopt, std::nullopt, 5, 19200);
    const std::string port = settings().value_by_name("Port");
    setup.start(view);
    setup.factory_settings();
    ASSERT_TRUE(view.wait_for([&] { return !view.commands.empty(); }));
    EXPECT_EQ(view.commands.front(), LinkSetup::ok);
    EXPECT_EQ(settings().value_by_name("Port"), port);
    EXPECT_EQ(settings().value_by_name("0x0007"), "16");
    EXPECT_EQ(settings().value_by_name("0x0009"), "9600");
    for (const auto& [row, text] : view.shown)
        EXPECT_NE(row, row_of("Port"));
    close_with(LinkSetup::ok);
}

TEST_F(LinkSetupTest, EditGoesThroughTheInputCheck)
{
    start(9600, 5, 5, 9600);
    const auto address = row_of("0x0007");
    EXPECT_EQ(setup.edit(address, "12"), "12");
    EXPECT_EQ(setup.edit(address, "abc"), "12"); // refused: the row shows the value kept
    EXPECT_EQ(setup.edit(setup.rows().size(), "1"), "");
}

} // namespace
} // namespace zr740::testing
