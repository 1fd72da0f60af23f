// The editor without a mouse: the model choice, the task palette, Alt+Up and
// Alt+Down on steps.
#include "test_main_window_support.h"

using namespace stepvane;
using namespace taskeditor_test;

TEST(ModelSelectionKeys, ArrowsAndTabMoveTheSelectionEnterEnds)
{
    CVXSpanlyxSelectDlg dlg;
    dlg.setSelection(kUnknownModel);
    stepvane::test::activate(&dlg);
    const std::pair<Qt::Key, int> steps[] = {{Qt::Key_Down, 0}, {Qt::Key_Tab, 1},
                                             {Qt::Key_End, 3},  {Qt::Key_Down, 3},
                                             {Qt::Key_Up, 2},   {Qt::Key_Backtab, 1}};
    for (const auto &[key, selection] : steps) {
        pressKey(key, key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
        EXPECT_EQ(dlg.selection(), selection) << "after key " << int(key);
    }
    pressKey(Qt::Key_Return);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST_F(TaskEditorFixture, AltArrowsMoveTheStepAndThePaletteByKeyboardAddsAfterIt)
{
    open();
    addSteps({TaskHold, TaskHold, TaskHold});
    // Alt+Up and Alt+Down move the step; undo puts it back.
    click(top(), rowPoint(1));
    for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Down, Qt::Key_Down})
        pressKey(key, Qt::AltModifier);
    EXPECT_EQ(descriptions(), "acb");
    EXPECT_EQ(list()->selectedIndex(), 2);
    pressKey(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(descriptions(), "abc");

    click(top(), rowPoint(0));
    for (int tabs = 0; tabs < 20 && QApplication::focusWidget() != dlg->palette(0); ++tabs)
        pressKey(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), dlg->palette(0)) << "no palette on the Tab path";
    pressKey(Qt::Key_Down); // Save
    pressKey(Qt::Key_Return);
    dlg->palette(2)->setFocus(Qt::TabFocusReason);
    pressKey(Qt::Key_Down); // Limit
    pressKey(Qt::Key_Insert);
    ASSERT_EQ(seq->stepCount(), 5);
    EXPECT_EQ(seq->step(1)->kind(), TaskSave);
    EXPECT_EQ(seq->step(2)->kind(), TaskLimit);
    EXPECT_EQ(list()->selectedIndex(), 2);
}

// Tab into a palette comes back to the entry used last in it, wherever the
// arrows stopped since: Tab and Enter repeat the last insert.
TEST_F(TaskEditorFixture, TabIntoThePaletteLandsOnTheEntryUsedLast)
{
    open();
    addSteps({TaskHold});
    CVXCommandItems_View *palette = dlg->palette(1);
    palette->setFocus(Qt::OtherFocusReason);
    pressKey(Qt::Key_Down);
    pressKey(Qt::Key_Down);
    pressKey(Qt::Key_Return);
    ASSERT_EQ(seq->stepCount(), 2);
    const TaskKind used = seq->step(1)->kind();
    palette->setFocus(Qt::OtherFocusReason);
    pressKey(Qt::Key_Down); // looked at, not used
    click(top(), rowPoint(0));
    for (int tabs = 0; tabs < 30 && QApplication::focusWidget() != palette; ++tabs)
        pressKey(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), palette) << "no palette on the Tab path";
    EXPECT_EQ(palette->entries()[size_t(palette->currentEntry())].kind, used);
    pressKey(Qt::Key_Return);
    ASSERT_EQ(seq->stepCount(), 3);
    EXPECT_EQ(seq->step(1)->kind(), used);
}
