// The sequence pane and the sequence commands of the main window: limits,
// drag to reorder, delete selection rules, copy and paste, keys.
#include "test_main_window_support.h"

#include "shell/summary/SequenceSummaryDlg.h"

namespace stepvane::test {
namespace {

class SequencePaneTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        window->show(); // real geometry for the rows
        QApplication::processEvents();
    }
    QWidget *area() { return pane().rowArea(); }
    QPoint rowCenter(int i) { return pane().rowRect(i).center(); }
    // A point in the gap below a row: on no row.
    QPoint gapBelow(int i) { return pane().rowRect(i).bottomLeft() + QPoint(20, 4); }
    void drag(const QPoint &from, const QPoint &to)
    {
        QTest::mousePress(area(), Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(area(), to);
        QTest::mouseRelease(area(), Qt::LeftButton, Qt::NoModifier, to);
    }
};

TEST_F(SequencePaneTest, AddSequenceTakesTheFieldTextAndOnlyEnterInTheFieldAddsToo)
{
    QTest::keyClicks(window->newSequenceEdit(), "Antenna");
    window->findChild<QToolButton *>("addSequenceButton")->click();
    EXPECT_EQ(titles(), QStringList{"Antenna"});
    EXPECT_TRUE(window->newSequenceEdit()->text().isEmpty());

    // Enter in the (empty) field adds a sequence with an empty title.
    window->newSequenceEdit()->setFocus();
    QTest::keyClick(window->newSequenceEdit(), Qt::Key_Return);
    EXPECT_EQ(titles(), (QStringList{"Antenna", QString()}));
    EXPECT_EQ(pane().row(1)->text(), "2. ");

    // Elsewhere Escape and Enter neither close the window nor add.
    window->titleEdit()->setFocus();
    QTest::keyClick(window->titleEdit(), Qt::Key_Escape);
    QTest::keyClick(window->titleEdit(), Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(doc().sequenceCount(), 2) << "Enter adds only from the new-sequence field";
}

TEST_F(SequencePaneTest, TheHundredSequenceLimitAndAnotherModelsUnit)
{
    const QString other = path("other.tuf");
    ASSERT_TRUE(writeTestingUnit("Unit", 0, other));
    ui.openPaths.push_back(other);
    window->addTestingUnitFile();
    EXPECT_EQ(doc().sequenceCount(), 0);
    EXPECT_EQ(ui.reportIds(), QStringList{"IDS_INCORRECT_MEAS_FOR_EQP"});
    ui.reports.clear();
    ui.openFilters.clear();

    addSequences(99, 1);
    pane().setSelectedIndex(0);
    window->copySequence();

    // add, paste and add-from-file each work once at 99 ...
    window->addSequence();
    EXPECT_EQ(doc().sequenceCount(), 100);
    doc().removeSequence(99);
    window->pasteSequence();
    EXPECT_EQ(doc().sequenceCount(), 100);
    doc().removeSequence(99);
    const QString unit = path("unit.tuf");
    ASSERT_TRUE(writeTestingUnit("Unit", 2, unit));
    ui.openPaths.push_back(unit);
    window->addTestingUnitFile();
    EXPECT_EQ(doc().sequenceCount(), 100);
    EXPECT_EQ(doc().sequence(99)->Title, "Unit");
    EXPECT_TRUE(ui.reports.empty());

    // ... and each is refused at 100, before any file dialog.
    ui.openPaths.push_back(unit);
    window->addSequence();
    window->pasteSequence();
    window->addTestingUnitFile();
    EXPECT_EQ(doc().sequenceCount(), 100);
    EXPECT_EQ(ui.reportIds(), QStringList(3, "IDS_SEQ_OVERFLOW"));
    EXPECT_EQ(ui.openFilters.size(), 1);
    EXPECT_EQ(pane().rowCount(), 100);
}

struct DragCase {
    const char *name;
    int from, to;      // row indexes; to -1: the gap below row 0
    const char *order; // titles afterwards
    int selection;
};

class SequenceDrag : public SequencePaneTest, public ::testing::WithParamInterface<DragCase> {};

TEST_P(SequenceDrag, MovesOnlyOntoAnotherRow)
{
    const DragCase &c = GetParam();
    addSequences(4);
    drag(rowCenter(c.from), c.to >= 0 ? rowCenter(c.to) : gapBelow(0));
    EXPECT_EQ(titles().join(u','), QLatin1String(c.order));
    EXPECT_EQ(pane().selectedIndex(), c.selection);
    EXPECT_FALSE(pane().isDragging());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the arrow comes back";
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(pane().row(i)->text().startsWith(QString::number(i + 1) + u'.'));
}

INSTANTIATE_TEST_SUITE_P(Cases, SequenceDrag,
                         ::testing::Values(DragCase{"ontoItself", 1, 1, "S0,S1,S2,S3", 1},
                                           DragCase{"offTheRows", 2, -1, "S0,S1,S2,S3", -1},
                                           DragCase{"down", 0, 2, "S1,S2,S0,S3", 2},
                                           DragCase{"up", 3, 1, "S0,S3,S1,S2", 1},
                                           DragCase{"toTheEnd", 0, 3, "S1,S2,S3,S0", 3}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(SequencePaneTest, DragAsTheWindowSystemDeliversItShowingWhichWayTheRowMoves)
{
    // The press lands on the row widget (its label area), which passes it up
    // to the pane; the moves and the release follow the implicit grab.
    addSequences(4);
    QWidget *top = window.get();
    const QPoint from = pane().row(0)->mapTo(top, QPoint(20, pane().row(0)->height() / 2));
    const QPoint to = pane().row(2)->mapTo(top, QPoint(20, pane().row(2)->height() / 2));
    ASSERT_EQ(taskeditor_test::widgetAt(top, from), pane().row(0));
    taskeditor_test::drag(top, from, to);
    EXPECT_EQ(titles().join(u','), "S1,S2,S0,S3");
    EXPECT_EQ(pane().selectedIndex(), 2);

    // A press on a row button is the button's: no drag, no reorder.
    const QPoint onButton =
        taskeditor_test::centreIn(top, pane().row(0)->button(CVXTestingStatic::SummaryCommand));
    ui.onModal = [](QDialog &) { return int(QDialog::Rejected); };
    taskeditor_test::drag(top, onButton, to);
    EXPECT_EQ(titles().join(u','), "S1,S2,S0,S3");
    EXPECT_FALSE(pane().isDragging());

    // The dragged row shows which way it moves, and the drag pointer.
    QTest::mousePress(area(), Qt::LeftButton, Qt::NoModifier, rowCenter(1));
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    QTest::mouseMove(area(), rowCenter(2));
    EXPECT_EQ(pane().row(1)->look(), CVXTestingStatic::Look::MovingDown);
    QTest::mouseMove(area(), rowCenter(0));
    EXPECT_EQ(pane().row(1)->look(), CVXTestingStatic::Look::MovingUp);
    QTest::mouseRelease(area(), Qt::LeftButton, Qt::NoModifier, rowCenter(0));
    EXPECT_EQ(pane().row(0)->look(), CVXTestingStatic::Look::Selected);
}

TEST_F(SequencePaneTest, DeleteFollowsTheSelectionRules)
{
    const struct {
        const char *name;
        int count, selected, expectedSelection;
    } cases[] = {{"onlyOne", 1, 0, -1},
                 {"oneLeftIsSelected", 2, 1, 0},
                 {"lastOfThreeSelectsNewLast", 3, 2, 1},
                 {"middleKeepsIndex", 4, 1, 1},
                 {"lastSelectsNewLast", 4, 3, 2}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        doc().sequences.clear();
        ui.questions.clear();
        addSequences(c.count);
        pane().setSelectedIndex(c.selected);
        area()->setFocus();
        QTest::keyClick(area(), Qt::Key_Delete);
        EXPECT_EQ(ui.questionIds(), QStringList{"IDS_DELETE_SEQUENCE_ITEM"});
        EXPECT_EQ(doc().sequenceCount(), c.count - 1);
        EXPECT_FALSE(titles().contains(QStringLiteral("S%1").arg(c.selected)));
        EXPECT_EQ(pane().selectedIndex(), c.expectedSelection);
        EXPECT_EQ(pane().rowCount(), c.count - 1);
    }
}

TEST_F(SequencePaneTest, DeleteAsksAndNoOrNoSelectionKeepsEverything)
{
    addSequences(3);
    area()->setFocus();
    QTest::keyClick(area(), Qt::Key_Delete); // nothing selected
    EXPECT_EQ(doc().sequenceCount(), 3);
    pane().setSelectedIndex(1);
    ui.answers = {false};
    QTest::keyClick(area(), Qt::Key_Delete);
    EXPECT_EQ(doc().sequenceCount(), 3);
    EXPECT_EQ(pane().selectedIndex(), 1);
}

TEST_F(SequencePaneTest, RowButtonsActOnTheirOwnRow)
{
    addSequences(3, 2);
    pane().setSelectedIndex(0);
    QString shownTitle;
    int lines = 0;
    ui.onModal = [&](QDialog &d) {
        auto &summary = dynamic_cast<SequenceSummaryDlg &>(d);
        shownTitle = summary.titleField()->text();
        lines = summary.stepList()->count();
        return int(QDialog::Accepted);
    };
    pane().row(2)->button(CVXTestingStatic::SummaryCommand)->click();
    QApplication::processEvents(); // row commands arrive after the release
    EXPECT_EQ(ui.modalTitles.size(), 1);
    EXPECT_EQ(shownTitle, "S2");
    EXPECT_EQ(lines, 2);

    pane().setSelectedIndex(0);
    pane().row(2)->button(CVXTestingStatic::DeleteCommand)->click();
    QApplication::processEvents();
    EXPECT_EQ(titles(), (QStringList{"S0", "S1"}));
    EXPECT_EQ(pane().selectedIndex(), 1)
        << "the row's index became the selection, then the new last";

    const QString unit = path("row.tuf");
    ui.saveAs(unit);
    pane().row(1)->button(CVXTestingStatic::SaveCommand)->click();
    QApplication::processEvents();
    EXPECT_EQ(ui.reportIds(), QStringList{"IDS_FILE_SAVE_COMPLETE"});
    ASSERT_EQ(ui.saveOfferedPassword.size(), 1u);
    EXPECT_FALSE(ui.saveOfferedPassword[0]);

    WizardDocument back;
    VX_CAAXML_PARSER reader(&back, 2);
    ASSERT_EQ(reader.Read_Testing_Unit_File(unit), 1);
    ASSERT_EQ(back.sequenceCount(), 1);
    EXPECT_EQ(back.sequence(0)->Title, "S1");

    state.CurrentModelIndex = 7;
    ui.saveAs(path("bad.tuf"));
    pane().row(0)->button(CVXTestingStatic::SaveCommand)->click();
    QApplication::processEvents();
    EXPECT_EQ(ui.reportIds().last(), "IDS_SAVE_FAIL");
}

TEST_F(SequencePaneTest, TheTaskEditorIsOneModelessWindowThatKeepsItsPlace)
{
    QSettings().remove("Windows"); // no place kept from an earlier run
    addSequences(3);
    CVXMeasurementEditDlg *editor = pane().taskEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(editor->isVisible()) << "created hidden with the main window";

    QTest::mouseDClick(area(), Qt::LeftButton, Qt::NoModifier, rowCenter(1));
    ASSERT_TRUE(editor->isVisible());
    EXPECT_FALSE(editor->isModal());
    EXPECT_TRUE(ui.modalTitles.isEmpty());
    EXPECT_EQ(editor->sequence(), doc().sequence(1));
    const QRect room = window->screen()->availableGeometry();
    if (window->frameGeometry().right() + editor->frameGeometry().width() < room.right())
        EXPECT_GE(editor->frameGeometry().left(), window->frameGeometry().right())
            << "beside the main window, not over it";
    else
        EXPECT_TRUE(room.contains(editor->frameGeometry().topLeft())) << "on the screen";

    // Typing a title in the editor shows in the main window's row at once,
    // and the main window still takes input meanwhile.
    editor->titleField()->setFocus();
    QTest::keyClicks(editor->titleField(), "X");
    EXPECT_EQ(pane().row(1)->text(), "2. S1X");
    QTest::keyClicks(window->newSequenceEdit(), "Late");
    window->findChild<QToolButton *>("addSequenceButton")->click();
    EXPECT_EQ(doc().sequenceCount(), 4);

    // Moved and resized by the user, closed with its close box: the same
    // window comes back where it was, on the next double click.
    editor->setGeometry(QRect(QPoint(20, 30), QSize(600, 450)));
    QTRY_COMPARE(editor->geometry(), QRect(QPoint(20, 30), QSize(600, 450)));
    const QRect place = editor->geometry();
    editor->close();
    EXPECT_FALSE(editor->isVisible());
    QTest::mouseDClick(area(), Qt::LeftButton, Qt::NoModifier, rowCenter(2));
    EXPECT_EQ(pane().taskEditor(), editor);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->geometry(), place);
    EXPECT_EQ(editor->sequence(), doc().sequence(2));

    // A double click off the rows puts it away.
    QTest::mouseDClick(area(), Qt::LeftButton, Qt::NoModifier, gapBelow(3) + QPoint(0, 40));
    EXPECT_EQ(pane().selectedIndex(), -1);
    EXPECT_FALSE(editor->isVisible());

    // The next run opens it where this one left it.
    window = std::make_unique<CStepvaneDlg>(state, ui);
    addSequences(1);
    window->show();
    pane().openTaskEditor(0);
    EXPECT_EQ(pane().taskEditor()->geometry(), place);
}

struct EditorRuleCase {
    const char *name;
    std::function<void(CStepvaneDlg &, FakeUi &)> act;
    bool visible;      // the task editor afterwards
    int shownSequence; // index of the sequence it shows, -1 for none
};

class TaskEditorRules : public SequencePaneTest,
                        public ::testing::WithParamInterface<EditorRuleCase> {};

// The editor shows sequence 1 of three; each command then switches or hides it.
TEST_P(TaskEditorRules, SwitchOrHide)
{
    const EditorRuleCase &c = GetParam();
    addSequences(3, 1);
    QTest::mouseDClick(area(), Qt::LeftButton, Qt::NoModifier, rowCenter(1));
    CVXMeasurementEditDlg *editor = pane().taskEditor();
    ASSERT_TRUE(editor->isVisible());
    c.act(*window, ui);
    EXPECT_EQ(editor->isVisible(), c.visible);
    EXPECT_EQ(editor->sequence(), c.shownSequence < 0 ? nullptr : doc().sequence(c.shownSequence));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, TaskEditorRules,
    ::testing::Values(EditorRuleCase{"itsSequenceDeletedSwitches",
                                     [](auto &w, auto &) { w.pane()->deleteSequence(1); }, true, 1},
                      EditorRuleCase{"anotherSequenceDeletedStays",
                                     [](auto &w, auto &) { w.pane()->deleteSequence(2); }, true, 1},
                      EditorRuleCase{"lastSequenceDeletedHides",
                                     [](auto &w, auto &) {
                                         for (int i = 2; i >= 0; --i)
                                             w.pane()->deleteSequence(i);
                                     },
                                     false, -1},
                      EditorRuleCase{"clearAllHides",
                                     [](auto &w, auto &) { w.clearAllSequences(); }, false, -1},
                      EditorRuleCase{"newHides",
                                     [](auto &w, auto &ui) {
                                         ui.saveChoices = {UserInterface::SaveChoice::Discard};
                                         w.newWizard();
                                     },
                                     false, -1},
                      EditorRuleCase{"undoOfTheDeleteKeepsWhatItSwitchedTo",
                                     [](auto &w, auto &) {
                                         w.pane()->deleteSequence(1);
                                         w.history().undo();
                                     },
                                     true, 2}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(SequencePaneTest, PrintGoesToThePrinterChosenAndCancelPrintsNothing)
{
    addSequences(2, 1);
    const QString pdf = path("summary.pdf");
    ui.choosePrinterWith = [&](QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    window->findChild<QPushButton *>("printButton")->click();
    EXPECT_TRUE(QFileInfo(pdf).size() > 0);

    const QString never = path("never.pdf");
    ui.choosePrinterWith = [&](QPrinter &printer) {
        printer.setOutputFileName(never);
        return false;
    };
    window->printSummary();
    EXPECT_FALSE(QFile::exists(never));
}

TEST_F(SequencePaneTest, EndOptionToggleSetsTheDocument)
{
    CKiteToggleButton *toggle = pane().endOptionToggle();
    EXPECT_TRUE(toggle->isChecked());
    for (const int option : {1, 2}) {
        toggle->click();
        QApplication::processEvents();
        EXPECT_EQ(doc().SeqEndOption, option);
    }
}

TEST_F(SequencePaneTest, ClearAllKeepsTitleAndBoundPath)
{
    addSequences(3);
    const QString file = path("kept.wzd");
    ui.saveAs(file);
    window->saveWizard();
    pane().setSelectedIndex(2);

    ui.answers = {false};
    pane().clearAllButton()->click();
    EXPECT_EQ(doc().sequenceCount(), 3);

    pane().clearAllButton()->click();
    EXPECT_EQ(doc().sequenceCount(), 0);
    EXPECT_EQ(pane().selectedIndex(), -1);
    EXPECT_EQ(pane().rowCount(), 0);
    EXPECT_EQ(shownTitle(*window), "kept.wzd*") << "kept, and now modified";
    window->saveWizard();
    EXPECT_EQ(readWizardFile(file, 2).sequenceCount(), 0) << "Save still goes to the same path";
}

TEST_F(SequencePaneTest, CopyPasteTakesTheValuesOfTheMomentOfTheCopy)
{
    addSequences(2, 2);
    doc().sequence(1)->step(1)->as<HoldTask>()->Description = "before";
    pane().setSelectedIndex(1);
    // Ctrl+C and Ctrl+V act on sequences even with the focus in a text field.
    window->titleEdit()->setFocus();
    QTest::keyClick(window->titleEdit(), Qt::Key_C, Qt::ControlModifier);
    doc().sequence(1)->step(1)->as<HoldTask>()->Description = "after";
    doc().sequence(1)->Title = "renamed";

    QTest::keyClick(window->titleEdit(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(window->titleEdit(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(doc().sequenceCount(), 4);
    EXPECT_TRUE(window->titleEdit()->text().isEmpty()) << "nothing was pasted as text";
    for (int i : {2, 3}) {
        EXPECT_EQ(doc().sequence(i)->Title, "S1");
        EXPECT_EQ(doc().sequence(i)->step(1)->as<HoldTask>()->Description, "before");
    }
    EXPECT_NE(doc().sequence(2)->step(0), doc().sequence(3)->step(0)) << "copies share nothing";
    ASSERT_TRUE(state.TaskClipboard.has_value());
    EXPECT_EQ(state.TaskClipboard->as<HoldTask>()->Description, "before")
        << "the task clipboard holds the last step copied";
}

TEST_F(SequencePaneTest, CopyOfAnEmptySequenceKeepsTheEarlierCopy)
{
    addSequences(1, 1);
    addSequences(1, 0);      // "S0" again, without steps, at index 1
    window->pasteSequence(); // nothing copied yet
    ASSERT_EQ(doc().sequenceCount(), 2);
    doc().sequence(0)->Title = "Full";
    pane().setSelectedIndex(0);
    window->copySequence();
    pane().setSelectedIndex(1);
    window->copySequence();
    pane().setSelectedIndex(-1);
    window->copySequence();
    window->pasteSequence();
    ASSERT_EQ(doc().sequenceCount(), 3);
    EXPECT_EQ(doc().sequence(2)->Title, "Full");
}

} // namespace
} // namespace stepvane::test
