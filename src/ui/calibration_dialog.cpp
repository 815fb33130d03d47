// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/calibration_dialog.h"

#include "ui/dialog_texts.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zr740::ui {

CPageUstirovka::CPageUstirovka(std::function<void(bool, const std::string&)> apply, QWidget* parent)
    : QDialog(parent), apply_(std::move(apply))
{
    setWindowTitle(q(texts::calibration_caption));
    auto* layout = new QVBoxLayout(this);
    auto group = [&](Text title, Text help, QLineEdit*& edit, QPushButton*& button) {
        auto* box = new QGroupBox(q(title), this);
        auto* box_layout = new QVBoxLayout(box);
        auto* text = new QLabel(q(help), box);
        text->setWordWrap(true);
        box_layout->addWidget(text);
        auto* row = new QHBoxLayout;
        edit = new QLineEdit(box);
        button = new QPushButton(q(texts::calibration_apply), box);
        row->addWidget(edit, 1);
        row->addWidget(button);
        box_layout->addLayout(row);
        layout->addWidget(box);
    };
    group(texts::calibration_offset_group, texts::calibration_offset_help, offset_edit_, offset_button_);
    group(texts::calibration_range_group, texts::calibration_range_help, range_edit_, range_button_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    close_ = new QPushButton(q(texts::calibration_close), this);
    buttons->addWidget(close_);
    layout->addLayout(buttons);

    connect(offset_button_, &QPushButton::clicked, this, [this] { apply_correction(false); });
    connect(range_button_, &QPushButton::clicked, this, [this] { apply_correction(true); });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    // Enter in an edit box must not close the window: it presses that group's button.
    connect(offset_edit_, &QLineEdit::returnPressed, this, [this] { apply_correction(false); });
    connect(range_edit_, &QLineEdit::returnPressed, this, [this] { apply_correction(true); });
    for (QPushButton* button : {offset_button_, range_button_, close_})
        button->setAutoDefault(false);
    setMinimumWidth(440);
}

void CPageUstirovka::apply_correction(bool range)
{
    const QLineEdit* edit = range ? range_edit_ : offset_edit_;
    const std::string typed = edit->text().toStdString();
    if (apply_)
        apply_(range, typed);
}

} // namespace zr740::ui
