// The editor without a mouse: the model choice by arrows and Tab, the task
// palette by Tab, arrows, Enter and Insert, steps moved with Alt+Up and
// Alt+Down (and undone), and Find over the wizard's texts.
#include "support/WidgetTestSupport.h"

#include "document/NameTables.h"
#include "shell/dialogs/CVXSpanlyxSelectDlg.h"
#include "shell/history/DocumentHistory.h"

using namespace stepvane;
using namespace taskeditor_test;

namespace {

bool focusInside(const QWidget *w)
{
    const QWidget *focus = QApplication::focusWidget();
    return focus && w && (focus == w || w->isAncestorOf(focus));
}

} // namespace

TEST(ModelSelectionKeys, ArrowsAndTabMoveTheSelectionEnterEnds)
{
    CVXSpanlyxSelectDlg dlg;
    dlg.setSelection(kUnknownModel);
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int selection;
    } steps[] = {{Qt::Key_Down, {}, 0}, {Qt::Key_Down, {}, 1},
                 {Qt::Key_Tab, {}, 2},  {Qt::Key_Tab, {}, 3},
                 {Qt::Key_Down, {}, 3}, {Qt::Key_Backtab, Qt::ShiftModifier, 2},
                 {Qt::Key_Up, {}, 1},   {Qt::Key_End, {}, 3},
                 {Qt::Key_Home, {}, 0}, {Qt::Key_Up, {}, 0}};
    for (const auto &s : steps) {
        pressKey(s.key, s.modifiers);
        EXPECT_EQ(dlg.selection(), s.selection) << "after key " << int(s.key);
    }
    pressKey(Qt::Key_Down);
    pressKey(Qt::Key_Return);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.selection(), 1);
}

TEST_F(TaskEditorFixture, PaletteByKeyboardAddsAfterTheSelectedStep)
{
    open();
    addSteps({TaskHold, TaskHold, TaskHold});
    click(top(), rowPoint(0));
    // Tab from the task list reaches the palettes.
    int tabs = 0;
    while (!focusInside(dlg->palette(0)) && tabs < 20) {
        pressKey(Qt::Key_Tab);
        ++tabs;
    }
    ASSERT_TRUE(focusInside(dlg->palette(0))) << "no palette on the Tab path";
    pressKey(Qt::Key_Down); // Save
    pressKey(Qt::Key_Down); // Prompt
    pressKey(Qt::Key_Up);   // Save
    pressKey(Qt::Key_Return);
    ASSERT_EQ(seq->stepCount(), 4);
    EXPECT_EQ(seq->step(1)->kind(), TaskSave);
    EXPECT_EQ(list()->selectedIndex(), 1);
    EXPECT_EQ(pane()->shownStep(), seq->step(1));

    dlg->palette(2)->setFocus(Qt::TabFocusReason);
    pressKey(Qt::Key_Down); // Limit
    pressKey(Qt::Key_Insert);
    ASSERT_EQ(seq->stepCount(), 5);
    EXPECT_EQ(seq->step(2)->kind(), TaskLimit);
    EXPECT_EQ(descriptions(), "abc");
}

TEST_F(TaskEditorFixture, AltUpAndAltDownMoveTheStepAndUndoPutsItBack)
{
    open();
    addSteps({TaskHold, TaskHold, TaskHold});
    click(top(), rowPoint(1));
    pressKey(Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(descriptions(), "bac");
    EXPECT_EQ(list()->selectedIndex(), 0);
    pressKey(Qt::Key_Up, Qt::AltModifier); // already first
    EXPECT_EQ(descriptions(), "bac");
    pressKey(Qt::Key_Down, Qt::AltModifier);
    pressKey(Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(descriptions(), "acb");
    EXPECT_EQ(list()->selectedIndex(), 2);
    pressKey(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(descriptions(), "abc");
}
