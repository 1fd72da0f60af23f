// The task editor never edits a step other than the one it highlights: a
// right click on a row, and the focus after a palette entry was added.
#include "editors/framework/EditorPage.h"
#include "support/WidgetTestSupport.h"
#include "widgets/CVXEdit.h"

using namespace stepvane;
using namespace taskeditor_test;

namespace {

bool focusInside(const QWidget *w)
{
    const QWidget *focus = QApplication::focusWidget();
    return focus && w && (focus == w || w->isAncestorOf(focus));
}

} // namespace

TEST_F(TaskEditorFixture, RightClickedRowIsTheStepThePageEdits)
{
    open();
    addSteps({TaskMeasureMode, TaskMeasureMode, TaskMeasureMode, TaskMeasureMode});
    for (const int target : {3, 0}) {
        SCOPED_TRACE(target);
        click(top(), rowPoint(1));
        // The user is typing in step 2's description, then right-clicks another row.
        click(top(), centreIn(top(), pane()->visiblePages().at(0)->descriptionField()));
        click(top(), rowPoint(target), Qt::RightButton);
        ASSERT_EQ(list()->selectedIndex(), target);
        EXPECT_EQ(pane()->shownStep(), seq->step(target)) << "highlight and page differ";
        CVXEdit *description = pane()->visiblePages().at(0)->descriptionField();
        click(top(), centreIn(top(), description));
        QTest::keyClicks(QApplication::focusWidget(), "!");
        pressKey(Qt::Key_Tab);
        EXPECT_EQ(stepDescription(*seq->step(1)), "b") << "typed into the step shown before";
        EXPECT_TRUE(stepDescription(*seq->step(target)).endsWith(u'!'));
        stepDescription(*seq->step(target)).chop(1);
    }
    // Off the rows a right click leaves the highlight and the page alone.
    click(top(), rowPoint(2));
    click(top(), list()->canvas()->mapTo(top(), QPoint(40, list()->canvas()->height() - 5)),
          Qt::RightButton);
    EXPECT_EQ(list()->selectedIndex(), 2);
    EXPECT_EQ(pane()->shownStep(), seq->step(2));
}

TEST_F(TaskEditorFixture, AddingFromThePaletteFocusesTheNewStepsPage)
{
    open();
    seq->Title = QStringLiteral("Tower");
    addSteps({TaskHold});
    // However the focus stood: in the title, in the list, on another page.
    const std::function<void()> before[] = {
        [&] { click(top(), centreIn(top(), dlg->titleField())); },
        [&] { click(top(), rowPoint(0)); },
        [&] {
            click(top(), rowPoint(seq->stepCount() - 1));
            if (!pane()->visiblePages().empty())
                click(top(), centreIn(top(), pane()->visiblePages().at(0)->descriptionField()));
        },
    };
    for (const auto &place : before) {
        place();
        doubleClick(top(), paletteEntry(1, 0)); // Measure mode
        EditorPage *page = pane()->visiblePages().at(0);
        ASSERT_EQ(page->boundStep(), seq->step(seq->stepCount() - 1));
        EXPECT_TRUE(focusInside(page)) << "the focus stays outside the new page";
        QTest::keyClicks(QApplication::focusWidget(), "x");
        EXPECT_EQ(seq->Title, "Tower") << "the key went to the sequence title";
    }
    // A kind without a page leaves the focus in the list, not in the title.
    click(top(), centreIn(top(), dlg->titleField()));
    doubleClick(top(), paletteEntry(2, 3)); // Hold
    EXPECT_TRUE(focusInside(list()));
    QTest::keyClicks(QApplication::focusWidget(), "y");
    EXPECT_EQ(seq->Title, "Tower");
}
