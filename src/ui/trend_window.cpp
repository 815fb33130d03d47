// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/trend_window.h"

#include "app/csv_log.h"
#include "app/scan_thread.h"
#include "app/trend_csv.h"
#include "app/trend_values.h"
#include "model/parameter.h"
#include "ui/qt_shell.h"
#include "ui/trend_plot.h"
#include "ui/trend_texts.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QSaveFile>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <chrono>
#include <cmath>
#include <limits>
#include <sstream>

namespace zr740::ui {
namespace {

// The clock's period: at most 15 redraws a second.
constexpr int clock_ms = 66;

struct Span {
    Text text;
    int seconds;
};
constexpr Span spans[] = {
    {texts::trend_span_1min, 60},    {texts::trend_span_5min, 300}, {texts::trend_span_15min, 900},
    {texts::trend_span_1h, 3600},    {texts::trend_span_4h, 14400}, {texts::trend_span_all, 0},
};
constexpr int default_span_index = 1;

QToolButton* button(Text text, QWidget* parent)
{
    auto* made = new QToolButton(parent);
    made->setText(q(text));
    made->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return made;
}

double seconds_of(std::chrono::system_clock::time_point time)
{
    if (time == std::chrono::system_clock::time_point{})
        time = std::chrono::system_clock::now();
    const auto micro = std::chrono::duration_cast<std::chrono::microseconds>(time.time_since_epoch()).count();
    return static_cast<double>(micro) / 1e6;
}

} // namespace

TrendWindow::TrendWindow(QtShell& shell, QWidget* parent)
    : QDockWidget(q(texts::trend_caption), parent), shell_(shell)
{
    setObjectName("trendWindow");
    build();
    clock_ = new QTimer(this);
    clock_->setInterval(clock_ms);
    connect(clock_, &QTimer::timeout, this, &TrendWindow::refresh);
    // Hidden, the window goes on collecting points but draws nothing.
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible) {
            clock_->start();
            dirty_ = true;
            refresh();
        } else {
            clock_->stop();
        }
    });
}

TrendWindow::~TrendWindow()
{
    stop_log();
}

void TrendWindow::build()
{
    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(4, 2, 4, 2);
    column->setSpacing(2);

    auto* controls = new QHBoxLayout;
    pause_ = button(texts::trend_pause, body);
    pause_->setObjectName("trendPause");
    pause_->setCheckable(true);
    pause_->setToolTip(q(texts::trend_pause_tip));
    connect(pause_, &QToolButton::toggled, this, [this] {
        dirty_ = true;
        refresh();
    });
    auto* span_label = new QLabel(q(texts::trend_span), body);
    span_ = new QComboBox(body);
    span_->setObjectName("trendSpan");
    span_->setToolTip(q(texts::trend_span_tip));
    for (const Span& one : spans)
        span_->addItem(q(one.text), one.seconds);
    span_->setCurrentIndex(default_span_index);
    span_label->setBuddy(span_);
    connect(span_, &QComboBox::currentIndexChanged, this, [this] {
        // Choosing a span means looking at the newest points again.
        set_paused(false);
        dirty_ = true;
        refresh();
    });
    auto* clear_button = button(texts::trend_clear, body);
    connect(clear_button, &QToolButton::clicked, this, &TrendWindow::clear);
    auto* png_button = button(texts::trend_save_png, body);
    png_button->setToolTip(q(texts::trend_save_png_tip));
    connect(png_button, &QToolButton::clicked, this, &TrendWindow::save_png_as);
    auto* csv_button = button(texts::trend_save_csv, body);
    csv_button->setToolTip(q(texts::trend_save_csv_tip));
    connect(csv_button, &QToolButton::clicked, this, &TrendWindow::save_csv_as);
    controls->addWidget(pause_);
    controls->addSpacing(8);
    controls->addWidget(span_label);
    controls->addWidget(span_);
    controls->addWidget(clear_button);
    controls->addSpacing(12);
    controls->addWidget(png_button);
    controls->addWidget(csv_button);
    controls->addStretch(1);
    log_button_ = button(texts::trend_log_start, body);
    log_button_->setObjectName("trendLog");
    log_button_->setToolTip(q(texts::trend_log_start_tip));
    log_button_->setEnabled(false);
    connect(log_button_, &QToolButton::clicked, this, &TrendWindow::log_clicked);
    controls->addWidget(log_button_);
    column->addLayout(controls);

    plot_ = new TrendPlot(store_, body);
    plot_->setMinimumHeight(160);
    connect(plot_, &TrendPlot::view_taken, this, [this] { set_paused(true); });
    column->addWidget(plot_, 1);

    note_ = new QLabel(body);
    note_->setObjectName("trendNote");
    log_status_ = new QLabel(body);
    log_status_->setObjectName("trendLogStatus");
    log_status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long path must not widen the window it stands in.
    log_status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    log_status_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* footer = new QHBoxLayout;
    footer->addWidget(note_);
    footer->addWidget(log_status_, 1);
    column->addLayout(footer);
    setWidget(body);
}

void TrendWindow::showEvent(QShowEvent* event)
{
    dirty_ = true;
    QDockWidget::showEvent(event);
}

