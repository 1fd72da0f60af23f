// "stepvane --merge BASE LOCAL REMOTE MERGED" driven offscreen: the merged
// wizard bound to MERGED, the conflicts taken from either side as undoable
// edits, and the save that writes MERGED.
#include "shell/app/CStepvaneApp.h"
#include "shell/merge/MergeWindow.h"
#include "support/TestFiles.h"
#include "test_main_window_support.h"

#include <QApplication>
#include <QPushButton>
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

    void start()
    {
        ASSERT_TRUE(m_app.Prepare(arguments()));
        m_window = m_app.CreateMainWindow();
        m_merge = m_app.mergeWindow();
        ASSERT_NE(m_merge, nullptr);
        m_window->show();
        m_merge->show();
        m_merge->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_merge));
        m_merge->list()->setFocus();
    }

    void clickButton(const char *name)
    {
        auto *button = m_merge->findChild<QPushButton *>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    void clickRow(int row)
    {
        QTreeWidget *list = m_merge->list();
        const QRect rect = list->visualItemRect(list->topLevelItem(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    QTemporaryDir m_dir;
    FakeUi m_ui;
    CStepvaneApp m_app{m_ui};
    std::unique_ptr<CStepvaneDlg> m_window;
    MergeWindow *m_merge = nullptr;
};

TEST_F(MergeWindowTest, TakeTheirsUndoTakeAgainAndSaveWritesMerged)
{
    start();
    // The one-sided change is merged already; the conflict holds ours'.
    ASSERT_EQ(m_merge->list()->topLevelItemCount(), 1);
    EXPECT_EQ(m_merge->list()->topLevelItem(0)->text(2), QStringLiteral("200"));
    EXPECT_EQ(mergedStart(m_window->document()), 200);
    EXPECT_EQ(mergedHold(m_window->document()), QStringLiteral("Hold on"));
    EXPECT_EQ(m_window->filePath(), path("merged"));
    EXPECT_TRUE(m_window->isModified());
    EXPECT_EQ(readAll(path("merged")), kGitMarkers) << "nothing written before a save";

    clickRow(0);
    EXPECT_EQ(m_window->pane()->selectedIndex(), 0);
    clickButton("takeTheirs");
    EXPECT_EQ(mergedStart(m_window->document()), 300);
    EXPECT_TRUE(m_merge->isResolved(0));

    m_merge->list()->setFocus();
    QTest::keyClick(m_merge->list(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(mergedStart(m_window->document()), 200) << "undo brings ours' value back";
    EXPECT_FALSE(m_merge->isResolved(0));
    EXPECT_EQ(mergedHold(m_window->document()), QStringLiteral("Hold on"));

    clickButton("takeTheirs");
    ASSERT_TRUE(m_merge->isResolved(0));
    QTest::keyClick(m_merge->list(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(m_window->isModified());
    const WizardDocument saved = readWizardFile(path("merged"), kMergeModel);
    EXPECT_EQ(mergedStart(saved), 300);
    EXPECT_EQ(mergedHold(saved), QStringLiteral("Hold on"));
    EXPECT_EQ(saved.sequenceCount(), 1);
}

TEST_F(MergeWindowTest, ClosingWithOpenRowsAsksAndKeepsTheWorkByDefault)
{
    start();
    m_merge->close();
    ASSERT_EQ(m_ui.asked.size(), 1u);
    EXPECT_TRUE(m_merge->isVisible()) << "Enter keeps merging";
    EXPECT_EQ(mergedStart(m_window->document()), 200);

    clickButton("takeOursForAll");
    EXPECT_EQ(m_merge->unresolvedCount(), 0);
    EXPECT_EQ(mergedStart(m_window->document()), 200);
    m_merge->close();
    EXPECT_EQ(m_ui.asked.size(), 1u) << "nothing left to ask about";
    EXPECT_FALSE(m_merge->isVisible());
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

} // namespace
