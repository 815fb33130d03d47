// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/line_search_dialog.h"

#include "link/device_io.h"
#include "model/net_rs485prg.h"
#include "model/network_names.h"
#include "model/parameter.h"
#include "model/text.h"
#include "ui/search_texts.h"
#include "ui/tree_icons.h"
#include "ui/window_post.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <mutex>

namespace zr740::ui {
namespace {

// The tree's picture of a configuration (a gauge) marks an instrument the program can work with.
constexpr int configuration_icon = 25;

Text parity_text(Parity parity)
{
    switch (parity) {
    case Parity::even: return texts::search_parity_even;
    case Parity::odd: return texts::search_parity_odd;
    case Parity::none: break;
    }
    return texts::search_parity_none;
}

// The rates the description offers, from the link settings' baud-rate parameter.
std::vector<int> offered_rates(DeviceIO& link)
{
    std::lock_guard lock(link.link_settings().values_lock());
    return LineScan::offered_rates(link.link_settings().find(network_names::baud_rate));
}

} // namespace

LineSearchDialog::LineSearchDialog(DeviceIO& link, QWidget* parent) : QDialog(parent), link_(link), scan_(link)
{
    setObjectName("lineSearch");
    setWindowTitle(q(texts::search_caption));
    post_ = new WindowPost(this);
    auto* column = new QVBoxLayout(this);

    auto* range = new QHBoxLayout;
    first_ = new QSpinBox(this);
    last_ = new QSpinBox(this);
    first_->setRange(1, 247);
    last_->setRange(1, 247);
    first_->setValue(1);
    last_->setValue(247);
    range->addWidget(new QLabel(q(texts::search_addresses), this));
    range->addWidget(first_);
    range->addWidget(new QLabel(q(texts::search_to), this));
    range->addWidget(last_);
    range->addStretch(1);
    column->addLayout(range);

    auto* rates = new QHBoxLayout;
    rates->addWidget(new QLabel(q(texts::search_rates), this));
    for (const int rate : offered_rates(link_)) {
        auto* box = new QCheckBox(QString::number(rate), this);
        box->setChecked(true);
        rates->addWidget(box);
        rates_.emplace_back(rate, box);
    }
    rates->addStretch(1);
    column->addLayout(rates);

    auto* hint = new QLabel(q(texts::search_hint), this);
    hint->setWordWrap(true);
    column->addWidget(hint);

    table_ = new QTableWidget(0, 6, this);
    table_->setObjectName("searchResults");
    table_->setHorizontalHeaderLabels({q(texts::search_column_address), q(texts::search_column_rate),
                                       q(texts::search_column_parity), q(texts::search_column_name),
                                       q(texts::search_column_version), q(texts::search_column_serial)});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setStretchLastSection(true);
    column->addWidget(table_, 1);

    progress_ = new QProgressBar(this);
    status_ = new QLabel(this);
    status_->setObjectName("searchStatus");
    column->addWidget(progress_);
    column->addWidget(status_);

    auto* buttons = new QHBoxLayout;
    start_ = new QPushButton(q(texts::search_start), this);
    connect_ = new QPushButton(q(texts::search_connect), this);
    connect_->setEnabled(false);
    auto* close = new QPushButton(q(texts::search_close), this);
    buttons->addWidget(start_);
    buttons->addStretch(1);
    buttons->addWidget(connect_);
    buttons->addWidget(close);
    column->addLayout(buttons);

    connect(start_, &QPushButton::clicked, this, [this] { running() ? stop() : start(); });
    connect(connect_, &QPushButton::clicked, this, [this] { connect_to(table_->currentRow()); });
    connect(table_, &QTableWidget::itemSelectionChanged, this,
            [this] { connect_->setEnabled(!running() && table_->currentRow() >= 0); });
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (!running())
            connect_to(row);
    });
    connect(close, &QPushButton::clicked, this, &LineSearchDialog::reject);
    resize(720, 440);
}

LineSearchDialog::~LineSearchDialog()
{
    scan_.stop();
    join();
}

void LineSearchDialog::set_range(int first, int last)
{
    first_->setValue(first);
    last_->setValue(last);
}

