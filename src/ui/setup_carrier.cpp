// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/setup_carrier.h"

#include "app/link_setup_texts.h"
#include "link/device.h"
#include "model/model_texts.h"
#include "model/network_names.h"
#include "model/parameter.h"
#include "model/text.h"
#include "platform/run_state.h"
#include "platform/shell.h"
#include "ui/line_search_dialog.h"
#include "ui/select_device_dlg.h"
#include "ui/setup_texts.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <filesystem>

namespace zr740::ui {
namespace {

constexpr int row_height = 18;

enum ButtonId { id_ok = 1, id_exit = 2, id_offline = 3, id_scan = 4, id_connect = 5, id_factory = 6, id_search = 7 };

// The picture at the left of the window: the program's name over a sketch of the line.
class SetupPicture : public QWidget {
public:
    explicit SetupPicture(QWidget* parent) : QWidget(parent) { setFixedSize(128, 236); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QLinearGradient sky(0, 0, 0, height());
        sky.setColorAt(0, QColor(24, 64, 128));
        sky.setColorAt(1, QColor(8, 24, 56));
        painter.fillRect(rect(), sky);
        painter.setPen(Qt::white);
        QFont big = font();
        big.setBold(true);
        big.setPointSize(big.pointSize() + 6);
        painter.setFont(big);
        painter.drawText(QRect(0, 14, width(), 30), Qt::AlignCenter, q(zr740::texts::app_title));
        // Computer, line, transmitter.
        painter.setPen(QPen(QColor(200, 220, 255), 2));
        painter.drawRect(34, 70, 60, 40);
        painter.drawLine(52, 116, 76, 116);
        painter.drawLine(64, 110, 64, 150);
        painter.setPen(QPen(QColor(255, 200, 60), 2, Qt::DashLine));
        painter.drawLine(64, 150, 64, 178);
        painter.setPen(QPen(QColor(200, 220, 255), 2));
        painter.drawEllipse(QPoint(64, 198), 18, 18);
        painter.drawLine(64, 198, 74, 188);
        QFont small = font();
        small.setPointSize(small.pointSize() - 1);
        painter.setFont(small);
        painter.drawText(QRect(0, 150, 60, 28), Qt::AlignCenter, "RS-485");
    }
};

// Whether the row's value is picked from a list: the enumerations, and the port, whose list is
// the computer's serial ports and which also takes a typed path.
bool picked_from_list(const Parameter& parameter)
{
    return equals_no_case(parameter.name, network_names::port) || parameter.type_text.find(':') != std::string::npos;
}

// A by-id name says which adapter it is; the plain device it points to is shown beside it.
QString port_item_text(const std::string& path)
{
    if (path.rfind("/dev/serial/by-id/", 0) != 0)
        return q(path);
    std::error_code error;
    const auto target = std::filesystem::canonical(path, error);
    if (error)
        return q(path);
    return q(path) + "  (" + q(target.filename().string()) + ")";
}

} // namespace

// The in-place editors of the value column: a list for enumerations and the port, an edit box
// for the rest. What was typed or picked goes to the parameter's input check.
class SetupValueDelegate : public QStyledItemDelegate {
public:
    SetupValueDelegate(CSetupCarrier& dialog, const LinkSetup& setup)
        : QStyledItemDelegate(&dialog), dialog_(dialog), setup_(setup)
    {
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        const Parameter& parameter = *setup_.rows().at(static_cast<std::size_t>(index.row()));
        if (!picked_from_list(parameter))
            return new QLineEdit(parent);
        auto* box = new QComboBox(parent);
        const bool port = equals_no_case(parameter.name, network_names::port);
        box->setEditable(port);
        for (const auto& item : split_items(parameter.type_text)) {
            if (item.empty())
                break;
            box->addItem(port ? port_item_text(item) : q(item), q(item));
        }
        return box;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        const QString text = index.data().toString();
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            const int found = box->findData(text);
            if (found >= 0)
                box->setCurrentIndex(found);
            else
                box->setEditText(text);
        } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setText(text);
        }
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        QString text;
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            const int current = box->currentIndex();
            text = current >= 0 && box->currentText() == box->itemText(current) ? box->itemData(current).toString()
                                                                                : box->currentText().trimmed();
        } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            text = line->text();
        }
        dialog_.commit_edit(index.row(), text);
    }

