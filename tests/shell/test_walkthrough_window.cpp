// The walk-through window driven by keys: a card for every kind of step on
// two models, the Auto countdown, "Fails" with its pictures, the duplicate-
// name warning, and a window that follows edits, undo and "Edit this step".
#include "test_main_window_support.h"

#include "shell/walkthrough/WalkCardView.h"
#include "shell/walkthrough/WalkthroughCommand.h"
#include "walkthrough/SampleWizard.h"

using namespace stepvane;
using namespace stepvane::test;

namespace {

class WalkthroughTest : public MainWindowTest {
protected:
    WalkthroughWindow *open(int model = 2)
    {
        state.CurrentModelIndex = model;
        doc() = sampleWizard(dir.path(), model);
        window->history().clear();
        pane().refreshRows();
        window->action("actionWalkThrough")->trigger();
        auto *walk = window->findChild<WalkthroughCommand *>()->walkthroughWindow();
        EXPECT_TRUE(walk && walk->isVisible());
        return walk;
    }
    static QStringList labelTexts(QWidget *card)
    {
        QStringList texts;
        for (QLabel *l : card->findChildren<QLabel *>())
            texts << l->text();
        return texts;
    }
    static int pictures(QWidget *w)
    {
        int n = 0;
        for (QLabel *l : w->findChildren<QLabel *>("picture"))
            n += l->pixmap().isNull() ? 0 : 1;
        return n;
    }
    // Moves to the first card of the kind in sequence 0.
    static void goToKind(WalkthroughWindow *walk, TaskKind kind, int nth = 0)
    {
        walk->first();
        while (walk->currentStep() >= 0 && (walk->currentCard().kind != kind || nth-- > 0))
            QTest::keyClick(walk, Qt::Key_Right);
    }
};

} // namespace

