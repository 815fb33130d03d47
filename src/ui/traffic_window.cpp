// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/traffic_window.h"

#include "link/frame_trace.h"
#include "link/trace_file.h"
#include "ui/qt_shell.h"
#include "ui/traffic_model.h"
#include "ui/traffic_texts.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QSaveFile>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace zr740::ui {
namespace {

constexpr int clock_ms = 100;

QString milliseconds(std::uint64_t us)
{
    return QString::number(static_cast<double>(us) / 1000.0, 'f', 1);
}

QToolButton* button(Text text, QWidget* parent)
{
    auto* made = new QToolButton(parent);
    made->setText(q(text));
    made->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return made;
}

} // namespace

QString link_statistics_text(const LinkStatisticsSnapshot& s, bool brief)
{
    if (brief)
        return q(texts::traffic_statistics_brief)
            .arg(s.requests)
            .arg(s.replies)
            .arg(s.timeouts)
            .arg(s.crc_errors)
            .arg(s.exceptions)
            .arg(milliseconds(s.median_response_us), milliseconds(s.p95_response_us));
    return q(texts::traffic_statistics)
        .arg(s.requests)
        .arg(s.replies)
        .arg(s.timeouts)
        .arg(s.crc_errors)
        .arg(s.exceptions)
        .arg(s.retries)
        .arg(s.line_errors)
        .arg(s.unmatched)
        .arg(milliseconds(s.median_response_us), milliseconds(s.p95_response_us));
}

TrafficWindow::TrafficWindow(FrameTrace& trace, QtShell& shell, QWidget* parent)
    : QDockWidget(q(texts::traffic_caption), parent), trace_(trace), shell_(shell)
{
    setObjectName("trafficWindow");
    build();
    clock_ = new QTimer(this);
    clock_->setInterval(clock_ms);
    connect(clock_, &QTimer::timeout, this, &TrafficWindow::take_traffic);
    // Hidden, the monitor goes on hearing the line but takes nothing into the table until shown.
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible) {
            clock_->start();
            take_traffic();
        } else {
            clock_->stop();
        }
    });
}

TrafficWindow::~TrafficWindow()
{
    if (listening_)
        trace_.remove_sink(&log_);
}

void TrafficWindow::build()
{
    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(4, 2, 4, 2);
    column->setSpacing(2);

    auto* controls = new QHBoxLayout;
    pause_ = button(texts::traffic_pause, body);
    pause_->setObjectName("trafficPause");
    pause_->setCheckable(true);
    pause_->setToolTip(q(texts::traffic_pause_tip));
    connect(pause_, &QToolButton::toggled, this, [this](bool on) { set_paused(on); });
    auto* clear_button = button(texts::traffic_clear, body);
    connect(clear_button, &QToolButton::clicked, this, &TrafficWindow::clear);
    auto* register_label = new QLabel(q(texts::traffic_register), body);
    register_ = new QLineEdit(body);
    register_->setObjectName("trafficRegister");
    register_->setPlaceholderText(q(texts::traffic_register_all));
    register_->setToolTip(q(texts::traffic_register_tip));
    register_->setClearButtonEnabled(true);
    register_->setMaximumWidth(110);
    register_label->setBuddy(register_);
    connect(register_, &QLineEdit::textChanged, this, [this](const QString& text) {
        const bool valid = set_register_filter(text);
        register_->setStyleSheet(valid ? QString() : QStringLiteral("QLineEdit { background: #ffd8d8; }"));
        register_->setToolTip(q(valid ? texts::traffic_register_tip : texts::traffic_register_bad));
    });
    errors_only_ = new QCheckBox(q(texts::traffic_errors_only), body);
    errors_only_->setObjectName("trafficErrorsOnly");
    connect(errors_only_, &QCheckBox::toggled, this, &TrafficWindow::set_errors_only);
    auto* copy_button = button(texts::traffic_copy, body);
    connect(copy_button, &QToolButton::clicked, this, &TrafficWindow::copy_selection);
    auto* save_button = button(texts::traffic_save, body);
    connect(save_button, &QToolButton::clicked, this, &TrafficWindow::save_as);
    auto* reset_button = button(texts::traffic_reset, body);
    connect(reset_button, &QToolButton::clicked, this, &TrafficWindow::reset_statistics);
    controls->addWidget(pause_);
    controls->addWidget(clear_button);
    controls->addSpacing(12);
    controls->addWidget(register_label);
    controls->addWidget(register_);
    controls->addWidget(errors_only_);
    controls->addSpacing(12);
    controls->addWidget(copy_button);
    controls->addWidget(save_button);
    controls->addStretch(1);
    controls->addWidget(reset_button);
    column->addLayout(controls);

    model_ = new TrafficModel(TrafficLog::default_capacity, this);
    table_ = new QTableView(body);
    table_->setObjectName("trafficTable");
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setWordWrap(false);
    table_->setAlternatingRowColors(true);
    table_->verticalHeader()->setVisible(false);
    // Fixed row heights and column widths: a table of 100,000 rows must not measure each one.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
    QHeaderView* header = table_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    const int digit = table_->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    header->resizeSection(TrafficModel::time_column, digit * 14);
    header->resizeSection(TrafficModel::kind_column, digit * 14);
    header->resizeSection(TrafficModel::address_column, digit * 7);
    header->resizeSection(TrafficModel::bytes_column, digit * 30);
    header->resizeSection(TrafficModel::meaning_column, digit * 60);
    header->resizeSection(TrafficModel::crc_column, digit * 8);
    header->setStretchLastSection(true);
    column->addWidget(table_, 1);

    statistics_ = new QLabel(body);
    statistics_->setObjectName("trafficStatistics");
    statistics_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The figures grow with the traffic; they must not widen the window they stand in.
    statistics_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    note_ = new QLabel(body);
    note_->setObjectName("trafficNote");
    auto* footer = new QHBoxLayout;
    footer->addWidget(statistics_, 1);
    footer->addWidget(note_);
    column->addLayout(footer);
    setWidget(body);
}