private:
    CSetupCarrier& dialog_;
    const LinkSetup& setup_;
};

// The worker's calls, carried over to the window thread.
class CSetupCarrier::View : public LinkSetupView {
public:
    explicit View(CSetupCarrier& dialog) : dialog_(dialog) {}

    void set_status(const std::string& text, bool error) override
    {
        later([this, t = QString::fromStdString(text), error] { dialog_.set_status(t, error); });
    }
    void enable_list(bool on) override
    {
        later([this, on] {
            dialog_.list_->setEnabled(on);
            // The search uses the line itself: only while the worker waits.
            dialog_.button(id_search)->setEnabled(on);
        });
    }
    void show_value(std::size_t row, const std::string& text) override
    {
        later([this, row, t = QString::fromStdString(text)] { dialog_.show_value(static_cast<int>(row), t); });
    }
    void post_command(int command) override
    {
        later([this, command] { dialog_.command(command); });
    }

private:
    // On the window thread (the closing protocol's own status) at once, from the worker queued.
    template <typename F> void later(F&& f)
    {
        if (QThread::currentThread() == dialog_.thread())
            f();
        else
            dialog_.post_->post(std::forward<F>(f));
    }
    CSetupCarrier& dialog_;
};

CSetupCarrier::CSetupCarrier(Device& link, StopEvent& stop, RunState& run, Shell& shell, bool offline_allowed, QWidget* parent)
    : QDialog(parent), shell_(shell), run_(run), link_(link), view_(std::make_unique<View>(*this)), setup_(link, stop),
      list_(new QTableWidget(this)), status_(new QLabel(this))
{
    post_ = new WindowPost(this);
    setWindowTitle(q(texts::setup_caption));

    list_->setColumnCount(2);
    list_->setHorizontalHeaderLabels({q(texts::setup_column_name), q(texts::setup_column_value)});
    list_->horizontalHeader()->setSectionsClickable(false);
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setMinimumSectionSize(row_height);
    list_->verticalHeader()->setDefaultSectionSize(row_height);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                           QAbstractItemView::EditKeyPressed);
    list_->setItemDelegateForColumn(1, new SetupValueDelegate(*this, setup_));
    const auto& rows = setup_.rows();
    list_->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        auto* caption = new QTableWidgetItem(q(rows[i]->caption.empty() ? rows[i]->name : rows[i]->caption));
        caption->setFlags(caption->flags() & ~Qt::ItemIsEditable);
        caption->setToolTip(q(rows[i]->name));
        list_->setItem(static_cast<int>(i), 0, caption);
        auto* value = new QTableWidgetItem(q(rows[i]->value_text));
        value->setToolTip(q(rows[i]->value_text));
        list_->setItem(static_cast<int>(i), 1, value);
    }
    list_->resizeColumnToContents(0);
    list_->setColumnWidth(0, list_->columnWidth(0) + 16);
    list_->setMinimumSize(380, row_height * static_cast<int>(rows.size()) + list_->horizontalHeader()->sizeHint().height() + 6);

    status_->setAlignment(Qt::AlignCenter);
    status_->setObjectName("status");

    auto make = [this](int id, Text text) {
        auto* button = new QPushButton(q(text), this);
        button->setObjectName(QString("button%1").arg(id));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, id] { command(id); });
        return button;
    };
    auto* buttons = new QGridLayout;
    buttons->addWidget(make(id_connect, texts::button_connect), 0, 0);
    buttons->addWidget(make(id_scan, texts::button_scan), 0, 1);
    buttons->addWidget(make(id_search, texts::button_search), 0, 2);
    buttons->addWidget(make(id_factory, texts::button_factory), 1, 0);
    buttons->addWidget(make(id_offline, texts::button_offline), 1, 1);
    buttons->addWidget(make(id_exit, texts::button_exit), 1, 2);
    button(id_offline)->setEnabled(offline_allowed);

    auto* right = new QVBoxLayout;
    right->addWidget(list_, 1);
    right->addWidget(status_);
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(new SetupPicture(this), 0, Qt::AlignTop);
    layout->addLayout(right, 1);

    setup_.start(*view_);

    // A program ended from outside (a signal, the exit event) sets the link's stop event; a modal
    // window at start-up would otherwise keep it from ending.
    auto* watch = new QTimer(this);
    connect(watch, &QTimer::timeout, this, [this] {
        if (setup_.stopped_from_outside())
            reject();
    });
    watch->start(100);
}