TEST_F(WalkthroughTest, EveryStepHasItsCardOnTwoModels)
{
    for (int model : {0, 3}) {
        WalkthroughWindow *walk = open(model);
        ASSERT_TRUE(walk);
        QTest::keyClick(walk, Qt::Key_Home);
        int visited = 0;
        const int steps = doc().sequence(0)->stepCount() + doc().sequence(1)->stepCount();
        while (walk->currentStep() >= 0 && visited <= steps) {
            const WalkCard &card = walk->currentCard();
            const QStringList texts = labelTexts(walk->cardView());
            EXPECT_TRUE(texts.filter(card.label).size() > 0) << card.label.toStdString();
            for (const QString &what : card.what)
                EXPECT_TRUE(texts.contains(what)) << what.toStdString();
            int shown = 0;
            for (const WalkLine &line : card.lines)
                shown += line.hasPicture() ? 1 : 0;
            if (card.passFail)
                EXPECT_TRUE(walk->cardView()->failsButton());
            else
                EXPECT_EQ(pictures(walk->cardView()), shown) << card.label.toStdString();
            EXPECT_EQ(walk->cardView()->nextButton() != nullptr,
                      card.advance == WalkAdvance::Manual);
            ++visited;
            QTest::keyClick(walk, visited % 2 ? Qt::Key_Right : Qt::Key_Space);
        }
        EXPECT_EQ(visited, steps);
        EXPECT_TRUE(labelTexts(walk->cardView()).join(u' ').contains("End Option"));
        QTest::keyClick(walk, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(window->findChild<WalkthroughCommand *>()->walkthroughWindow());
    }
}

TEST_F(WalkthroughTest, KeysMoveBetweenStepsAndSequences)
{
    WalkthroughWindow *walk = open();
    QTest::keyClick(walk, Qt::Key_Right);
    QTest::keyClick(walk, Qt::Key_Return);
    EXPECT_EQ(walk->currentStep(), 2);
    QTest::keyClick(walk, Qt::Key_Left);
    EXPECT_EQ(walk->currentStep(), 1);
    QTest::keyClick(walk, Qt::Key_PageDown);
    EXPECT_EQ(std::pair(walk->currentSequence(), walk->currentStep()), std::pair(1, 0));
    QTest::keyClick(walk, Qt::Key_PageUp);
    EXPECT_EQ(std::pair(walk->currentSequence(), walk->currentStep()), std::pair(0, 0));
    QTest::keyClick(walk, Qt::Key_End);
    EXPECT_EQ(walk->currentStep(), -1);
    QTest::keyClick(walk, Qt::Key_Left);
    EXPECT_EQ(std::pair(walk->currentSequence(), walk->currentStep()),
              std::pair(1, doc().sequence(1)->stepCount() - 1));
}

TEST_F(WalkthroughTest, AutoCountdownAdvancesAndPauses)
{
    WalkthroughWindow *walk = open();
    walk->setCountdownTick(30);
    walk->goTo(0, 0); // the Auto prompt of 5 s
    ASSERT_TRUE(walk->cardView()->pauseButton());
    walk->cardView()->pauseButton()->click();
    QTest::qWait(300);
    EXPECT_EQ(walk->currentStep(), 0);
    EXPECT_TRUE(walk->cardView()->isPaused());
    walk->cardView()->pauseButton()->click();
    QTRY_COMPARE_WITH_TIMEOUT(walk->currentStep(), 1, 3000);
}

TEST_F(WalkthroughTest, FailsShowsTheEntriesWithTheirPicturesAndDuplicateSavesWarn)
{
    WalkthroughWindow *walk = open();
    for (TaskKind kind : {TaskMarkerPeak, TaskLimit}) {
        goToKind(walk, kind);
        WalkCardView *card = walk->cardView();
        ASSERT_TRUE(card->failsButton()) << kind;
        EXPECT_FALSE(card->failPanel()->isVisibleTo(card));
        card->failsButton()->click();
        EXPECT_TRUE(card->failPanel()->isVisibleTo(card));
        EXPECT_EQ(pictures(card->failPanel()), 1) << kind;
        card->passesButton()->click();
        EXPECT_FALSE(card->failPanel()->isVisibleTo(card));
        EXPECT_TRUE(card->resultLabel()->text().startsWith("Passes"));
    }
    // The second Save of the same name warns; the first does not.
    for (const int nth : {0, 1}) {
        goToKind(walk, TaskSave, nth);
        EXPECT_EQ(walk->cardView()->findChildren<QLabel *>("duplicateWarning").size(), nth);
    }
}

TEST_F(WalkthroughTest, FollowsEditsUndoAndTheTaskEditor)
{
    WalkthroughWindow *walk = open();
    goToKind(walk, TaskAmplitude);
    const int at = walk->currentStep();
    window->history().insertStep(*doc().sequence(0), 0, HoldTask{}, "Insert");
    EXPECT_EQ(walk->currentStep(), at + 1);
    EXPECT_EQ(walk->currentCard().kind, TaskAmplitude);
    EXPECT_EQ(walk->stepList()->topLevelItem(0)->childCount(), doc().sequence(0)->stepCount());
    window->history().removeStep(*doc().sequence(0), at + 1);
    EXPECT_EQ(walk->currentStep(), at + 1); // the same place, now the next step
    EXPECT_EQ(walk->currentCard().kind, TaskDtf);
    // Undo brings both back; the window stays with the step it shows.
    window->undo();
    window->undo();
    EXPECT_EQ(walk->currentStep(), at + 1);
    EXPECT_EQ(walk->currentCard().kind, TaskDtf);
    EXPECT_EQ(doc().sequence(0)->step(at)->kind(), TaskAmplitude);
    walk->goTo(0, at);

    // "Edit this step" selects it in the task editor; F5 opens at its selection.
    walk->editButton()->click();
    QCoreApplication::processEvents();
    CVXMeasurementEditDlg *editor = pane().taskEditor();
    ASSERT_TRUE(editor && editor->isVisible());
    EXPECT_EQ(editor->taskList()->selectedStep(), doc().sequence(0)->step(at));
    pane().openTaskEditor(1, 2);
    walk->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    activate(window.get());
    pane().rowArea()->setFocus();
    QTest::keyClick(pane().rowArea(), Qt::Key_F5);
    walk = window->findChild<WalkthroughCommand *>()->walkthroughWindow();
    ASSERT_TRUE(walk);
    EXPECT_EQ(std::pair(walk->currentSequence(), walk->currentStep()), std::pair(1, 2));
}

TEST_F(WalkthroughTest, ExportAsWebPageWritesTheFolderTheUserNames)
{
    open();
    const QString out = path("web");
    UserInterface::FileDialogResult chosen;
    chosen.path = out;
    ui.saveResults.push_back(chosen);
    window->action("actionExportWebPage")->trigger();
    const QString html = QString::fromUtf8(readAll(out + QStringLiteral("/index.html")));
    EXPECT_TRUE(html.contains("Tower 7 sweep"));
    EXPECT_TRUE(html.contains("(the wizard is not saved)"));
    EXPECT_EQ(QDir(out + QStringLiteral("/files")).entryList(QDir::Files).size(), 4);
}
