// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/commission_dialog.h"

#include "app/app_shell.h"
#include "app/chlb5_doc.h"
#include "ui/commission_texts.h"
#include "ui/window_post.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTextStream>
#include <QVBoxLayout>

namespace zr740::ui {
namespace {

constexpr int column_count = 9;
constexpr int result_column = 4;

const QColor good_colour(0x2e, 0x7d, 0x32);
const QColor bad_colour(0xc6, 0x28, 0x28);

QString verdict_style(const QColor& colour)
{
    return QString("QLabel { color: white; background: %1; border-radius: 6px; padding: 10px; }").arg(colour.name());
}

} // namespace

CommissionDialog::CommissionDialog(CHLB5Doc& document, AppShell& shell, QWidget* parent)
    : QDialog(parent), document_(document), shell_(shell)
{
    setObjectName("commission");
    setWindowTitle(q(texts::commission_window));
    post_ = new WindowPost(this);
    auto* column = new QVBoxLayout(this);

    auto* file = new QHBoxLayout;
    report_ = new QLineEdit(this);
    report_->setObjectName("commissionReport");
    browse_ = new QPushButton(q(texts::commission_browse), this);
    file->addWidget(new QLabel(q(texts::commission_report), this));
    file->addWidget(report_, 1);
    file->addWidget(browse_);
    column->addLayout(file);

    auto* modes = new QHBoxLayout;
    repeat_ = new QCheckBox(q(texts::commission_repeat), this);
    repeat_->setChecked(true);
    apply_ = new QCheckBox(q(texts::commission_apply), this);
    modes->addWidget(repeat_);
    modes->addWidget(apply_);
    modes->addStretch(1);
    column->addLayout(modes);
    auto* hint = new QLabel(q(texts::commission_hint), this);
    hint->setWordWrap(true);
    column->addWidget(hint);

    verdict_ = new QLabel(q(texts::commission_idle), this);
    verdict_->setObjectName("commissionVerdict");
    verdict_->setAlignment(Qt::AlignCenter);
    QFont large = verdict_->font();
    large.setPointSizeF(large.pointSizeF() * 2.0);
    large.setBold(true);
    verdict_->setFont(large);
    verdict_->setStyleSheet(verdict_style(palette().color(QPalette::Mid)));
    column->addWidget(verdict_);

    auto* line = new QHBoxLayout;
    counts_ = new QLabel(this);
    counts_->setObjectName("commissionCounts");
    status_ = new QLabel(this);
    status_->setObjectName("commissionStatus");
    line->addWidget(counts_);
    line->addStretch(1);
    line->addWidget(status_);
    column->addLayout(line);

    table_ = new QTableWidget(0, column_count, this);
    table_->setObjectName("commissionRows");
    table_->setHorizontalHeaderLabels(
        {q(texts::commission_column_time), q(texts::commission_column_serial), q(texts::commission_column_version),
         q(texts::commission_column_address), q(texts::commission_column_result), q(texts::commission_column_written),
         q(texts::commission_column_verified), q(texts::commission_column_failed), q(texts::commission_column_names)});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->setVisible(false);
    table_->setWordWrap(false);
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);
    column->addWidget(table_, 1);

    auto* buttons = new QHBoxLayout;
    start_ = new QPushButton(q(texts::commission_start), this);
    start_->setObjectName("commissionStart");
    auto* close = new QPushButton(q(texts::commission_close), this);
    buttons->addWidget(start_);
    buttons->addStretch(1);
    buttons->addWidget(close);
    column->addLayout(buttons);

    connect(start_, &QPushButton::clicked, this, [this] { running() ? stop() : static_cast<void>(start()); });
    connect(close, &QPushButton::clicked, this, &CommissionDialog::reject);
    connect(browse_, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getSaveFileName(this, q(texts::commission_report), report_->text(),
                                                            q(texts::commission_report_filter), nullptr,
                                                            QFileDialog::DontConfirmOverwrite);
        if (!chosen.isEmpty())
            set_report_path(chosen);
    });
    show_counts();
    resize(900, 520);
}

CommissionDialog::~CommissionDialog()
{
    // The driver ends before the window whose post it uses.
    run_.reset();
}

void CommissionDialog::set_report_path(const QString& path) { report_->setText(path); }

void CommissionDialog::set_repeat(bool repeat) { repeat_->setChecked(repeat); }

