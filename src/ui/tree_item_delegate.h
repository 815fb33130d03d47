#pragma once
// The one editor factory of the tree: a drop-down list for values with named items (and for the
// attribute column), the computer's serial ports for "Port" with a typed path still allowed, an edit
// box otherwise. What the editor returns goes to the model, which hands it to the row editor.

#include <QStyledItemDelegate>

namespace zr740 {
class Shell;
}

namespace zr740::ui {

class CHLB5TreeListCtrl;
struct TreeNode;

class TreeItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    TreeItemDelegate(CHLB5TreeListCtrl& model, Shell& shell, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

    // The row whose cell has an editor open, if any.
    const TreeNode* editing() const { return editing_; }

private slots:
    // The person picked an item of a list that takes its choice at once.
    void commit_choice();

private:
    CHLB5TreeListCtrl& model_;
    Shell& shell_;
    mutable const TreeNode* editing_ = nullptr;
};

} // namespace zr740::ui
