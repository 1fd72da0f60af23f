// The main window by keyboard: sequences moved with Alt+Up and Alt+Down, and
// Find (Ctrl+F) with Enter and F3 going from hit to hit.
#include "test_main_window_support.h"

#include "shell/find/CFindDlg.h"
#include "shell/find/WizardFindCommand.h"

using namespace stepvane;
using namespace stepvane::test;

namespace {

void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(QApplication::focusWidget(), k, modifiers);
    QCoreApplication::processEvents();
}

} // namespace

TEST_F(MainWindowTest, AltUpAndAltDownMoveTheSelectedSequence)
{
    addSequences(3);
    activate(window.get());
    pane().rowArea()->setFocus();
    pane().setSelectedIndex(2);
    for (const Qt::Key k : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Down})
        key(k, Qt::AltModifier);
    EXPECT_EQ(titles(), (QStringList{"S0", "S2", "S1"}));
    EXPECT_EQ(pane().selectedIndex(), 1);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(titles(), (QStringList{"S2", "S0", "S1"})) << "one move undone";
}

TEST_F(MainWindowTest, FindGoesFromHitToHitAndShowsTheStep)
{
    doc().Title = "Tower survey";
    TestingSequence *feeder = doc().appendSequence();
    feeder->Title = "Feeder";
    PromptTask prompt;
    prompt.images[3].Comment = "Climb the TOWER";
    feeder->insertStep(-1, HoldTask{});
    feeder->insertStep(-1, prompt);
    TestingSequence *top = doc().appendSequence();
    top->Title = "Tower top";
    MarkerPeakTask marker;
    AttachedImage light;
    light.Comment = "tower light on";
    marker.images.push_back(light);
    top->insertStep(-1, marker);
    window->titleEdit()->setText(doc().Title);
    pane().refreshRows();
    activate(window.get());
    pane().rowArea()->setFocus();

    key(Qt::Key_F, Qt::ControlModifier);
    auto *find = window->findChild<WizardFindCommand *>()->findWindow();
    ASSERT_TRUE(find);
    QTRY_VERIFY(find->textField()->hasFocus());
    QTest::keyClicks(find->textField(), "tower");
    key(Qt::Key_Return);
    EXPECT_TRUE(find->resultLabel()->text().startsWith("1 of 4: wizard"));
    CVXMeasurementEditDlg *editor = pane().taskEditor();

    key(Qt::Key_Return);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->sequence(), feeder);
    EXPECT_EQ(editor->detailPane()->shownStep(), feeder->step(1));
    EXPECT_TRUE(find->resultLabel()->text().contains("Prompt 4"));

    key(Qt::Key_F3);
    EXPECT_EQ(pane().selectedIndex(), 1);
    EXPECT_EQ(editor->sequence(), top);
    key(Qt::Key_Return);
    EXPECT_EQ(editor->detailPane()->shownStep(), top->step(0));
    EXPECT_TRUE(find->resultLabel()->text().startsWith("4 of 4"));
    key(Qt::Key_Return);
    EXPECT_TRUE(find->resultLabel()->text().startsWith("1 of 4")) << "around";
}
