// The communication dialog: modes, settings, and real transfers against
// stepvane-sim on the loopback interface.
#include "support/SimProcess.h"
#include "support/TestFiles.h"
#include "test_main_window_fake_ui.h"

#include "shell/comm/CDlgComm.h"
#include "widgets/IPv4AddressEdit.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace stepvane::test {
namespace {

void clearStore()
{
    QSettings store(QStringLiteral("Vexmar"), QStringLiteral("Stepvane"));
    store.remove(QStringLiteral("Connection"));
    store.sync();
}

QByteArray someBytes(int size)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 7 + 3) & 0xFF);
    return b;
}

// Waits (bounded, never timed) until the dialog's worker has ended.
bool waitForTransfer(CDlgComm &dialog)
{
    for (int i = 0; i < 600 && dialog.transferRunning(); ++i)
        QTest::qWait(50);
    return !dialog.transferRunning();
}

struct VisibilityCase {
    const char *name;
    CommDialogMode mode;
    const char *title;
    bool methods, send, path, browse, progress, close;
};

class CommDialogModes : public ::testing::TestWithParam<VisibilityCase> {};

TEST_P(CommDialogModes, TitleAndVisibility)
{
    const VisibilityCase &c = GetParam();
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

INSTANTIATE_TEST_SUITE_P(
    Modes, CommDialogModes,
    ::testing::Values(VisibilityCase{"send", CommDialogMode::Send, "Send to Spanlyx", false, true,
                                     true, true, true, true},
                      VisibilityCase{"fetch", CommDialogMode::FetchSetup,
                                     "Load Setup file From EQP", false, false, false, false, true,
                                     false},
                      VisibilityCase{"settings", CommDialogMode::Settings, "Communication", true,
                                     false, false, false, false, true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CommDialogSettings, DefaultsWhenTheStoreIsEmptyAndTheKeyIsCreated)
{
    clearStore();
    FakeUi ui;
    CDlgComm dialog(ui, CommDialogMode::Settings);
    EXPECT_TRUE(dialog.usbRadio()->isChecked());
    EXPECT_EQ(dialog.shownSettings().ip, QStringLiteral("0.0.0.0"));
    EXPECT_EQ(dialog.ipv6Edit()->text(), QStringLiteral("0:0:0:0:0:0:0:1"));
    EXPECT_FALSE(dialog.ipv4Field()->isEnabled());
    EXPECT_FALSE(dialog.ipv6Edit()->isEnabled());
    EXPECT_EQ(dialog.portField()->value(), 66);
    EXPECT_FALSE(dialog.portField()->isEnabled()) << "USB has no port";
    QSettings store(QStringLiteral("Vexmar"), QStringLiteral("Stepvane"));
    EXPECT_TRUE(store.contains(QStringLiteral("Connection/Method")));
    EXPECT_TRUE(ui.reports.empty());
}

TEST(CommDialogSettings, RadiosEnableTheirFieldAndCloseSavesWhatIsShown)
{
    storeConnection(7, QStringLiteral("10.1.2.3"), 66);
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
    QTest::keyClicks(last, QStringLiteral("99"));
    dialog.portField()->setFocus();
    dialog.portField()->selectAll();
    QTest::keyClicks(dialog.portField(), QStringLiteral("4066"));

    dialog.closeButton()->click();
    EXPECT_FALSE(dialog.isVisible());
    QSettings store(QStringLiteral("Vexmar"), QStringLiteral("Stepvane"));
    EXPECT_EQ(store.value(QStringLiteral("Connection/Method")).toInt(), 1);
    EXPECT_EQ(store.value(QStringLiteral("Connection/IP")).toString(), QStringLiteral("10.1.2.99"));
    EXPECT_EQ(store.value(QStringLiteral("Connection/Port")).toInt(), 4066);
}

TEST(CommDialogSettings, TheTypedIPv6AddressIsWhatCloseSaves)
{
    clearStore();
    FakeUi ui;
    CDlgComm dialog(ui, CommDialogMode::Settings);
    dialog.show();
    dialog.ipv6Radio()->click();
    QLineEdit *edit = dialog.ipv6Edit();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QStringLiteral("fe80::1%eth0"));
    EXPECT_EQ(dialog.shownSettings().ipv6, QStringLiteral("fe80::1%eth0"));

    // The field holds 127 characters, the most the settings store reads back.
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString(128, u'a'));
    EXPECT_EQ(edit->text(), QString(127, u'a'));
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, QStringLiteral("1"));
    EXPECT_EQ(edit->text(), QString(126, u'a') + u'1');

    dialog.closeButton()->click();
    QSettings store(QStringLiteral("Vexmar"), QStringLiteral("Stepvane"));
    EXPECT_EQ(store.value(QStringLiteral("Connection/Method")).toInt(), 3);
    EXPECT_EQ(store.value(QStringLiteral("Connection/IPV6")).toString(), QString(126, u'a') + u'1');
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
    storeConnection(1, QStringLiteral("127.0.0.1"), sim.port());
    const QString file = dir.filePath(QStringLiteral("survey.wzd"));
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
    EXPECT_EQ(ui.reportIds(), QStringList{QStringLiteral("IDS_TRANSPORT_COMPLETE")});
    EXPECT_EQ(ui.reports.back().icon, MessageIcon::Information) << "a notice, not a warning";
    EXPECT_EQ(dialog.progressBar()->value(), dialog.progressBar()->maximum());
    EXPECT_EQ(dialog.progressBar()->maximum(), 5000 / 2048 + 1);
    EXPECT_TRUE(dialog.sendButton()->isEnabled());
    EXPECT_TRUE(dialog.closeButton()->isEnabled());

    // The instrument stand-in keeps what it received.
    QFile stored(sim.stored(QStringLiteral("survey.wzd")));
    for (int i = 0; i < 50 && !stored.exists(); ++i)
        QTest::qWait(100);
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.readAll(), content);
}

