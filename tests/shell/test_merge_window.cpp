// "stepvane --merge BASE LOCAL REMOTE MERGED" driven offscreen: the merged
// wizard bound to MERGED, the conflicts taken from either side as undoable
// edits, and the save that writes MERGED.
#include "shell/app/CStepvaneApp.h"
#include "shell/merge/MergeWindow.h"
#include "support/TestFiles.h"
#include "test_main_window_support.h"

#include "document/VX_CAAXML_PARSER.h"

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>

using namespace stepvane;
using namespace stepvane::test;

namespace {

constexpr int kMergeModel = 2;
const QByteArray kGitMarkers = "<<<<<<< ours\n=======\n>>>>>>> theirs\n";

// Sequence "A": a frequency step starting at `start`, a hold step `hold`.
WizardDocument mergeSide(double start, const QString &hold)
{
    WizardDocument doc = makeWizard({QStringLiteral("A")});
    FrequencyDistanceTask frequency;
    frequency.Start_Frequency = start;
    frequency.Stop_Frequency = 4000;
    doc.sequence(0)->insertStep(-1, frequency);
    HoldTask h;
    h.Description = hold;
    doc.sequence(0)->insertStep(-1, h);
    return doc;
}

double mergedStart(const WizardDocument &doc)
{
    return std::get<FrequencyDistanceTask>(doc.sequence(0)->step(0)->record).Start_Frequency;
}

QString mergedHold(const WizardDocument &doc)
{
    return std::get<HoldTask>(doc.sequence(0)->step(1)->record).Description;
}

// The merged wizard in short ("A: F200, H Wait"), its password and the model
// it is made for.
QString outline(const WizardDocument &doc, int model)
{
    QStringList sequences;
    for (const auto &seq : doc.sequences) {
        QStringList steps;
        for (const auto &step : seq->steps) {
            const auto *f = step->as<FrequencyDistanceTask>();
            steps << (f ? QStringLiteral("F%1").arg(f->Start_Frequency)
                        : std::visit([](const auto &r) { return r.Description; }, step->record));
        }
        sequences << seq->Title + QStringLiteral(": ") + steps.join(QStringLiteral(", "));
    }
    return sequences.join(QStringLiteral("; ")) +
           (doc.PasswordSet ? QStringLiteral(" pw ") + doc.PW : QString()) +
           QStringLiteral(" @%1").arg(model);
}

// One run of the editor, as git mergetool starts it.
struct MergeRun {
    FakeUi ui;
    CStepvaneApp app{ui};
    std::unique_ptr<CStepvaneDlg> window;
    MergeWindow *merge = nullptr;

