// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The connection setup window on a document whose link settings point at the instrument
// simulator, with the Qt shell recording its boxes: the fixture of the setup window tests.

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "simulator/instrument_simulator.h"
#include "support/memory_settings.h"
#include "ui/qt_shell.h"
#include "ui/setup_carrier.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zr740::testing {

// Calls `act` once, from the event loop, on the first visible top-level window of type T; for
// the windows that run modally inside the code under test.
template <typename T> void when_shown(std::function<void(T&)> act)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        for (auto* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<T*>(widget);
            if (window && window->isVisible()) {
                timer->stop();
                timer->deleteLater();
                act(*window);
                return;
            }
        }
    });
    timer->start(5);
}

class SetupFixture : public ::testing::Test {
protected:
    static constexpr int wait_ms = 60000;

    // The simulator with its network settings, the program's settings pointing at it with
    // `address` and `baud`.
    void start(std::optional<int> simulator_baud, int address, int baud)
    {
        context.program_folder = std::string(ZR740_BINARY_DIR) + "/bin";
        sim::SimulatorOptions options;
        options.description_path = context.program_folder + "/zr740.dat";
        options.live_values = false;
        options.own_rate_only = true;
        options.address = 5;
        options.baud = simulator_baud;
        simulator = std::make_unique<sim::InstrumentSimulator>(options);
        ASSERT_TRUE(simulator->start()) << simulator->error();
        memory.texts["port_name"] = simulator->port_path();
        memory.values["address"] = address;
        memory.values["baud_rate"] = baud;
        shell.set_unattended_boxes(true);
        document = std::make_unique<CHLB5Doc>(context, shell, memory, std::vector<std::string>{});
    }

    void open(bool offline_allowed)
    {
        dialog = std::make_unique<ui::CSetupCarrier>(document->link(), document->job().stop, context.run, shell, offline_allowed, nullptr);
        QObject::connect(dialog.get(), &QDialog::finished, [this](int result) {
            finished = result;
            boxes_at_finish = shell.shown_boxes().size();
        });
        dialog->show();
    }

    void click(int id) { QTest::mouseClick(dialog->button(id), Qt::LeftButton); }
    bool wait_finished() { return QTest::qWaitFor([&] { return finished.has_value(); }, wait_ms); }
    bool wait_status(const QString& text)
    {
        return QTest::qWaitFor([&] { return dialog->status()->text() == text; }, wait_ms);
    }
    int row_of(std::string_view name) const
    {
        const auto& rows = dialog->setup().rows();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i]->name == name)
                return static_cast<int>(i);
        return -1;
    }
    QString shown_value(std::string_view name) const { return dialog->list()->item(row_of(name), 1)->text(); }

    void TearDown() override
    {
        dialog.reset();
        document.reset();
    }

    AppContext context;
    MemorySettings memory;
    ui::QtShell shell;
    std::unique_ptr<sim::InstrumentSimulator> simulator;
    std::unique_ptr<CHLB5Doc> document;
    std::unique_ptr<ui::CSetupCarrier> dialog;
    std::optional<int> finished;
    std::size_t boxes_at_finish = 0;
};

} // namespace zr740::testing
