// Crash recovery: a copy is written while the wizard has unsaved changes and
// removed by a save, by undoing back to the saved state and by a clean end;
// a copy a crashed run left behind is offered at the next start, restored
// modified and bound to its file (which stays untouched), or discarded.
#include "test_main_window_support.h"

#include "shell/app/CStepvaneApp.h"
#include "shell/history/RecoveryCopies.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLockFile>
#include <QSignalSpy>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

namespace stepvane::test {
namespace {

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files);
}

class RecoveryTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        folder = dir.filePath(QStringLiteral("recovery"));
        window->keepRecoveryCopies(folder);
        recovery()->setInterval(10);
    }
    RecoveryCopies *recovery() { return window->recoveryCopies(); }
    bool copyWritten()
    {
        QSignalSpy written(recovery(), &RecoveryCopies::written);
        return written.wait(10000) && written.last().at(0).toBool();
    }
    void change(const QString &title)
    {
        window->newSequenceEdit()->setText(title);
        window->addSequence();
    }

    QString folder;
};

TEST_F(RecoveryTest, KeptWhileModifiedAndRemovedBySaveUndoAndACleanEnd)
{
    const QString mine = path(QStringLiteral("mine.wzd"));
    ui.saveAs(mine);
    ASSERT_TRUE(window->saveWizard());
    const QByteArray saved = readAll(mine);
    EXPECT_FALSE(recovery()->hasCopy()) << "nothing to keep without changes";

    change(QStringLiteral("First"));
    ASSERT_TRUE(copyWritten());
    ASSERT_TRUE(recovery()->hasCopy());
    EXPECT_TRUE(recovery()->copyPath().startsWith(folder));
    const WizardDocument kept = readWizardFile(recovery()->copyPath(), 2);
    EXPECT_TRUE(kept == window->document());
    EXPECT_EQ(readAll(mine), saved) << "the user's file is never touched";
    EXPECT_TRUE(RecoveryCopies::orphans(folder).empty()) << "a running editor's copy is no orphan";

    ASSERT_TRUE(window->saveWizard());
    EXPECT_TRUE(filesIn(folder).isEmpty()) << "a save leaves nothing to recover";

    change(QStringLiteral("Second"));
    ASSERT_TRUE(copyWritten());
    window->undo();
    EXPECT_FALSE(window->isModified());
    EXPECT_TRUE(filesIn(folder).isEmpty()) << "back at the saved state";

    change(QStringLiteral("Third"));
    ASSERT_TRUE(copyWritten());
    window.reset();
    EXPECT_TRUE(filesIn(folder).isEmpty()) << "a clean end removes the copy";
}

TEST_F(RecoveryTest, ContinuousEditingStillWritesACopy)
{
    // The interval counts from the first unsaved change, not from the last:
    // a change every 10 ms for well over an interval still gets its copy.
    recovery()->setInterval(200);
    QSignalSpy written(recovery(), &RecoveryCopies::written);
    for (int i = 0; i < 100 && written.isEmpty(); ++i) {
        change(QStringLiteral("Edit %1").arg(i));
        QTest::qWait(10);
    }
    EXPECT_FALSE(written.isEmpty()) << "no copy while the user kept typing";
}

