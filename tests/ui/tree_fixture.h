#pragma once
// The tree view over a document whose link talks to the instrument simulator.

#include "support/simulated_document.h"
#include "ui/chlb5_tree_list_ctrl.h"
#include "ui/chlb5_tree_list_view.h"

#include <QTest>
#include <QTreeView>

#include <memory>
#include <string>

namespace zr740::testing {

class TreeViewTest : public SimulatedDocument {
protected:
    void SetUp() override
    {
        SimulatedDocument::SetUp();
        if (HasFatalFailure())
            return;
        view = std::make_unique<ui::CHLB5TreeListView>(document, shell);
        view->resize(1200, 700);
        view->set_document_title("Безымянный");
        view->initial_update();
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }
    void TearDown() override
    {
        document.stop_threads();
        view.reset();
    }

    ui::CHLB5TreeListCtrl& model() { return view->model(); }
    // The row of a parameter of the parameter tree, its branches filled on the way.
    ui::TreeNode& row_of(const char* name) { return *model().reveal(at(name)); }
    QModelIndex cell(const char* name, int column) { return model().index_of(row_of(name), column); }
    std::string text(const char* name, int column) { return cell(name, column).data().toString().toStdString(); }
    // The scanner row of a parameter of the scanners branch.
    ui::TreeNode& scanner(const char* name)
    {
        model().fill_node(*model().scanners_node());
        return *model().scanner_row(document.scanners()->find(name));
    }

    // Creates every row of the tree, as if each branch had been expanded once.
    void fill_all(ui::TreeNode& node)
    {
        model().fill_node(node);
        for (auto& child : node.children)
            fill_all(*child);
    }

    std::unique_ptr<ui::CHLB5TreeListView> view;
};

} // namespace zr740::testing
