// The model selection and password dialogs, the wizard file dialogs' extra
// controls, help and about, and start-up with and without a command-line file.
#include "test_main_window_support.h"

#include "shell/dialogs/CAboutDlg.h"
#include "shell/dialogs/CPWDlg.h"
#include "shell/dialogs/WizardFileDialogs.h"

namespace stepvane::test {
namespace {

TEST(PasswordDialog, OkFollowsTheModeRules)
{
    const struct {
        const char *name;
        CPWDlg::Mode mode;
        const char *password, *confirm;
        bool accepted, passwordSet;
        int incorrectMessages;
    } cases[] = {
        {"setDifferent", CPWDlg::ModeSet, "abc", "abd", false, false, 1},
        {"setCaseDiffers", CPWDlg::ModeSet, "Abc", "abc", false, false, 1},
        {"setSame", CPWDlg::ModeSet, "abc", "abc", true, true, 0},
        {"setBothEmpty", CPWDlg::ModeSet, "", "", true, false, 0},
        {"enterAnything", CPWDlg::ModeEnter, "xyz", "", true, false, 0},
        {"enterEmpty", CPWDlg::ModeEnter, "", "", true, false, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
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
        EXPECT_EQ(ui.reportIds().count("IDS_INCORRECT_PW"), c.incorrectMessages);
        EXPECT_EQ(dialog.password(), QString::fromUtf8(c.password));
        if (!c.accepted) {
            EXPECT_EQ(dialog.confirmField()->text(), QString::fromUtf8(c.confirm))
                << "the typed texts stay";
        }
    }
}

TEST(PasswordDialogLayout, EnterModeHidesTheConfirmationAndFieldsHideTyping)
{
    FakeUi ui;
    CPWDlg enter(ui, CPWDlg::ModeEnter);
    enter.show();
    EXPECT_FALSE(enter.confirmField()->isVisible());
    EXPECT_FALSE(enter.confirmLabel()->isVisible());
    EXPECT_EQ(enter.passwordField()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(enter.windowTitle(), "Password");

    CPWDlg set(ui, CPWDlg::ModeSet);
    set.passwordField()->setText("left over");
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
    const QString wzd = dir.filePath("a.wzd");
    ASSERT_TRUE(writeWizardFile(makeWizard({"A"}), 3, wzd));
    const QString upper = dir.filePath("B.WZD");
    ASSERT_TRUE(QFile::copy(wzd, upper));
    const QString mixed = dir.filePath("c.Wzd");
    ASSERT_TRUE(QFile::copy(wzd, mixed));

    EXPECT_EQ(spanlyxModelLine(wzd), "Spanlyx Model : VX340A");
    EXPECT_EQ(spanlyxModelLine(upper), "Spanlyx Model : VX340A");
    EXPECT_EQ(spanlyxModelLine(mixed), QString());
    EXPECT_EQ(spanlyxModelLine(dir.filePath("missing.wzd")), "Spanlyx Model : Unknown Equipment");

    WizardOpenDialog open;
    emit open.currentChanged(wzd);
    EXPECT_EQ(open.modelLine()->text(), "Spanlyx Model : VX340A");
    EXPECT_TRUE(open.modelLine()->isReadOnly());
    emit open.currentChanged(dir.path());
    EXPECT_TRUE(open.modelLine()->text().isEmpty());
}

TEST(WizardFileDialogs, FiltersAndThePasswordButtonThatOpensTheSetMode)
{
    EXPECT_EQ(toQtNameFilters("testing unit file(*.tuf, *.TUF)|*.tuf;*.TUF|"),
              QStringList{"testing unit file(*.tuf, *.TUF) (*.tuf *.TUF)"});
    EXPECT_EQ(toQtNameFilters("A|*.a|B|*.b;*.c|"), (QStringList{"A (*.a)", "B (*.b *.c)"}));
    EXPECT_EQ(toQtNameFilters("Any (*)"), QStringList{"Any (*)"});

    FakeUi ui;
    WizardSaveDialog dialog(ui, QString(), toQtNameFilters("Stepvane files|*.wzd|"), "wzd", true);
    ASSERT_NE(dialog.passwordButton(), nullptr);
    EXPECT_EQ(dialog.passwordButton()->text(), "Password");

    ui.onModal = [](QDialog &d) {
        auto &pw = dynamic_cast<CPWDlg &>(d);
        EXPECT_EQ(pw.mode(), CPWDlg::ModeSet);
        pw.show();
        pw.passwordField()->setText("s3cret");
        pw.confirmField()->setText("s3cret");
        pw.accept();
        return d.result();
    };
    dialog.passwordButton()->click();
    EXPECT_TRUE(dialog.passwordResult().passwordSet);
    EXPECT_EQ(dialog.passwordResult().password, "s3cret");

    ui.onModal = nullptr; // the password dialog is closed
    dialog.passwordButton()->click();
    EXPECT_FALSE(dialog.passwordResult().passwordSet);
    EXPECT_TRUE(dialog.passwordResult().password.isEmpty());

    WizardSaveDialog plain(ui, QString(), {}, "tuf", false);
    EXPECT_EQ(plain.passwordButton(), nullptr);
}

TEST(MessageBoxes, TextLosesTheTablesTrailingLineFeedButKeepsInnerBreaks)
{
    EXPECT_EQ(messageBoxText(Message::fromId("IDS_SAVE_FAIL")), "The file could not be saved.");
    const QString twoLines =
        messageBoxText(Message::fromId("IDS_INCORRECT_WZD_FOR_EQP", {"VX310A", "VX330A"}));
    EXPECT_TRUE(twoLines.contains(u'\n'));
    EXPECT_TRUE(twoLines.contains("VX310A"));
    EXPECT_FALSE(twoLines.endsWith(u'\n'));
}

// Send to EQP sends the file on disk: unsaved changes are offered for saving
// first (the default), the older file goes only when asked for by name, Cancel
// sends nothing, and a save that fails sends nothing.
TEST_F(MainWindowTest, SendOffersToSaveUnsavedChangesFirstAndStartsAtTheOpenWizard)
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
        QFile::remove(path("sent.wzd"));
        const QString file = wizardFile("sent.wzd", {"A"});
        window->openWizardPath(file);
        addNamedSequence("Added");
        ASSERT_TRUE(window->isModified());
        ASSERT_TRUE(!c.fileGone || QFile::remove(file));
        ui.forgetShown();
        if (c.choice >= 0)
            ui.choices = {c.choice};
        int sequencesWhenShown = -1;
        ui.onModal = [&](QDialog &) {
            sequencesWhenShown = readWizardFile(file, 2).sequenceCount();
            return int(QDialog::Rejected);
        };
        window->sendToInstrument();
        ASSERT_EQ(ui.asked.size(), 1u);
        EXPECT_EQ(ui.questions[0].text(), "Save changes to sent.wzd before sending?");
        EXPECT_EQ(ui.asked[0].answers,
                  (QStringList{"Save and send", "Send the saved file", "Cancel"}));
        EXPECT_EQ(ui.asked[0].escape(), 2);
        EXPECT_EQ(ui.modalTitles.size(), c.savedSequences < 0 ? 0 : 1);
        EXPECT_EQ(sequencesWhenShown, c.savedSequences);
        EXPECT_EQ(window->isModified(), c.modifiedAfter);
        ui.saveChoices = {UserInterface::SaveChoice::Discard};
        window->newWizard();
    }

    // A wizard never saved has no older file to offer: saving or nothing.
    addNamedSequence("New");
    ui.forgetShown();
    window->sendToInstrument(); // Enter: Save as, whose dialog is cancelled here
    ASSERT_EQ(ui.asked.size(), 1u);
    EXPECT_EQ(ui.asked[0].answers, (QStringList{"Save and send", "Cancel"}));
    EXPECT_TRUE(ui.modalTitles.isEmpty()) << "nothing is sent without a file";
    ui.saveChoices = {UserInterface::SaveChoice::Discard};
    window->newWizard();

    // Nothing unsaved: nothing is asked; the send and testing unit dialogs
    // start at the open wizard.
    ui.forgetShown();
    QString shownPath;
    ui.onModal = [&](QDialog &d) {
        shownPath = dynamic_cast<CDlgComm &>(d).pathEdit()->text();
        return int(QDialog::Rejected);
    };
    window->sendToInstrument();
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(ui.modalTitles.size(), 1);
    const QString file = wizardFile("bound.wzd", {"A"});
    window->openWizardPath(file);
    window->sendToInstrument();
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(ui.modalTitles, (QStringList{"Send to Spanlyx", "Send to Spanlyx"}));
    EXPECT_EQ(shownPath, file);
    window->addTestingUnitFile(); // the fake's dialog is cancelled
    EXPECT_EQ(ui.openProposals, QStringList{file});
}

TEST_F(MainWindowTest, HelpAndAboutOpenTheShippedDocuments)
{
    window->findChild<QToolButton *>("helpButton")->click();
    ASSERT_EQ(ui.openedDocuments.size(), 1);
    EXPECT_TRUE(ui.openedDocuments[0].endsWith("help/index.html"));
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
    window->findChild<QToolButton *>("aboutButton")->click();
    EXPECT_EQ(ui.modalTitles, QStringList{"About Stepvane"});
    ASSERT_EQ(ui.openedDocuments.size(), 4);
    EXPECT_TRUE(ui.openedDocuments[3].endsWith("release-notes.html"));
    EXPECT_TRUE(ui.reports.empty());

    // Without a browser the release notes show in the program's own viewer.
    ui.documentsOpen = false;
    CAboutDlg about(ui);
    about.revisionHistoryButton()->click();
    EXPECT_TRUE(ui.reports.empty());
    auto *notes = about.findChild<DocumentViewer *>();
    ASSERT_NE(notes, nullptr) << "a child of the about box, so its modality does not block it";
    EXPECT_TRUE(notes->shownPath().endsWith("release-notes.html"));
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
        {dir.filePath("missing.html"), "No such file"},
        {dir.path(), "Not a regular file"},
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
    EXPECT_FALSE(viewer.load(dir.filePath("gone.html"), &why));
    EXPECT_TRUE(why.contains("gone.html")) << why.toStdString();
    EXPECT_GT(why.size(), dir.filePath("gone.html").size() + 2) << "and why";
    EXPECT_TRUE(ui.openedDocuments.isEmpty()) << "nothing missing is handed to the desktop";
}

// --- start-up

TEST(StartUp, TheModelDialogChoosesTheModelOrEndsTheProgram)
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
    ASSERT_TRUE(app.Prepare({"stepvane"}));
    EXPECT_EQ(ui.modalTitles, QStringList{"Stepvane"});
    EXPECT_EQ(app.state().CurrentModelIndex, 2);
    auto window = app.CreateMainWindow();
    EXPECT_EQ(window->modelLabel()->text(), "VX330A");
    EXPECT_EQ(shownTitle(*window), "1.2.1");

