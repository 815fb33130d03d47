#include "ui/tree_item_delegate.h"

#include "model/model_texts.h"
#include "model/network_names.h"
#include "model/parameter.h"
#include "model/text.h"
#include "platform/serial_ports.h"
#include "platform/shell.h"
#include "ui/chlb5_tree_list_ctrl.h"
#include "ui/tree_row_editor.h"
#include "ui/tree_texts.h"

#include <QComboBox>
#include <QLineEdit>

namespace zr740::ui {
namespace {

QComboBox* list_editor(QWidget* parent, const std::vector<std::string>& items, bool typed)
{
    auto* box = new QComboBox(parent);
    box->setEditable(typed);
    // A typed port path is used as it stands, never added to the list or completed into another.
    box->setInsertPolicy(QComboBox::NoInsert);
    for (const auto& item : items)
        box->addItem(q(item));
    return box;
}

} // namespace

TreeItemDelegate::TreeItemDelegate(CHLB5TreeListCtrl& model, Shell& shell, QObject* parent)
    : QStyledItemDelegate(parent), model_(model), shell_(shell)
{
}

QWidget* TreeItemDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const
{
    const TreeNode* node = model_.node(index);
    if (!node || !node->parameter)
        return nullptr;
    const Parameter& parameter = *node->parameter;
    const int column = index.column();
    editing_ = node;
    if (node->kind == TreeNode::Kind::scanner) {
        if (column == CHLB5TreeListCtrl::value && parameter.poll_running)
            shell_.message(utf8(texts::polled_warning), utf8(texts::app_title), Icon::warning,
                           Owner::main_window);
        if (column == CHLB5TreeListCtrl::value && TreeRowEditor::is_list_type(parameter))
            return list_editor(parent, TreeRowEditor::list_items(parameter), false);
        return QStyledItemDelegate::createEditor(parent, option, index);
    }
    if (column == CHLB5TreeListCtrl::editable) {
        // The one choice is the other state of the attribute. Nothing is chosen when the list
        // opens, so that clicking into the cell and away again changes nothing; a choice is
        // taken the moment it is made.
        const std::string_view other = parameter.editable ? zr740::texts::attr_read_only : zr740::texts::attr_editable;
        QComboBox* box = list_editor(parent, {std::string(other)}, false);
        connect(box, &QComboBox::activated, this, &TreeItemDelegate::commit_choice);
        return box;
    }
    if (column != CHLB5TreeListCtrl::value) {
        editing_ = nullptr;
        return nullptr;
    }
    if (equals_no_case(parameter.name, network_names::port))
        return list_editor(parent, list_serial_ports(), true); // the ports present now
    if (TreeRowEditor::is_list_type(parameter))
        return list_editor(parent, TreeRowEditor::list_items(parameter), false);
    return QStyledItemDelegate::createEditor(parent, option, index);
}

void TreeItemDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
    editing_ = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

void TreeItemDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        const QString current = index.data(Qt::EditRole).toString();
        const int found = box->findText(current);
        // A value that is none of the items ("Нет данных", and always the attribute's present
        // state) selects nothing, so that leaving the list without a choice changes nothing.
        box->setCurrentIndex(found);
        if (found < 0 && box->isEditable())
            box->setEditText(current);
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void TreeItemDelegate::commit_choice()
{
    if (auto* box = qobject_cast<QComboBox*>(sender())) {
        emit commitData(box);
        emit closeEditor(box);
    }
}

void TreeItemDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        if (box->isEditable() || box->currentIndex() >= 0)
            model->setData(index, box->currentText(), Qt::EditRole);
        return;
    }
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        model->setData(index, line->text(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

} // namespace zr740::ui
