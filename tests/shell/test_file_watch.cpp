// The open wizard's file changed or removed on disk under a running editor:
// a reload offered (or done, as the user chose once) without unsaved edits,
// a note with them and a question before a save replaces the newer file.
#include "test_main_window_support.h"

#include "shell/main/FileWatch.h"

namespace stepvane::test {
namespace {

class FileWatchTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        QSettings().remove(FileWatch::reloadSettingKey());
        file = wizardFile("site.wzd", {"A"});
        ui.openPaths.push_back(file);
        window->openWizard();
        ASSERT_EQ(window->filePath(), file);
    }
    // Another program writes the file; the editor hears of it by itself.
    void changeOnDisk(const QStringList &titles)
    {
        const size_t before = ui.questions.size() + ui.reports.size();
        ASSERT_TRUE(writeWizardFile(makeWizard(titles), 2, file));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return ui.questions.size() + ui.reports.size() > before || this->titles() == titles;
            },
            5000));
    }
    void edit()
    {
        window->newSequenceEdit()->setText("Mine");
        window->addSequence();
    }
    QStringList questionTexts() const
    {
        QStringList out;
        for (const Message &m : ui.questions)
            out << m.text();
        return out;
    }
    QString file;
};

} // namespace

TEST_F(FileWatchTest, WithoutEditsAReloadIsOfferedAndTheChoiceIsKept)
{
    ui.answers = {true, true}; // reload; and from now on without asking
    changeOnDisk({"B"});
    EXPECT_EQ(titles(), QStringList({"B"}));
    ASSERT_EQ(ui.questions.size(), 2u);
    EXPECT_TRUE(ui.questions[0].text().contains("changed on disk. Reload it?"));
    EXPECT_EQ(window->filePath(), file);

    changeOnDisk({"C", "D"});
    EXPECT_EQ(titles(), QStringList({"C", "D"}));
    EXPECT_EQ(ui.questions.size(), 2u) << "reloaded without asking again";
}

TEST_F(FileWatchTest, DeclinedReloadMakesSaveAskBeforeReplacing)
{
    ui.answers = {false};
    changeOnDisk({"B"});
    EXPECT_EQ(titles(), QStringList({"A"}));
    const QByteArray theirs = readAll(file);

    // Save: not replaced, not saved elsewhere: the file stays.
    ui.answers = {false, false};
    EXPECT_FALSE(window->saveWizard());
    EXPECT_EQ(readAll(file), theirs);
    EXPECT_TRUE(questionTexts().last().contains("another name"));

    // Save as another file instead.
    ui.answers = {false, true};
    ui.saveAs(path("mine.wzd"));
    EXPECT_TRUE(window->saveWizard());
    EXPECT_EQ(readAll(file), theirs);
    EXPECT_EQ(readWizardFile(path("mine.wzd"), 2).sequence(0)->Title, "A");
}

TEST_F(FileWatchTest, UnsavedEditsAreKeptAndASaveOverwritesOnlyWhenTold)
{
    edit();
    changeOnDisk({"B"});
    EXPECT_EQ(titles(), QStringList({"A", "Mine"}));
    ASSERT_FALSE(ui.reports.empty());
    EXPECT_TRUE(ui.reports.back().text().contains("Your unsaved edits are kept"));
    EXPECT_TRUE(ui.questions.empty());

    ui.answers = {true}; // replace it
    EXPECT_TRUE(window->saveWizard());
    EXPECT_EQ(readWizardFile(file, 2).sequenceCount(), 2);
    // Saved: the editor's own write is no change on disk.
    QTest::qWait(200);
    const size_t asked = ui.questions.size();
    EXPECT_TRUE(window->saveWizard());
    EXPECT_EQ(ui.questions.size(), asked);
}

TEST_F(FileWatchTest, ARemovedFileIsSaid)
{
    ASSERT_TRUE(QFile::remove(file));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !ui.reports.empty(); }, 5000));
    ASSERT_FALSE(ui.reports.empty());
    EXPECT_TRUE(ui.reports.back().text().contains("was removed on disk"));
    EXPECT_EQ(titles(), QStringList({"A"}));
}

} // namespace stepvane::test
