// The communication dialog: modes, settings, and real transfers against
// stepvane-sim on the loopback interface.
#include "test_main_window_support.h"

#include "widgets/IPv4AddressEdit.h"

namespace stepvane::test {
namespace {

void clearStore()
{
    programSettings().remove("Connection");
}

QByteArray someBytes(int size)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 7 + 3) & 0xFF);
    return b;
}

TEST(CommDialogModes, TitleAndVisibility)
{
    const struct {
        CommDialogMode mode;
        const char *title;
        bool methods, send, path, browse, progress, close;
    } cases[] = {
        {CommDialogMode::Send, "Send to Spanlyx", false, true, true, true, true, true},
        {CommDialogMode::FetchSetup, "Load Setup file From EQP", false, false, false, false, true,
         false},
        {CommDialogMode::Settings, "Communication", true, false, false, false, false, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.title);
        clearStore();
        FakeUi ui;
        // Fetch mode would start at once when shown; it is not shown here.
        CDlgComm dialog(ui, c.mode);
        if (c.mode != CommDialogMode::FetchSetup)
            dialog.show();
        EXPECT_EQ(dialog.windowTitle(), QLatin1String(c.title));
        EXPECT_EQ(!dialog.methodGroup()->isHidden(), c.methods);
        EXPECT_EQ(!dialog.sendButton()->isHidden(), c.send);
        EXPECT_EQ(!dialog.pathEdit()->isHidden(), c.path);
        EXPECT_EQ(!dialog.browseButton()->isHidden(), c.browse);
        EXPECT_EQ(!dialog.progressBar()->isHidden(), c.progress);
        EXPECT_EQ(!dialog.closeButton()->isHidden(), c.close);
        EXPECT_TRUE(dialog.connectButton()->isHidden());
    }
}

TEST(CommDialogSettings, DefaultsOfAnEmptyStoreAndTheTypedIPv6AddressCloseSaves)
{
    clearStore();
    FakeUi ui;
    CDlgComm dialog(ui, CommDialogMode::Settings);
    EXPECT_TRUE(dialog.usbRadio()->isChecked());
    EXPECT_EQ(dialog.shownSettings().ip, "0.0.0.0");
    EXPECT_EQ(dialog.ipv6Edit()->text(), "0:0:0:0:0:0:0:1");
    EXPECT_FALSE(dialog.ipv4Field()->isEnabled());
    EXPECT_FALSE(dialog.ipv6Edit()->isEnabled());
    EXPECT_EQ(dialog.portField()->value(), 66);
    EXPECT_FALSE(dialog.portField()->isEnabled()) << "USB has no port";
    EXPECT_TRUE(programSettings().contains("Connection/Method"));
    EXPECT_TRUE(ui.reports.empty());

    // The typed IPv6 address is what Close saves.
    dialog.show();
    dialog.ipv6Radio()->click();
    QLineEdit *edit = dialog.ipv6Edit();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, "fe80::1%eth0");
    EXPECT_EQ(dialog.shownSettings().ipv6, "fe80::1%eth0");

    // The field holds 127 characters, the most the settings store reads back.
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString(128, u'a'));
    EXPECT_EQ(edit->text(), QString(127, u'a'));
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, "1");
    EXPECT_EQ(edit->text(), QString(126, u'a') + u'1');

    dialog.closeButton()->click();
    EXPECT_EQ(programSettings().value("Connection/Method").toInt(), 3);
    EXPECT_EQ(programSettings().value("Connection/IPV6").toString(), QString(126, u'a') + u'1');
}

TEST(CommDialogSettings, RadiosEnableTheirFieldAndCloseSavesWhatIsShown)
{
    storeConnection(7, "10.1.2.3", 66);
    FakeUi ui;
    CDlgComm dialog(ui, CommDialogMode::Settings);
    dialog.show();
    EXPECT_TRUE(dialog.usbRadio()->isChecked()) << "a stored method of 7 counts as USB";
    EXPECT_EQ(dialog.ipv4Field()->fields(), (std::array<int, 4>{10, 1, 2, 3}));

    dialog.ipv6Radio()->click();
    EXPECT_FALSE(dialog.ipv4Field()->isEnabled());
    EXPECT_TRUE(dialog.ipv6Edit()->isEnabled());
    dialog.ipv4Radio()->click();
    EXPECT_TRUE(dialog.ipv4Field()->isEnabled());
    EXPECT_FALSE(dialog.ipv6Edit()->isEnabled());
    EXPECT_TRUE(dialog.portField()->isEnabled());
    QLineEdit *last = dialog.ipv4Field()->box(3);
    last->setFocus();
    last->selectAll();
    QTest::keyClicks(last, "99");
    dialog.portField()->setFocus();
    dialog.portField()->selectAll();
    QTest::keyClicks(dialog.portField(), "4066");

    dialog.closeButton()->click();
    EXPECT_FALSE(dialog.isVisible());
    const QSettings store = programSettings();
    EXPECT_EQ(store.value("Connection/Method").toInt(), 1);
    EXPECT_EQ(store.value("Connection/IP").toString(), "10.1.2.99");
    EXPECT_EQ(store.value("Connection/Port").toInt(), 4066);
}

class CommTransfer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::exists(QStringLiteral(STEPVANE_BIN_DIR "/stepvane-sim")));
    }
    QTemporaryDir dir;
    FakeUi ui;
};