    // Cancelled or left empty, the model choice ends the program.
    FakeUi closed; // the close box: rejected
    CStepvaneApp a(closed);
    EXPECT_FALSE(a.Prepare({"stepvane"}));

    FakeUi enterOnly;
    enterOnly.onModal = [](QDialog &d) {
        d.show();
        QTest::keyClick(&d, Qt::Key_Enter);
        return d.result();
    };
    CStepvaneApp b(enterOnly);
    EXPECT_FALSE(b.Prepare({"stepvane"}));
}

TEST(StartUp, ACommandLineFileGivesTheModelAndIsOpenedOrStartsWithTheFirstModel)
{
    QTemporaryDir dir;
    const QString good = dir.filePath("cmd.wzd"), junk = dir.filePath("junk.wzd");
    ASSERT_TRUE(writeWizardFile(makeWizard({"X", "Y"}), 3, good));
    ASSERT_TRUE(writeAll(junk, "<STEPVANE><Information/></STEPVANE>"));
    for (const QString &file : {good, junk}) {
        SCOPED_TRACE(file.toStdString());
        const bool ok = file == good;
        FakeUi ui;
        CStepvaneApp app(ui);
        ASSERT_TRUE(app.Prepare({"stepvane", file}));
        EXPECT_TRUE(ui.modalTitles.isEmpty()) << "no model dialog";
        const bool pending = app.commandLineFilePending();
        auto window = app.CreateMainWindow();
        if (ok) {
            EXPECT_TRUE(pending);
            EXPECT_FALSE(app.commandLineFilePending());
            EXPECT_EQ(shownTitle(*window), file + " - 1.2.1");
        }
        EXPECT_EQ(app.state().CurrentModelIndex, ok ? 3 : 0);
        EXPECT_EQ(window->document().sequenceCount(), ok ? 2 : 0);
        EXPECT_EQ(window->filePath(), ok ? file : QString());
        EXPECT_EQ(ui.reports.size(), ok ? 0u : 1u) << "the refusal is said once";
    }
}

TEST(StartUp, FileHelpers)
{
    QTemporaryDir dir;
    const QString empty = dir.filePath("empty");
    ASSERT_TRUE(writeAll(empty, QByteArray()));
    EXPECT_EQ(CStepvaneApp::FileSize(empty), 0);
    EXPECT_EQ(CStepvaneApp::FileSize(dir.filePath("missing")), -1);
    EXPECT_EQ(CStepvaneApp::FileSize(dir.path()), -1) << "a folder is not a file";
    EXPECT_TRUE(CStepvaneApp::TemporaryFolder().endsWith(u'/'));
    EXPECT_EQ(CStepvaneApp::TextFromNarrow(QByteArray("caf\xe9 \x80")), "café €");
    EXPECT_EQ(CStepvaneApp::TextFromNarrow(QByteArray(400, 'a')).size(), 259);
}

} // namespace
} // namespace stepvane::test
