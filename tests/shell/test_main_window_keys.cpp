// The main window by keyboard: sequences moved with Alt+Up and Alt+Down, and
// Find (Ctrl+F) with Enter and F3 going from hit to hit.
#include "test_main_window_support.h"

#include "shell/find/CFindDlg.h"
#include "shell/find/WizardFindCommand.h"
#include "shell/taskeditor/CVXMeasureList_View.h"
#include "shell/taskeditor/CVXMeasurementEditDlg.h"
#include "shell/taskeditor/CVXetailItemView.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QWindow>

using namespace stepvane;
using namespace stepvane::test;

namespace {

void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(QApplication::focusWidget(), k, modifiers);
    QCoreApplication::processEvents();
}

class MainWindowKeys : public MainWindowTest {
protected:
    void showWindow()
    {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
};

} // namespace

TEST_F(MainWindowKeys, AltUpAndAltDownMoveTheSelectedSequence)
{
    addSequences(3);
    showWindow();
    pane().rowArea()->setFocus();
    pane().setSelectedIndex(2);
    for (const Qt::Key k : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Down})
        key(k, Qt::AltModifier);
    EXPECT_EQ(titles(), (QStringList{"S0", "S2", "S1"}));
    EXPECT_EQ(pane().selectedIndex(), 1);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(titles(), (QStringList{"S2", "S0", "S1"})) << "one move undone";
}

TEST_F(MainWindowKeys, FindGoesFromHitToHitAndShowsTheStep)
{
    doc().Title = QStringLiteral("Tower survey");
    TestingSequence *feeder = doc().appendSequence();
    feeder->Title = QStringLiteral("Feeder");
    PromptTask prompt;
    prompt.images[3].Comment = QStringLiteral("Climb the TOWER");
    feeder->insertStep(-1, HoldTask{});
    feeder->insertStep(-1, prompt);
    TestingSequence *top = doc().appendSequence();
    top->Title = QStringLiteral("Tower top");
    MarkerPeakTask marker;
    AttachedImage light;
    light.Comment = QStringLiteral("tower light on");
    marker.images.push_back(light);
    top->insertStep(-1, marker);
    window->titleEdit()->setText(doc().Title);
    pane().refreshRows();
    showWindow();
    pane().rowArea()->setFocus();

    key(Qt::Key_F, Qt::ControlModifier);
    auto *find = window->findChild<WizardFindCommand *>()->findWindow();
    ASSERT_TRUE(find);
    QTRY_VERIFY(find->textField()->hasFocus());
    QTest::keyClicks(find->textField(), QStringLiteral("tower"));
    key(Qt::Key_Return);
    EXPECT_TRUE(find->resultLabel()->text().startsWith(QStringLiteral("1 of 4: wizard")));
    CVXMeasurementEditDlg *editor = pane().taskEditor();

    key(Qt::Key_Return);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->sequence(), feeder);
    EXPECT_EQ(editor->detailPane()->shownStep(), feeder->step(1));
    EXPECT_TRUE(find->resultLabel()->text().contains(QStringLiteral("Prompt 4")));

    key(Qt::Key_F3);
    EXPECT_EQ(pane().selectedIndex(), 1);
    EXPECT_EQ(editor->sequence(), top);
    key(Qt::Key_Return);
    EXPECT_EQ(editor->detailPane()->shownStep(), top->step(0));
    EXPECT_TRUE(find->resultLabel()->text().startsWith(QStringLiteral("4 of 4")));
    key(Qt::Key_Return);
    EXPECT_TRUE(find->resultLabel()->text().startsWith(QStringLiteral("1 of 4"))) << "around";
}