CSetupCarrier::~CSetupCarrier() = default;

QPushButton* CSetupCarrier::button(int id) const { return findChild<QPushButton*>(QString("button%1").arg(id)); }

void CSetupCarrier::set_status(const QString& text, bool error)
{
    status_is_error_ = error;
    status_->setText(text);
    status_->setStyleSheet(error ? "color: rgb(200, 0, 0);" : "color: rgb(0, 0, 200);");
    if (error)
        QApplication::beep();
}

void CSetupCarrier::show_value(int row, const QString& text)
{
    if (auto* item = list_->item(row, 1)) {
        item->setText(text);
        item->setToolTip(text);
    }
}

void CSetupCarrier::commit_edit(int row, const QString& text)
{
    show_value(row, QString::fromStdString(setup_.edit(static_cast<std::size_t>(row), text.toStdString())));
}

void CSetupCarrier::command(int id)
{
    // Commands the worker posted after the window was done with have nothing left to do.
    if (closing_)
        return;
    switch (id) {
    case id_ok:
        accept();
        break;
    case id_exit:
        reject();
        break;
    case id_offline:
        if (button(id_offline)->isEnabled() && setup_.request_close(LinkSetup::offline, *view_))
            on_offline();
        break;
    case id_search:
        search();
        break;
    case id_scan:
    case id_connect:
    case id_factory:
        // No edit may start before the worker has taken the settings; it enables the list again.
        list_->setEnabled(false);
        button(id_search)->setEnabled(false);
        if (id == id_scan) {
            setup_.scan();
        } else {
            id == id_connect ? setup_.connect() : setup_.factory_settings();
            set_status(q(setup_texts::connecting), false);
        }
        break;
    default:
        break;
    }
}

void CSetupCarrier::search()
{
    // The worker waits while the list can be edited; a search now cannot meet one of its attempts.
    if (!list_->isEnabled())
        return;
    LineSearchDialog search(link_, this);
    if (search.exec() != QDialog::Accepted)
        return;
    // The instrument chosen is now in the link settings: show them and try them as "Установить
    // связь" would, which closes this window once the instrument answers.
    for (std::size_t row = 0; row < setup_.rows().size(); ++row)
        show_value(static_cast<int>(row), q(setup_.rows()[row]->value_text));
    command(id_connect);
}

void CSetupCarrier::accept()
{
    if (closing_ || !setup_.request_close(LinkSetup::ok, *view_))
        return;
    shell_.message(std::string(setup_texts::link_established), std::string(zr740::texts::app_title),
                   Icon::information, Owner::main_window);
    closing_ = true;
    QDialog::accept();
}

void CSetupCarrier::reject()
{
    if (closing_ || !setup_.request_close(LinkSetup::cancel, *view_))
        return;
    closing_ = true;
    QDialog::reject();
}

void CSetupCarrier::on_offline()
{
    went_offline_ = true;
    CSelectDeviceDlg select(shell_, run_, this);
    const bool chosen = select.exec() == QDialog::Accepted;
    closing_ = true;
    if (chosen)
        QDialog::accept();
    else
        QDialog::reject();
}

} // namespace zr740::ui
