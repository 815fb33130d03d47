// zr740-screenshots: renders the README's pictures of the window offscreen, against the
// instrument simulator: the main window after a read, an enumeration value being edited, the
// rows filling during a running read, the apply window, and the connection setup window scanning
// the baud rates, the traffic monitor after a read on a line with faults, the trend window after a
// minute of two scanners, the compare report after a compare that found a dozen differences, and the
// commissioning window after three instruments.
//
//     zr740-screenshots [OUTPUT_FOLDER]        (default docs/screenshots)

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "platform/memory_settings.h"
#include "simulator/instrument_simulator.h"
#include "ui/apply_dialog.h"
#include "ui/chlb5_tree_list_ctrl.h"
#include "ui/chlb5_tree_list_view.h"
#include "ui/commission_dialog.h"
#include "ui/compare_report_window.h"
#include "ui/frame_texts.h"
#include "ui/line_search_dialog.h"
#include "ui/main_frame.h"
#include "ui/progress_window.h"
#include "ui/qt_shell.h"
#include "ui/setup_carrier.h"
#include "ui/traffic_model.h"
#include "ui/traffic_window.h"
#include "ui/trend_plot.h"
#include "ui/trend_window.h"
#include "ui/window_language.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>

namespace {

using namespace zr740;


// Shows the parameter's row, opening the branches above it; its index in column 0.
QModelIndex show_row(ui::CMainFrame& frame, CHLB5Doc& document, const char* name)
{
    Parameter* parameter = document.root()->find_in_tree(name);
    ui::TreeNode* node = parameter ? frame.view()->model().reveal(*parameter) : nullptr;
    if (!node)
        return {};
    const QModelIndex index = frame.view()->model().index_of(*node);
    frame.view()->tree()->scrollTo(index);
    return index;
}

// Draws a top-level window (a popup, a dialog) into the picture of the main window where it
// stands. Offscreen there is no window manager: a dialog gets a plain title bar drawn here.
void paint_over(QPixmap& picture, QWidget& frame, QWidget& window, bool title_bar)
{
    QPainter painter(&picture);
    QPoint at = window.mapToGlobal(QPoint(0, 0)) - frame.mapToGlobal(QPoint(0, 0));
    if (title_bar) {
        const int height = 26;
        at.ry() = std::max(at.y(), height);
        const QRect bar(at.x() - 1, at.y() - height, window.width() + 2, height);
        painter.fillRect(bar, QColor(60, 90, 140));
        painter.setPen(Qt::white);
        QFont font = painter.font();
        font.setBold(true);
        painter.setFont(font);
        painter.drawText(bar.adjusted(8, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft, window.windowTitle());
        painter.setPen(QColor(60, 90, 140));
        painter.drawRect(QRect(at.x() - 1, at.y(), window.width() + 1, window.height()));
    }
    painter.drawPixmap(at, window.grab());
}

// A dialog on its own, with the plain title bar that offscreen windows lack.
QPixmap dialog_picture(QWidget& window)
{
    const int bar = 26;
    QPixmap picture(window.width() + 2, window.height() + bar + 1);
    picture.fill(QColor(60, 90, 140));
    QPainter painter(&picture);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(8, 0, window.width() - 16, bar), Qt::AlignVCenter | Qt::AlignLeft, window.windowTitle());
    painter.drawPixmap(1, bar, window.grab());
    return picture;
}

bool save(const QPixmap& picture, const QString& path)
{
    if (!picture.save(path)) {
        std::cerr << "zr740-screenshots: cannot write " << path.toStdString() << '\n';
        return false;
    }
    std::cout << path.toStdString() << '\n';
    return true;
}

// The trend window after a minute of the pressure and the temperature polled every 250 ms, the
// CSV log running and the cursor reading a moment. A minute is long to wait for a picture: the
// first 57 seconds are the values the simulated instrument measures at those moments (its
// measurement is a function of its running time), handed to the window as the scanners hand them;
// the last three seconds are polled from the simulator for real.
bool trend_picture(ui::CMainFrame& frame, CHLB5Doc& document, const QString& output)
{
    using namespace std::chrono_literals;
    if (frame.traffic_window()->isVisibleTo(&frame))
        frame.run_command(ui::Command::traffic_monitor);
    frame.run_command(ui::Command::trend_window);
    ui::TrendWindow* trends = frame.trend_window();
    frame.resizeDocks({trends}, {frame.height() * 3 / 5}, Qt::Vertical);
    Parameter* pressure = document.scanners()->find("0x0100");
    Parameter* temperature = document.scanners()->find("0x0104");
    if (!pressure || !temperature) {
        std::cerr << "zr740-screenshots: no scanners to draw\n";
        return false;
    }
    // A real minute of polls against the simulator, as a person watching would see it.
    constexpr auto period = 250ms;
    ScanThread& scanners = document.scanners_thread();
    for (Parameter* scanner : {pressure, temperature})
        scanners.set_period(*scanner, static_cast<int>(period.count()));
    scanners.switch_on_together({pressure, temperature});
    const QString log = QDir::temp().filePath(QStringLiteral("давление.csv"));
    trends->start_log(log);
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    trends->refresh();
    ui::TrendPlot* plot = trends->plot();
    plot->move_cursor(plot->time_range().lower + plot->time_range().size() * 0.62);
    plot->replot();
    QApplication::processEvents();
    const bool written = save(frame.grab(), output + "/trend-window.png");
    trends->stop_log();
    scanners.switch_off(*pressure);
    scanners.switch_off(*temperature);
    QFile::remove(log);
    return written;
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/screenshots");
    QDir().mkpath(output);

    AppContext context;
    context.program_folder = std::filesystem::path(argv[0]).parent_path().string();
    context.auto_read = true;
    // The pictures show the window as a Russian desktop shows it, whatever this machine's locale.
    const ui::WindowLanguage language(QString::fromStdString(context.program_folder + "/translations"),
                                      QLocale(QLocale::Russian, QLocale::Russia));
    sim::SimulatorOptions options;
    options.description_path = context.program_folder + "/zr740.dat";
    options.address = 16;
    sim::InstrumentSimulator simulator(options);
    if (!simulator.start()) {
        std::cerr << "zr740-screenshots: " << simulator.error() << '\n';
        return 1;
    }
    // The link settings of the pictures' session, kept in memory: the user's own stay untouched.
    MemorySettings settings;
    settings.texts["port_name"] = simulator.port_path();
    settings.values["address"] = 16;

    ui::QtShell shell;
    shell.set_unattended_boxes(true);
    CHLB5Doc document(context, shell, settings, {simulator.port_path()});
    document.engine().window_linger = std::chrono::milliseconds{0};
    if (document.link().open_port(true) != 0 || !document.link().check_link() || !document.on_new_document()) {
        std::cerr << "zr740-screenshots: the simulated instrument does not answer\n";
        return 1;
    }
    ui::CMainFrame frame(document, shell, settings);
    frame.resize(1280, 820);
    frame.initial_update();
    frame.show();
    QApplication::processEvents();

    // 1. The main window after "Прочитать все параметры", the network branch open.
    frame.run_command(139);
    document.engine().wait_until_idle();
    QTreeView* tree = frame.view()->tree();
    show_row(frame, document, "0x0018");
    const QModelIndex parity = show_row(frame, document, "0x000C");
    if (parity.isValid())
        tree->setCurrentIndex(parity);
    QApplication::processEvents();
    bool written = save(frame.grab(), output + "/main-window.png");

    // 2. An enumeration value being edited: the parity's drop-down list open.
    if (parity.isValid()) {
        tree->edit(parity.siblingAtColumn(3));
        QApplication::processEvents();
        if (auto* combo = tree->findChild<QComboBox*>()) {
            combo->showPopup();
            QApplication::processEvents();
            QPixmap picture = frame.grab();
            paint_over(picture, frame, *combo->view()->window(), false);
            written = save(picture, output + "/enumeration-edit.png") && written;
            combo->hidePopup();
        }
        tree->closePersistentEditor(parity.siblingAtColumn(3));
        QApplication::processEvents();
    }

    // 3. A read of a new configuration on a slow line, taken while it runs, then stopped: the rows
    // read so far show the instrument's values; the service values below are still empty. The
    // progress window is drawn low in the window, where it leaves the rows in sight.
    document.modified = false;
    frame.run_command(ui::texts::ids::file_new);
    show_row(frame, document, "0x0004");
    show_row(frame, document, "0x0038");
    tree->scrollToTop();
    QApplication::processEvents();
    simulator.inject(sim::Fault::delayed(std::chrono::milliseconds{30}, -1));
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        ui::CProgressDlg* window = shell.progress_window();
        const int lines = window ? window->log()->count() : 0;
        if (lines == 0 || !window->log()->item(lines - 1)->text().contains(QStringLiteral("0x0038")))
            return;
        poll.stop();
        const QPoint low = frame.mapToGlobal(QPoint(0, frame.height() - window->height() - 60));
        window->move(window->x(), low.y());
        QApplication::processEvents();
        QPixmap picture = frame.grab();
        paint_over(picture, frame, *window, true);
        written = save(picture, output + "/progress-window.png") && written;
        window->abort_button()->click();
    });
    poll.start(10);
    frame.run_command(139);
    document.engine().wait_until_idle();

    // 4. The apply window over the main window, the broadcast box ticked; cancelled, nothing sent.
    simulator.clear_faults();
    QApplication::processEvents();
    const QPixmap before_apply = frame.grab();
    QTimer apply_poll;
    QObject::connect(&apply_poll, &QTimer::timeout, [&] {
        auto* window = qobject_cast<ui::CApply*>(QApplication::activeModalWidget());
        if (!window)
            return;
        apply_poll.stop();
        window->broadcast_box()->setChecked(true);
        window->adjustSize();
        window->move(frame.mapToGlobal(QPoint((frame.width() - window->width()) / 2, 160)));
        QApplication::processEvents();
        QPixmap picture = before_apply;
        paint_over(picture, frame, *window, true);
        written = save(picture, output + "/apply.png") && written;
        window->reject();
    });
    apply_poll.start(10);
    frame.run_command(265);

    // 5. The traffic monitor after a read-all on a line that lost one reply and damaged another:
    // the time-out, the damaged reply and their retries in colour, the statistics below.
    ui::TrafficWindow* monitor = frame.traffic_window();
    frame.run_command(ui::Command::traffic_monitor);
    QApplication::processEvents();
    monitor->clear();
    document.link().trace().reset_statistics();
    simulator.inject(sim::Fault::no_reply(1).at(0x0018));
    simulator.inject(sim::Fault::bad_crc(1).at(0x001A));
    frame.run_command(139);
    document.engine().wait_until_idle();
    simulator.clear_faults();
    monitor->take_traffic();
    frame.refresh_link_statistics();
    for (int row = 0; row < monitor->model().rowCount(); ++row) {
        if (is_traffic_error(monitor->model().event(row))) {
            const QModelIndex first_error = monitor->model().index(row, 0);
            monitor->table()->scrollTo(first_error, QAbstractItemView::PositionAtTop);
            monitor->table()->verticalScrollBar()->setValue(std::max(0, row - 3));
            break;
        }
    }
    QApplication::processEvents();
    written = save(frame.grab(), output + "/traffic-monitor.png") && written;

    // 6. The trend window after a minute of two scanners.
    written = trend_picture(frame, document, output) && written;

    // 7. The compare report after a compare with a dozen differences: a configuration whose
    // numbers were changed here and there since the read, one parameter no longer editable.
    frame.run_command(ui::Command::traffic_monitor);
    int changed = 0;
    document.root()->for_each_parameter([&](Parameter& p) {
        bool number = false;
        const double value = QString::fromStdString(p.value_text).toDouble(&number);
        // The measurement settings, not the identification and network rows at the top.
        if (!p.exchangeable || !p.editable || p.linear_index < 0 || !number || changed >= 12 || p.name < "0x0016")
            return;
        const auto point = p.value_text.find('.');
        const int decimals = point == std::string::npos ? 0 : static_cast<int>(p.value_text.size() - point - 1);
        p.value_text = QString::number(value + 1 + changed % 4, 'f', decimals).toStdString();
        if (++changed == 5)
            p.editable = !p.editable;
    });
    frame.run_command(ui::Command::compare);
    document.engine().wait_until_idle();
    QApplication::processEvents();
    if (auto* report = frame.findChild<ui::CompareReportWindow*>("compareReport"); report && report->isVisible()) {
        // The offscreen screen is small; a desktop gives the window its full width.
        report->resize(1360, 470);
        report->table()->selectRow(2);
        QApplication::processEvents();
        written = save(dialog_picture(*report), output + "/compare-report.png") && written;
        report->close();
    } else {
        std::cerr << "zr740-screenshots: the compare opened no report (" << changed << " changes)\n";
        written = false;
    }

    // 8. Commissioning a series after three instruments: the second kept its old value in one
    // register and failed, the third is the last verdict.
    const QString report = QDir::tempPath() + "/line3.csv";
    QFile::remove(report);
    document.root()->find_in_tree("0x0018")->set_value_from_input("7.25", false);
    simulator.replace_instrument("SN260101");
    ui::CommissionDialog commission(document, shell, &frame);
    commission.set_report_path(report);
    commission.show();
    bool commissioned = commission.start() && commission.wait_for_instruments(1, 20000);
    simulator.inject(sim::Fault::stuck(0x0018));
    simulator.replace_instrument("SN260102");
    commissioned = commissioned && commission.wait_for_instruments(2, 20000);
    simulator.clear_faults();
    simulator.replace_instrument("SN260103");
    commissioned = commissioned && commission.wait_for_instruments(3, 20000);
    QApplication::processEvents();
    if (!commissioned)
        std::cerr << "zr740-screenshots: commissioning: " << commission.status()->text().toStdString() << " / "
                  << commission.counts()->text().toStdString() << '\n';
    written = commissioned && save(dialog_picture(commission), output + "/commission.png") && written;
    commission.stop();
    commission.wait_until_finished();
    commission.close();
    QFile::remove(report);
    frame.close();

    // 9. The connection setup scanning the baud rates for an instrument that listens at 19200
    // while the settings say 9600: taken at the second rate, then left with "Выход".
    sim::SimulatorOptions other = options;
    other.baud = 19200;
    other.own_rate_only = true;
    sim::InstrumentSimulator hidden(other);
    if (!hidden.start()) {
        std::cerr << "zr740-screenshots: " << hidden.error() << '\n';
        return 1;
    }
    MemorySettings setup_settings;
    setup_settings.texts["port_name"] = hidden.port_path();
    setup_settings.values["address"] = 16;
    setup_settings.values["baud_rate"] = 9600;
    CHLB5Doc setup_document(context, shell, setup_settings, {hidden.port_path()});
    ui::CSetupCarrier setup(setup_document.link(), setup_document.job().stop, context.run, shell, true, nullptr);
    setup.show();
    setup.command(4);
    const QString scanning = QString::fromUtf8("Идет сканирование на скорости 4800...");
    QTimer scan_poll;
    bool taken = false;
    QObject::connect(&scan_poll, &QTimer::timeout, [&] {
        if (taken || setup.status()->text() != scanning)
            return;
        taken = true;
        QApplication::processEvents();
        written = save(dialog_picture(setup), output + "/setup-scan.png") && written;
        setup.command(2);
    });
    scan_poll.start(10);
    setup.exec();
    written = written && taken;

    // 10. "Поиск приборов" over a line of three instruments, addresses 1 to 60 at 9600.
    sim::SimulatorOptions line = options;
    line.extra_addresses = {3, 40};
    sim::InstrumentSimulator three(line);
    if (!three.start()) {
        std::cerr << "zr740-screenshots: " << three.error() << '\n';
        return 1;
    }
    MemorySettings line_settings;
    line_settings.texts["port_name"] = three.port_path();
    CHLB5Doc line_document(context, shell, line_settings, {three.port_path()});
    if (line_document.link().open_port(true) != 0 || !line_document.link().check_link()) {
        std::cerr << "zr740-screenshots: the simulated line does not answer\n";
        return 1;
    }
    ui::LineSearchDialog search(line_document.link(), nullptr);
    search.set_range(1, 60);
    search.choose_rates({9600});
    search.show();
    search.start();
    search.wait_until_finished();
    search.table()->selectRow(0);
    QApplication::processEvents();
    if (search.table()->rowCount() != 3)
        std::cerr << "zr740-screenshots: the search found " << search.table()->rowCount() << " instruments: "
                  << search.status()->text().toStdString() << '\n';
    written = search.table()->rowCount() == 3 && save(dialog_picture(search), output + "/line-search.png") && written;
    return written ? 0 : 1;
}
