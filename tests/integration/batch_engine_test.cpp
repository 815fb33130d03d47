// The batch exchange engine against the simulator: the jobs with their progress lines, counters,
// statuses and follow-ups, stopping at every stage, and faults of the line.

#include "app/engine_texts.h"
#include "support/lock_probe.h"
#include "support/simulated_document.h"
#include "platform/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <future>
#include <sstream>
#include <thread>

namespace zr740 {
namespace {

using sim::Fault;

class BatchEngineTest : public testing::SimulatedDocument {
protected:
    void SetUp() override
    {
        SimulatedDocument::SetUp();
        engine().window_linger = std::chrono::milliseconds{0};
    }

    BatchEngine& engine() { return document.engine(); }
    const std::vector<std::string>& lines() const { return shell.progress_lines; }
    bool has_line(std::string_view text) const
    {
        return std::find(lines().begin(), lines().end(), text) != lines().end();
    }
    int parameters() const
    {
        int n = 0;
        document.root()->for_each_parameter([&](Parameter&) { ++n; });
        return n;
    }
    int lines_starting(std::string_view prefix) const
    {
        return static_cast<int>(std::count_if(lines().begin(), lines().end(),
                                              [&](const std::string& line) { return line.rfind(prefix, 0) == 0; }));
    }
};

TEST_F(BatchEngineTest, ReadAllFillsTheTreeAndTheLimits)
{
    ASSERT_TRUE(simulator->set_value(0x001A, "-10"));
    ASSERT_TRUE(simulator->set_value(0x001C, "30"));
    ASSERT_TRUE(engine().read(document.root()));
    engine().wait_until_idle();

    ASSERT_EQ(shell.progress_captions, std::vector<std::string>{"Идет чтение параметров из прибора"});
    // The read walks every parameter, those left out of writes too.
    EXPECT_EQ(shell.progress_totals[0], BatchEngine::count(*document.root(), CountMode::all));
    EXPECT_TRUE(has_line("Читаем ветвь 'Сетевые параметры'"));
    EXPECT_TRUE(has_line("  Чтение: 0x0007 = 5"));
    EXPECT_EQ(lines().end()[-2], "");
    EXPECT_EQ(lines().back(), "Задание выполнено. Окно будет закрыто автоматически.");
    EXPECT_EQ(at("0x0009").value_text, "9600");
    EXPECT_TRUE(document.modified);
    EXPECT_EQ(at("0x0026").min, -10);
    EXPECT_EQ(at("0x0026").max, 30);
    EXPECT_EQ(at("0x002A").max, 10);
    EXPECT_EQ(context.run.exit_status.load(), 0u);
    ASSERT_FALSE(shell.counts.empty());
    EXPECT_EQ(shell.counts.back(), std::make_pair(shell.progress_totals[0], shell.progress_totals[0]));
    for (const auto& [processed, total] : shell.counts)
        EXPECT_LE(processed, total);
}

TEST_F(BatchEngineTest, WriteChangedWithNothingChangedWritesNothing)
{
    const auto before = simulator->stats().requests;
    ASSERT_TRUE(engine().write_changed(document.root()));
    engine().wait_until_idle();
    EXPECT_EQ(shell.progress_totals, std::vector<int>{0});
    EXPECT_EQ(lines(), (std::vector<std::string>{"", "Задание выполнено. Окно будет закрыто автоматически."}));
    EXPECT_TRUE(shell.counts.empty());
    EXPECT_EQ(simulator->stats().requests, before);
}

TEST_F(BatchEngineTest, WrittenNetworkAndRangeParametersAskForApplyAndReread)
{
    at("0x000B").value_text = "2";
    at("0x000B").value_changed = 1;
    at("0x0016").value_text = "1";
    at("0x0016").value_changed = 1;
    at("0x0018").value_text = "7"; // not changed: not written
    // The question waits for the person: meanwhile the port lock is free for polls and checks.
    std::vector<bool> lock_free;
    shell.on_box = [&] { lock_free.push_back(testing::free_for_other_threads(document.link().port_lock())); };
    ASSERT_TRUE(engine().write_changed(document.root()));
    engine().wait_until_idle();
    shell.on_box = nullptr;
    EXPECT_EQ(lock_free, std::vector<bool>{true});

    EXPECT_EQ(shell.progress_totals, std::vector<int>{2});
    EXPECT_EQ(lines_starting("Пишем ветвь"), 2);
    EXPECT_TRUE(has_line("  Запись: 0x000B = 2 [новое значение]"));
    EXPECT_EQ(simulator->value(0x000B), "2");
    EXPECT_NE(simulator->value(0x0018), "7.000");
    EXPECT_EQ(at("0x000B").value_changed, 0);
    EXPECT_EQ(shell.posted, std::vector<int>{command_ids::apply_request});
    ASSERT_EQ(shell.questions.size(), 1u);
    EXPECT_NE(shell.questions[0].text.find("Выполнить чтение параметров из прибора?"), std::string::npos);
    EXPECT_FALSE(document.link().needs_apply);
    EXPECT_FALSE(document.link().needs_reread);
}

TEST_F(BatchEngineTest, CompareReportsTheFirstTenDifferencesAndCountsTheRest)
{
    ASSERT_TRUE(engine().read(document.root()));
    engine().wait_until_idle();
    std::vector<Parameter*> changed;
    document.root()->for_each_parameter([&](Parameter& p) {
        if (changed.size() < 11 && p.exchangeable && p.status_text.empty()) {
            p.value_text += "x";
            changed.push_back(&p);
        }
    });
    ASSERT_EQ(changed.size(), 11u);
    shell.messages.clear();
    ASSERT_TRUE(engine().compare(document.root()));

    ASSERT_EQ(shell.messages.size(), 1u);
    const auto& result = shell.messages[0];
    EXPECT_EQ(result.caption, "Результат сравнения");
    EXPECT_EQ(result.icon, Icon::information);
    EXPECT_EQ(result.text.rfind("Отличия: 11 (показанны только первые 10):\n\n1) Параметер '", 0), 0u) << result.text;
    EXPECT_NE(result.text.find("\n10) Параметер"), std::string::npos);
    EXPECT_EQ(result.text.find("\n11) Параметер"), std::string::npos);
    EXPECT_EQ(changed[0]->status_text.rfind("Знач-е в приборе: '", 0), 0u) << changed[0]->status_text;
    EXPECT_NE(changed[0]->status_text.find("',РедактируемыйПользователь"), std::string::npos);
    EXPECT_EQ(changed[10]->status_text, "");

    shell.messages.clear();
    for (Parameter* p : changed) {
        p->value_text.pop_back();
        p->status_text.clear();
    }
    ASSERT_TRUE(engine().compare(document.root()));
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, "Отличий не обнаружено");
}

TEST_F(BatchEngineTest, InitialValuesAlternateTheCalibrationWordByIndex)
{
    auto branch = std::make_unique<DescBranch>("Калибровка", 2, 1, 2, 3);
    for (int index : {0, 1, 2}) {
        auto& p = branch->append(std::make_unique<Parameter>("clb.k"));
        p.indexed = 1;
        p.linear_index = index;
        p.register_count = 1;
        p.type_text = "int";
        p.init_text = "7";
    }
    auto& never = branch->append(std::make_unique<Parameter>("0x0010"));
    never.init_text = "Нет данных";
    DescBranch& calibration = *branch;
    document.root()->add_child(std::move(branch));
    // No line: the values stay as the job set them, untouched by any reply.
    document.stop_threads();
    document.link().sio().close();
    settings().set_value_by_name("Port", "/nonexistent/tty");

    ASSERT_TRUE(engine().write_initial_values(&calibration));
    engine().wait_until_idle();
    EXPECT_EQ(shell.progress_captions[0], "Идет инициализация прибора");
    EXPECT_EQ(shell.progress_totals[0], 4);
    EXPECT_EQ(calibration.parameters[0]->value_text, "0");
    EXPECT_EQ(calibration.parameters[1]->value_text, "4095");
    EXPECT_EQ(calibration.parameters[2]->value_text, "0");
    EXPECT_EQ(never.status_text, "Значение не записано, так как параметр не инициализирован");
    EXPECT_TRUE(has_line("  Запись: clb.k:1 = 7 [новое значение]"));
}

TEST_F(BatchEngineTest, StoppedJobKeepsWhatItDidAndTheNextJobRunsWhole)
{
    shell.abort_after_lines = 4;
    // Slow replies, so that the job is still under way when the user stops it.
    simulator->inject(Fault::delayed(std::chrono::milliseconds(20), 1000));
    ASSERT_TRUE(engine().read(document.root()));
    engine().wait_until_idle();
    EXPECT_EQ(context.run.exit_status.load(), exit_bits::stopped);
    int read = 0;
    int unread = 0;
    document.root()->for_each_parameter([&](Parameter& p) { (p.value_text == "Нет данных" ? unread : read)++; });
    EXPECT_GE(read, 3);
    EXPECT_GT(unread, 0);
    EXPECT_FALSE(document.job().stop.is_set());

    // The stop belonged to that job only.
    simulator->clear_faults();
    shell.abort_after_lines.reset();
    shell.progress_lines.clear();
    ASSERT_TRUE(engine().read(document.root()));
    engine().wait_until_idle();
    // Every parameter the instrument has was tried: it has a value or says why not.
    document.root()->for_each_parameter([&](Parameter& p) {
        EXPECT_TRUE(!p.exchangeable || p.value_text != "Нет данных" || !p.status_text.empty()) << p.name;
    });
}

TEST_F(BatchEngineTest, StopBeforeTheWorkerStartsIsNotLost)
{
    // The worker is held at the port lock while the window is aborted as soon as it stands: the
    // stop comes before the job has begun and must still end it.
    shell.abort_after_lines = 0;
    // Known limits, so that the limits update after the read needs no reads of its own.
    for (const char* name : {"0x001A", "0x001C", "0x0026", "0x0028", "0x002A", "0x002C"})
        at(name).value_text = "0";
    const auto before = simulator->stats().requests;
    std::unique_lock port(document.link().port_lock());
    ASSERT_TRUE(engine().read(document.root()));
    port.unlock();
    engine().wait_until_idle();
    EXPECT_EQ(simulator->stats().requests, before);
    EXPECT_EQ(context.run.exit_status.load(), exit_bits::stopped);
    EXPECT_FALSE(document.job().stop.is_set());
}

TEST_F(BatchEngineTest, FiveFailedWritesStopTheJob)
{
    document.stop_threads();
    document.link().sio().close();
    settings().set_value_by_name("Port", "/nonexistent/tty");
    document.root()->for_each_parameter([](Parameter& p) { p.value_text = "1"; });
    ASSERT_TRUE(engine().write_all(document.root()));
    engine().wait_until_idle();
    EXPECT_TRUE(has_line("Прошло 5 безуспешных попыток записи!"));
    EXPECT_EQ(lines_starting("  Запись: "), 5);
    // The rule adds its bit; the port that would not open stays the first cause (code 201).
    EXPECT_EQ(context.run.exit_status.load(), exit_bits::port_unavailable | exit_bits::no_reply);
}

TEST_F(BatchEngineTest, FiveTransactionsWithoutAReplyStopTheJobButRefusalsDoNot)
{
    testing::TempDir dir;
    context.error_log_path = (dir.path() / "errors.log").string();
    auto& network = *document.network_branch();
    const int count = static_cast<int>(network.parameters.size());
    ASSERT_GT(count, 5);

    // The instrument answers every read with an exception: it is there, so every parameter is
    // tried and fails, and the job runs to its end.
    for (const auto& parameter : network.parameters)
        simulator->inject(Fault::exception(static_cast<std::uint16_t>(std::stoi(parameter->name, nullptr, 16)), 2, 1));
    ASSERT_TRUE(engine().read(&network));
    engine().wait_until_idle();
    EXPECT_EQ(lines_starting("  Чтение: "), count);
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(engine().last_exchanges().made, count);
    EXPECT_EQ(engine().last_exchanges().failed, count);
    EXPECT_EQ(context.run.exit_status.load(), 0u);

    // A silent instrument ends as "Не могу раскодировать ответ" too, but five of them in a row
    // stop the job with the message.
    simulator->clear_faults();
    simulator->inject(Fault::no_reply(1000));
    shell.progress_lines.clear();
    ASSERT_TRUE(engine().read(&network));
    engine().wait_until_idle();
    EXPECT_EQ(lines_starting("  Чтение: "), 5);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text.rfind("Так как прошло 5 неудачных попыток чтения параметров подряд", 0), 0u);
    EXPECT_EQ(context.run.exit_status.load(), exit_bits::no_reply);
    EXPECT_EQ(network.parameters[0]->status_text, "Не могу раскодировать ответ");

