// The task editor window: copy and paste of steps, which control the keys
// Ctrl+C, Ctrl+V, Delete, Escape and Enter go to, deleting steps while their
// page is shown, the clear button, the title field, the detail pane.
#include "common/NumberText.h"
#include "editors/framework/RecordPage.h"
#include "shell/history/DocumentHistory.h"
#include "shell/taskeditor/TaskEditorScreenshot.h"
#include "test_main_window_support.h"

using namespace stepvane;
using namespace taskeditor_test;

namespace {

EditorPage *measurePage(CVXetailItemView *pane)
{
    return pane->pagesFor(TaskMeasureMode).at(0);
}

} // namespace

TEST_F(TaskEditorFixture, PasteHasTheValuesOfTheMomentOfTheCopyAndNothingWithoutOne)
{
    open();
    addSteps({TaskMeasureMode, TaskHold});
    seq->step(0)->as<MeasureModeTask>()->Measurement = 3;
    // Without a selection Ctrl+C copies nothing; an empty clipboard pastes nothing.
    list()->setFocus();
    pressKey(Qt::Key_C, Qt::ControlModifier);
    EXPECT_FALSE(state.TaskClipboard.has_value());
    pressKey(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(seq->stepCount(), 2);
    EXPECT_TRUE(ui.reports.isEmpty());
    EXPECT_TRUE(ui.questions.isEmpty());

    click(top(), rowPoint(0));
    ASSERT_EQ(list()->selectedIndex(), 0);
    pressKey(Qt::Key_C, Qt::ControlModifier);
    ASSERT_TRUE(state.TaskClipboard.has_value());

    // Edit the source through its page after the copy.
    CVXEdit *description = measurePage(pane())->descriptionField();
    description->setFocus();
    QTest::keyClicks(description, " changed");
    qobject_cast<QComboBox *>(measurePage(pane())->findChild<QComboBox *>())->setCurrentIndex(8);
    ASSERT_EQ(stepDescription(*seq->step(0)), "a changed");

    list()->setFocus();
    pressKey(Qt::Key_V, Qt::ControlModifier);
    pressKey(Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(seq->stepCount(), 4);
    for (int i : {2, 3}) {
        const auto *pasted = seq->step(i)->as<MeasureModeTask>();
        ASSERT_NE(pasted, nullptr);
        EXPECT_EQ(pasted->Description, "a");
        EXPECT_EQ(pasted->Measurement, 3);
    }
    EXPECT_NE(seq->step(2), seq->step(3)) << "each paste is a step of its own";
    stepDescription(*seq->step(2)) = "edited copy";
    EXPECT_EQ(stepDescription(*state.TaskClipboard), "a") << "the clipboard shares nothing";
    EXPECT_EQ(list()->selectedIndex(), 0) << "a paste leaves the selection";
    EXPECT_EQ(pane()->shownStep(), seq->step(0)) << "... and the detail pane";
    EXPECT_EQ(list()->rowWidget(3)->label(), "Measure Mode (a)");
}

TEST_F(TaskEditorFixture, CopyAndPasteKeysKeepTheirTextMeaningInTextFields)
{
    open();
    addSteps({TaskMeasureMode});
    click(top(), rowPoint(0));
    state.TaskClipboard = TaskStep(HoldTask{"held"});

    // In the title field: text paste, no step.
    QGuiApplication::clipboard()->setText("XYZ");
    dlg->titleField()->setFocus();
    dlg->titleField()->end(false);
    pressKey(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(dlg->titleField()->text(), "XYZ");
    EXPECT_EQ(seq->Title, "XYZ");
    pressKey(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(stepDescription(*state.TaskClipboard), "held") << "no step copied";

    // In a page's text field: the same.
    CVXEdit *description = measurePage(pane())->descriptionField();
    description->setFocus();
    description->end(false);
    pressKey(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(stepDescription(*seq->step(0)), "aXYZ");
    EXPECT_EQ(seq->stepCount(), 1);

    // Anywhere else they copy and paste steps.
    dlg->clearButton()->setFocus();
    pressKey(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(seq->stepCount(), 2);
    EXPECT_EQ(seq->step(1)->kind(), TaskHold);
}

TEST_F(TaskEditorFixture, DeleteKeyAsksInTheListDeletesAtOnceElsewhereEditsTextInFields)
{
    open();
    addSteps({TaskMeasureMode, TaskMeasureMode, TaskMeasureMode, TaskMeasureMode});
    click(top(), rowPoint(1));

    ui.answers = {false};
    list()->setFocus();
    pressKey(Qt::Key_Delete);
    EXPECT_EQ(ui.questions, QStringList{"IDS_DELETE_TASK_ITEM"});
    EXPECT_EQ(descriptions(), "abcd") << "No keeps the step";

    ui.answers = {true};
    pressKey(Qt::Key_Delete);
    EXPECT_EQ(descriptions(), "acd");
    EXPECT_EQ(list()->selectedIndex(), 1) << "the same index stays selected";

    // In a text field Delete edits the text.
    CVXEdit *description = measurePage(pane())->descriptionField();
    description->setFocus();
    description->home(false);
    pressKey(Qt::Key_Delete);
    EXPECT_EQ(descriptions(), "ad") << "the character went, not the step";
    dlg->titleField()->setFocus();
    pressKey(Qt::Key_Delete);
    EXPECT_EQ(seq->stepCount(), 3);

    // Outside the list and the text fields it deletes without a question.
    ui.questions.clear();
    dlg->clearButton()->setFocus();
    pressKey(Qt::Key_Delete);
    ASSERT_EQ(seq->stepCount(), 2) << "the selected step (the emptied 'c') went";
    EXPECT_EQ(descriptions(), "ad");
    EXPECT_TRUE(ui.questions.isEmpty());
}

TEST_F(TaskEditorFixture, EscapeAndEnterNeitherCloseNorPressButtons)
{
    open();
    addSteps({TaskHold, TaskHold});
    for (QWidget *focus :
         std::initializer_list<QWidget *>{list(), dlg->clearButton(), dlg->titleField()}) {
        focus->setFocus();
        pressKey(Qt::Key_Escape);
        pressKey(Qt::Key_Return);
        pressKey(Qt::Key_Enter);
        EXPECT_TRUE(dlg->isVisible());
        EXPECT_EQ(dlg->result(), 0);
        EXPECT_TRUE(ui.questions.isEmpty()) << "the clear button was pressed";
        EXPECT_EQ(seq->stepCount(), 2);
    }
}

TEST_F(TaskEditorFixture, DeletingTheShownStepAlwaysLetsGoOfItsPageFirst)
{
    open();
    const struct {
        const char *name;
        std::function<void()> remove;
        QString left;
        int selected;
    } ways[] = {
        {"row button of the shown step",
         [&] {
             click(top(), rowPoint(1));
             click(top(), centreIn(top(), list()->rowWidget(1)->deleteButton()));
         },
         "acd", 1},
        {"quiet selection, Delete in the list",
         [&] {
             click(top(), rowPoint(0));
             click(top(), rowPoint(2), Qt::RightButton);
             pressKey(Qt::Key_Delete);
         },
         "abd", 2},
        {"row button of another row while a page is shown",
         [&] {
             click(top(), rowPoint(3));
             click(top(), centreIn(top(), list()->rowWidget(0)->deleteButton()));
         },
         "bcd", 0},
        {"Delete outside the list while typing stopped",
         [&] {
             click(top(), rowPoint(3));
             measurePage(pane())->descriptionField()->setFocus();
             QTest::keyClicks(measurePage(pane())->descriptionField(), "!");
             dlg->clearButton()->setFocus();
             pressKey(Qt::Key_Delete);
         },
         "abc", 2},
        {"clear all",
         [&] {
             click(top(), rowPoint(2));
             dlg->clearButton()->click();
         },
         "", -1},
    };
    for (const auto &way : ways) {
        seq->steps.clear();
        addSteps({TaskMeasureMode, TaskMeasureMode, TaskMeasureMode, TaskMeasureMode});
        way.remove();
        EXPECT_EQ(descriptions(), way.left) << way.name;
        EXPECT_EQ(list()->selectedIndex(), way.selected) << way.name;
        EXPECT_TRUE(pagesBoundToLiveSteps()) << way.name;
        EXPECT_EQ(pane()->shownStep(), way.selected >= 0 ? seq->step(way.selected) : nullptr)
            << way.name;
        // Typing into the page afterwards reaches a live step or nothing.
        CVXEdit *description = measurePage(pane())->descriptionField();
        description->setFocus();
        QTest::keyClicks(description, "z");
        EXPECT_TRUE(pagesBoundToLiveSteps()) << way.name;
    }
}

namespace {

// A page with a number field, to see when its commit arrives.
class NumberPage : public RecordPage<AmplitudeTask> {
public:
    NumberPage(PageContext &context, QWidget *parent, TestingSequence *&sequence,
               std::vector<bool> &commitsWhileAlive)
        : RecordPage(context, TaskAmplitude, kDefaultSize, parent),
          top(createEdit(1, 1, -180, 180)), m_sequence(sequence), m_commits(commitsWhileAlive)
    {
        form()->addRow("Top", top);
    }
    CVXEdit *top;

protected:
    void fieldChanged(int, const QString &text, bool commit) override
    {
        record()->Top = parseDecimalText(text);
        if (!commit)
            return;
        bool alive = false;
        for (const auto &step : m_sequence->steps)
            alive = alive || step.get() == boundStep();
        m_commits.push_back(alive);
    }

private:
    TestingSequence *&m_sequence;
    std::vector<bool> &m_commits;
};

} // namespace

TEST(TaskEditorPane, PendingNumberIsCommittedBeforeItsStepIsDeleted)
{
    AppState state;
    taskeditor_test::FakeUi ui;
    WizardDocument doc;
    DocumentHistory history(doc);
    PageContext context{state, ui, {}, &history};
    TestingSequence *sequence = doc.appendSequence();
    std::vector<bool> commits;
    const PageRegistry registry = {
        {TaskAmplitude, {[&](PageContext &c, QWidget *parent) -> EditorPage * {
             return new NumberPage(c, parent, sequence, commits);
         }}}};

    QWidget window;
    auto *list = new CVXMeasureList_View(state, ui, &window);
    list->setHistory(&history);
    auto *pane = new CVXetailItemView(context, registry, &window);
    list->setGeometry(0, 0, 380, 400);
    pane->setGeometry(390, 0, 380, 560);
    list->setShowStep([pane](TaskStep *step) { pane->showStep(step); });
    sequence->insertStep(-1, AmplitudeTask{});
    sequence->insertStep(-1, AmplitudeTask{});
    list->setSequence(sequence);
    stepvane::test::activate(&window);

    list->selectRow(0, true);
    auto *page = static_cast<NumberPage *>(pane->pagesFor(TaskAmplitude).at(0));
    page->top->setFocus();
    page->top->selectAll();
    QTest::keyClicks(page->top, "500"); // typed, not committed
    list->deleteSelected(false);

    EXPECT_EQ(commits, std::vector<bool>{true}) << "the commit came while the step still existed";
    EXPECT_EQ(sequence->stepCount(), 1);
    EXPECT_EQ(pane->shownStep(), sequence->step(0));
    EXPECT_EQ(sequence->step(0)->as<AmplitudeTask>()->Top, 65) << "the other step is untouched";
}

TEST_F(TaskEditorFixture, ClearButtonAsksThenEmptiesTheSequence)
{
    open();
    dlg->clearButton()->click();
    EXPECT_TRUE(ui.questions.isEmpty()) << "nothing to clear, nothing asked";

    addSteps({TaskMeasureMode, TaskHold});
    click(top(), rowPoint(0));
    ui.answers = {false, true};
    dlg->clearButton()->click();
    EXPECT_EQ(seq->stepCount(), 2);
    dlg->clearButton()->click();
    EXPECT_EQ(ui.questions, (QStringList{"IDS_ALL_CLEAR_TASKITEM", "IDS_ALL_CLEAR_TASKITEM"}));
    EXPECT_EQ(seq->stepCount(), 0);
    EXPECT_EQ(list()->rowCount(), 0);
    EXPECT_TRUE(pane()->visiblePages().empty());
    EXPECT_TRUE(pagesBoundToLiveSteps());
}

TEST_F(TaskEditorFixture, RowLabelAndSequenceTitleFollowTheTyping)
{
    open();
    addSteps({TaskMeasureMode});
    stepDescription(*seq->step(0)).clear();
    dlg->showSequence(seq);
    EXPECT_EQ(list()->rowWidget(0)->label(), "Measure Mode");
    click(top(), rowPoint(0));
    CVXEdit *description = measurePage(pane())->descriptionField();
    description->setFocus();
    QTest::keyClicks(description, "RL");
    EXPECT_EQ(list()->rowWidget(0)->label(), "Measure Mode (RL)");
    EXPECT_EQ(list()->rowWidget(0)->positionText(), "1");

    QSignalSpy titleSpy(dlg.get(), &CVXMeasurementEditDlg::sequenceTitleChanged);
    dlg->titleField()->setFocus();
    QTest::keyClicks(dlg->titleField(), "Sweep");
    EXPECT_EQ(seq->Title, "Sweep");
    EXPECT_EQ(titleSpy.count(), 5) << "one redraw of the sequence rows per keystroke";
}

TEST_F(TaskEditorFixture, KindsWithoutAPageLeaveThePaneEmptyShowingAgainUnselects)
{
    open();
    addSteps({TaskCalibration, TaskHold, TaskAutoScale, TaskMeasureMode});
    for (int row = 0; row < 3; ++row) {
        click(top(), rowPoint(3));
        ASSERT_EQ(pane()->visiblePages().size(), 1u);
        click(top(), rowPoint(row));
        EXPECT_EQ(list()->selectedIndex(), row);
        EXPECT_TRUE(pane()->visiblePages().empty()) << "row " << row;
        EXPECT_EQ(pane()->shownStep(), nullptr);
    }
    EXPECT_EQ(descriptions(), "abcd") << "their descriptions keep their values";

    // Showing the sequence again starts without a selection.
    seq->Title = "Again";
    click(top(), rowPoint(3));
    ASSERT_NE(pane()->shownStep(), nullptr);
    dlg->showSequence(seq);
    EXPECT_EQ(list()->selectedIndex(), -1);
    EXPECT_EQ(pane()->shownStep(), nullptr);
    EXPECT_EQ(dlg->titleField()->text(), "Again");

    TestingSequence stranger;
    dlg->showSequence(&stranger);
    EXPECT_EQ(dlg->sequence(), nullptr) << "only the document's sequences are shown";
    EXPECT_FALSE(dlg->palette(0)->isEnabled());
}

TEST_F(TaskEditorFixture, MinimumSizeRegionOrderAndSampleScreenshot)
{
    open();
    EXPECT_EQ(dlg->windowTitle(), "Task Editor");
    // Small enough to share a screen of 1024 x 700 with another window.
    EXPECT_EQ(dlg->minimumSize(), QSize(500, 420));
    dlg->resize(300, 200);
    EXPECT_GE(dlg->width(), 500);
    EXPECT_GE(dlg->height(), 420);
    const auto x = [&](QWidget *w) { return w->mapTo(top(), QPoint()).x(); };
    const auto y = [&](QWidget *w) { return w->mapTo(top(), QPoint()).y(); };
    EXPECT_LT(y(dlg->titleField()), y(dlg->palette(0)));
    EXPECT_LT(y(dlg->palette(0)), y(dlg->palette(1)));
    EXPECT_LT(y(dlg->palette(1)), y(dlg->palette(2)));
    EXPECT_LT(x(dlg->palette(0)), x(list()));
    EXPECT_LT(x(list()), x(pane()));
    // The palettes scroll into view in the smallest window.
    auto *palettes = dlg->findChild<QScrollArea *>("paletteScroll");
    ASSERT_NE(palettes, nullptr);
    palettes->ensureWidgetVisible(dlg->palette(2));
    const int bottom =
        dlg->palette(2)->mapTo(palettes->viewport(), QPoint(0, 0)).y() + dlg->palette(2)->height();
    EXPECT_LE(bottom, palettes->viewport()->height() + 1);
    EXPECT_GE(list()->viewport()->width(), 180);

    // The sample screenshot shows the editor at its size.
    const QImage image = renderTaskEditorSample(state, ui);
    EXPECT_GE(image.width(), 916);
    EXPECT_GE(image.height(), 638);
    EXPECT_FALSE(state.TaskClipboard.has_value());
}
