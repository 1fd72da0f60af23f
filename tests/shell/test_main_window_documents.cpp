// Main window document commands: New, Open, Save, Save as with the password
// flows, dropped files and the command-line file.
#include "test_main_window_support.h"

#include <sys/stat.h>

namespace stepvane::test {
namespace {

const QString kVersion = "1.2.1";

// A wizard of one sequence locked with a password, written for model 2.
QString writeLockedWizard(const QString &file, const QString &sequence, const QString &password)
{
    EXPECT_TRUE(writeWizardFile(makeWizard({sequence}, 0, password), 2, file));
    return file;
}

TEST_F(MainWindowTest, OpenBindsTheFileNewResetsButKeepsTheEndOptionCancelChangesNothing)
{
    addSequences(2);
    window->titleEdit()->setText("Kept");
    doc().Title = "Kept";
    window->openWizard(); // the fake's file dialog answers "cancelled"
    EXPECT_EQ(ui.wizardOpenDialogs, 1);
    EXPECT_EQ(doc().sequenceCount(), 2);
    EXPECT_EQ(doc().Title, "Kept");

    const QString file = path("survey.wzd");
    WizardDocument source = makeWizard({"Antenna", "Feeder"});
    source.SeqEndOption = 1;
    ASSERT_TRUE(writeWizardFile(source, 2, file));
    ui.openPaths.push_back(file);
    window->openWizard();
    EXPECT_EQ(titles(), (QStringList{"Antenna", "Feeder"}));
    EXPECT_EQ(window->titleEdit()->text(), "Site survey");
    EXPECT_EQ(shownTitle(*window), "survey.wzd");
    EXPECT_EQ(window->toolTip(), "survey.wzd");
    EXPECT_EQ(window->filePath(), file);
    EXPECT_FALSE(pane().endOptionToggle()->isChecked());
    EXPECT_EQ(pane().row(1)->text(), "2. Feeder");
    EXPECT_TRUE(ui.reports.empty());

    // Nothing unsaved: nothing to ask (every answer: test_unsaved_changes.cpp).
    window->newWizard();
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_TRUE(ui.saveQuestions.isEmpty());
    EXPECT_EQ(doc().sequenceCount(), 0);
    EXPECT_TRUE(doc().Title.isEmpty());
    EXPECT_TRUE(window->titleEdit()->text().isEmpty());
    EXPECT_TRUE(window->filePath().isEmpty());
    EXPECT_EQ(shownTitle(*window), kVersion);
    EXPECT_EQ(doc().SeqEndOption, 1) << "the reset keeps the end option";
}

TEST_F(MainWindowTest, OpenWithPasswordFollowsTheThreeTriesRuleFromTheCommandLineToo)
{
    const QString file = writeLockedWizard(path("locked.wzd"), "A", "Secret");
    const struct {
        const char *name;
        std::vector<std::optional<QString>> entries;
        bool loads;
        int wrongMessages;
    } cases[] = {{"right", {"Secret"}, true, 0},
                 {"rightOnThird", {"a", "secret", "Secret"}, true, 2},
                 {"threeWrong", {"a", "b", "SECRET", "Secret"}, false, 3},
                 {"cancelled", {std::nullopt}, false, 0},
                 {"emptyIsWrong", {QString(), std::nullopt}, false, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ui.reports.clear();
        ui.passwords.assign(c.entries.begin(), c.entries.end());
        ui.openPaths = {file};
        window = std::make_unique<CStepvaneDlg>(state, ui);
        window->openWizard();
        EXPECT_EQ(ui.reportIds().count("IDS_INCORRECT_PW"), c.wrongMessages);
        if (c.loads) {
            EXPECT_EQ(doc().sequenceCount(), 1);
            EXPECT_EQ(doc().PW, "Secret");
            EXPECT_EQ(doc().PasswordSet, 1);
            EXPECT_EQ(window->filePath(), file);
        } else {
            EXPECT_EQ(doc().sequenceCount(), 0);
            EXPECT_TRUE(doc().PW.isEmpty());
            EXPECT_TRUE(window->filePath().isEmpty());
            EXPECT_EQ(shownTitle(*window), kVersion);
        }
    }

    // The command-line file is opened with its password too.
    const QString locked = writeLockedWizard(path("cmd.wzd"), "C", "pw");
    ui.passwords = {"pw"};
    window = std::make_unique<CStepvaneDlg>(state, ui);
    window->openCommandLineFile(locked);
    EXPECT_EQ(titles(), QStringList{"C"});
    EXPECT_EQ(doc().PW, "pw");
    EXPECT_EQ(shownTitle(*window), locked + QStringLiteral(" - 1.2.1"));
    EXPECT_EQ(window->toolTip(), shownTitle(*window));
}

TEST_F(MainWindowTest, OpenOfAnotherModelsWizardOrOfNoXmlLeavesAnEmptyUnboundWizard)
{
    const QString broken = path("broken.wzd");
    ASSERT_TRUE(writeAll(broken, "this is not a wizard"));
    const struct {
        QString file;
        const char *report;
    } cases[] = {{wizardFile("other.wzd", {"A"}, 1), "IDS_INCORRECT_WZD_FOR_EQP"},
                 {broken, "IDS_UNKNOWN_WZD_FILE"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.report);
        ui.reports.clear();
        ui.openPaths.push_back(c.file);
        ui.answers.push_back(false); // another model's wizard: the editor keeps its model
        window->openWizard();
        EXPECT_EQ(ui.reportIds(), QStringList{c.report});
        EXPECT_EQ(doc().sequenceCount(), 0);
        EXPECT_TRUE(window->filePath().isEmpty());
    }
}

TEST_F(MainWindowTest, SaveOfANewWizardAsksForAPathAndBindsIt)
{
    addSequences(2);
    doc().Title = "Tower 7";
    const QString file = path("tower.wzd");
    ui.saveAs(file);
    window->saveWizard();
    ASSERT_EQ(ui.saveOfferedPassword.size(), 1u);
    EXPECT_TRUE(ui.saveOfferedPassword[0]);
    EXPECT_EQ(ui.reportIds(), QStringList{"IDS_FILE_SAVE_COMPLETE"});
    EXPECT_EQ(window->filePath(), file);
    EXPECT_EQ(window->lastSaveDialogPath(), file);
    EXPECT_EQ(shownTitle(*window), "tower.wzd");
    const WizardDocument back = readWizardFile(file, 2);
    EXPECT_EQ(back.Title, "Tower 7");
    EXPECT_EQ(back.sequenceCount(), 2);

    // Bound: the next Save writes without asking.
    doc().Title = "Tower 8";
    window->saveWizard();
    EXPECT_EQ(ui.saveOfferedPassword.size(), 1u);
    EXPECT_EQ(readWizardFile(file, 2).Title, "Tower 8");
}

TEST_F(MainWindowTest, SavePasswordFlows)
{
    const QString locked = writeLockedWizard(path("locked.wzd"), "A", "pw1");
    ui.openPaths.push_back(locked);
    ui.passwords.push_back("pw1");
    window->openWizard();
    ASSERT_EQ(doc().PasswordSet, 1);

    // Save to the bound file keeps the password, after a cancelled Save as too.
    window->saveWizardAs(); // cancelled
    EXPECT_EQ(doc().PasswordSet, 1);
    window->saveWizard();
    EXPECT_EQ(storedPassword(locked), "pw1");

    // Save as without pressing "Password" writes no password.
    const QString open = path("open.wzd");
    ui.saveAs(open);
    window->saveWizardAs();
    EXPECT_EQ(storedPassword(open), QString());
    EXPECT_EQ(doc().PasswordSet, 0);

    // Save as with a password set in the dialog.
    const QString relocked = path("relocked.wzd");
    ui.saveAsWithPassword(relocked, "pw2");
    window->saveWizardAs();
    EXPECT_EQ(storedPassword(relocked), "pw2");
    EXPECT_EQ(doc().PW, "pw2");
}

TEST_F(MainWindowTest, SaveWithAnUnknownModelOrToADeletedBoundFileWritesNothing)
{
    state.CurrentModelIndex = 4;
    ui.saveAs(path("x.wzd"));
    window->saveWizard();
    EXPECT_EQ(ui.reportIds(), QStringList{"IDS_SAVE_FAIL"});
    EXPECT_FALSE(QFile::exists(path("x.wzd")));
    EXPECT_TRUE(window->filePath().isEmpty());

    state.CurrentModelIndex = 2;
    addSequences(1);
    const QString file = path("gone.wzd");
    ui.saveAs(file);
    window->saveWizard();
    ASSERT_TRUE(QFile::remove(file));
    ui.reports.clear();

    window->saveWizard();
    EXPECT_EQ(ui.reportIds(), QStringList{"IDS_SAVE_FAIL"});
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(window->filePath(), file);

    const QString again = path("again.wzd");
    ui.saveAs(again);
    window->saveWizardAs();
    EXPECT_TRUE(QFile::exists(again));
    EXPECT_EQ(window->filePath(), again);
}

TEST_F(MainWindowTest, DroppedFiles)
{
    const QString first = wizardFile("first.wzd", {"F1"});
    const QString second = wizardFile("second.wzd", {"S1", "S2"});

    dropFiles(*window, {first});
    EXPECT_EQ(titles(), QStringList{"F1"});
    EXPECT_EQ(shownTitle(*window), first + QStringLiteral(" - 1.2.1"));
    EXPECT_EQ(window->filePath(), first);
    EXPECT_TRUE(ui.questions.empty());

    // Two files: neither is opened.
    dropFiles(*window, {first, second});
    EXPECT_EQ(ui.reportIds(), QStringList{"IDS_MULTIPLE_FILES_NOT_SUPPORT"});
    EXPECT_EQ(titles(), QStringList{"F1"});

    // A file that is not XML: said so, nothing changes.
    const QString text = path("notes.txt");
    ASSERT_TRUE(writeAll(text, "<unclosed"));
    ui.reports.clear();
    dropFiles(*window, {text});
    EXPECT_EQ(ui.reportIds(), QStringList{"IDS_UNKNOWN_WZD_FILE"});
    EXPECT_EQ(titles(), QStringList{"F1"});
    EXPECT_EQ(window->filePath(), first);

    // Over a wizard without unsaved changes the drop simply opens.
    dropFiles(*window, {second});
    EXPECT_TRUE(ui.saveQuestions.isEmpty());
    EXPECT_EQ(titles(), (QStringList{"S1", "S2"}));

    // A protected file with three wrong passwords changes nothing.
    const QString locked = writeLockedWizard(path("locked.wzd"), "L", "pw");
    ui.passwords = {"1", "2", "3"};
    dropFiles(*window, {locked});
    EXPECT_EQ(ui.reportIds().count("IDS_INCORRECT_PW"), 3);
    EXPECT_EQ(titles(), (QStringList{"S1", "S2"}));
    EXPECT_TRUE(ui.saveQuestions.isEmpty()) << "the password comes before the question";
}

// A folder or a fifo where a wizard belongs is named as what it is, by every
// way of opening, and the open wizard stays as it was (a fifo must not block).
TEST_F(MainWindowTest, SomethingThatIsNotAFileIsNamedAndChangesNothing)
{
    const QString wizard = wizardFile("kept.wzd", {"K"});
    const QString folder = path("folder.wzd");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString fifo = path("pipe.wzd");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    const std::pair<QString, QString> cases[] = {{folder, "is a folder"}, {fifo, "is a fifo"}};
    for (const auto &[target, what] : cases) {
        SCOPED_TRACE(what.toStdString());
        const QString expected = QStringLiteral("Cannot open %1: %2.").arg(target, what);
        ui.openPaths.push_back(wizard);
        window->openWizard();
        ASSERT_EQ(titles(), QStringList{"K"});

        ui.reports.clear();
        ui.openPaths.push_back(target);
        window->openWizard();
        dropFiles(*window, {target});
        EXPECT_EQ(ui.reportIds(), (QStringList{expected, expected}));
        EXPECT_EQ(titles(), QStringList{"K"});
        EXPECT_EQ(window->filePath(), wizard);

        AppState freshState;
        FakeUi freshUi;
        CStepvaneDlg fresh(freshState, freshUi);
        fresh.openCommandLineFile(target);
        EXPECT_EQ(freshUi.reportIds(), QStringList{expected});
        EXPECT_EQ(fresh.document().sequenceCount(), 0);
    }
}

} // namespace
} // namespace stepvane::test
