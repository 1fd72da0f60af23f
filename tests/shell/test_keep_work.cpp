// Nothing the user typed is lost or made unreadable. Enter on the questions
// that stand between the user's edits and a file or an
// instrument keeps the edits: Send to EQP saves first and the instrument
// stand-in stores the edited wizard; after a crash (a real child process
// killed with unsaved edits) Enter at the next start brings the edits back.
#include "test_main_window_support.h"

#include "widgets/FieldNote.h"
#include "widgets/TextFieldRules.h"

#include <csignal>

namespace stepvane::test {
namespace {

// The real message boxes, answered by the test with the Enter key as a user
// would; the communication dialog is run to the end of its send.
class EnterUi : public QtUserInterface {
public:
    void report(const Message &message) override { reports.push_back(message); }
    int runModal(QDialog &dialog) override
    {
        auto *comm = dynamic_cast<CDlgComm *>(&dialog);
        if (!comm)
            return QDialog::Rejected;
        comm->show();
        comm->sendButton()->click();
        waitForTransfer(*comm);
        comm->hide();
        return QDialog::Accepted;
    }
    std::vector<Message> reports;
};

// Presses Enter in the first message box that opens; what the box showed on
// its default button is kept.
struct EnterOnNextBox {
    EnterOnNextBox()
    {
        auto *timer = new QTimer(qApp);
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, [this, timer] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            timer->deleteLater();
            timer->stop();
            defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
            QWidget *focus = QApplication::focusWidget();
            QTest::keyClick(focus && box->isAncestorOf(focus) ? focus : box, Qt::Key_Return);
        });
        timer->start();
    }
    QString defaultText;
};

TEST(KeepWork, EnterOnTheSendQuestionSendsTheEditedWizard)
{
    QTemporaryDir dir;
    Sim sim;
    ASSERT_GT(sim.port(), 0);
    storeConnection(1, "127.0.0.1", sim.port());
    const QString file = dir.filePath("tower.wzd");
    ASSERT_TRUE(writeWizardFile(makeWizard({"On disk"}), 2, file));

    EnterUi ui;
    AppState state;
    state.CurrentModelIndex = 2;
    CStepvaneDlg window(state, ui);
    window.openWizardPath(file);
    window.newSequenceEdit()->setText("Edited, not saved");
    window.addSequence();
    ASSERT_TRUE(window.isModified());

    EnterOnNextBox enter;
    window.sendToInstrument();
    EXPECT_EQ(enter.defaultText, "Save and send");
    EXPECT_FALSE(window.isModified());
    QFile stored(sim.stored("tower.wzd"));
    for (int i = 0; i < 50 && !stored.exists(); ++i)
        QTest::qWait(100);
    ASSERT_TRUE(stored.exists());
    EXPECT_TRUE(readWizardFile(stored.fileName(), 2) == window.document());
    EXPECT_EQ(readWizardFile(stored.fileName(), 2).sequenceCount(), 2);
}

const char *const kCrashFolder = "STEPVANE_TEST_CRASH_FOLDER";

// Run only as the child of the test below: edits a wizard, waits for its
// recovery copy and dies without a word.
TEST(KeepWorkChild, DISABLED_EditAndDie)
{
    const QString folder = qEnvironmentVariable(kCrashFolder);
    ASSERT_FALSE(folder.isEmpty());
    FakeUi ui;
    AppState state;
    state.CurrentModelIndex = 2;
    CStepvaneDlg window(state, ui);
    window.keepRecoveryCopies(folder);
    window.recoveryCopies()->setInterval(10);
    QSignalSpy written(window.recoveryCopies(), &RecoveryCopies::written);
    QTest::keyClicks(window.newSequenceEdit(), "Unsaved work");
    window.addSequence();
    ASSERT_TRUE(written.wait(10000));
    ASSERT_TRUE(writeWizardFile(window.document(), 2, folder + QStringLiteral(".expected.wzd")));
    std::raise(SIGKILL);
}

TEST(KeepWork, EnterAfterACrashBringsTheEditsBack)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("recovery");
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(kCrashFolder), folder);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=KeepWorkChild.*", "--gtest_also_run_disabled_tests"});
    ASSERT_TRUE(child.waitForFinished(60000));
    ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAll().toStdString();
    const WizardDocument expected = readWizardFile(folder + QStringLiteral(".expected.wzd"), 2);
    ASSERT_EQ(expected.sequenceCount(), 1);

    EnterUi ui;
    CStepvaneApp app(ui);
    app.setRecoveryFolder(folder);
    EnterOnNextBox enter;
    ASSERT_TRUE(app.Prepare({"stepvane"}));
    EXPECT_EQ(enter.defaultText, "Restore");
    auto window = app.CreateMainWindow();
    EXPECT_TRUE(window->document() == expected);
    EXPECT_TRUE(window->isModified());
}

// The texts the main window and the task editor edit (wizard title, new
// sequence title, sequence title) refuse what a wizard cannot hold, and the
// saved wizard opens again.
TEST_F(MainWindowTest, WindowTextFieldsKeepWhatTheFileCanHold)
{
    addSequences(1);
    window->show();
    pane().openTaskEditor(0);
    QLineEdit *const fields[] = {window->titleEdit(), window->newSequenceEdit(),
                                 pane().taskEditor()->findChild<QLineEdit *>("sequenceTitle")};
    for (QLineEdit *field : fields) {
        ASSERT_NE(field, nullptr);
        SCOPED_TRACE(field->objectName().toStdString());
        field->window()->activateWindow();
        QTRY_VERIFY(field->window()->isActiveWindow());
        QGuiApplication::clipboard()->setText(QStringLiteral("A") + QChar(0x01) +
                                              QStringLiteral("B") + QChar(0xD800));
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
        EXPECT_EQ(field->text(), "AB");
        ASSERT_NE(FieldNote::of(field), nullptr);
        EXPECT_EQ(FieldNote::of(field)->text(), unsafeTextNote());
    }
    window->addSequence();
    EXPECT_EQ(titles(), (QStringList{"AB", "AB"}));
    EXPECT_EQ(doc().Title, "AB");
    const QString file = path("titled.wzd");
    ui.saveAs(file);
    ASSERT_TRUE(window->saveWizard());
    EXPECT_TRUE(readWizardFile(file, 2) == doc());
}

} // namespace
} // namespace stepvane::test
