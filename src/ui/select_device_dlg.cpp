// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/select_device_dlg.h"

#include "model/model_texts.h"
#include "platform/run_state.h"
#include "platform/shell.h"
#include "ui/main_frame.h"
#include "ui/setup_texts.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zr740::ui {
namespace {

// The variants a person may choose, in the order of the description's variant table from its
// second row on: only the current transmitter, whose row index is its variant number.
constexpr int offered_variants = 1;

} // namespace

CSelectDeviceDlg::CSelectDeviceDlg(Shell& shell, RunState& run, QWidget* parent)
    : QDialog(parent), shell_(shell), run_(run), list_(new QTreeWidget(this))
{
    setWindowTitle(q(texts::select_caption));
    list_->setRootIsDecorated(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setHeaderLabels({q(texts::select_column)});
    list_->header()->setSectionsClickable(false);
    list_->setStyleSheet("QTreeWidget::item { height: 18px; }");
    for (int variant = 0; variant < offered_variants; ++variant)
        list_->addTopLevelItem(new QTreeWidgetItem({q(variant_caption(variant))}));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(q(texts::button_ok), QDialogButtonBox::AcceptRole)->setObjectName("ok");
    buttons->addButton(q(texts::button_cancel), QDialogButtonBox::RejectRole)->setObjectName("cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &CSelectDeviceDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSelectDeviceDlg::reject);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &CSelectDeviceDlg::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    resize(260, 180);
}

void CSelectDeviceDlg::accept()
{
    auto* row = list_->currentItem();
    if (!row || !row->isSelected()) {
        shell_.message(utf8(texts::select_nothing), std::string(zr740::texts::app_title), Icon::none,
                       Owner::main_window);
        return;
    }
    run_.description_variant = static_cast<std::uint8_t>(list_->indexOfTopLevelItem(row));
    QDialog::accept();
}

} // namespace zr740::ui
