// The model selection and password dialogs, the wizard file dialogs' extra
// controls, help and about, and start-up with and without a command-line file.
#include "test_main_window_support.h"

#include "document/NameTables.h"
#include "shell/app/CStepvaneApp.h"
#include "shell/comm/CDlgComm.h"
#include "shell/dialogs/CAboutDlg.h"
#include "shell/dialogs/CPWDlg.h"
#include "shell/dialogs/CVXSpanlyxSelectDlg.h"
#include "shell/dialogs/DocumentViewer.h"
#include "shell/dialogs/QtUserInterface.h"
#include "shell/dialogs/WizardFileDialogs.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

namespace stepvane::test {
namespace {

struct PasswordDialogCase {
    const char *name;
    CPWDlg::Mode mode;
    const char *password;
    const char *confirm;
    bool accepted;
    bool passwordSet;
    int incorrectMessages;
};

class PasswordDialog : public ::testing::TestWithParam<PasswordDialogCase> {};

TEST_P(PasswordDialog, OkFollowsTheModeRules)
{
    const PasswordDialogCase &c = GetParam();
    FakeUi ui;
    CPWDlg dialog(ui, c.mode);
    dialog.show();
    QTest::keyClicks(dialog.passwordField(), QString::fromUtf8(c.password));
    if (c.mode == CPWDlg::ModeSet)
        QTest::keyClicks(dialog.confirmField(), QString::fromUtf8(c.confirm));
    dialog.okButton()->click();

    EXPECT_EQ(dialog.result() == QDialog::Accepted && !dialog.isVisible(), c.accepted);
    EXPECT_EQ(dialog.isVisible(), !c.accepted) << "a mismatch keeps the dialog open";
    EXPECT_EQ(dialog.passwordSet(), c.passwordSet);
    EXPECT_EQ(ui.reportIds().count(QStringLiteral("IDS_INCORRECT_PW")), c.incorrectMessages);
    EXPECT_EQ(dialog.password(), QString::fromUtf8(c.password));
    if (!c.accepted) {
        EXPECT_EQ(dialog.confirmField()->text(), QString::fromUtf8(c.confirm))
            << "the typed texts stay";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, PasswordDialog,
    ::testing::Values(
        PasswordDialogCase{"setDifferent", CPWDlg::ModeSet, "abc", "abd", false, false, 1},
        PasswordDialogCase{"setCaseDiffers", CPWDlg::ModeSet, "Abc", "abc", false, false, 1},
        PasswordDialogCase{"setSame", CPWDlg::ModeSet, "abc", "abc", true, true, 0},
        PasswordDialogCase{"setBothEmpty", CPWDlg::ModeSet, "", "", true, false, 0},
        PasswordDialogCase{"enterAnything", CPWDlg::ModeEnter, "xyz", "", true, false, 0},
        PasswordDialogCase{"enterEmpty", CPWDlg::ModeEnter, "", "", true, false, 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PasswordDialogLayout, EnterModeHidesTheConfirmationAndFieldsHideTyping)
{
    FakeUi ui;
    CPWDlg enter(ui, CPWDlg::ModeEnter);
    enter.show();
    EXPECT_FALSE(enter.confirmField()->isVisible());
    EXPECT_FALSE(enter.confirmLabel()->isVisible());
    EXPECT_EQ(enter.passwordField()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(enter.windowTitle(), QStringLiteral("Password"));

    CPWDlg set(ui, CPWDlg::ModeSet);
    set.passwordField()->setText(QStringLiteral("left over"));
    set.show();
    EXPECT_TRUE(set.confirmField()->isVisible());
    EXPECT_TRUE(set.passwordField()->text().isEmpty()) << "each use starts empty";
}

TEST(ModelDialog, ClicksDoubleClicksAndEnter)
{
    CVXSpanlyxSelectDlg dialog;
    dialog.show();
    CSpanlyx_ListView *list = dialog.list();
    EXPECT_EQ(dialog.selection(), 4);

    QTest::mouseClick(list, Qt::LeftButton, Qt::NoModifier, list->rowRect(1).center());
    EXPECT_EQ(dialog.selection(), 1);
    QTest::mouseClick(list, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(dialog.selection(), 4) << "a click beside the rows selects none";
    QTest::mouseDClick(list, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_TRUE(dialog.isVisible()) << "a double click beside the rows does nothing";

    QTest::mouseDClick(list, Qt::LeftButton, Qt::NoModifier, list->rowRect(2).center());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.selection(), 2);

    CVXSpanlyxSelectDlg early;
    early.show();
    QTest::keyClick(&early, Qt::Key_Return);
    EXPECT_EQ(early.result(), QDialog::Accepted);
    EXPECT_EQ(early.selection(), 4) << "Enter before any click ends with none";
}

TEST(WizardFileDialogs, ModelLineNamesTheFilesModelForWzdPathsOnly)
{
    QTemporaryDir dir;
    const QString wzd = dir.filePath(QStringLiteral("a.wzd"));
    ASSERT_TRUE(writeWizardFile(makeWizard({QStringLiteral("A")}), 3, wzd));
    const QString upper = dir.filePath(QStringLiteral("B.WZD"));
    ASSERT_TRUE(QFile::copy(wzd, upper));
    const QString mixed = dir.filePath(QStringLiteral("c.Wzd"));
    ASSERT_TRUE(QFile::copy(wzd, mixed));

    EXPECT_EQ(spanlyxModelLine(wzd), QStringLiteral("Spanlyx Model : VX340A"));
    EXPECT_EQ(spanlyxModelLine(upper), QStringLiteral("Spanlyx Model : VX340A"));
    EXPECT_EQ(spanlyxModelLine(mixed), QString());
    EXPECT_EQ(spanlyxModelLine(dir.filePath(QStringLiteral("missing.wzd"))),
              QStringLiteral("Spanlyx Model : Unknown Equipment"));

    WizardOpenDialog open;
    emit open.currentChanged(wzd);
    EXPECT_EQ(open.modelLine()->text(), QStringLiteral("Spanlyx Model : VX340A"));
    EXPECT_TRUE(open.modelLine()->isReadOnly());
    emit open.currentChanged(dir.path());
    EXPECT_TRUE(open.modelLine()->text().isEmpty());
}

TEST(WizardFileDialogs, PasswordButtonOpensTheSetModeAndAnyOtherEndMeansNoPassword)
{
    FakeUi ui;
    WizardSaveDialog dialog(ui, QString(), toQtNameFilters(QStringLiteral("Stepvane files|*.wzd|")),
                            QStringLiteral("wzd"), true);
    ASSERT_NE(dialog.passwordButton(), nullptr);
    EXPECT_EQ(dialog.passwordButton()->text(), QStringLiteral("Password"));

    ui.onModal = [](QDialog &d) {
        auto &pw = dynamic_cast<CPWDlg &>(d);
        EXPECT_EQ(pw.mode(), CPWDlg::ModeSet);
        pw.show();
        pw.passwordField()->setText(QStringLiteral("s3cret"));
        pw.confirmField()->setText(QStringLiteral("s3cret"));
        pw.accept();
        return d.result();
    };
    dialog.passwordButton()->click();
    EXPECT_TRUE(dialog.passwordResult().passwordSet);
    EXPECT_EQ(dialog.passwordResult().password, QStringLiteral("s3cret"));

    ui.onModal = nullptr; // the password dialog is closed
    dialog.passwordButton()->click();
    EXPECT_FALSE(dialog.passwordResult().passwordSet);
    EXPECT_TRUE(dialog.passwordResult().password.isEmpty());

    WizardSaveDialog plain(ui, QString(), {}, QStringLiteral("tuf"), false);
    EXPECT_EQ(plain.passwordButton(), nullptr);
}

TEST(WizardFileDialogs, FiltersBecomeQtFilters)
{
    EXPECT_EQ(toQtNameFilters(QStringLiteral("testing unit file(*.tuf, *.TUF)|*.tuf;*.TUF|")),
              QStringList{QStringLiteral("testing unit file(*.tuf, *.TUF) (*.tuf *.TUF)")});
    EXPECT_EQ(toQtNameFilters(QStringLiteral("A|*.a|B|*.b;*.c|")),
              (QStringList{QStringLiteral("A (*.a)"), QStringLiteral("B (*.b *.c)")}));
    EXPECT_EQ(toQtNameFilters(QStringLiteral("Any (*)")), QStringList{QStringLiteral("Any (*)")});
}

TEST(MessageBoxes, TextLosesTheTablesTrailingLineFeedButKeepsInnerBreaks)
{
    EXPECT_EQ(messageBoxText(Message::fromId(QStringLiteral("IDS_SAVE_FAIL"))),
              QStringLiteral("The file could not be saved."));
    const QString twoLines =
        messageBoxText(Message::fromId(QStringLiteral("IDS_INCORRECT_WZD_FOR_EQP"),
                                       {QStringLiteral("VX310A"), QStringLiteral("VX330A")}));
    EXPECT_TRUE(twoLines.contains(u'\n'));
    EXPECT_TRUE(twoLines.contains(QStringLiteral("VX310A")));
    EXPECT_FALSE(twoLines.endsWith(u'\n'));
}

TEST_F(MainWindowTest, SendAndTestingUnitDialogsStartAtTheOpenWizard)
{
    const QString file = path(QStringLiteral("bound.wzd"));
    ASSERT_TRUE(writeWizardFile(makeWizard({QStringLiteral("A")}), 2, file));
    window->openWizardPath(file);
    QString shownPath;
    ui.onModal = [&](QDialog &d) {
        shownPath = dynamic_cast<CDlgComm &>(d).pathEdit()->text();
        return int(QDialog::Rejected);
    };
    window->sendToInstrument();
    EXPECT_EQ(ui.modalTitles, QStringList{QStringLiteral("Send to Spanlyx")});
    EXPECT_EQ(shownPath, file);
    window->addTestingUnitFile(); // the fake's dialog is cancelled
    EXPECT_EQ(ui.openProposals, QStringList{file});
}

// Send to EQP sends the file on disk: unsaved changes are offered for saving
// first (the default), the older file goes only when asked for by name, Cancel
// sends nothing, and a save that fails sends nothing.
TEST_F(MainWindowTest, SendOffersToSaveUnsavedChangesFirst)
{
    const struct {
        const char *name;
        int choice;         // index of the answer; -1: Enter (the default)
        bool fileGone;      // the save fails: the bound file was removed
        int savedSequences; // in the file when the dialog opens; -1: no dialog
        bool modifiedAfter;
    } cases[] = {
        {"enter saves", -1, false, 2, false},
        {"send as saved", 1, false, 1, true},
        {"cancel", 2, false, -1, true},
        {"save fails", 0, true, -1, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QStringLiteral("sent.wzd"));
        QFile::remove(file);
        ASSERT_TRUE(writeWizardFile(makeWizard({QStringLiteral("A")}), 2, file));
        window->openWizardPath(file);
        window->newSequenceEdit()->setText(QStringLiteral("Added"));
        window->addSequence();
        ASSERT_TRUE(window->isModified());
        if (c.fileGone) {
            ASSERT_TRUE(QFile::remove(file));
        }
        ui.questions.clear();
        ui.asked.clear();
        ui.modalTitles.clear();
        if (c.choice >= 0)
            ui.choices = {c.choice};
        int sequencesWhenShown = -1;
        ui.onModal = [&](QDialog &) {
            sequencesWhenShown = readWizardFile(file, 2).sequenceCount();
            return int(QDialog::Rejected);
        };
        window->sendToInstrument();
        ASSERT_EQ(ui.asked.size(), 1u);
        EXPECT_EQ(ui.questions[0].text(),
                  QStringLiteral("Save changes to sent.wzd before sending?"));
        EXPECT_EQ(ui.asked[0].answers,
                  (QStringList{QStringLiteral("Save and send"),
                               QStringLiteral("Send the saved file"), QStringLiteral("Cancel")}));
        EXPECT_EQ(ui.asked[0].escape(), 2);
        EXPECT_EQ(ui.modalTitles.size(), c.savedSequences < 0 ? 0 : 1);
        EXPECT_EQ(sequencesWhenShown, c.savedSequences);
        EXPECT_EQ(window->isModified(), c.modifiedAfter);
        ui.saveChoices = {UserInterface::SaveChoice::Discard};
        window->newWizard();
    }

    // A wizard never saved has no older file to offer: saving or nothing.
    window->newSequenceEdit()->setText(QStringLiteral("New"));
    window->addSequence();
    ui.asked.clear();
    ui.modalTitles.clear();
    window->sendToInstrument(); // Enter: Save as, whose dialog is cancelled here
    ASSERT_EQ(ui.asked.size(), 1u);
    EXPECT_EQ(ui.asked[0].answers,
              (QStringList{QStringLiteral("Save and send"), QStringLiteral("Cancel")}));
    EXPECT_TRUE(ui.modalTitles.isEmpty()) << "nothing is sent without a file";
    ui.saveChoices = {UserInterface::SaveChoice::Discard};
    window->newWizard();

    // Nothing unsaved: nothing is asked.
    ui.questions.clear();
    ui.modalTitles.clear();
    ui.onModal = [](QDialog &) { return int(QDialog::Rejected); };
    window->sendToInstrument();
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(ui.modalTitles.size(), 1);
}

TEST_F(MainWindowTest, HelpAndAboutOpenTheShippedDocuments)
{
    window->findChild<QToolButton *>(QStringLiteral("helpButton"))->click();
    ASSERT_EQ(ui.openedDocuments.size(), 1);
    EXPECT_TRUE(ui.openedDocuments[0].endsWith(QStringLiteral("help/index.html")));
    EXPECT_TRUE(QFile::exists(ui.openedDocuments[0]));
    EXPECT_TRUE(ui.reports.empty());

    // No browser on this desktop: the program's own viewer shows the guide.
    ui.documentsOpen = false;
    window->showHelp();
    EXPECT_TRUE(ui.reports.empty());
    auto *viewer = window->findChild<DocumentViewer *>();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->shownPath(), ui.openedDocuments[1]);
    EXPECT_FALSE(viewer->browser()->toPlainText().isEmpty());
    window->showHelp();
    EXPECT_EQ(window->findChildren<DocumentViewer *>().size(), 1) << "one viewer, reused";

    ui.documentsOpen = true;
    ui.onModal = [](QDialog &d) {
        auto &about = dynamic_cast<CAboutDlg &>(d);
        about.revisionHistoryButton()->click();
        return int(QDialog::Accepted);
    };
    window->findChild<QToolButton *>(QStringLiteral("aboutButton"))->click();
    EXPECT_EQ(ui.modalTitles, QStringList{QStringLiteral("About Stepvane")});
    ASSERT_EQ(ui.openedDocuments.size(), 4);
    EXPECT_TRUE(ui.openedDocuments[3].endsWith(QStringLiteral("release-notes.html")));
    EXPECT_TRUE(ui.reports.empty());
}

TEST(AboutBox, ReleaseNotesShowInTheProgramsViewerWhenNoBrowserStarts)
{
    FakeUi ui;
    ui.documentsOpen = false;
    CAboutDlg about(ui);
    about.revisionHistoryButton()->click();
    EXPECT_TRUE(ui.reports.empty());
    auto *viewer = about.findChild<DocumentViewer *>();
    ASSERT_NE(viewer, nullptr) << "a child of the about box, so its modality does not block it";
    EXPECT_TRUE(viewer->shownPath().endsWith(QStringLiteral("release-notes.html")));
}

TEST(DocumentViewerTest, AFailureNamesTheRealCause)
{
    FakeUi ui;
    ui.documentsOpen = false;
    QTemporaryDir dir;
    QWidget owner;
    struct Case {
        QString path;
        QString cause;
    };
    const Case cases[] = {
        {dir.filePath(QStringLiteral("missing.html")), QStringLiteral("No such file")},
        {dir.path(), QStringLiteral("Not a regular file")},
    };
    for (const Case &c : cases) {
        QString why;
        EXPECT_FALSE(openProgramDocument(ui, &owner, c.path, &why));
        EXPECT_TRUE(why.contains(QDir::toNativeSeparators(c.path))) << why.toStdString();
        EXPECT_TRUE(why.contains(c.cause)) << why.toStdString();
    }
    // A file the desktop could not show, and the program cannot read either.
    DocumentViewer viewer(&owner);
    QString why;
    EXPECT_FALSE(viewer.load(dir.filePath(QStringLiteral("gone.html")), &why));
    EXPECT_TRUE(why.contains(QStringLiteral("gone.html"))) << why.toStdString();
    EXPECT_GT(why.size(), dir.filePath(QStringLiteral("gone.html")).size() + 2) << "and why";
    EXPECT_TRUE(ui.openedDocuments.isEmpty()) << "nothing missing is handed to the desktop";
}

// --- start-up

TEST(StartUp, WithoutAFileTheModelDialogChoosesTheModel)
{
    FakeUi ui;
    ui.onModal = [](QDialog &d) {
        auto &select = dynamic_cast<CVXSpanlyxSelectDlg &>(d);
        select.show();
        QTest::mouseDClick(select.list(), Qt::LeftButton, Qt::NoModifier,
                           select.list()->rowRect(2).center());
        return d.result();
    };
    CStepvaneApp app(ui);
    ASSERT_TRUE(app.Prepare({QStringLiteral("stepvane")}));
    EXPECT_EQ(ui.modalTitles, QStringList{QStringLiteral("Stepvane")});
    EXPECT_EQ(app.state().CurrentModelIndex, 2);
    auto window = app.CreateMainWindow();
    EXPECT_EQ(window->modelLabel()->text(), QStringLiteral("VX330A"));
    EXPECT_EQ(shownTitle(*window), QStringLiteral("1.2.1"));
}

TEST(StartUp, CancelledOrEmptyModelChoiceEndsTheProgram)
{
    FakeUi closed; // the close box: rejected
    CStepvaneApp a(closed);
    EXPECT_FALSE(a.Prepare({QStringLiteral("stepvane")}));

    FakeUi enterOnly;
    enterOnly.onModal = [](QDialog &d) {
        d.show();
        QTest::keyClick(&d, Qt::Key_Enter);
        return d.result();
    };
    CStepvaneApp b(enterOnly);
    EXPECT_FALSE(b.Prepare({QStringLiteral("stepvane")}));
}

TEST(StartUp, AFileOnTheCommandLineGivesTheModelAndIsOpened)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("cmd.wzd"));
    ASSERT_TRUE(writeWizardFile(makeWizard({QStringLiteral("X"), QStringLiteral("Y")}), 3, file));
    FakeUi ui;
    CStepvaneApp app(ui);
    ASSERT_TRUE(app.Prepare({QStringLiteral("stepvane"), file}));
    EXPECT_TRUE(ui.modalTitles.isEmpty()) << "no model dialog";
    EXPECT_TRUE(app.commandLineFilePending());
    auto window = app.CreateMainWindow();
    EXPECT_FALSE(app.commandLineFilePending());
    EXPECT_EQ(app.state().CurrentModelIndex, 3);
    EXPECT_EQ(window->document().sequenceCount(), 2);
    EXPECT_EQ(shownTitle(*window), file + QStringLiteral(" - 1.2.1"));
    EXPECT_TRUE(ui.reports.empty());
}

TEST(StartUp, ACommandLineFileWithoutAModelStartsWithTheFirstModel)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("junk.wzd"));
    ASSERT_TRUE(writeAll(file, "<STEPVANE><Information/></STEPVANE>"));
    FakeUi ui;
    CStepvaneApp app(ui);
    ASSERT_TRUE(app.Prepare({QStringLiteral("stepvane"), file}));
    auto window = app.CreateMainWindow();
    EXPECT_EQ(app.state().CurrentModelIndex, 0);
    EXPECT_EQ(window->document().sequenceCount(), 0);
    EXPECT_TRUE(window->filePath().isEmpty());
    EXPECT_EQ(ui.reports.size(), 1u) << "the refusal is said once";
}

TEST(StartUp, FileHelpers)
{
    QTemporaryDir dir;
    const QString empty = dir.filePath(QStringLiteral("empty"));
    ASSERT_TRUE(writeAll(empty, QByteArray()));
    EXPECT_EQ(CStepvaneApp::FileSize(empty), 0);
    EXPECT_EQ(CStepvaneApp::FileSize(dir.filePath(QStringLiteral("missing"))), -1);
    EXPECT_EQ(CStepvaneApp::FileSize(dir.path()), -1) << "a folder is not a file";
    EXPECT_TRUE(CStepvaneApp::TemporaryFolder().endsWith(u'/'));
    EXPECT_EQ(CStepvaneApp::TextFromNarrow(QByteArray("caf\xe9 \x80")), QStringLiteral("café €"));
    EXPECT_EQ(CStepvaneApp::TextFromNarrow(QByteArray(400, 'a')).size(), 259);
}

} // namespace
} // namespace stepvane::test