TEST_F(CommTransfer, SendWithoutAFileSaysSoAndSendsNothing)
{
    Sim sim;
    storeConnection(1, QStringLiteral("127.0.0.1"), sim.port());
    CDlgComm dialog(ui, CommDialogMode::Send);
    dialog.show();
    dialog.sendButton()->click();
    ASSERT_TRUE(waitForTransfer(dialog));
    EXPECT_EQ(ui.reportIds(), QStringList{QStringLiteral("Read file Error")});
}

TEST_F(CommTransfer, ConnectFailureIsReported)
{
    int port = 0;
    {
        Sim gone;
        port = gone.port();
    } // nothing listens there any more
    ASSERT_GT(port, 0);
    storeConnection(1, QStringLiteral("127.0.0.1"), port);
    const QString file = dir.filePath(QStringLiteral("a.wzd"));
    ASSERT_TRUE(writeAll(file, "<STEPVANE/>"));
    CDlgComm dialog(ui, CommDialogMode::Send);
    dialog.show();
    ui.openPaths.push_back(file);
    dialog.browse();
    dialog.send();
    ASSERT_TRUE(waitForTransfer(dialog));
    ASSERT_FALSE(ui.reports.empty());
    EXPECT_EQ(ui.reports.front().id, QStringLiteral("IDS_CONNECT_FAIL"));
    EXPECT_FALSE(ui.reportIds().contains(QStringLiteral("IDS_TRANSPORT_COMPLETE")));
}

// A fetch writes the setup and closes itself; from an instrument in fiber
// mode it writes nothing and says why.
TEST_F(CommTransfer, FetchWritesTheSetupOrNothing)
{
    const QString setup = dir.filePath(QStringLiteral("instrument.sta"));
    const QByteArray content = someBytes(10000);
    ASSERT_TRUE(writeAll(setup, content));
    for (const bool fiber : {false, true}) {
        SCOPED_TRACE(fiber ? "fiber" : "setup");
        ui.reports.clear();
        Sim sim(fiber ? QStringList{QStringLiteral("--fiber")}
                      : QStringList{QStringLiteral("--setup"), setup, QStringLiteral("--chunk"),
                                    QStringLiteral("3000")});
        storeConnection(1, QStringLiteral("127.0.0.1"), sim.port());
        const QString target =
            dir.filePath(fiber ? QStringLiteral("never.sta") : QStringLiteral("fetched.sta"));
        CDlgComm dialog(ui, CommDialogMode::FetchSetup, nullptr, target);
        QSignalSpy done(&dialog, &QDialog::finished);
        dialog.show();
        ASSERT_TRUE(done.wait(30000));
        EXPECT_EQ(dialog.receivedOk(), !fiber);
        EXPECT_EQ(dialog.result() == QDialog::Accepted, !fiber);
        EXPECT_EQ(QFile::exists(target), !fiber);
        EXPECT_EQ(readAll(target), fiber ? QByteArray() : content);
        EXPECT_EQ(ui.reportIds(),
                  fiber ? QStringList{QStringLiteral("IDS_FIBER_INSPECTION_MODE")} : QStringList());
    }
}

TEST_F(CommTransfer, DestroyingTheDialogDuringATransferWaitsForTheWorker)
{
    Sim sim({QStringLiteral("--fault"), QStringLiteral("silent")});
    storeConnection(1, QStringLiteral("127.0.0.1"), sim.port());
    const QString file = dir.filePath(QStringLiteral("a.wzd"));
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
    EXPECT_FALSE(ui.reportIds().contains(QStringLiteral("IDS_TRANSPORT_COMPLETE")));
}

} // namespace
} // namespace stepvane::test
