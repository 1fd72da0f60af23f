// Main window document commands: New, Open, Save, Save as with the password
// flows, dropped files and the command-line file.
#include "test_main_window_support.h"

#include "support/TestFiles.h"
#include "widgets/CKiteButton.h"
#include <QCoreApplication>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

#include <sys/stat.h>

namespace stepvane::test {
namespace {

const QString kVersion = QStringLiteral("1.2.1");

// A wizard of one sequence locked with a password, written for model 2.
QString writeLockedWizard(const QString &file, const QString &sequence, const QString &password)
{
    EXPECT_TRUE(writeWizardFile(makeWizard({sequence}, 0, password), 2, file));
    return file;
}

TEST_F(MainWindowTest, NewResetsTheWizardButKeepsTheEndOption)
{
    const QString file = path(QStringLiteral("a.wzd"));
    ASSERT_TRUE(writeWizardFile(makeWizard({QStringLiteral("One")}), 2, file));
    ui.openPaths.push_back(file);
    window->openWizard();
    ASSERT_EQ(doc().sequenceCount(), 1);

    // Nothing unsaved: nothing to ask (the questions themselves are tried
    // with every answer in test_unsaved_changes.cpp).
    doc().SeqEndOption = 1;
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

TEST_F(MainWindowTest, OpenBindsTheFileAndShowsItsContent)
{
    const QString file = path(QStringLiteral("survey.wzd"));
    WizardDocument source = makeWizard({QStringLiteral("Antenna"), QStringLiteral("Feeder")});
    source.SeqEndOption = 1;
    ASSERT_TRUE(writeWizardFile(source, 2, file));
    ui.openPaths.push_back(file);
    window->openWizard();

    EXPECT_EQ(titles(), (QStringList{QStringLiteral("Antenna"), QStringLiteral("Feeder")}));
    EXPECT_EQ(window->titleEdit()->text(), QStringLiteral("Site survey"));
    EXPECT_EQ(shownTitle(*window), QStringLiteral("survey.wzd"));
    EXPECT_EQ(window->toolTip(), QStringLiteral("survey.wzd"));
    EXPECT_EQ(window->filePath(), file);
    EXPECT_FALSE(pane().endOptionToggle()->isChecked());
    EXPECT_EQ(pane().row(1)->text(), QStringLiteral("2. Feeder"));
    EXPECT_TRUE(ui.reports.empty());
}

TEST_F(MainWindowTest, OpenCancelledInTheFileDialogChangesNothing)
{
    addSequences(2);
    window->titleEdit()->setText(QStringLiteral("Kept"));
    doc().Title = QStringLiteral("Kept");
    window->openWizard(); // the fake's file dialog answers "cancelled"
    EXPECT_EQ(ui.wizardOpenDialogs, 1);
    EXPECT_EQ(doc().sequenceCount(), 2);
    EXPECT_EQ(doc().Title, QStringLiteral("Kept"));
}

struct PasswordCase {
    const char *name;
    std::vector<std::optional<QString>> entries;
    bool loads;
    int wrongMessages;
};

class OpenWithPassword : public MainWindowTest,
                         public ::testing::WithParamInterface<PasswordCase> {};

TEST_P(OpenWithPassword, FollowsTheThreeTriesRule)
{
    const PasswordCase &c = GetParam();
    const QString file =
        writeLockedWizard(path(QStringLiteral("locked.wzd")), "A", QStringLiteral("Secret"));
    ui.openPaths.push_back(file);
    for (const auto &e : c.entries)
        ui.passwords.push_back(e);
    window->openWizard();

    EXPECT_EQ(ui.reportIds().count(QStringLiteral("IDS_INCORRECT_PW")), c.wrongMessages);
    if (c.loads) {
        EXPECT_EQ(doc().sequenceCount(), 1);
        EXPECT_EQ(doc().PW, QStringLiteral("Secret"));
        EXPECT_EQ(doc().PasswordSet, 1);
        EXPECT_EQ(window->filePath(), file);
    } else {
        EXPECT_EQ(doc().sequenceCount(), 0);
        EXPECT_TRUE(doc().PW.isEmpty());
        EXPECT_TRUE(window->filePath().isEmpty());
        EXPECT_EQ(shownTitle(*window), kVersion);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tries, OpenWithPassword,
    ::testing::Values(PasswordCase{"right", {"Secret"}, true, 0},
                      PasswordCase{"rightOnThird", {"a", "secret", "Secret"}, true, 2},
                      PasswordCase{"threeWrong", {"a", "b", "SECRET", "Secret"}, false, 3},
                      PasswordCase{"cancelled", {std::nullopt}, false, 0},
                      PasswordCase{"emptyIsWrong", {QString(), std::nullopt}, false, 1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, OpenOfAnotherModelsWizardLeavesAnEmptyUnboundWizard)
{
    const QString file = path(QStringLiteral("other.wzd"));
    ASSERT_TRUE(writeWizardFile(makeWizard({QStringLiteral("A")}), 1, file));
    ui.openPaths.push_back(file);
    ui.answers.push_back(false); // the editor keeps its model
    window->openWizard();
    EXPECT_EQ(ui.reportIds(), QStringList{QStringLiteral("IDS_INCORRECT_WZD_FOR_EQP")});
    EXPECT_EQ(doc().sequenceCount(), 0);
    EXPECT_TRUE(window->filePath().isEmpty());
}

TEST_F(MainWindowTest, OpenOfAFileThatIsNotXmlSaysSo)
{
    const QString file = path(QStringLiteral("broken.wzd"));
    ASSERT_TRUE(writeAll(file, "this is not a wizard"));
    ui.openPaths.push_back(file);
    window->openWizard();
    EXPECT_EQ(ui.reportIds(), QStringList{QStringLiteral("IDS_UNKNOWN_WZD_FILE")});
    EXPECT_EQ(doc().sequenceCount(), 0);
    EXPECT_TRUE(window->filePath().isEmpty());
}

TEST_F(MainWindowTest, SaveOfANewWizardAsksForAPathAndBindsIt)
{
    addSequences(2);
    doc().Title = QStringLiteral("Tower 7");
    const QString file = path(QStringLiteral("tower.wzd"));
    ui.saveAs(file);
    window->saveWizard();
    ASSERT_EQ(ui.saveOfferedPassword.size(), 1u);
    EXPECT_TRUE(ui.saveOfferedPassword[0]);
    EXPECT_EQ(ui.reportIds(), QStringList{QStringLiteral("IDS_FILE_SAVE_COMPLETE")});
    EXPECT_EQ(window->filePath(), file);
    EXPECT_EQ(window->lastSaveDialogPath(), file);
    EXPECT_EQ(shownTitle(*window), QStringLiteral("tower.wzd"));
    const WizardDocument back = readWizardFile(file, 2);
    EXPECT_EQ(back.Title, QStringLiteral("Tower 7"));
    EXPECT_EQ(back.sequenceCount(), 2);

    // Bound: the next Save writes without asking.
    doc().Title = QStringLiteral("Tower 8");
    window->saveWizard();
    EXPECT_EQ(ui.saveOfferedPassword.size(), 1u);
    EXPECT_EQ(readWizardFile(file, 2).Title, QStringLiteral("Tower 8"));
}

TEST_F(MainWindowTest, SavePasswordFlows)
{
    const QString locked = writeLockedWizard(path(QStringLiteral("locked.wzd")), "A", "pw1");
    ui.openPaths.push_back(locked);
    ui.passwords.push_back(QStringLiteral("pw1"));
    window->openWizard();
    ASSERT_EQ(doc().PasswordSet, 1);

    // Save to the bound file keeps the password, after a cancelled Save as too.
    window->saveWizardAs(); // cancelled
    EXPECT_EQ(doc().PasswordSet, 1);
    window->saveWizard();
    EXPECT_EQ(storedPassword(locked), QStringLiteral("pw1"));

    // Save as without pressing "Password" writes no password.
    const QString open = path(QStringLiteral("open.wzd"));
    ui.saveAs(open);
    window->saveWizardAs();
    EXPECT_EQ(storedPassword(open), QString());
    EXPECT_EQ(doc().PasswordSet, 0);

    // Save as with a password set in the dialog.
    const QString relocked = path(QStringLiteral("relocked.wzd"));
    ui.saveAsWithPassword(relocked, QStringLiteral("pw2"));
    window->saveWizardAs();
    EXPECT_EQ(storedPassword(relocked), QStringLiteral("pw2"));
    EXPECT_EQ(doc().PW, QStringLiteral("pw2"));
}

TEST_F(MainWindowTest, SaveOfABoundFileThatWasDeletedFailsWithoutRecreatingIt)
{
    addSequences(1);
    const QString file = path(QStringLiteral("gone.wzd"));
    ui.saveAs(file);
    window->saveWizard();
    ASSERT_TRUE(QFile::remove(file));
    ui.reports.clear();

    window->saveWizard();
    EXPECT_EQ(ui.reportIds(), QStringList{QStringLiteral("IDS_SAVE_FAIL")});
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(window->filePath(), file);

    const QString again = path(QStringLiteral("again.wzd"));
    ui.saveAs(again);
    window->saveWizardAs();
    EXPECT_TRUE(QFile::exists(again));
    EXPECT_EQ(window->filePath(), again);
}

TEST_F(MainWindowTest, SaveWithAnUnknownModelWritesNothing)
{
    state.CurrentModelIndex = 4;
    const QString file = path(QStringLiteral("x.wzd"));
    ui.saveAs(file);
    window->saveWizard();
    EXPECT_EQ(ui.reportIds(), QStringList{QStringLiteral("IDS_SAVE_FAIL")});
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(window->filePath().isEmpty());
}

// Drops go through a real drop event on the window.
void drop(QWidget &target, const QStringList &paths)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString &p : paths)
        urls << QUrl::fromLocalFile(p);
    mime.setUrls(urls);
    // As a window system delivers it: the drag enters, then drops.
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &enter);
    QDropEvent event(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &event);
}

TEST_F(MainWindowTest, DroppedFiles)
{
    const QString first = path(QStringLiteral("first.wzd"));
    const QString second = path(QStringLiteral("second.wzd"));
    ASSERT_TRUE(writeWizardFile(makeWizard({QStringLiteral("F1")}), 2, first));
    ASSERT_TRUE(
        writeWizardFile(makeWizard({QStringLiteral("S1"), QStringLiteral("S2")}), 2, second));

    drop(*window, {first});
    EXPECT_EQ(titles(), QStringList{QStringLiteral("F1")});
    EXPECT_EQ(shownTitle(*window), first + QStringLiteral(" - 1.2.1"));
    EXPECT_EQ(window->filePath(), first);
    EXPECT_TRUE(ui.questions.empty());

    // Two files: neither is opened.
    drop(*window, {first, second});
    EXPECT_EQ(ui.reportIds(), QStringList{QStringLiteral("IDS_MULTIPLE_FILES_NOT_SUPPORT")});
    EXPECT_EQ(titles(), QStringList{QStringLiteral("F1")});

    // A file that is not XML: said so, nothing changes.
    const QString text = path(QStringLiteral("notes.txt"));
    ASSERT_TRUE(writeAll(text, "<unclosed"));
    ui.reports.clear();
    drop(*window, {text});
    EXPECT_EQ(ui.reportIds(), QStringList{QStringLiteral("IDS_UNKNOWN_WZD_FILE")});
    EXPECT_EQ(titles(), QStringList{QStringLiteral("F1")});
    EXPECT_EQ(window->filePath(), first);

    // Over a wizard without unsaved changes the drop simply opens.
    drop(*window, {second});
    EXPECT_TRUE(ui.saveQuestions.isEmpty());
    EXPECT_EQ(titles(), (QStringList{QStringLiteral("S1"), QStringLiteral("S2")}));
}

TEST_F(MainWindowTest, DroppedProtectedFileWithThreeWrongPasswordsChangesNothing)
{
    addSequences(1);
    const QString locked = writeLockedWizard(path(QStringLiteral("locked.wzd")), "L", "pw");
    ui.passwords = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    drop(*window, {locked});
    EXPECT_EQ(ui.reportIds().count(QStringLiteral("IDS_INCORRECT_PW")), 3);
    EXPECT_EQ(titles(), QStringList{QStringLiteral("S0")});
    EXPECT_TRUE(ui.saveQuestions.isEmpty()) << "the password comes before the question";
}

// A folder or a fifo where a wizard belongs is named as what it is, by every
// way of opening, and the open wizard stays as it was (a fifo must not block).
TEST_F(MainWindowTest, SomethingThatIsNotAFileIsNamedAndChangesNothing)
{
    const QString wizard = path(QStringLiteral("kept.wzd"));
    ASSERT_TRUE(writeWizardFile(makeWizard({QStringLiteral("K")}), 2, wizard));
    const QString folder = path(QStringLiteral("folder.wzd"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString fifo = path(QStringLiteral("pipe.wzd"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    const std::pair<QString, QString> cases[] = {{folder, QStringLiteral("is a folder")},
                                                 {fifo, QStringLiteral("is a fifo")}};
    for (const auto &[target, what] : cases) {
        SCOPED_TRACE(what.toStdString());
        const QString expected = QStringLiteral("Cannot open %1: %2.").arg(target, what);
        ui.openPaths.push_back(wizard);
        window->openWizard();
        ASSERT_EQ(titles(), QStringList{QStringLiteral("K")});

        ui.reports.clear();
        ui.openPaths.push_back(target);
        window->openWizard();
        drop(*window, {target});
        EXPECT_EQ(ui.reportIds(), (QStringList{expected, expected}));
        EXPECT_EQ(titles(), QStringList{QStringLiteral("K")});
        EXPECT_EQ(window->filePath(), wizard);

        AppState freshState;
        FakeUi freshUi;
        CStepvaneDlg fresh(freshState, freshUi);
        fresh.openCommandLineFile(target);
        EXPECT_EQ(freshUi.reportIds(), QStringList{expected});
        EXPECT_EQ(fresh.document().sequenceCount(), 0);
    }
}

TEST_F(MainWindowTest, CommandLineFileIsOpenedWithItsPassword)
{
    const QString locked = writeLockedWizard(path(QStringLiteral("cmd.wzd")), "C", "pw");
    ui.passwords = {QStringLiteral("pw")};
    window->openCommandLineFile(locked);
    EXPECT_EQ(titles(), QStringList{QStringLiteral("C")});
    EXPECT_EQ(doc().PW, QStringLiteral("pw"));
    EXPECT_EQ(shownTitle(*window), locked + QStringLiteral(" - 1.2.1"));
    EXPECT_EQ(window->toolTip(), shownTitle(*window));
}

} // namespace
} // namespace stepvane::test
