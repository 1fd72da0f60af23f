// The edit history: every kind of change made through the real windows is
// undone to exactly the document before (the same step and sequence objects
// back in place) and redone to exactly the document after, with Ctrl+Z in the
// main window and Ctrl+Shift+Z / Ctrl+Y in the task editor; keystrokes of one
// field join into one step; binding and showing pages change nothing.
#include "test_main_window_support.h"

#include "shell/main/SequenceClipboard.h"

namespace stepvane::test {
namespace {

using taskeditor_test::centreIn;

class HistoryTest : public MainWindowTest {
public:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        for (int s = 0; s < 3; ++s) {
            TestingSequence *sequence = doc().appendSequence();
            sequence->Title = QStringLiteral("S%1").arg(s);
            for (TaskKind kind : {TaskMeasureMode, TaskHold, TaskMeasureMode}) {
                TaskStep *step = sequence->insertStep(-1, makeDefaultRecord(kind, 2, 0));
                stepDescription(*step) = QStringLiteral("d%1").arg(sequence->stepCount());
            }
        }
        window->show();
        pane().refreshRows();
        pane().openTaskEditor(1);
        activate(editor());
    }

    CVXMeasurementEditDlg *editor() { return pane().taskEditor(); }
    CVXMeasureList_View *list() { return editor()->taskList(); }
    CMeasureModeView *measurePage()
    {
        return static_cast<CMeasureModeView *>(
            editor()->detailPane()->pagesFor(TaskMeasureMode).at(0));
    }
    void selectStep(int row)
    {
        taskeditor_test::click(editor(), list()->rowWidget(row)->mapTo(editor(), QPoint(80, 20)));
    }
    void typeInto(QWidget *field, const QString &text)
    {
        activate(field->window());
        field->setFocus();
        QTest::keyClicks(field, text);
    }
    // Every sequence and step object of the document, in order.
    std::vector<const void *> objects()
    {
        std::vector<const void *> out;
        for (const auto &s : doc().sequences) {
            out.push_back(s.get());
            for (const auto &step : s->steps)
                out.push_back(step.get());
        }
        return out;
    }
    static void keyIn(QWidget *w, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        w->setFocus();
        QTest::keyClick(w, key, modifiers);
    }
    void undoInMainWindow()
    {
        activate(window.get());
        keyIn(pane().rowArea(), Qt::Key_Z, Qt::ControlModifier);
    }
    // Redo from the task editor when it is up (both keys), else the main window.
    void redo(int i)
    {
        QWidget *target = editor()->isVisible() ? list() : pane().rowArea();
        activate(target->window());
        if (i % 2 == 0)
            keyIn(target, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        else
            keyIn(target, Qt::Key_Y, Qt::ControlModifier);
    }
};

class HistoryRoundTrip;

struct RoundTrip {
    const char *name;
    int steps; // undoable steps the action makes
    std::function<void(HistoryRoundTrip &)> act;
    // Looks at the windows once everything is undone (optional).
    std::function<void(HistoryRoundTrip &)> afterUndo = {};
};

class HistoryRoundTrip : public HistoryTest, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(HistoryRoundTrip, UndoGivesExactlyTheDocumentBeforeAndRedoTheOneAfter)
{
    const RoundTrip &c = GetParam();
    ui.defaultAnswer = true;
    const WizardDocument before = doc();
    const std::vector<const void *> objectsBefore = objects();
    ASSERT_FALSE(window->isModified());

    c.act(*this);
    const WizardDocument after = doc();
    ASSERT_FALSE(after == before) << "the action changed nothing";
    EXPECT_TRUE(window->isModified());
    EXPECT_EQ(window->history().count(), c.steps);

    for (int i = 0; i < c.steps; ++i)
        undoInMainWindow();
    EXPECT_TRUE(doc() == before);
    EXPECT_EQ(objects(), objectsBefore) << "the same steps and sequences are back";
    EXPECT_FALSE(window->isModified()) << "back where it was saved";
    EXPECT_EQ(pane().rowCount(), doc().sequenceCount());
    if (c.afterUndo)
        c.afterUndo(*this);