bool CommissionDialog::start()
{
    if (running())
        return false;
    run_.reset();
    const QString path = report_->text().trimmed();
    if (path.isEmpty()) {
        status_->setText(q(texts::commission_no_report));
        return false;
    }
    CommissionOptions options;
    options.report_path = path.toStdString();
    options.repeat = repeat_->isChecked();
    options.apply = apply_->isChecked();
    CommissionEvents events;
    events.started = [this](const FoundInstrument& instrument) {
        post_->post([this, serial = instrument.serial] {
            status_->setText(q(texts::commission_working).arg(serial.empty() ? q(texts::commission_no_serial)
                                                                             : QString::fromStdString(serial)));
        });
    };
    events.commissioned = [this](const CommissionRecord& record) {
        post_->post([this, record] { show_record(record); });
    };
    events.waiting = [this] { post_->post([this] { status_->setText(q(texts::commission_waiting)); }); };
    events.finished = [this](int, int) { post_->post([this] { finished(); }); };
    run_ = std::make_unique<CommissionRun>(document_, shell_, options, std::move(events));
    load_report();
    finished_ = false;
    if (!run_->start()) {
        finished_ = true;
        return false;
    }
    for (QWidget* widget : std::initializer_list<QWidget*>{report_, browse_, repeat_, apply_})
        widget->setEnabled(false);
    start_->setText(q(texts::commission_stop));
    status_->setText(q(texts::commission_waiting));
    return true;
}

void CommissionDialog::stop()
{
    if (run_)
        run_->stop();
}

void CommissionDialog::finished()
{
    finished_ = true;
    if (run_)
        run_->join();
    for (QWidget* widget : std::initializer_list<QWidget*>{report_, browse_, repeat_, apply_})
        widget->setEnabled(true);
    start_->setText(q(texts::commission_start));
    status_->setText(q(texts::commission_ended));
}

// The rows an earlier run left in the report come first, so the table is the whole report.
void CommissionDialog::load_report()
{
    table_->setRowCount(0);
    QFile file(report_->text().trimmed());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QTextStream lines(&file);
    bool header = true;
    while (!lines.atEnd()) {
        const QString line = lines.readLine();
        if (header) {
            header = false;
            continue;
        }
        if (!line.isEmpty())
            add_row(split_csv_line(line.toStdString()));
    }
}

void CommissionDialog::add_row(const std::vector<std::string>& fields)
{
    const int row = table_->rowCount();
    table_->insertRow(row);
    for (int column = 0; column < column_count && column < static_cast<int>(fields.size()); ++column) {
        QString text = QString::fromStdString(fields[static_cast<std::size_t>(column)]);
        auto* item = new QTableWidgetItem;
        if (column == result_column) {
            const bool ok = text == "ok";
            item->setForeground(ok ? good_colour : bad_colour);
            text = q(ok ? texts::commission_result_ok : texts::commission_result_failed);
        } else if (column == 0) {
            // The date and the wall-clock time; the offset is in the file and in the tooltip.
            item->setToolTip(text);
            text.replace('T', ' ');
            if (text.size() > 19)
                text.truncate(19);
        }
        item->setText(text);
        table_->setItem(row, column, item);
    }
    table_->resizeColumnsToContents();
    table_->scrollToBottom();
}

void CommissionDialog::show_record(const CommissionRecord& record)
{
    add_row(split_csv_line(commission_report_line(record)));
    ++(record.ok ? ok_ : failed_);
    show_counts();
    const QString serial =
        record.serial.empty() ? q(texts::commission_no_serial) : QString::fromStdString(record.serial);
    QString text = q(record.ok ? texts::commission_good : texts::commission_bad).arg(serial);
    if (!record.ok && !record.failed_names.empty()) {
        QStringList names;
        for (const auto& name : record.failed_names)
            names << QString::fromStdString(name);
        text += "\n" + q(texts::commission_bad_names).arg(names.join(", "));
    }
    verdict_->setText(text);
    if (repeat_->isChecked())
        status_->setText(q(texts::commission_waiting));
    verdict_->setStyleSheet(verdict_style(record.ok ? good_colour : bad_colour));
}

void CommissionDialog::show_counts() { counts_->setText(q(texts::commission_counts).arg(ok_).arg(failed_)); }

void CommissionDialog::wait_until_finished()
{
    while (running())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool CommissionDialog::wait_for_instruments(int count, int limit_ms)
{
    QElapsedTimer timer;
    timer.start();
    while (ok_ + failed_ < count && timer.elapsed() < limit_ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return ok_ + failed_ >= count;
}

void CommissionDialog::reject()
{
    stop();
    run_.reset();
    finished_ = true;
    QDialog::reject();
}

} // namespace zr740::ui
