// "Check wizard": the findings window, a click that opens the task editor on
// the finding's step, and the check before a wizard is sent.
#include "test_main_window_support.h"

using namespace stepvane;
using namespace stepvane::test;

namespace {

class CheckWindow : public MainWindowTest {
protected:
    // Sequence "Sweep": Hold, then a Measure mode step with a code the
    // instrument does not know.
    void addMistake()
    {
        doc().Title = "Tower";
        TestingSequence *s = doc().appendSequence();
        s->Title = "Sweep";
        s->insertStep(-1, HoldTask{});
        s->insertStep(-1, MeasureModeTask{QString(), 12});
        pane().refreshRows();
    }
};

} // namespace

TEST_F(CheckWindow, FindingsAreListedAndAClickOpensTheStep)
{
    addMistake();
    doc().appendSequence()->Title = "Later";
    pane().refreshRows();
    CheckFindingsDlg *findings = runCheck();
    ASSERT_TRUE(findings);
    EXPECT_TRUE(findings->isVisible());
    EXPECT_EQ(findings->tally()->text(), "For the VX330A: 1 error, 1 warning.");
    ASSERT_EQ(findings->list()->topLevelItemCount(), 2);
    EXPECT_EQ(findings->list()->topLevelItem(0)->text(1),
              "Sequence 1 \"Sweep\", step 2 Measure Mode");
    EXPECT_EQ(findings->list()->topLevelItem(0)->text(2), "Select mode");

    // The task editor opens on the step; fixing it there clears the finding.
    clickFinding(findings, 0);
    CVXMeasurementEditDlg *editor = pane().taskEditor();
    ASSERT_TRUE(editor);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(pane().selectedIndex(), 0);
    EXPECT_EQ(editor->taskList()->selectedIndex(), 1);
    EXPECT_EQ(editor->detailPane()->shownStep(), doc().sequence(0)->step(1));
    auto *page = qobject_cast<CMeasureModeView *>(editor->detailPane()->visiblePages().at(0));
    ASSERT_TRUE(page);
    page->modeList()->setCurrentIndex(
        CMeasureModeView::positionOf(state.CurrentModelIndex, MeasureSmithChart));
    QTRY_COMPARE(findings->tally()->text(), "For the VX330A: no errors, 1 warning.");

    // A sequence's own finding selects the sequence and the editor, showing
    // another sequence, follows.
    clickFinding(findings, 0);
    EXPECT_EQ(pane().selectedIndex(), 1);
    EXPECT_EQ(editor->sequence(), doc().sequence(1));
    EXPECT_TRUE(editor->isVisible());
}

TEST_F(CheckWindow, CheckAgainFollowsTheWizard)
{
    doc().Title = "Tower";
    CheckFindingsDlg *findings = runCheck();
    ASSERT_TRUE(findings);
    EXPECT_EQ(findings->list()->topLevelItemCount(), 1) << "a wizard without sequences";
    addMistake();
    findings->checkAgainButton()->click();
    EXPECT_EQ(findings->list()->topLevelItemCount(), 1);
    EXPECT_EQ(findings->findingAt(0)->field, "Measurement");
    // A place that is gone by the time it is clicked opens nothing.
    doc().removeSequence(0);
    pane().refreshRows();
    clickFinding(findings, 0);
    EXPECT_FALSE(pane().taskEditor()->isVisible());
}

TEST_F(CheckWindow, SendingAWizardWithErrorsAsksFirst)
{
    WizardDocument twoPort;
    twoPort.Title = "Tower";
    TestingSequence *s = twoPort.appendSequence();
    s->Title = "Sweep";
    s->insertStep(-1, MeasureModeTask{QString(), MeasureTwoPortPhase});
    const QString wrong = path("vx310a.wzd");
    const QString right = path("vx340a.wzd");
    ASSERT_TRUE(writeWizardFile(twoPort, 0, wrong));
    ASSERT_TRUE(writeWizardFile(twoPort, 3, right));
    const QString junk = path("junk.wzd");
    ASSERT_TRUE(writeAll(junk, "no wizard"));

    CDlgComm dialog(ui, CommDialogMode::Send);
    ui.openPaths = {wrong, junk, right};
    ui.answers = {false, false};

    dialog.browse();
    dialog.send();
    ASSERT_EQ(ui.questions.size(), 1u);
    const QString question = ui.questions[0].text();
    EXPECT_TRUE(question.startsWith("The check found 1 error in \"vx310a.wzd\" for the VX310A:"))
        << question.toStdString();
    EXPECT_TRUE(question.contains("The VX310A has no 2 Port Phase measurement."));
    EXPECT_FALSE(dialog.transferRunning()) << "No sends nothing";

    dialog.browse();
    dialog.send();
    ASSERT_EQ(ui.questions.size(), 2u);
    EXPECT_TRUE(ui.questions[1].text().contains("cannot be read as a wizard"));
    EXPECT_FALSE(dialog.transferRunning());

    // A wizard without errors is sent without a question.
    dialog.browse();
    dialog.send();
    EXPECT_EQ(ui.questions.size(), 2u);
    EXPECT_TRUE(dialog.transferRunning());
    EXPECT_TRUE(waitForTransfer(dialog));
}