// A run that crashed: its copy and its lock file, held by a process that is
// gone, are left in the folder.
RecoveryCopies::Orphan leaveCrashedRun(const QString &folder, const WizardDocument &doc,
                                       const QString &originalPath)
{
    const QString id = QStringLiteral("run-crashed");
    EXPECT_TRUE(QDir().mkpath(folder));
    WizardDocument copy = doc;
    VX_CAAXML_PARSER writer(&copy, 2);
    EXPECT_TRUE(writer.Save_Wizard(QDir(folder).filePath(id + QStringLiteral(".wzd"))));
    QFile info(QDir(folder).filePath(id + QStringLiteral(".json")));
    EXPECT_TRUE(info.open(QIODevice::WriteOnly));
    info.write(QStringLiteral("{\"file\": \"%1\"}").arg(originalPath).toUtf8());
    info.close();
    const QString lockPath = QDir(folder).filePath(id + QStringLiteral(".lock"));
    const pid_t child = fork();
    if (child == 0) {
        QLockFile lock(lockPath);
        lock.lock();
        _exit(0); // ends holding it, as a crash would
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(QFile::exists(lockPath));
    return {id, QDir(folder).filePath(id + QStringLiteral(".wzd")), originalPath, {}};
}

TEST(RecoveryAtStart, ACrashedRunsCopyIsOfferedAndRestoredModified)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("recovery"));
    const QString original = dir.filePath(QStringLiteral("tower.wzd"));
    ASSERT_TRUE(writeWizardFile(makeWizard({QStringLiteral("Saved")}), 2, original));
    const QByteArray originalBytes = readAll(original);
    const WizardDocument unsaved =
        makeWizard({QStringLiteral("Saved"), QStringLiteral("Unsaved work")}, 2);
    leaveCrashedRun(folder, unsaved, original);
    ASSERT_EQ(RecoveryCopies::orphans(folder).size(), 1u);

    FakeUi ui;
    ui.answers = {true};
    CStepvaneApp app(ui);
    app.setRecoveryFolder(folder);
    ASSERT_TRUE(app.Prepare({QStringLiteral("stepvane")}));
    EXPECT_TRUE(ui.modalTitles.isEmpty()) << "the model comes from the copy";
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_TRUE(ui.questions[0].text().contains(QDir::toNativeSeparators(original)));
    auto window = app.CreateMainWindow();

    EXPECT_TRUE(window->document() == unsaved);
    EXPECT_TRUE(window->isModified()) << "restored, not saved";
    EXPECT_EQ(window->filePath(), original);
    EXPECT_EQ(shownTitle(*window), original + QStringLiteral("* - 1.2.1"));
    EXPECT_EQ(readAll(original), originalBytes) << "the user's file is not replaced";
    EXPECT_TRUE(RecoveryCopies::orphans(folder).empty()) << "taken over by this run";
    ASSERT_NE(window->recoveryCopies(), nullptr);
    EXPECT_TRUE(window->recoveryCopies()->hasCopy()) << "kept until this run writes its own";

    window->close(); // the question is answered Cancel by the fake: the window stays
    ui.saveChoices = {UserInterface::SaveChoice::Discard};
    EXPECT_TRUE(window->close());
    window.reset();
    EXPECT_TRUE(filesIn(folder).isEmpty());
}

TEST(RecoveryAtStart, DeclinedCopiesStayAndOnlyDiscardRemovesThem)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("recovery"));
    leaveCrashedRun(folder, makeWizard({QStringLiteral("Lost")}), QString());
    for (int notNow = 0; notNow < 2; ++notNow) {
        FakeUi ui;
        ui.choices = {1}; // "Not now": offered again at the next start
        CStepvaneApp app(ui);
        app.setRecoveryFolder(folder);
        EXPECT_FALSE(app.Prepare({QStringLiteral("stepvane")}));
        ASSERT_EQ(ui.asked.size(), 1u);
        EXPECT_EQ(ui.asked[0].answers,
                  (QStringList{QStringLiteral("Restore"), QStringLiteral("Not now"),
                               QStringLiteral("Discard")}));
        EXPECT_EQ(ui.asked[0].defaultAnswer, 0);
        EXPECT_EQ(ui.asked[0].escape(), 1);
        EXPECT_EQ(RecoveryCopies::orphans(folder).size(), 1u);
    }

    // Another editor running now, with a copy of its own.
    WizardDocument otherDoc = makeWizard({QStringLiteral("Busy")});
    DocumentHistory otherHistory(otherDoc);
    RecoveryCopies other(folder, otherHistory, 2);
    ASSERT_TRUE(otherHistory.insertSequence(-1, std::make_unique<TestingSequence>(),
                                            QStringLiteral("Add sequence")));
    ASSERT_TRUE(other.writeNow());

    FakeUi ui;
    ui.choices = {2};
    CStepvaneApp app(ui);
    app.setRecoveryFolder(folder);
    EXPECT_FALSE(app.Prepare({QStringLiteral("stepvane")})) << "on to the model dialog (closed)";
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_TRUE(ui.questions[0].text().contains(QStringLiteral("never saved")));
    EXPECT_EQ(ui.modalTitles, QStringList{QStringLiteral("Stepvane")});
    EXPECT_FALSE(QFile::exists(QDir(folder).filePath(QStringLiteral("run-crashed.wzd"))));
    EXPECT_TRUE(other.hasCopy()) << "the running editor's copy stays";
}

} // namespace
} // namespace stepvane::test
