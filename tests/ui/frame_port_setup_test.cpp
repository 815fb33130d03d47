// SPDX-License-Identifier: GPL-3.0-or-later
// The connection setup opened from the main window's menu: what its worker changed in the
// program's link settings shows in their tree rows once the window is closed, announced row by row.

#include "dialog_fixture.h"

#include "ui/chlb5_tree_list_ctrl.h"
#include "ui/chlb5_tree_list_view.h"
#include "ui/setup_carrier.h"

#include <QSignalSpy>

namespace zr740::testing {
namespace {

constexpr int port_setup_command = 32819;
constexpr int scan_button = 4, factory_button = 6, exit_button = 2;

using FramePortSetupTest = DialogFixture;

TEST_F(FramePortSetupTest, RowsOfTheLinkSettingsShowWhatTheWindowChanged)
{
    struct Case {
        int button;
        const char* name;
        const char* before; // put into the setting before the window opens
        const char* after;
    };
    // The line of a pseudo-terminal has no rate: the scan finds the instrument at its first one.
    // The factory address is not the simulator's, so that connect fails and "Выход" closes.
    const Case cases[] = {
        {scan_button, "0x0009", "19200", "2400"},
        {factory_button, "0x0007", "5", "16"},
    };
    ui::CHLB5TreeListCtrl& model = frame->view()->model();
    ui::TreeNode& element = *model.root_node()->children[1];
    ASSERT_EQ(element.element, &document->link().link_settings());
    frame->view()->tree()->expand(model.index_of(element));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Parameter& setting = *document->link().link_settings().find(c.name);
        setting.value_text = c.before;
        frame->view()->update_view();
        ui::TreeNode* row = nullptr;
        for (auto& child : element.children)
            if (child->parameter == &setting)
                row = child.get();
        ASSERT_NE(row, nullptr);
        const QModelIndex value = model.index_of(*row, ui::CHLB5TreeListCtrl::value);
        ASSERT_EQ(value.data().toString(), c.before);

        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        ASSERT_TRUE(with_window<ui::CSetupCarrier>(port_setup_command, [&](ui::CSetupCarrier& setup) {
            setup.command(c.button);
            if (c.button == factory_button) {
                ASSERT_TRUE(QTest::qWaitFor([&] { return setup.status_is_error(); }, 20000));
                setup.command(exit_button);
            }
            ASSERT_TRUE(QTest::qWaitFor([&] { return !setup.isVisible(); }, 20000));
        }));
        EXPECT_EQ(setting.value_text, c.after);
        EXPECT_EQ(value.data().toString(), c.after);
        EXPECT_EQ(reset.count(), 0);
        bool announced = false;
        for (const auto& signal : changed) {
            const auto first = signal.at(0).value<QModelIndex>();
            const auto last = signal.at(1).value<QModelIndex>();
            announced |= first.parent() == value.parent() && first.row() <= value.row() && value.row() <= last.row() &&
                         first.column() <= value.column() && value.column() <= last.column();
        }
        EXPECT_TRUE(announced);
    }
}

} // namespace
} // namespace zr740::testing
