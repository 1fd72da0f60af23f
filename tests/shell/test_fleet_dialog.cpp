// "Send to instruments...": the dialog driven as a user drives it, against
// three simulated instruments of which one hangs up after the handshake.
#include "test_main_window_support.h"

#include "document/VX_CAAXML_PARSER.h"

namespace stepvane::test {
namespace {

// stepvane-sim with several instruments on free ports of 127.0.0.1.
class SimFleet {
public:
    SimFleet(int count, const QString &store, const QStringList &extra)
    {
        m_process.setProgram(QStringLiteral(STEPVANE_BIN_DIR "/stepvane-sim"));
        m_process.setArguments(QStringList{"--instances", QString::number(count), "--port", "0",
                                           "--bind", "127.0.0.1", "--store", store} +
                               extra);
        m_process.start();
        const QRegularExpression re("sim (\\d+): stepvane-sim listening on port (\\d+)");
        m_ports.assign(size_t(count), 0);
        for (int i = 0; i < 200 && std::count(m_ports.begin(), m_ports.end(), 0) > 0; ++i) {
            m_process.waitForReadyRead(100);
            m_log += QString::fromUtf8(m_process.readAllStandardOutput());
            for (auto it = re.globalMatch(m_log); it.hasNext();) {
                const auto m = it.next();
                m_ports[size_t(m.captured(1).toInt())] = m.captured(2).toInt();
            }
        }
    }
    ~SimFleet()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
    int port(int k) const { return m_ports[size_t(k)]; }
    QString log()
    {
        m_process.waitForReadyRead(100);
        m_log += QString::fromUtf8(m_process.readAllStandardOutput());
        return m_log;
    }

private:
    QProcess m_process;
    std::vector<int> m_ports;
    QString m_log;
};

} // namespace

TEST(FleetDialog, SendsToEveryCheckedRowRetriesTheFailedAndReports)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("store");
    SimFleet sim(3, store, {"--fault", "1:close-after=1"});
    ASSERT_GT(sim.port(2), 0) << sim.log().toStdString();
    saveFleet({});

    // A wizard with a check error: the question comes once for the fleet.
    WizardDocument doc;
    TestingSequence *s = doc.appendSequence();
    s->Title = "Sweep";
    s->insertStep(-1, MeasureModeTask{QString(), MeasureTwoPortTransmission});
    const QString wizard = dir.filePath("tower.wzd");
    ASSERT_TRUE(writeWizardFile(doc, 1, wizard));

    FakeUi ui;
    FleetSendDlg dialog(ui);
    dialog.setFilePath(wizard);
    dialog.show();
    // Three rows through the Add button's dialog.
    int adding = 0;
    ui.onModal = [&](QDialog &d) {
        auto &add = dynamic_cast<FleetInstrumentDlg &>(d);
        add.nameEdit()->setText(QStringLiteral("crew %1").arg(adding));
        add.addressEdit()->setText("127.0.0.1");
        add.portBox()->setValue(sim.port(adding));
        add.accept();
        ++adding;
        return d.result();
    };
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(dialog.addButton(), Qt::LeftButton);
    ASSERT_EQ(dialog.instruments().size(), 3u);
    EXPECT_EQ(loadFleet(), dialog.instruments()); // kept in the settings at once

    QTest::mouseClick(dialog.sendButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.transferRunning());
    EXPECT_FALSE(dialog.sendButton()->isEnabled());
    EXPECT_TRUE(dialog.cancelButton()->isEnabled());
    ASSERT_TRUE(waitForTransfer(dialog));
    EXPECT_EQ(ui.questions.size(), 1u);

