// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/apply_dialog.h"

#include "device/device_texts.h"
#include "ui/dialog_texts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zr740::ui {
CApply::CApply(const std::string& settings_text, std::function<void(const ApplyChoices&)> on_ok, QWidget* parent)
    : QDialog(parent), on_ok_(std::move(on_ok))
{
    setWindowTitle(q(texts::apply_caption));
    auto* layout = new QVBoxLayout(this);

    auto* warning = new QLabel(q(texts::apply_warning), this);
    warning->setWordWrap(true);
    layout->addWidget(warning);

    auto* group = new QGroupBox(q(texts::apply_new_settings), this);
    auto* group_layout = new QVBoxLayout(group);
    settings_ = new QLabel(QString::fromStdString(settings_text).trimmed(), group);
    settings_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    group_layout->addWidget(settings_);
    layout->addWidget(group);

    change_program_ = new QCheckBox(q(texts::apply_change_program), this);
    change_program_->setChecked(true);
    broadcast_ = new QCheckBox(q(texts::apply_broadcast), this);
    three_times_ = new QCheckBox(q(texts::apply_three_times), this);
    three_times_->setChecked(true);
    three_times_->setEnabled(false);
    // Repeating only means something for the broadcast, which no reply confirms.
    connect(broadcast_, &QCheckBox::toggled, three_times_, &QCheckBox::setEnabled);
    layout->addWidget(change_program_);
    layout->addWidget(broadcast_);
    auto* indented = new QHBoxLayout;
    indented->addSpacing(20);
    indented->addWidget(three_times_);
    layout->addLayout(indented);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setDefault(true);
    cancel_ = new QPushButton(q(texts::cancel), this);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, &CApply::accept);
    connect(cancel_, &QPushButton::clicked, this, &CApply::reject);
    setMaximumWidth(520);
}

ApplyChoices CApply::choices() const
{
    ApplyChoices boxes;
    boxes.change_program_settings = change_program_->isChecked();
    boxes.broadcast = broadcast_->isChecked();
    boxes.send_three_times = three_times_->isChecked();
    return boxes;
}

void CApply::accept()
{
    // The exchange takes a few hundred milliseconds and the buttons must not be pressed twice.
    ok_->setEnabled(false);
    cancel_->setEnabled(false);
    if (on_ok_)
        on_ok_(choices());
    QDialog::accept();
}

} // namespace zr740::ui