    std::ifstream log(context.error_log_path);
    std::string first;
    std::getline(log, first);
    EXPECT_EQ(first, network.parameters[0]->name + " - Не могу раскодировать ответ");
}

TEST_F(BatchEngineTest, QuittingDuringAJobEndsItPromptly)
{
    simulator->inject(Fault::no_reply(100000));
    auto job = std::async(std::launch::async, [&] { return engine().read(document.root()); });
    while (shell.line_count() < 2)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const auto start = std::chrono::steady_clock::now();
    document.stop_threads();
    ASSERT_EQ(job.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_TRUE(job.get());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    EXPECT_FALSE(engine().running());
}

TEST_F(BatchEngineTest, StoppingTheThreadsWithAScannerOnAndADeadLineTakesOneTransaction)
{
    // Each transaction on this dead line would take two reply time-outs of 3 s.
    document.link().sio().reply_timeout = 3000;
    simulator->inject(Fault::no_reply(-1));
    ASSERT_NE(document.scanners(), nullptr);
    Parameter* scanner = nullptr;
    document.scanners()->for_each_parameter([&](Parameter& p) { scanner = scanner ? scanner : &p; });
    ASSERT_NE(scanner, nullptr);
    ASSERT_EQ(document.start_scanners(), 0);
    ASSERT_TRUE(document.scanners_thread().set_period(*scanner, 100));
    document.scanners_thread().switch_on(*scanner);

    auto job = std::async(std::launch::async, [&] { return engine().read(document.root()); });
    while (shell.line_count() < 1)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    // The job is on the line now and the scanner waits for the port it holds.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto start = std::chrono::steady_clock::now();
    document.stop_threads();
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(job.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_LT(took, std::chrono::seconds(3)) << "longer than one reply time-out";
    EXPECT_FALSE(document.scanners_thread().running());
    EXPECT_FALSE(engine().running());
    EXPECT_FALSE(document.link().sio().abort_signalled());
}

TEST_F(BatchEngineTest, VanishedInstrumentEndsTheJobWithStatuses)
{
    auto& network = *document.network_branch();
    // Slow replies, so that the instrument goes while the job is still under way.
    simulator->inject(Fault::delayed(std::chrono::milliseconds(40), 1000));
    auto job = std::async(std::launch::async, [&] { return engine().read(&network); });
    while (shell.line_count() < 2)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    simulator->stop();
    ASSERT_EQ(job.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    engine().wait_until_idle();
    // The parameters after the instrument went failed with a status until five in a row stopped
    // the job.
    EXPECT_NE(context.run.exit_status.load() & exit_bits::no_reply, 0u);
    EXPECT_TRUE(std::any_of(network.parameters.begin(), network.parameters.end(),
                            [](const auto& p) { return p->status_text == "Не могу раскодировать ответ"; }));
}

TEST_F(BatchEngineTest, SingleParameterJobsNeedASelection)
{
    EXPECT_FALSE(engine().read_one(nullptr));
    EXPECT_FALSE(engine().write_one(nullptr));
    ASSERT_EQ(shell.messages.size(), 2u);
    EXPECT_EQ(shell.messages[0].text, "Ничего не выбрано!");
    EXPECT_EQ(shell.messages[0].caption, "ЗР740");
    EXPECT_EQ(shell.messages[0].icon, Icon::warning);

    ASSERT_TRUE(engine().read_one(&at("0x0018")));
    EXPECT_EQ(shell.progress_totals.back(), 1);
    at("0x0018").value_text = "3.5";
    ASSERT_TRUE(engine().write_one(&at("0x0018")));
    engine().wait_until_idle();
    EXPECT_EQ(simulator->value(0x0018), "3.500");
    EXPECT_EQ(shell.view_updates, 2);
}

TEST_F(BatchEngineTest, TheWindowThatCannotBeShownRunsNothing)
{
    shell.progress_available = false;
    const auto before = simulator->stats().requests;
    EXPECT_FALSE(engine().read(document.root()));
    EXPECT_EQ(simulator->stats().requests, before);
}

} // namespace
} // namespace zr740