void TrendWindow::add_results(const std::vector<ScanResult>& results)
{
    for (const ScanResult& result : results) {
        const Parameter* parameter = result.parameter;
        if (!parameter)
            continue;
        double value = std::numeric_limits<double>::quiet_NaN();
        if (result.status_text.empty()) {
            const auto number = trend_value(*parameter, result.value_text);
            if (!number)
                continue;
            value = *number;
        }
        const std::string& caption = parameter->caption.empty() ? parameter->name : parameter->caption;
        const std::size_t series = store_.series_for(result.channel, caption, unit_from_caption(caption));
        store_.add(series, seconds_of(result.polled_at), value);
        dirty_ = true;
    }
}

void TrendWindow::refresh()
{
    if (log_)
        log_status_->setText(log_status());
    if (!dirty_)
        return;
    dirty_ = false;
    plot_->sync();
    if (!paused())
        plot_->follow(span());
    note_->setText(note_text());
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void TrendWindow::set_paused(bool paused)
{
    if (pause_->isChecked() != paused)
        pause_->setChecked(paused); // comes back through the button
}

bool TrendWindow::paused() const
{
    return pause_->isChecked();
}

void TrendWindow::set_span(int seconds)
{
    for (int i = 0; i < span_->count(); ++i)
        if (span_->itemData(i).toInt() == seconds)
            span_->setCurrentIndex(i);
}

int TrendWindow::span() const
{
    return span_->currentData().toInt();
}

void TrendWindow::clear()
{
    store_.clear();
    dirty_ = true;
    refresh();
}

QString TrendWindow::note_text() const
{
    const auto lines = static_cast<qulonglong>(store_.series().size());
    const auto points = static_cast<qulonglong>(store_.points());
    return q(paused() ? texts::trend_paused_note : texts::trend_points_note).arg(lines).arg(points);
}

void TrendWindow::tell_failure(const QString& text)
{
    shell_.message(text.toStdString(), utf8(texts::trend_caption), Icon::stop, Owner::main_window);
}

bool TrendWindow::save_png(const QString& path)
{
    // The picture as shown: the cursor is the mouse's, not the plot's.
    const bool cursor = plot_->cursor_shown();
    plot_->hide_cursor();
    const bool saved = plot_->savePng(path);
    if (cursor)
        plot_->replot(QCustomPlot::rpQueuedReplot);
    if (!saved)
        tell_failure(q(texts::trend_save_png_failed).arg(path));
    return saved;
}

bool TrendWindow::save_csv(const QString& path)
{
    const QCPRange shown = plot_->time_range();
    std::ostringstream table;
    write_trend_csv(table, store_, shown.lower, shown.upper);
    const std::string bytes = table.str();
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
                                               static_cast<qint64>(bytes.size()) &&
        file.commit())
        return true;
    tell_failure(q(texts::trend_save_csv_failed).arg(path, file.errorString()));
    return false;
}

void TrendWindow::save_png_as()
{
    const QString path =
        QFileDialog::getSaveFileName(this, q(texts::trend_save_png_caption), QString(), q(texts::trend_save_png_filter));
    if (!path.isEmpty())
        save_png(path);
}

void TrendWindow::save_csv_as()
{
    const QString path =
        QFileDialog::getSaveFileName(this, q(texts::trend_save_csv_caption), QString(), q(texts::trend_csv_filter));
    if (!path.isEmpty())
        save_csv(path);
}

void TrendWindow::set_log_source(ScanThread* scanners, std::function<std::vector<Parameter*>()> columns)
{
    stop_log();
    scanners_ = scanners;
    log_columns_ = std::move(columns);
    update_log_controls();
}

bool TrendWindow::start_log(const QString& path)
{
    if (!scanners_ || log_)
        return false;
    std::string error;
    auto log = CsvLog::open(path.toStdString(), log_columns_ ? log_columns_() : std::vector<Parameter*>{}, error);
    if (!log) {
        tell_failure(q(error));
        return false;
    }
    // Called on the scanners' thread; the window hears of it on its own. The window outlives the
    // listener: stop_log takes it from the scanners before the log goes.
    log->on_failure([this](const std::string&) { QMetaObject::invokeMethod(this, [this] { log_failed(); }); });
    log_ = std::move(log);
    log_path_ = path;
    log_lines_ = 0;
    scanners_->set_listener(log_.get());
    update_log_controls();
    return true;
}

void TrendWindow::stop_log()
{
    if (!log_)
        return;
    // Once set_listener returns no poll uses the log any more.
    scanners_->set_listener(nullptr);
    log_->close();
    log_lines_ = log_->lines();
    log_.reset();
    update_log_controls();
}

void TrendWindow::log_failed()
{
    if (!log_ || !log_->failed())
        return;
    const std::string reason = log_->failure();
    stop_log();
    tell_failure(q(reason));
}

QString TrendWindow::log_status() const
{
    if (log_path_.isEmpty())
        return {};
    const auto lines = static_cast<qulonglong>(log_ ? log_->lines() : log_lines_);
    return q(log_ ? texts::trend_log_running : texts::trend_log_stopped).arg(log_path_).arg(lines);
}

void TrendWindow::update_log_controls()
{
    log_button_->setEnabled(scanners_ != nullptr);
    log_button_->setText(q(log_ ? texts::trend_log_stop : texts::trend_log_start));
    log_status_->setText(log_status());
}

void TrendWindow::log_clicked()
{
    if (log_) {
        stop_log();
        return;
    }
    const QString path =
        QFileDialog::getSaveFileName(this, q(texts::trend_log_caption), QString(), q(texts::trend_csv_filter));
    if (!path.isEmpty())
        start_log(path);
}

} // namespace zr740::ui
