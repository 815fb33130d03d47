// In-place editing through the view's delegate, against the simulated instrument: the editors the
// cells offer, values taken or refused with the reason, immediate writes and their failures, the
// maker's values that cannot be edited, and the attribute column.

#include "tree_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <stdexcept>

namespace zr740::testing {
namespace {

using ui::CHLB5TreeListCtrl;

class TreeEditTest : public TreeViewTest {
protected:
    // Opens the cell's editor as a person does with the keyboard (F2 on the current cell).
    template <typename Editor> Editor* open_editor(const QModelIndex& index)
    {
        view->tree()->scrollTo(index);
        view->tree()->setCurrentIndex(index);
        view->tree()->edit(index);
        return view->tree()->viewport()->findChild<Editor*>();
    }
    // Return commits through a queued call of the delegate: let it run.
    void commit(QWidget* editor)
    {
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        // The closed editor goes away for good, so the next one is found instead of it.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    bool red(const char* name) { return cell(name, 3).data(Qt::ForegroundRole).value<QBrush>().color() == QColor(255, 0, 0); }
};

TEST_F(TreeEditTest, EnumerationEditOffersTheItemsAndWritesTheChoiceAtOnce)
{
    context.immediate_write = true;
    QSignalSpy modified(view.get(), &ui::CHLB5TreeListView::documentModified);
    auto* box = open_editor<QComboBox>(cell("0x0015", 3));
    ASSERT_NE(box, nullptr);
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    EXPECT_EQ(items, QStringList({"Па", "кПа", "МПа", "бар", "мбар", "кгс/см2", "кгс/м2", "мм рт.ст.", "мм вод.ст.", "psi"}));
    box->setCurrentIndex(2);
    commit(box);
    EXPECT_EQ(at("0x0015").value_text, "МПа");
    EXPECT_EQ(simulator->value(0x0015).value_or(""), "МПа");
    EXPECT_EQ(modified.size(), 1);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(TreeEditTest, LeavingAListWithoutAChoiceChangesNothing)
{
    context.immediate_write = true;
    auto* box = open_editor<QComboBox>(cell("0x0015", 3));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->currentIndex(), -1); // "Нет данных" is none of the items
    commit(box);
    EXPECT_EQ(text("0x0015", 3), "Нет данных");
    EXPECT_FALSE(at("0x0015").value_changed);
}

TEST_F(TreeEditTest, ListItemsLeaveOutHiddenWordsAndShowBlanks)
{
    Parameter& p = at("0x001E");
    p.type_text = "Один_вариант:Скрытый<hide>:Третий";
    auto* box = open_editor<QComboBox>(cell("0x001E", 3));
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->count(), 2);
    EXPECT_EQ(box->itemText(0), "Один вариант");
    EXPECT_EQ(box->itemText(1), "Третий");
}

TEST_F(TreeEditTest, WithImmediateWriteOffAnEditTurnsTheRowGreenAndWritesNothing)
{
    const auto before = simulator->value(0x0018);
    auto* line = open_editor<QLineEdit>(cell("0x0018", 3));
    ASSERT_NE(line, nullptr);
    line->setText("12.5");
    commit(line);
    EXPECT_EQ(at("0x0018").value_text, "12.500");
    EXPECT_EQ(cell("0x0018", 3).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(0, 200, 0));
    EXPECT_EQ(simulator->value(0x0018), before);
}

TEST_F(TreeEditTest, ValuesTheTypeRefusesAreReportedAndKeepTheOldText)
{
    struct Case {
        const char* name;
        const char* typed;
        const char* message;
    };
    const Case cases[] = {
        {"0x0018", "abc",
         "Параметру '0x0018' (Время демпфирования, с)\nне может быть присвоено значение 'abc'.\n (Значение этого "
         "параметра должно быть вещественным числом в диапазоне 0.000000...60.000000)\n"},
        {"0x0016", "7",
         "Параметру '0x0016' (Число знаков после запятой)\nне может быть присвоено значение '7'.\n (Значение этого "
         "параметра должно быть целым числом в диапазоне 0.000000...3.000000)\n"},
        {"0x001A", "x1", "Параметру '0x001A' (Нижний предел диапазона)\nне может быть присвоено значение 'x1'.\n "},
    };
    for (const auto& c : cases) {
        shell.messages.clear();
        auto* line = open_editor<QLineEdit>(cell(c.name, 3));
        ASSERT_NE(line, nullptr) << c.name;
        line->setText(c.typed);
        commit(line);
        ASSERT_EQ(shell.messages.size(), 1u) << c.name;
        EXPECT_EQ(shell.messages[0].text, c.message);
        EXPECT_EQ(shell.messages[0].caption, "ЗР740");
        EXPECT_EQ(shell.messages[0].icon, Icon::stop);
        EXPECT_EQ(text(c.name, 3), "Нет данных");
        EXPECT_FALSE(at(c.name).value_changed);
    }
}

TEST_F(TreeEditTest, AWriteTheInstrumentRefusesTurnsTheRowRedAndRestoresTheText)
{
    context.immediate_write = true;
    ASSERT_TRUE(document.engine().read(document.root()));
    view->update_view();
    const std::string old = text("0x0018", 3);
    simulator->inject(sim::Fault::exception(0x0018, 3, -1));
    auto* line = open_editor<QLineEdit>(cell("0x0018", 3));
    ASSERT_NE(line, nullptr);
    line->setText("7");
    commit(line);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].caption, "Значение не удалось записать в прибор");
    EXPECT_EQ(shell.messages[0].icon, Icon::stop);
    EXPECT_FALSE(shell.messages[0].text.empty());
    EXPECT_EQ(shell.messages[0].text, at("0x0018").status_text);
    EXPECT_EQ(text("0x0018", 3), old);
    EXPECT_EQ(text("0x0018", 6), at("0x0018").status_text);
    EXPECT_TRUE(red("0x0018"));
}

