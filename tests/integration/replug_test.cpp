// A USB adapter unplugged and plugged back while the program runs: the document's jobs and
// scanner polls against the simulator served under a stable device name, whose pseudo-terminal
// goes away and comes back as a new one.

#include "link/register_layout.h"
#include "platform/temp_dir.h"
#include "support/simulated_document.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace zr740 {
namespace {

class Replug : public testing::SimulatedDocument {
protected:
    void SetUp() override
    {
        link_path = (dir.path() / "ttyUSB-zr740").string();
        SimulatedDocument::SetUp();
        document.engine().window_linger = std::chrono::milliseconds{0};
    }

    // The adapter comes back: a new pseudo-terminal under the same name, its instrument holding
    // what the first one held.
    void plug_in()
    {
        simulator.reset();
        start_simulator();
    }

    void read_all()
    {
        ASSERT_TRUE(document.engine().read(document.root()));
        document.engine().wait_until_idle();
    }

    std::vector<Parameter*> exchanged()
    {
        std::vector<Parameter*> parameters;
        document.root()->for_each_parameter([&](Parameter& p) {
            if (p.exchangeable && p.linear_index >= 0)
                parameters.push_back(&p);
        });
        return parameters;
    }

    std::vector<std::string> read_right()
    {
        std::vector<std::string> names;
        for (Parameter* p : exchanged())
            if (p->status_text.empty() && p->value_text == simulator->value(register_number_from_name(p->name)))
                names.push_back(p->name);
        return names;
    }

    bool port_unavailable() const { return (context.run.exit_status.load() & exit_bits::port_unavailable) != 0; }

    testing::TempDir dir;
};

TEST_F(Replug, ReadAllAfterTheAdapterCameBackReadsEverything)
{
    read_all();
    const auto clean = read_right();
    ASSERT_GT(clean.size(), 20u);
    const auto messages = shell.messages.size();
    const auto statuses = [&] {
        std::multiset<std::string> texts;
        document.root()->for_each_parameter([&](Parameter& p) {
            if (!p.status_text.empty())
                texts.insert(p.status_text);
        });
        return texts;
    };
    document.root()->for_each_parameter([](Parameter& p) { p.status_text.clear(); });

    // Unplugged while a job reads: the exchange under way fails as on a silent line, the port is
    // closed, and the job stops after five failures with one message, not one per parameter.
    simulator->inject(sim::Fault::delayed(std::chrono::milliseconds(20), 1000));
    const auto lines = shell.line_count();
    auto job = std::async(std::launch::async, [&] { return document.engine().read(document.root()); });
    while (shell.line_count() < lines + 3)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    simulator->stop();
    ASSERT_EQ(job.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    document.engine().wait_until_idle();
    EXPECT_EQ(shell.messages.size(), messages + 1);
    EXPECT_FALSE(document.link().sio().is_open());
    const auto unplugged = statuses();
    EXPECT_EQ(unplugged.count("Не могу раскодировать ответ"), 1u);
    EXPECT_EQ(unplugged.count("Ошибка открытия порта"), 4u);

    // Still unplugged: the next job cannot open the port, and says so once too.
    read_all();
    EXPECT_EQ(shell.messages.size(), messages + 2);
    EXPECT_TRUE(port_unavailable());
    EXPECT_EQ(exchanged().front()->status_text, "Ошибка открытия порта");

    plug_in();
    ASSERT_TRUE(simulator->set_value(0x0018, "12.5"));
    for (Parameter* p : exchanged())
        p->value_text = "?";
    read_all();
    EXPECT_EQ(read_right(), clean);
    EXPECT_EQ(at("0x0018").value_text, "12.500");
    EXPECT_EQ(shell.messages.size(), messages + 2);
    EXPECT_FALSE(port_unavailable());
    // Opened again for good, as before the adapter went, not only for the job.
    EXPECT_TRUE(document.link().sio().is_open());

    // Unplugged and back between two jobs, with nothing on the line meanwhile.
    plug_in();
    read_all();
    EXPECT_EQ(read_right(), clean);
    EXPECT_EQ(shell.messages.size(), messages + 2);
}

TEST_F(Replug, ScannerPollsOpenThePortAgainOnceTheAdapterIsBack)
{
    Parameter* scanner = nullptr;
    ASSERT_NE(document.scanners(), nullptr);
    document.scanners()->for_each_parameter([&](Parameter& p) { scanner = scanner ? scanner : &p; });
    ASSERT_NE(scanner, nullptr);
    ScanThread& scan = document.scanners_thread();
    scan.switch_on(*scanner);
    const auto poll = [&] {
        {
            std::lock_guard lock(document.link().port_lock());
            scan.poll(*scanner);
        }
        auto result = scan.results().take();
        EXPECT_TRUE(result.has_value());
        if (!result)
            result.emplace().status_text = "no result";
        return *result;
    };

    ASSERT_TRUE(poll().status_text.empty());
    simulator->stop();
    // Gone while the line was idle: the poll finds out before it sends, and reports the port.
    for (int round = 0; round < 2; ++round) {
        const auto missing = poll();
        EXPECT_EQ(missing.status_text, "Ошибка открытия порта");
        EXPECT_TRUE(missing.value_text.empty());
    }
    plug_in();
    const auto back = poll();
    EXPECT_TRUE(back.status_text.empty()) << back.status_text;
    EXPECT_FALSE(back.value_text.empty());
    EXPECT_EQ(simulator->stats().requests, 1u);
    EXPECT_TRUE(shell.messages.empty());
    scan.switch_off(*scanner);
}

} // namespace
} // namespace zr740
