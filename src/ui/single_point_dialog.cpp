// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/single_point_dialog.h"

#include "app/single_point.h"
#include "model/desc_records.h"
#include "ui/dialog_texts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zr740::ui {
CSinglePoint::CSinglePoint(const DescriptionLists& lists, DeviceIO& link, Shell& shell, QWidget* parent)
    : QDialog(parent), lists_(lists), link_(link), shell_(shell)
{
    setWindowTitle(q(texts::single_point_caption));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;

    name_ = new QComboBox(this);
    name_->setEditable(true);
    name_->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& name : single_point_names(lists_))
        name_->addItem(QString::fromStdString(name));
    name_->setEditText(q(texts::single_point_start_name));
    grid->addWidget(new QLabel(q(texts::single_point_name), this), 0, 0);
    grid->addWidget(name_, 0, 1);

    identifier_ = new QLineEdit(this);
    identifier_->setReadOnly(true);
    grid->addWidget(new QLabel(q(texts::single_point_identifier), this), 1, 0);
    grid->addWidget(identifier_, 1, 1);

    description_ = new QLabel(q(texts::single_point_start_description), this);
    description_->setWordWrap(true);
    grid->addWidget(description_, 2, 0, 1, 2);

    read_ = new QRadioButton(q(texts::single_point_read), this);
    write_ = new QRadioButton(q(texts::single_point_write), this);
    read_->setChecked(true);
    auto* operations = new QHBoxLayout;
    operations->addWidget(read_);
    operations->addWidget(write_);
    operations->addStretch();
    grid->addLayout(operations, 3, 0, 1, 2);

    value_label_ = new QLabel(q(texts::single_point_value), this);
    value_ = new QComboBox(this);
    value_->setEditable(true);
    value_->setInsertPolicy(QComboBox::NoInsert);
    grid->addWidget(value_label_, 4, 0);
    grid->addWidget(value_, 4, 1);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);

    run_ = new QPushButton(q(texts::single_point_run), this);
    run_->setDefault(true);
    layout->addWidget(run_);
    results_ = new QListWidget(this);
    layout->addWidget(results_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    exit_ = new QPushButton(q(texts::single_point_exit), this);
    exit_->setAutoDefault(false);
    buttons->addWidget(exit_);
    layout->addLayout(buttons);

    connect(name_, &QComboBox::currentTextChanged, this, &CSinglePoint::name_chosen);
    connect(read_, &QRadioButton::toggled, this, &CSinglePoint::operation_chosen);
    connect(run_, &QPushButton::clicked, this, &CSinglePoint::run);
    connect(exit_, &QPushButton::clicked, this, &QDialog::reject);
    operation_chosen();
    // The name the window opens with is run as it stands: its register shows from the start. The
    // description keeps its heading until a name is chosen.
    identifier_->setText(QString::fromStdString(single_point_identifier(name_->currentText().trimmed().toStdString())));
    resize(480, 420);
}

void CSinglePoint::name_chosen(const QString& name)
{
    const std::string chosen = name.trimmed().toStdString();
    identifier_->setText(QString::fromStdString(single_point_identifier(chosen)));
    const DescParameter* descriptor = find_described_parameter(lists_, chosen);
    if (!descriptor) {
        description_->setText(q(texts::single_point_start_description));
        return;
    }
    description_->setText(QString::fromStdString(single_point_description(lists_, chosen)));
    // The value typed so far stays when the new parameter's value is typed in too.
    const QString typed = value_->currentText();
    value_->clear();
    for (const std::string& item : single_point_items(descriptor->type_text))
        value_->addItem(QString::fromStdString(item));
    if (value_->count() == 0)
        value_->setEditText(typed);
}

void CSinglePoint::operation_chosen()
{
    const bool write = write_->isChecked();
    value_label_->setVisible(write);
    value_->setVisible(write);
}

void CSinglePoint::run()
{
    results_->clear();
    const auto operation = write_->isChecked() ? SinglePointOperation::write : SinglePointOperation::read;
    const auto lines = single_point_exchange(lists_, link_, shell_, name_->currentText().trimmed().toStdString(),
                                             operation, value_->currentText().toStdString());
    for (const std::string& line : lines)
        results_->addItem(QString::fromStdString(line));
}

} // namespace zr740::ui