TEST_F(TreeEditTest, TheMakersValuesCannotBeEdited)
{
    Parameter& p = at("0x0018");
    p.attribute_mode = 1;
    p.factory_owned = 1;
    view->update_view();
    EXPECT_EQ(text("0x0018", 5), "Фирма");
    const QModelIndex value = cell("0x0018", 3);
    EXPECT_FALSE(value.flags() & Qt::ItemIsEditable);
    EXPECT_EQ(open_editor<QLineEdit>(value), nullptr);
    // Even a direct attempt leaves the value alone.
    EXPECT_FALSE(model().setData(value, "5"));
    EXPECT_EQ(p.value_text, "Нет данных");
    EXPECT_FALSE(p.value_changed);
}

TEST_F(TreeEditTest, TheAttributeColumnTogglesTheEditableAttributeOnlyWhenTheOtherStateIsPicked)
{
    Parameter& p = at("0x0018");
    p.attribute_mode = 1;
    enum class Leave { enter, other_row, pick };
    struct Case {
        bool editable;
        Leave leave;
    };
    const Case cases[] = {{true, Leave::enter},  {true, Leave::other_row},  {true, Leave::pick},
                          {false, Leave::enter}, {false, Leave::other_row}, {false, Leave::pick}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.editable << " " << static_cast<int>(c.leave));
        p.editable = c.editable ? 1 : 0;
        p.editable_changed = 0;
        view->update_view();
        const std::string shown = c.editable ? "Редактируемый" : "Не редактируемый";
        const std::string other = c.editable ? "Не редактируемый" : "Редактируемый";
        EXPECT_EQ(text("0x0018", 4), shown);
        auto* box = open_editor<QComboBox>(cell("0x0018", 4));
        ASSERT_NE(box, nullptr);
        ASSERT_EQ(box->count(), 1);
        EXPECT_EQ(box->itemText(0).toStdString(), other);
        EXPECT_EQ(box->currentIndex(), -1);
        switch (c.leave) {
        case Leave::enter:
            commit(box);
            break;
        case Leave::other_row:
            view->tree()->setCurrentIndex(cell("0x0016", 3));
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            break;
        case Leave::pick:
            // A person's choice with the keyboard is taken at once, without leaving the cell.
            QTest::keyClick(box, Qt::Key_Down);
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            break;
        }
        EXPECT_EQ(view->tree()->viewport()->findChild<QComboBox*>(), nullptr);
        const bool picked = c.leave == Leave::pick;
        EXPECT_EQ(p.editable, picked != c.editable ? 1 : 0);
        EXPECT_EQ(p.editable_changed, picked ? 1 : 0);
        EXPECT_EQ(p.factory_owned, 0);
        EXPECT_EQ(text("0x0018", 4), picked ? other : shown);
        const QVariant colour = cell("0x0018", 4).data(Qt::ForegroundRole);
        if (picked)
            EXPECT_EQ(colour.value<QBrush>().color(), QColor(0, 200, 0));
        else
            EXPECT_FALSE(colour.isValid());
    }
    // Without attributes the column shows nothing and offers nothing.
    EXPECT_EQ(text("0x0000", 4), "");
    EXPECT_EQ(text("0x0000", 5), "");
    EXPECT_FALSE(cell("0x0000", 4).flags() & Qt::ItemIsEditable);
}

class ProgramSettingsTest : public TreeEditTest {
protected:
    ui::TreeNode& setting(const char* name)
    {
        auto& element = *model().root_node()->children[1];
        model().fill_node(element);
        for (auto& row : element.children)
            if (row->parameter->name == name)
                return *row;
        throw std::runtime_error(name);
    }
};

TEST_F(ProgramSettingsTest, AnEditedSettingIsSavedAndThePortReopened)
{
    QSignalSpy modified(view.get(), &ui::CHLB5TreeListView::documentModified);
    ui::TreeNode& row = setting("0x0007");
    EXPECT_EQ(row.element, nullptr);
    auto* line = open_editor<QLineEdit>(model().index_of(row, 3));
    ASSERT_NE(line, nullptr);
    line->setText("7");
    commit(line);
    EXPECT_EQ(memory.values["address"], 7);
    EXPECT_TRUE(document.link().sio().is_open());
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(modified.size(), 1);
    // Nothing is pending for the instrument: the row keeps its colour.
    EXPECT_FALSE(model().index_of(row, 3).data(Qt::ForegroundRole).isValid());
}

TEST_F(ProgramSettingsTest, PortOffersTheComputersPortsAndTakesATypedPath)
{
    ui::TreeNode* port = &setting("Port");
    auto* box = open_editor<QComboBox>(model().index_of(*port, 3));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isEditable());
    EXPECT_EQ(box->currentText().toStdString(), simulator->port_path());
    // A path the list does not hold is taken as typed; the port is reopened on it.
    box->setEditText("/dev/zr740-no-such-port");
    commit(box);
    EXPECT_EQ(port->parameter->value_text, "/dev/zr740-no-such-port");
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_NE(shell.messages[0].text.find("/dev/zr740-no-such-port"), std::string::npos);
    EXPECT_FALSE(document.link().sio().is_open());
}

} // namespace
} // namespace zr740::testing