    const FleetState expected[] = {FleetState::Done, FleetState::Failed, FleetState::Done};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(dialog.outcomes()[size_t(row)].state, expected[row]) << row;
        const QString state = dialog.table()->item(row, FleetSendDlg::ColState)->text();
        EXPECT_TRUE(state.startsWith(row == 1 ? "failed: " : "done")) << state.toStdString();
        auto *bar = qobject_cast<QProgressBar *>(
            dialog.table()->cellWidget(row, FleetSendDlg::ColProgress));
        EXPECT_EQ(bar->value() == bar->maximum(), row != 1) << row;
    }
    const QByteArray sent = readAll(wizard);
    for (int k : {0, 2}) {
        const QString stored =
            QDir(store).filePath(QStringLiteral("%1/tower.wzd").arg(sim.port(k)));
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(stored); }, 5000));
        EXPECT_EQ(readAll(stored), sent);
    }

    // Retry failed goes to the failed row only, without asking again.
    EXPECT_EQ(dialog.summaryLabel()->text(), "2 done, 1 failed");
    ASSERT_TRUE(dialog.retryButton()->isEnabled());
    const int before = int(sim.log().count("connection from"));
    QTest::mouseClick(dialog.retryButton(), Qt::LeftButton);
    ASSERT_TRUE(waitForTransfer(dialog));
    EXPECT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(sim.log().count("connection from"), before + 1);
    EXPECT_TRUE(sim.log().contains("sim 1: [2] connection from")) << sim.log().toStdString();
    EXPECT_EQ(dialog.outcomes()[0].state, FleetState::Done);
    // The status counts the whole fleet, not the one row retried.
    EXPECT_EQ(dialog.summaryLabel()->text(), "2 done, 1 failed");
    EXPECT_EQ(dialog.table()->item(1, FleetSendDlg::ColState)->text(),
              "failed: the instrument closed the connection");

    const QString report = dir.filePath("report.csv");
    ui.saveAs(report);
    QTest::mouseClick(dialog.reportButton(), Qt::LeftButton);
    const QList<QByteArray> lines = readAll(report).split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[0], "instrument,address,result,message,bytes,seconds,file_sha256,time");
    const QByteArray sha = sha256Hex(sent).toLatin1();
    EXPECT_TRUE(
        lines[1].startsWith(QStringLiteral("crew 0,127.0.0.1:%1,done,").arg(sim.port(0)).toUtf8()));
    EXPECT_TRUE(lines[1].contains("," + QByteArray::number(sent.size()) + ","));
    EXPECT_TRUE(lines[2].contains(",failed,the instrument closed the connection,"))
        << lines[2].toStdString();
    // The report is named where the dialog's buttons are, with its folder.
    ASSERT_TRUE(dialog.notice()->isVisible());
    EXPECT_EQ(dialog.notice()->text(), "Report written: " + QDir::toNativeSeparators(report));
    QTest::mouseClick(dialog.notice()->openFolderButton(), Qt::LeftButton);
    EXPECT_EQ(ui.openedDocuments.value(0), QFileInfo(report).absolutePath());
    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE(lines[i].contains(sha)) << i;

    // A broken fleet file is refused with its line; the list stays.
    const QString bad = dir.filePath("bad.csv");
    ASSERT_TRUE(writeAll(bad, "name,method,address,port\nx,ipv4,10.0.0.1,66\ny,serial,COM1,\n"));
    ui.openPaths.push_back(bad);
    dialog.importCsv();
    ASSERT_FALSE(ui.reports.empty());
    EXPECT_TRUE(ui.reports.back().text().contains(QLatin1String("line 3: unknown method")))
        << ui.reports.back().text().toStdString();
    EXPECT_EQ(dialog.instruments().size(), 3u);
}

// The File menu's command asks to save unsaved changes first, as Send to EQP
// does, and opens the dialog on the file as saved.
TEST_F(MainWindowTest, SendToInstrumentsSavesFirstAndOpensTheDialog)
{
    const QString file = wizardFile("fleet.wzd", {"A"});
    window->openWizardPath(file);
    addNamedSequence("Added");
    ui.answers = {true};
    QString shown;
    int sequences = -1;
    ui.onModal = [&](QDialog &d) {
        shown = dynamic_cast<FleetSendDlg &>(d).filePath();
        sequences = readWizardFile(file, 2).sequenceCount();
        return int(QDialog::Rejected);
    };
    auto *action = window->findChild<QAction *>("actionSendFleet");
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), "Send to instruments...");
    action->trigger();
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].text(), "Save changes to fleet.wzd before sending?");
    EXPECT_EQ(shown, file);
    EXPECT_EQ(sequences, 2);
    EXPECT_FALSE(window->isModified());
}

} // namespace stepvane::test
