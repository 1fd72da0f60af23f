// Crash recovery: a copy is written while the wizard has unsaved changes and
// removed by a save, by undoing back to the saved state and by a clean end;
// a copy a crashed run left behind is offered at the next start, restored
// modified and bound to its file (which stays untouched), or discarded.
#include "test_main_window_support.h"

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
        folder = dir.filePath("recovery");
        window->keepRecoveryCopies(folder);
        recovery()->setInterval(10);
    }
    RecoveryCopies *recovery() { return window->recoveryCopies(); }
    bool copyWritten()
    {
        QSignalSpy written(recovery(), &RecoveryCopies::written);
        return written.wait(10000) && written.last().at(0).toBool();
    }
    QString folder;
};

TEST_F(RecoveryTest, KeptWhileModifiedAndRemovedBySaveUndoAndACleanEnd)
{
    const QString mine = path("mine.wzd");
    ui.saveAs(mine);
    ASSERT_TRUE(window->saveWizard());
    const QByteArray saved = readAll(mine);
    EXPECT_FALSE(recovery()->hasCopy()) << "nothing to keep without changes";

    addNamedSequence("First");
    ASSERT_TRUE(copyWritten());
    ASSERT_TRUE(recovery()->hasCopy());
    EXPECT_TRUE(recovery()->copyPath().startsWith(folder));
    EXPECT_TRUE(readWizardFile(recovery()->copyPath(), 2) == window->document());
    EXPECT_EQ(readAll(mine), saved) << "the user's file is never touched";
    EXPECT_TRUE(RecoveryCopies::orphans(folder).empty()) << "a running editor's copy is no orphan";

    ASSERT_TRUE(window->saveWizard());
    EXPECT_TRUE(filesIn(folder).isEmpty()) << "a save leaves nothing to recover";

    addNamedSequence("Second");
    ASSERT_TRUE(copyWritten());
    window->undo();
    EXPECT_FALSE(window->isModified());
    EXPECT_TRUE(filesIn(folder).isEmpty()) << "back at the saved state";

    addNamedSequence("Third");
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
        addNamedSequence(QStringLiteral("Edit %1").arg(i));
        QTest::qWait(10);
    }
    EXPECT_FALSE(written.isEmpty()) << "no copy while the user kept typing";
}

// A run that crashed: its copy and its lock file, held by a process that is
// gone, are left in the folder.
RecoveryCopies::Orphan leaveCrashedRun(const QString &folder, const WizardDocument &doc,
                                       const QString &originalPath)
{
    const QString base = QDir(folder).filePath("run-crashed");
    EXPECT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(writeWizardFile(doc, 2, base + ".wzd"));
    EXPECT_TRUE(
        writeAll(base + ".json", QStringLiteral("{\"file\": \"%1\"}").arg(originalPath).toUtf8()));
    const QString lockPath = base + ".lock";
    const pid_t child = fork();
    if (child == 0) {
        QLockFile lock(lockPath);
        lock.lock();
        _exit(0); // ends holding it, as a crash would
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(QFile::exists(lockPath));
    return {"run-crashed", base + ".wzd", originalPath, {}};
}

TEST(RecoveryAtStart, ACrashedRunsCopyIsOfferedAndRestoredModified)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("recovery");
    const QString original = dir.filePath("tower.wzd");
    ASSERT_TRUE(writeWizardFile(makeWizard({"Saved"}), 2, original));
    const QByteArray originalBytes = readAll(original);
    const WizardDocument unsaved = makeWizard({"Saved", "Unsaved work"}, 2);
    leaveCrashedRun(folder, unsaved, original);
    ASSERT_EQ(RecoveryCopies::orphans(folder).size(), 1u);

    FakeUi ui;
    ui.answers = {true};
    CStepvaneApp app(ui);
    app.setRecoveryFolder(folder);
    ASSERT_TRUE(app.Prepare({"stepvane"}));
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
    const QString folder = dir.filePath("recovery");
    leaveCrashedRun(folder, makeWizard({"Lost"}), QString());
    for (int notNow = 0; notNow < 2; ++notNow) {
        FakeUi ui;
        ui.choices = {1}; // "Not now": offered again at the next start
        CStepvaneApp app(ui);
        app.setRecoveryFolder(folder);
        EXPECT_FALSE(app.Prepare({"stepvane"}));
        ASSERT_EQ(ui.asked.size(), 1u);
        EXPECT_EQ(ui.asked[0].answers, (QStringList{"Restore", "Not now", "Discard"}));
        EXPECT_EQ(ui.asked[0].defaultAnswer, 0);
        EXPECT_EQ(ui.asked[0].escape(), 1);
        EXPECT_EQ(RecoveryCopies::orphans(folder).size(), 1u);
    }

    // Another editor running now, with a copy of its own.
    WizardDocument otherDoc = makeWizard({"Busy"});
    DocumentHistory otherHistory(otherDoc);
    RecoveryCopies other(folder, otherHistory, 2);
    ASSERT_TRUE(
        otherHistory.insertSequence(-1, std::make_unique<TestingSequence>(), "Add sequence"));
    ASSERT_TRUE(other.writeNow());

    FakeUi ui;
    ui.choices = {2};
    CStepvaneApp app(ui);
    app.setRecoveryFolder(folder);
    EXPECT_FALSE(app.Prepare({"stepvane"})) << "on to the model dialog (closed)";
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_TRUE(ui.questions[0].text().contains("never saved"));
    EXPECT_EQ(ui.modalTitles, QStringList{"Stepvane"});
    EXPECT_FALSE(QFile::exists(QDir(folder).filePath("run-crashed.wzd")));
    EXPECT_TRUE(other.hasCopy()) << "the running editor's copy stays";
}

} // namespace
} // namespace stepvane::test