std::vector<int> LineSearchDialog::chosen_rates() const
{
    std::vector<int> chosen;
    for (const auto& [rate, box] : rates_)
        if (box->isChecked())
            chosen.push_back(rate);
    return chosen;
}

void LineSearchDialog::choose_rates(const std::vector<int>& rates)
{
    for (const auto& [rate, box] : rates_)
        box->setChecked(std::find(rates.begin(), rates.end(), rate) != rates.end());
}

void LineSearchDialog::join()
{
    if (worker_.joinable())
        worker_.join();
}

void LineSearchDialog::start()
{
    if (running())
        return;
    join();
    found_.clear();
    table_->setRowCount(0);
    connect_->setEnabled(false);
    LineScanOptions options;
    options.first_address = first_->value();
    options.last_address = std::max(first_->value(), last_->value());
    options.baud_rates = chosen_rates();
    if (options.baud_rates.empty())
        return;
    finished_ = false;
    scan_.rearm();
    start_->setText(q(texts::search_stop));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    worker_ = std::thread([this, options] {
        const auto outcome = scan_.run(
            options,
            [this](const FoundInstrument& instrument) {
                post_->post([this, instrument] {
                    found_.push_back(instrument);
                    const int row = table_->rowCount();
                    table_->insertRow(row);
                    const QString cells[] = {QString::number(instrument.address),
                                             QString::number(instrument.baud_rate), q(parity_text(instrument.parity)),
                                             q(instrument.name), q(instrument.version), q(instrument.serial)};
                    // A ZR740 stands out in bold with the program's icon; another slave's answer is
                    // shown as it came, greyed, so nobody takes it for one of ours.
                    for (int column = 0; column < 6; ++column) {
                        auto* item = new QTableWidgetItem(cells[column]);
                        QFont font = item->font();
                        font.setBold(instrument.zr740);
                        item->setFont(font);
                        if (!instrument.zr740)
                            item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
                        item->setToolTip(q(instrument.zr740 ? texts::search_is_zr740 : texts::search_is_other));
                        table_->setItem(row, column, item);
                    }
                    if (instrument.zr740)
                        table_->item(row, 3)->setIcon(TreeIcons().icon(configuration_icon));
                });
            },
            [this](int done, int total) {
                post_->post([this, done, total] {
                    progress_->setRange(0, total);
                    progress_->setValue(done);
                    status_->setText(q(texts::search_running).arg(done).arg(total));
                });
            });
        post_->post([this, outcome] { finished(outcome); });
    });
}

void LineSearchDialog::stop()
{
    scan_.stop();
}

void LineSearchDialog::finished(LineScan::Outcome outcome)
{
    finished_ = true;
    join();
    start_->setText(q(texts::search_start));
    connect_->setEnabled(table_->currentRow() >= 0);
    const auto count = static_cast<int>(found_.size());
    if (outcome == LineScan::Outcome::port_failed)
        status_->setText(q(texts::search_port_failed).arg(q(scan_.port_error())));
    else
        status_->setText(q(outcome == LineScan::Outcome::stopped ? texts::search_stopped : texts::search_done).arg(count));
    // The line is left at the last rate tried: back to the program's own settings.
    link_.open_port(false);
}

void LineSearchDialog::wait_until_finished()
{
    while (worker_.joinable() && !finished_)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool LineSearchDialog::connect_to(int row)
{
    if (row < 0 || row >= static_cast<int>(found_.size()) || running())
        return false;
    const FoundInstrument& chosen = found_[static_cast<std::size_t>(row)];
    {
        std::lock_guard lock(link_.link_settings().values_lock());
        link_.link_settings().set_value_by_name(network_names::address, std::to_string(chosen.address));
        link_.link_settings().set_value_by_name(network_names::baud_rate, std::to_string(chosen.baud_rate));
    }
    link_.open_port(false);
    accept();
    return true;
}

void LineSearchDialog::reject()
{
    const bool searched = worker_.joinable() || finished_;
    scan_.stop();
    join();
    // The line is left at the last rate tried: back to the program's own settings.
    if (searched)
        link_.open_port(false);
    QDialog::reject();
}

} // namespace zr740::ui