void TrafficWindow::start_listening()
{
    if (listening_)
        return;
    listening_ = true;
    trace_.add_sink(&log_);
}

void TrafficWindow::showEvent(QShowEvent* event)
{
    start_listening();
    QDockWidget::showEvent(event);
}

void TrafficWindow::take_traffic()
{
    if (!paused()) {
        auto events = log_.take();
        if (!events.empty()) {
            // Rows follow the line while the person looks at the end of the table.
            QScrollBar* bar = table_->verticalScrollBar();
            const bool at_end = bar->value() >= bar->maximum();
            model_->append(std::move(events));
            if (at_end)
                table_->scrollToBottom();
        }
    }
    statistics_->setText(statistics_text());
    note_->setText(note_text());
}

void TrafficWindow::set_paused(bool paused)
{
    if (pause_->isChecked() != paused)
        pause_->setChecked(paused); // comes back here through the button
    else
        take_traffic();
}

bool TrafficWindow::paused() const
{
    return pause_->isChecked();
}

bool TrafficWindow::set_register_filter(const QString& text)
{
    std::optional<int> number;
    if (!parse_register_number(text.toStdString(), number))
        return false;
    if (register_->text() != text) {
        const QSignalBlocker quiet(register_);
        register_->setText(text);
    }
    TrafficFilter filter = model_->filter();
    filter.register_number = number;
    model_->set_filter(filter);
    table_->scrollToBottom();
    note_->setText(note_text());
    return true;
}

void TrafficWindow::set_errors_only(bool on)
{
    if (errors_only_->isChecked() != on) {
        const QSignalBlocker quiet(errors_only_);
        errors_only_->setChecked(on);
    }
    TrafficFilter filter = model_->filter();
    filter.errors_only = on;
    model_->set_filter(filter);
    table_->scrollToBottom();
    note_->setText(note_text());
}

void TrafficWindow::clear()
{
    (void)log_.take();
    model_->clear();
    note_->setText(note_text());
}

void TrafficWindow::reset_statistics()
{
    trace_.reset_statistics();
    statistics_->setText(statistics_text());
}

QString TrafficWindow::statistics_text() const
{
    return link_statistics_text(trace_.statistics(), false);
}

QString TrafficWindow::note_text() const
{
    if (paused())
        return q(texts::traffic_paused_note).arg(static_cast<qulonglong>(log_.waiting()));
    const auto shown = static_cast<qulonglong>(model_->rowCount());
    const auto kept = static_cast<qulonglong>(model_->kept());
    if (model_->overflowed())
        return q(texts::traffic_cap_note).arg(shown).arg(kept).arg(static_cast<qulonglong>(model_->capacity()));
    return q(texts::traffic_rows_note).arg(shown).arg(kept);
}

QString TrafficWindow::rows_text(const std::vector<int>& rows) const
{
    QString text;
    for (const int row : rows)
        text += QString::fromStdString(TraceFile::format(model_->event(row)));
    return text;
}

QString TrafficWindow::selected_text() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::ranges::sort(rows);
    return rows_text(rows);
}

QString TrafficWindow::shown_text() const
{
    std::vector<int> rows(static_cast<std::size_t>(model_->rowCount()));
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = static_cast<int>(i);
    return rows_text(rows);
}

void TrafficWindow::copy_selection() const
{
    const QString text = selected_text();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

bool TrafficWindow::save_to(const QString& path)
{
    QSaveFile file(path);
    const QByteArray bytes = shown_text().toUtf8();
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    shell_.message(q(texts::traffic_save_failed).arg(path, file.errorString()).toStdString(),
                   utf8(texts::traffic_caption), Icon::stop, Owner::main_window);
    return false;
}

void TrafficWindow::save_as()
{
    const QString path =
        QFileDialog::getSaveFileName(this, q(texts::traffic_save_caption), QString(), q(texts::traffic_save_filter));
    if (!path.isEmpty())
        save_to(path);
}

} // namespace zr740::ui