    void start(const QStringList &arguments)
    {
        ASSERT_TRUE(app.Prepare(arguments));
        window = app.CreateMainWindow();
        merge = app.mergeWindow();
        ASSERT_NE(merge, nullptr);
        window->show();
        merge->show();
        merge->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(merge));
        merge->list()->setFocus();
    }
    QString state() { return outline(window->document(), app.state().CurrentModelIndex); }
    void click(const char *name)
    {
        auto *button = merge->findChild<QPushButton *>(QString::fromLatin1(name));
        ASSERT_TRUE(button && button->isEnabled()) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void clickRow(int row)
    {
        QTreeWidget *list = merge->list();
        const QRect rect = list->visualItemRect(list->topLevelItem(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void key(Qt::Key key) { QTest::keyClick(merge->list(), key, Qt::ControlModifier); }
};

class MergeWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(
            writeWizardFile(mergeSide(100, QStringLiteral("Wait")), kMergeModel, path("base")));
        ASSERT_TRUE(
            writeWizardFile(mergeSide(200, QStringLiteral("Wait")), kMergeModel, path("local")));
        ASSERT_TRUE(writeWizardFile(mergeSide(300, QStringLiteral("Hold on")), kMergeModel,
                                    path("remote")));
        ASSERT_TRUE(writeAll(path("merged"), kGitMarkers));
    }

    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QStringList arguments() const
    {
        return {QStringLiteral("stepvane"),
                QStringLiteral("--merge"),
                path("base"),
                path("local"),
                path("remote"),
                path("merged")};
    }

    QTemporaryDir m_dir;
    MergeRun m_run;
};

TEST_F(MergeWindowTest, TakeTheirsUndoTakeAgainAndSaveWritesMerged)
{
    m_run.start(arguments());
    // The one-sided change is merged already; the conflict holds ours'.
    ASSERT_EQ(m_run.merge->list()->topLevelItemCount(), 1);
    EXPECT_EQ(m_run.merge->list()->topLevelItem(0)->text(2), QStringLiteral("200"));
    EXPECT_EQ(mergedStart(m_run.window->document()), 200);
    EXPECT_EQ(mergedHold(m_run.window->document()), QStringLiteral("Hold on"));
    EXPECT_EQ(m_run.window->filePath(), path("merged"));
    EXPECT_TRUE(m_run.window->isModified());
    EXPECT_EQ(readAll(path("merged")), kGitMarkers) << "nothing written before a save";

    m_run.clickRow(0);
    EXPECT_EQ(m_run.window->pane()->selectedIndex(), 0);
    m_run.click("takeTheirs");
    EXPECT_EQ(mergedStart(m_run.window->document()), 300);
    EXPECT_TRUE(m_run.merge->isResolved(0));

    m_run.merge->list()->setFocus();
    QTest::keyClick(m_run.merge->list(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(mergedStart(m_run.window->document()), 200) << "undo brings ours' value back";
    EXPECT_FALSE(m_run.merge->isResolved(0));
    EXPECT_EQ(mergedHold(m_run.window->document()), QStringLiteral("Hold on"));

    m_run.click("takeTheirs");
    ASSERT_TRUE(m_run.merge->isResolved(0));
    QTest::keyClick(m_run.merge->list(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(m_run.window->isModified());
    const WizardDocument saved = readWizardFile(path("merged"), kMergeModel);
    EXPECT_EQ(mergedStart(saved), 300);
    EXPECT_EQ(mergedHold(saved), QStringLiteral("Hold on"));
    EXPECT_EQ(saved.sequenceCount(), 1);
}

TEST_F(MergeWindowTest, LongValuesLeaveEveryColumnInViewEachWholeInItsTip)
{
    const QString ours = QStringLiteral("Wait until the trace settles, then ").repeated(8);
    const QString theirs = QStringLiteral("Hold the cable still and wait, then ").repeated(8);
    ASSERT_TRUE(writeWizardFile(mergeSide(200, ours), kMergeModel, path("local")));
    ASSERT_TRUE(writeWizardFile(mergeSide(300, theirs), kMergeModel, path("remote")));
    m_run.start(arguments());
    QTreeWidget *list = m_run.merge->list();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    QApplication::processEvents();

    EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0) << "nothing to scroll to";
    const QHeaderView *header = list->header();
    const int state = list->columnCount() - 1;
    EXPECT_LE(header->sectionViewportPosition(state) + header->sectionSize(state),
              list->viewport()->width());
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < state; ++column)
            EXPECT_EQ(list->topLevelItem(row)->toolTip(column),
                      list->topLevelItem(row)->text(column))
                << row << "/" << column;
}

TEST_F(MergeWindowTest, ClosingWithOpenRowsAsksAndKeepsTheWorkByDefault)
{
    m_run.start(arguments());
    m_run.merge->close();
    ASSERT_EQ(m_run.ui.asked.size(), 1u);
    EXPECT_TRUE(m_run.merge->isVisible()) << "Enter keeps merging";
    EXPECT_EQ(mergedStart(m_run.window->document()), 200);

    m_run.click("takeOursForAll");
    EXPECT_EQ(m_run.merge->unresolvedCount(), 0);
    EXPECT_EQ(mergedStart(m_run.window->document()), 200);
    m_run.merge->close();
    EXPECT_EQ(m_run.ui.asked.size(), 1u) << "nothing left to ask about";
    EXPECT_FALSE(m_run.merge->isVisible());
}

TEST_F(MergeWindowTest, UnreadableOrMissingFilesEndTheRunAndLeaveMergedAlone)
{
    struct Case {
        const char *what;
        QStringList arguments;
    };
    ASSERT_TRUE(writeAll(path("notxml"), "not a wizard"));
    QStringList missingMerged = arguments();
    missingMerged.removeLast();
    QStringList broken = arguments();
    broken[3] = path("notxml");
    QStringList absent = arguments();
    absent[4] = path("nowhere");
    for (const Case &c : {Case{"three files", missingMerged}, Case{"not a wizard", broken},
                          Case{"missing", absent}}) {
        FakeUi ui;
        CStepvaneApp app(ui);
        EXPECT_FALSE(app.Prepare(c.arguments)) << c.what;
        EXPECT_EQ(ui.reports.size(), 1u) << c.what;
        EXPECT_TRUE(ui.modalTitles.isEmpty()) << c.what << ": no model dialog";
        EXPECT_EQ(readAll(path("merged")), kGitMarkers) << c.what;
    }
}

// The saved file in short, with the password and model it carries.
QString savedOutline(const QString &path)
{
    WizardDocument doc;
    VX_CAAXML_PARSER parser(&doc, 0);
    const int model = parser.Read_File_Model(path);
    parser.Set_Model(model);
    EXPECT_TRUE(parser.Load_Document(path));
    const QString password = parser.Read_Password();
    EXPECT_EQ(parser.Read_Loaded_Wizard(), 1);
    if (!password.isEmpty())
        doc.setPassword(password);
    return outline(doc, model);
}

TEST_F(MergeWindowTest, TheirsSideOfEachWholeItemConflictUndoesAndSaves)
{
    const WizardDocument base = mergeSide(100, QStringLiteral("Wait"));
    auto withoutFrequency = [&] {
        WizardDocument d = base;
        d.sequence(0)->removeStep(0);
        return d;
    };
    auto inserted = [&](const QStringList &texts) {
        WizardDocument d = base;
        for (int k = 0; k < texts.size(); ++k)
            d.sequence(0)->insertStep(k, PromptTask{})->as<PromptTask>()->Description = texts[k];
        return d;
    };
    auto withB = [&](const QString &hold) {
        WizardDocument d = base;
        TestingSequence *b = d.appendSequence();
        b->Title = QStringLiteral("B");
        b->insertStep(-1, HoldTask{})->as<HoldTask>()->Description = hold;
        return d;
    };
    // A, then B, C and D; D moved from the end to `to`.
    auto movedD = [&](int to) {
        WizardDocument d = base;
        for (const char *title : {"B", "C", "D"})
            d.appendSequence()->Title = QString::fromLatin1(title);
        d.moveSequence(3, to);
        return d;
    };
    WizardDocument retitled = base, locked = base;
    retitled.Title = QStringLiteral("Mast");
    locked.setPassword(QStringLiteral("pw"));
    struct Case {
        const char *name;
        WizardDocument base, local, remote;
        int remoteModel;
        QString before, after;
    };
    const Case cases[] = {
        {"ours removed the step theirs changed", base, withoutFrequency(),
         mergeSide(300, QStringLiteral("Wait")), kMergeModel, "A: Wait @2", "A: F300, Wait @2"},
        {"theirs removed the step ours changed", base, mergeSide(200, QStringLiteral("Wait")),
         withoutFrequency(), kMergeModel, "A: F200, Wait @2", "A: Wait @2"},
        {"two insertions at one place", base, inserted({"ours"}), inserted({"their", "run"}),
         kMergeModel, "A: ours, their, run, F100, Wait @2", "A: their, run, ours, F100, Wait @2"},
        {"ours removed the sequence theirs changed", withB("b"), base, withB("b2"), kMergeModel,
         "A: F100, Wait @2", "A: F100, Wait; B: b2 @2"},
        {"theirs removed the sequence ours changed", withB("b"), withB("b2"), base, kMergeModel,
         "A: F100, Wait; B: b2 @2", "A: F100, Wait @2"},
        {"two sequences added at one place", base, withB("ours"), withB("theirs"), kMergeModel,
         "A: F100, Wait; B: ours; B: theirs @2", "A: F100, Wait; B: theirs; B: ours @2"},
        {"one sequence moved to two places", movedD(3), movedD(0), movedD(1), kMergeModel,
         "D: ; A: F100, Wait; B: ; C:  @2", "A: F100, Wait; D: ; B: ; C:  @2"},
        {"password on theirs' side", base, retitled, locked, kMergeModel, "A: F100, Wait @2",
         "A: F100, Wait pw pw @2"},
        {"model on theirs' side", base, mergeSide(200, QStringLiteral("Wait")), base, 1,
         "A: F200, Wait @2", "A: F200, Wait @1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeWizardFile(c.base, kMergeModel, path("base")));
        ASSERT_TRUE(writeWizardFile(c.local, kMergeModel, path("local")));
        ASSERT_TRUE(writeWizardFile(c.remote, c.remoteModel, path("remote")));
        ASSERT_TRUE(writeAll(path("merged"), kGitMarkers));
        MergeRun run;
        ASSERT_NO_FATAL_FAILURE(run.start(arguments()));
        ASSERT_EQ(run.merge->list()->topLevelItemCount(), 1);
        EXPECT_EQ(run.state(), c.before)
            << run.merge->list()->topLevelItem(0)->text(0).toStdString();

        run.click("takeTheirs");
        EXPECT_EQ(run.state(), c.after);
        EXPECT_TRUE(run.merge->isResolved(0));
        run.key(Qt::Key_Z);
        EXPECT_EQ(run.state(), c.before) << "undo";
        EXPECT_FALSE(run.merge->isResolved(0));
        run.click("takeTheirsForAll");
        EXPECT_EQ(run.state(), c.after);

        run.key(Qt::Key_S);
        EXPECT_FALSE(run.window->isModified());
        EXPECT_EQ(savedOutline(path("merged")), c.after);
    }
}

TEST_F(MergeWindowTest, MergedWizardOfAnotherModelIsOfferedAsAnyFileOfAnotherModel)
{
    // Only theirs changed, and moved the wizard to another model.
    ASSERT_TRUE(writeWizardFile(mergeSide(300, QStringLiteral("Wait")), 1, path("remote")));
    ASSERT_TRUE(
        writeWizardFile(mergeSide(100, QStringLiteral("Wait")), kMergeModel, path("local")));
    for (const bool switchModel : {true, false}) {
        MergeRun run;
        run.ui.answers = {switchModel};
        ASSERT_TRUE(run.app.Prepare(arguments()));
        run.window = run.app.CreateMainWindow();
        ASSERT_EQ(run.ui.questions.size(), 1u) << "the switch is offered";
        EXPECT_EQ(run.app.mergeWindow() != nullptr, switchModel);
        EXPECT_EQ(run.state(),
                  switchModel ? QStringLiteral("A: F300, Wait @1") : QStringLiteral(" @2"));
        EXPECT_EQ(run.ui.reportIds().contains(QStringLiteral("IDS_INCORRECT_WZD_FOR_EQP")),
                  !switchModel);
        EXPECT_EQ(readAll(path("merged")), kGitMarkers);
    }
}

} // namespace