    for (int i = 0; i < c.steps; ++i)
        redo(i);
    EXPECT_TRUE(doc() == after);
    EXPECT_TRUE(window->isModified());
}

INSTANTIATE_TEST_SUITE_P(
    EveryKindOfChange, HistoryRoundTrip,
    ::testing::Values(
        RoundTrip{"descriptionTyped", 1,
                  [](auto &t) {
                      t.selectStep(0);
                      t.typeInto(t.measurePage()->descriptionField(), " more");
                  },
                  [](auto &t) {
                      // The page shows the restored text.
                      EXPECT_EQ(t.measurePage()->descriptionField()->text(), "d1");
                  }},
        RoundTrip{"measurementChosen", 1,
                  [](auto &t) {
                      t.selectStep(2);
                      QComboBox *modes = t.measurePage()->modeList();
                      t.keyIn(modes, Qt::Key_Down);
                  },
                  [](auto &t) {
                      EXPECT_EQ(t.measurePage()->modeList()->currentIndex(), 0);
                      EXPECT_EQ(t.list()->selectedIndex(), 2) << "the undone step is shown";
                  }},
        RoundTrip{"pageEditThenItsStepDeleted", 2,
                  [](auto &t) {
                      t.selectStep(0);
                      t.typeInto(t.measurePage()->descriptionField(), "X");
                      t.keyIn(t.list(), Qt::Key_Delete);
                  },
                  [](auto &t) {
                      EXPECT_EQ(t.editor()->detailPane()->shownStep(),
                                t.editor()->sequence()->step(0));
                      EXPECT_EQ(t.measurePage()->descriptionField()->text(), "d1");
                  }},
        RoundTrip{"stepDeleted", 1,
                  [](auto &t) {
                      // The last step, a kind with a page, so the selection moves
                      // away from it and the pane shows another step.
                      t.selectStep(2);
                      t.keyIn(t.list(), Qt::Key_Delete);
                  },
                  [](auto &t) {
                      // The task editor shows the restored step in its row.
                      EXPECT_EQ(t.list()->rowCount(), t.editor()->sequence()->stepCount());
                      EXPECT_EQ(t.list()->selectedIndex(), 2);
                      EXPECT_EQ(t.editor()->detailPane()->shownStep(),
                                t.editor()->sequence()->step(2));
                  }},
        RoundTrip{
            "paletteEntryInserted", 1,
            [](HistoryRoundTrip &t) {
                QWidget *entry = t.editor()->palette(2)->entryWidget(3);
                t.editor()->findChild<QScrollArea *>("paletteScroll")->ensureWidgetVisible(entry);
                taskeditor_test::doubleClick(t.editor(), centreIn(t.editor(), entry));
            }},
        RoundTrip{"stepCopiedAndPasted", 1,
                  [](auto &t) {
                      t.selectStep(1);
                      t.keyIn(t.list(), Qt::Key_C, Qt::ControlModifier);
                      QTest::keyClick(t.list(), Qt::Key_V, Qt::ControlModifier);
                  }},
        RoundTrip{"stepDragged", 1,
                  [](auto &t) {
                      const auto row = [&](int i) {
                          return t.list()->rowWidget(i)->mapTo(t.editor(), QPoint(80, 20));
                      };
                      taskeditor_test::drag(t.editor(), row(0), row(2));
                  }},
        RoundTrip{"allStepsCleared", 1, [](auto &t) { t.editor()->clearButton()->click(); }},
        RoundTrip{"sequenceTitleTyped", 1,
                  [](auto &t) { t.typeInto(t.editor()->titleField(), " renamed"); },
                  [](auto &t) {
                      EXPECT_EQ(t.editor()->titleField()->text(), "S1");
                      EXPECT_EQ(t.pane().row(1)->text(), "2. S1");
                  }},
        RoundTrip{"wizardTitleTyped", 1,
                  [](auto &t) { t.typeInto(t.window->titleEdit(), "Tower"); },
                  [](auto &t) { EXPECT_TRUE(t.window->titleEdit()->text().isEmpty()); }},
        RoundTrip{"endOptionToggled", 1,
                  [](auto &t) {
                      taskeditor_test::click(t.window.get(),
                                             centreIn(t.window.get(), t.pane().endOptionToggle()));
                  },
                  [](auto &t) { EXPECT_TRUE(t.pane().endOptionToggle()->state()); }},
        RoundTrip{"sequenceAdded", 1,
                  [](auto &t) {
                      t.typeInto(t.window->newSequenceEdit(), "New");
                      QTest::keyClick(t.window->newSequenceEdit(), Qt::Key_Return);
                  }},
        RoundTrip{"sequenceCopiedAndPasted", 1,
                  [](auto &t) {
                      t.pane().setSelectedIndex(0);
                      t.window->copySequence();
                      t.window->pasteSequence();
                  }},
        RoundTrip{"sequenceShownInTheEditorDeleted", 1, [](auto &t) { t.pane().deleteSequence(1); },
                  [](auto &t) { EXPECT_TRUE(t.editor()->isVisible()); }},
        RoundTrip{"sequenceDragged", 1,
                  [](auto &t) {
                      QWidget *area = t.pane().rowArea();
                      const QPoint from = t.pane().rowRect(0).center();
                      const QPoint to = t.pane().rowRect(2).center();
                      QTest::mousePress(area, Qt::LeftButton, Qt::NoModifier, from);
                      QTest::mouseMove(area, to);
                      QTest::mouseRelease(area, Qt::LeftButton, Qt::NoModifier, to);
                  }},
        RoundTrip{"allSequencesCleared", 1, [](auto &t) { t.pane().clearAllButton()->click(); },
                  [](auto &t) { EXPECT_EQ(t.pane().rowCount(), 3); }},
        RoundTrip{"testingUnitAdded", 1,
                  [](auto &t) {
                      const QString file = t.path("unit.tuf");
                      ASSERT_TRUE(writeTestingUnit("Unit", 2, file, 2));
                      t.ui.openPaths.push_back(file);
                      t.window->addTestingUnitFile();
                  }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(HistoryTest, ShowingAndBindingPagesIsNoChangeKeystrokesOfOneFieldMakeOneStep)
{
    for (int row = 0; row < list()->rowCount(); ++row)
        selectStep(row);
    pane().openTaskEditor(0);
    pane().openTaskEditor(2);
    keyIn(list(), Qt::Key_Up);
    EXPECT_FALSE(window->isModified());
    EXPECT_EQ(window->history().count(), 0);
    EXPECT_EQ(shownTitle(*window), "1.2.1");
    pane().openTaskEditor(1);

    selectStep(0);
    typeInto(measurePage()->descriptionField(), "abc");
    typeInto(measurePage()->descriptionField(), "de");
    EXPECT_EQ(window->history().count(), 1);
    EXPECT_EQ(shownTitle(*window), "1.2.1*");

    // Another step's page: a new edit, even of the same field.
    selectStep(2);
    typeInto(measurePage()->descriptionField(), "x");
    EXPECT_EQ(window->history().count(), 2);
    // Typing that comes back to where it started leaves nothing to undo.
    QTest::keyClick(measurePage()->descriptionField(), Qt::Key_Backspace);
    EXPECT_EQ(window->history().count(), 1);

    // Text fields keep Ctrl+Z for themselves.
    typeInto(window->titleEdit(), "T");
    QTest::keyClick(window->titleEdit(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(window->titleEdit()->text().isEmpty());
    EXPECT_TRUE(doc().Title.isEmpty());
    EXPECT_EQ(stepDescription(*doc().sequence(1)->step(0)), "d1abcde")
        << "the field's own undo did not reach the history";
}

TEST_F(HistoryTest, SavingEndsTheEditAndMarksTheCleanPointAndNewClearsTheHistory)
{
    selectStep(0);
    typeInto(measurePage()->descriptionField(), "a");
    const QString file = path("w.wzd");
    ui.saveAs(file);
    ASSERT_TRUE(window->saveWizard());
    EXPECT_FALSE(window->isModified());
    EXPECT_EQ(shownTitle(*window), "w.wzd");
    QTest::keyClick(measurePage()->descriptionField(), Qt::Key_B);
    EXPECT_TRUE(window->isModified());
    EXPECT_EQ(window->history().count(), 2) << "a keystroke after a save is a step of its own";
    window->undo();
    EXPECT_FALSE(window->isModified());
    window->undo();
    EXPECT_TRUE(window->isModified()) << "before the save point counts as changed too";

    ui.saveChoices = {UserInterface::SaveChoice::Discard};
    window->newWizard();
    EXPECT_EQ(window->history().count(), 0) << "New clears the history";
    EXPECT_FALSE(window->isModified());
    EXPECT_FALSE(window->history().canUndo());
}

TEST_F(HistoryTest, UndoOfAStepChangeShowsTheTaskEditorOnIt)
{
    selectStep(0);
    typeInto(measurePage()->descriptionField(), "a");
    editor()->close();
    pane().setSelectedIndex(0);
    undoInMainWindow();
    EXPECT_TRUE(editor()->isVisible());
    EXPECT_EQ(editor()->sequence(), doc().sequence(1));
    EXPECT_EQ(list()->selectedIndex(), 0);
    EXPECT_EQ(pane().selectedIndex(), 1);
}

} // namespace
} // namespace stepvane::test
