// The task editor never edits a step other than the one it highlights.
#include "editors/framework/EditorPage.h"
#include "test_main_window_support.h"

using namespace stepvane;
using namespace taskeditor_test;

TEST_F(TaskEditorFixture, RightClickedRowIsTheStepThePageEditsAndANewStepsPageGetsTheFocus)
{
    open();
    addSteps({TaskMeasureMode, TaskMeasureMode, TaskMeasureMode, TaskMeasureMode});
    click(top(), rowPoint(1));
    click(top(), centreIn(top(), pane()->visiblePages().at(0)->descriptionField()));
    click(top(), rowPoint(3), Qt::RightButton);
    EXPECT_EQ(list()->selectedIndex(), 3);
    EXPECT_EQ(pane()->shownStep(), seq->step(3)) << "highlight and page differ";
    click(top(), centreIn(top(), pane()->visiblePages().at(0)->descriptionField()));
    QTest::keyClicks(QApplication::focusWidget(), "!");
    pressKey(Qt::Key_Tab);
    EXPECT_EQ(descriptions(), "abcd!");
    // Off the rows a right click leaves the highlight and the page alone.
    click(top(), list()->canvas()->mapTo(top(), QPoint(40, list()->canvas()->height() - 5)),
          Qt::RightButton);
    EXPECT_EQ(list()->selectedIndex(), 3);
    EXPECT_EQ(pane()->shownStep(), seq->step(3));

    // Adding from the palette focuses the new step's page.
    seq->Title = "Tower";
    dlg->showSequence(seq);
    for (const TaskKind kind : {TaskMeasureMode, TaskHold}) {
        click(top(), centreIn(top(), dlg->titleField()));
        doubleClick(top(), paletteEntry(kind == TaskHold ? 2 : 1, kind == TaskHold ? 3 : 0));
        // Its page, or the list for a kind without one; never the title.
        const auto pages = pane()->visiblePages();
        QWidget *expected = pages.empty() ? static_cast<QWidget *>(list()) : pages.at(0);
        EXPECT_TRUE(expected->isAncestorOf(QApplication::focusWidget()) ||
                    QApplication::focusWidget() == expected);
        QTest::keyClicks(QApplication::focusWidget(), "x");
        EXPECT_EQ(seq->Title, "Tower") << "the key went to the sequence title";
    }
}