TEST_F(CommTransfer, SendRunsToCompletionWithProgressAndLocksTheDialogMeanwhile)
{
    Sim sim;
    ASSERT_GT(sim.port(), 0);
    storeConnection(1, "127.0.0.1", sim.port());
    const QString file = dir.filePath("survey.wzd");
    const QByteArray content = someBytes(5000);
    ASSERT_TRUE(writeAll(file, content));
    CDlgComm dialog(ui, CommDialogMode::Send);
    dialog.show();
    ui.openPaths.push_back(file);
    dialog.browseButton()->click();
    EXPECT_EQ(dialog.pathEdit()->text(), file);

    dialog.sendButton()->click();
    ASSERT_TRUE(dialog.transferRunning());
    EXPECT_FALSE(dialog.sendButton()->isEnabled());
    EXPECT_FALSE(dialog.closeButton()->isEnabled());
    EXPECT_FALSE(dialog.browseButton()->isEnabled());
    dialog.close();
    dialog.reject();
    EXPECT_TRUE(dialog.isVisible()) << "a running transfer keeps the dialog open";

    ASSERT_TRUE(waitForTransfer(dialog));
    EXPECT_EQ(ui.reportIds(), QStringList{"IDS_TRANSPORT_COMPLETE"});
    EXPECT_EQ(ui.reports.back().icon, MessageIcon::Information) << "a notice, not a warning";
    EXPECT_EQ(dialog.progressBar()->value(), dialog.progressBar()->maximum());
    EXPECT_EQ(dialog.progressBar()->maximum(), 5000 / 2048 + 1);
    EXPECT_TRUE(dialog.sendButton()->isEnabled());
    EXPECT_TRUE(dialog.closeButton()->isEnabled());

    // The instrument stand-in keeps what it received.
    QFile stored(sim.stored("survey.wzd"));
    for (int i = 0; i < 50 && !stored.exists(); ++i)
        QTest::qWait(100);
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.readAll(), content);
}

TEST_F(CommTransfer, SendWithoutAFileOrWithoutAListenerSaysSo)
{
    int port = 0;
    {
        Sim gone;
        port = gone.port();
    } // nothing listens there any more
    ASSERT_GT(port, 0);
    const QString file = dir.filePath("a.wzd");
    ASSERT_TRUE(writeAll(file, "<STEPVANE/>"));
    for (const bool withFile : {false, true}) {
        SCOPED_TRACE(withFile ? "no listener" : "no file");
        Sim sim;
        storeConnection(1, "127.0.0.1", withFile ? port : sim.port());
        ui.reports.clear();
        CDlgComm dialog(ui, CommDialogMode::Send);
        dialog.show();
        if (withFile) {
            ui.openPaths.push_back(file);
            dialog.browse();
        }
        dialog.sendButton()->click();
        ASSERT_TRUE(waitForTransfer(dialog));
        ASSERT_FALSE(ui.reports.empty());
        if (withFile) {
            EXPECT_EQ(ui.reportIds().front(), "IDS_CONNECT_FAIL");
        } else {
            EXPECT_EQ(ui.reportIds(), QStringList{"Read file Error"});
        }
        EXPECT_FALSE(ui.reportIds().contains("IDS_TRANSPORT_COMPLETE"));
    }
}

// A fetch writes the setup and closes itself; from an instrument in fiber
// mode it writes nothing and says why.
TEST_F(CommTransfer, FetchWritesTheSetupOrNothing)
{
    const QString setup = dir.filePath("instrument.sta");
    const QByteArray content = someBytes(10000);
    ASSERT_TRUE(writeAll(setup, content));
    for (const bool fiber : {false, true}) {
        SCOPED_TRACE(fiber ? "fiber" : "setup");
        ui.reports.clear();
        Sim sim(fiber ? QStringList{"--fiber"} : QStringList{"--setup", setup, "--chunk", "3000"});
        storeConnection(1, "127.0.0.1", sim.port());
        const QString target = dir.filePath(fiber ? "never.sta" : "fetched.sta");
        CDlgComm dialog(ui, CommDialogMode::FetchSetup, nullptr, target);
        QSignalSpy done(&dialog, &QDialog::finished);
        dialog.show();
        ASSERT_TRUE(done.wait(30000));
        EXPECT_EQ(dialog.receivedOk(), !fiber);
        EXPECT_EQ(dialog.result() == QDialog::Accepted, !fiber);
        EXPECT_EQ(QFile::exists(target), !fiber);
        EXPECT_EQ(readAll(target), fiber ? QByteArray() : content);
        EXPECT_EQ(ui.reportIds(), fiber ? QStringList{"IDS_FIBER_INSPECTION_MODE"} : QStringList());
    }
}

TEST_F(CommTransfer, DestroyingTheDialogDuringATransferWaitsForTheWorker)
{
    Sim sim({"--fault", "silent"});
    storeConnection(1, "127.0.0.1", sim.port());
    const QString file = dir.filePath("a.wzd");
    ASSERT_TRUE(writeAll(file, someBytes(3000)));
    {
        auto dialog = std::make_unique<CDlgComm>(ui, CommDialogMode::Send);
        dialog->show();
        ui.openPaths.push_back(file);
        dialog->browse();
        dialog->send();
        ASSERT_TRUE(dialog->transferRunning());
        dialog.reset(); // cancels and joins; no thread touches the dialog afterwards
    }
    QTest::qWait(50); // let anything still queued be delivered (there must be nothing)
    EXPECT_FALSE(ui.reportIds().contains("IDS_TRANSPORT_COMPLETE"));
}

} // namespace
} // namespace stepvane::test
