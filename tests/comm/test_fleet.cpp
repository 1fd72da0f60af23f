// The fleet: its CSV (every refusal with its line), the settings group, file
// names for fetched setups, and transfers to several simulated instruments
// at once, one of them faulty, through stepvane-cli and the core.
#include "ChildProcess.h"
#include "support/LinkTraps.h"
#include "support/TestFiles.h"

#include "comm/fleet/FleetTransfer.h"
#include "document/ModelTables.h"
#include "document/VX_CAAXML_PARSER.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTemporaryDir>

#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

// The ports of a simulator started with --instances, in instance order.
std::vector<int> instancePorts(SimProcess &sim, int count)
{
    std::vector<int> ports;
    if (!sim.waitForLine(QRegularExpression(
            QStringLiteral("sim %1: stepvane-sim listening on port").arg(count - 1))))
        return ports;
    const QRegularExpression re("sim (\\d+): stepvane-sim listening on port (\\d+)");
    ports.assign(size_t(count), 0);
    for (auto it = re.globalMatch(sim.log()); it.hasNext();) {
        const auto m = it.next();
        ports[size_t(m.captured(1).toInt())] = m.captured(2).toInt();
    }
    return ports;
}

} // namespace

TEST(FleetCsv, EveryMalformedLineIsRefusedWithItsLine)
{
    const QByteArray header = "name,method,address,port\n";
    const struct {
        QByteArray text;
        int line;
        const char *reason;
    } cases[] = {
        {"", 1, "the file is empty"},
        {"name,method,address\n", 1, "the first line must be"},
        {header + "a,ipv4,10.0.0.1\n", 2, "3 fields where 4 belong"},
        {header + "a,ipv4,10.0.0.1,66,x\n", 2, "5 fields where 4 belong"},
        {header + "\"a,ipv4,10.0.0.1,66\n", 2, "a quoted field is not closed"},
        {header + "\"a\"b,ipv4,10.0.0.1,66\n", 2, "text after a closing quote"},
        {header + ",ipv4,10.0.0.1,66\n", 2, "the name is empty"},
        {header + QByteArray(128, 'n') + ",ipv4,10.0.0.1,66\n", 2, "longer than 127"},
        {header + "a\tb,ipv4,10.0.0.1,66\n", 2, "control character"},
        {header + "a,tcp,10.0.0.1,66\n", 2, "unknown method \"tcp\""},
        {header + "a,ipv4,,66\n", 2, "the address is empty"},
        {header + "a,ipv4,300.1.1.1,66\n", 2, "\"300.1.1.1\" is not an IPv4 address"},
        {header + "a,ipv6,::g,66\n", 2, "is not an IPv6 address"},
        {header + "a,ipv4,10.0.0.1,0\n", 2, "the port must be"},
        {header + "a,ipv4,10.0.0.1,http\n", 2, "the port must be"},
        {header + "a,usb,10.0.0.1,\n", 2, "a USB instrument has no address"},
        {header + "a,usb,,66\n", 2, "a USB instrument has no port"},
        {header + "a,ipv4,h1,66\n\nA,ipv4,h2,66\n", 4, "already used, on line 2"},
        {header + "a,usb,,\nb,ipv4,h,1\nc,USB,,\n", 4, "at most one (\"a\" is already the USB"},
        {header + "a,ipv4,h," + QByteArray(5000, '6') + "\n", 2, "longer than 4096 bytes"},
        {header + "a\xff,ipv4,h,66\n", 2, "not UTF-8"},
        // A NUL would end the address where the system reads it.
        {header + "a,ipv4,10.0.0.1,66\nb,ipv4,10.0.0.2" + QByteArray(1, '\0') + ",66\n", 3,
         "the address holds a control character"},
        {header + "a,ipv4,10.0.0.1" + QByteArray(1, '\0') + ".9,66\n", 2, "control character"},
        {header + "a,ipv6,::1" + QByteArray(1, '\0') + ",66\n", 2, "control character"},
    };
    for (const auto &c : cases) {
        const FleetCsvResult r = parseFleetCsv(c.text);
        SCOPED_TRACE(c.text.left(80).toStdString());
        EXPECT_FALSE(r.ok());
        EXPECT_TRUE(r.list.empty());
        EXPECT_EQ(r.line, c.line) << r.message().toStdString();
        EXPECT_TRUE(r.error.contains(QLatin1String(c.reason))) << r.error.toStdString();
    }
    EXPECT_FALSE(parseFleetCsv(header + QByteArray(1024 * 1024, '\n')).ok());
}

TEST(FleetCsv, RoundTripKeepsOddNamesAndReadsWhatPeopleWrite)
{
    FleetList list = {
        {"Crew A, truck 1", kMethodIPv4, "10.0.0.7", 66, true},
        {"\"Lab\" bench", kMethodIPv6, "fe80::1%eth0", 6666, true},
        {" spaced ", kMethodIPv4, "vx-330.site.example", 1, true},
        {"Zoë", kMethodUsb, QString(), 66, true},
    };
    const QByteArray csv = fleetCsv(list);
    const FleetCsvResult back = parseFleetCsv(csv);
    ASSERT_TRUE(back.ok()) << back.message().toStdString();
    EXPECT_EQ(back.list, list);
    EXPECT_EQ(fleetCsv(back.list), csv);

    // A spreadsheet's export: byte order mark, CRLF, spaces, brackets, no port.
    const FleetCsvResult loose =
        parseFleetCsv("\xEF\xBB\xBFName, Method, Address, Port\r\nx , IPv6 , [::1] ,\r\n\r\n");
    ASSERT_TRUE(loose.ok()) << loose.message().toStdString();
    ASSERT_EQ(loose.list.size(), 1u);
    EXPECT_EQ(loose.list[0].address, "::1");
    EXPECT_EQ(loose.list[0].port, 66);
    EXPECT_EQ(loose.list[0].where(), "[::1]:66");
}

TEST(FleetSettings, BadValuesGiveDefaultsOrAreLeftOut)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.ini");
    {
        QSettings store(path, QSettings::IniFormat);
        store.setValue("Fleet/size", 1000000000);
        const char *rows[][5] = {
            {"good", "ipv6", "::1", "6666", "false"},
            {"bad method", "carrier-pigeon", "10.0.0.2", "70000", "maybe"},
            {"", "ipv4", "10.0.0.3", "66", "true"},     // no name: left out
            {"no address", "ipv4", "", "66", "true"},   // no address: left out
            {"GOOD", "ipv4", "10.0.0.4", "66", "true"}, // name taken: left out
            {"usb 1", "usb", "ignored", "x", "true"},
            {"usb 2", "usb", "", "66", "true"}, // a second USB: left out
        };
        const char *keys[] = {"Name", "Method", "Address", "Port", "Include"};
        for (int i = 0; i < 7; ++i)
            for (int k = 0; k < 5; ++k)
                store.setValue(QStringLiteral("Fleet/%1/").arg(i + 1) + keys[k], rows[i][k]);
    }
    QSettings store(path, QSettings::IniFormat);
    const FleetList list = loadFleet(store);
    const FleetList expected = {
        {"good", kMethodIPv6, "::1", 6666, false},
        {"bad method", kMethodIPv4, "10.0.0.2", 66, true},
        {"usb 1", kMethodUsb, QString(), 66, true},
    };
    EXPECT_EQ(list, expected);
    ASSERT_TRUE(saveFleet(list, store));
    EXPECT_EQ(loadFleet(store), list);
    QSettings empty(dir.filePath("none.ini"), QSettings::IniFormat);
    EXPECT_TRUE(loadFleet(empty).empty());
}

TEST(FleetFiles, NamesAreSafeAndUnique)
{
    FleetList list;
    for (const char *name : {"127.0.0.1:6666", "127.0.0.1_6666", "../etc/passwd", ".", "Crew/A"})
        list.push_back({QString::fromUtf8(name), kMethodIPv4, "h", 1, true});
    EXPECT_EQ(fleetFileNames(list), QStringList({"127.0.0.1_6666", "127.0.0.1_6666_2",
                                                 "_.._etc_passwd", "_.", "Crew_A"}));
}

TEST(FleetCli, SendsToHealthyInstrumentsWhileAFaultyOneFails)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("store");
    // Instance 2 hangs up after the handshake: its send cannot complete.
    SimProcess sim({"--instances", "4", "--store", store, "--fault", "2:close-after=1"});
    const std::vector<int> ports = instancePorts(sim, 4);
    ASSERT_EQ(ports.size(), 4u) << sim.log().toStdString();

    QByteArray bytes(70000, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 37 + i / 256) & 0xFF); // flags and escapes included
    const QString file = dir.filePath("site.wzd");
    ASSERT_TRUE(writeAll(file, bytes));
    QByteArray csv = "name,method,address,port\n";
    for (int k = 0; k < 4; ++k)
        csv += QStringLiteral("crew %1,ipv4,127.0.0.1,%2\n").arg(k).arg(ports[size_t(k)]).toUtf8();
    const QString fleet = dir.filePath("fleet.csv");
    ASSERT_TRUE(writeAll(fleet, csv));

    const ProcessResult r = runCli({"send", file, "--fleet", fleet, "--json", "--jobs", "3"});
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5) << r.out.toStdString();
    const QJsonObject counts = QJsonDocument::fromJson(lines.takeLast().toUtf8()).object();
    EXPECT_EQ(counts.value("done").toInt(), 3);
    EXPECT_EQ(counts.value("failed").toInt(), 1);
    for (const QString &line : lines) {
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        const bool faulty = o.value("instrument").toString() == "crew 2";
        EXPECT_EQ(o.value("result").toString(), faulty ? "failed" : "done") << line.toStdString();
        if (faulty) {
            EXPECT_EQ(o.value("message").toString(), "the instrument closed the connection");
        }
        EXPECT_EQ(o.value("file_sha256").toString(), sha256Hex(bytes));
    }
    for (int k = 0; k < 4; ++k) {
        const QString stored =
            QDir(store).filePath(QStringLiteral("%1/site.wzd").arg(ports[size_t(k)]));
        if (k == 2) {
            EXPECT_FALSE(QFile::exists(stored));
            continue;
        }
        ASSERT_TRUE(sim.waitForLine(
            QRegularExpression(QStringLiteral("sim %1: .*stored \".*site.wzd\"").arg(k))))
            << sim.log().toStdString();
        EXPECT_EQ(readAll(stored), bytes) << k;
    }

    // The same instruments by --to: the setups come back into one folder each,
    // but the faulty one's.
    const QString out = dir.filePath("setups");
    QStringList args = {"fetch-setup", out};
    for (int k : {0, 1, 2})
        args << "--to" << QStringLiteral("127.0.0.1:%1").arg(ports[size_t(k)]);
    const ProcessResult f = runCli(args);
    EXPECT_EQ(f.exitCode, 1) << f.err.toStdString() << f.out.toStdString();
    EXPECT_TRUE(f.out.endsWith("3 instruments: 2 done, 1 failed\n")) << f.out.toStdString();
    EXPECT_TRUE(
        QFile::exists(QDir(out).filePath(QStringLiteral("127.0.0.1_%1.sta").arg(ports[1]))));
}

TEST(FleetCli, SendChecksTheWizardFirstUnlessToldNot)
{
    QTemporaryDir dir;
    WizardDocument doc;
    doc.Title = "Tower";
    doc.appendSequence()->Title = "Sweep";
    doc.sequence(0)->insertStep(-1, MeasureModeTask{QString(), MeasureTwoPortTransmission});
    const QString path = dir.filePath("vx320a.wzd");
    VX_CAAXML_PARSER parser(&doc, 1);
    ASSERT_TRUE(parser.Save_Wizard(path));

    SimProcess sim({"--store", dir.filePath("store")});
    ASSERT_TRUE(sim.started()) << sim.log().toStdString();
    const QString port = QString::number(sim.port());
    for (const QStringList &target : {QStringList{"--tcp", "127.0.0.1", "--port", port},
                                      QStringList{"--to", "127.0.0.1:" + port}}) {
        const ProcessResult refused = runCli(QStringList{"send", path} + target);
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_TRUE(refused.err.contains("no 2 Port Transmission measurement"))
            << refused.err.toStdString();
        EXPECT_TRUE(refused.err.contains("Nothing was sent"));
        const ProcessResult sent = runCli(QStringList{"send", path, "--no-check"} + target);
        EXPECT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    }
    EXPECT_EQ(sim.log().count("connection from"), 2) << sim.log().toStdString();
}

TEST(FleetTransfer, CancelEndsEveryTransferWithinASecond)
{
    // One silent instrument (it would take seconds to time out) beside one
    // that takes a long file at the protocol's pace.
    SimProcess sim({"--instances", "2", "--fault", "0:silent"});
    const std::vector<int> ports = instancePorts(sim, 2);
    ASSERT_EQ(ports.size(), 2u) << sim.log().toStdString();
    FleetList list;
    for (int k = 0; k < 2; ++k)
        list.push_back(
            {QStringLiteral("i%1").arg(k), kMethodIPv4, "127.0.0.1", ports[size_t(k)], true});
    FleetTransfer transfer(list);
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        transfer.send("long.wzd", QByteArray(400 * 2048, 'x'));
        finished = true;
    });
    for (int i = 0; i < 200 && transfer.snapshot()[1].state != FleetState::Transferring; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(transfer.snapshot()[0].state, FleetState::Connecting);
    EXPECT_EQ(transfer.snapshot()[1].state, FleetState::Transferring);
    QElapsedTimer clock;
    clock.start();
    transfer.cancel();
    while (!finished && clock.elapsed() < 5000)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_LT(clock.elapsed(), 1000);
    worker.join();
    for (const FleetOutcome &o : transfer.snapshot())
        EXPECT_EQ(o.state, FleetState::Cancelled);
}

// Folders the user names for fetched setups, the simulator's store and the
// fleet report: a symbolic link as the folder, where a file goes, or dangling
// there is refused with a clear error, and neither it nor its target changes.
namespace {

// A port of 127.0.0.1 that was free a moment ago.
int freePort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr *>(&a), &length) == 0)
        port = ntohs(a.sin_port);
    close(fd);
    return port;
}

} // namespace

TEST(OutputLinks, FleetFetchSetupNeverWritesThroughALink)
{
    SimProcess sim({});
    ASSERT_TRUE(sim.started()) << sim.log().toStdString();
    const QString to = QStringLiteral("127.0.0.1:%1").arg(sim.port());
    const QString name = QStringLiteral("127.0.0.1_%1.sta").arg(sim.port());
    for (const LinkTrap trap : kLinkTraps) {
        LinkTrapScene scene(trap, name);
        ASSERT_TRUE(scene.ready()) << linkTrapName(trap);
        const ProcessResult r = runCli({"fetch-setup", scene.folder(), "--to", to});
        EXPECT_EQ(r.exitCode, 1) << linkTrapName(trap);
        EXPECT_TRUE((r.out + r.err).contains(QLatin1String("is a symbolic link")))
            << linkTrapName(trap) << ": " << (r.out + r.err).toStdString();
        EXPECT_EQ(scene.damage(), QString()) << linkTrapName(trap);
    }
    // A plain folder still takes the setup.
    QTemporaryDir dir;
    const ProcessResult ok = runCli({"fetch-setup", dir.path(), "--to", to});
    EXPECT_EQ(ok.exitCode, 0) << ok.err.toStdString();
    EXPECT_TRUE(QFileInfo(dir.filePath(name)).isFile());
}

TEST(OutputLinks, TheSimulatorsStoreNeverWritesThroughALink)
{
    QTemporaryDir dir;
    const QString wizard = dir.filePath("site.wzd");
    ASSERT_TRUE(writeAll(wizard, QByteArray(5000, 'w')));
    const QString sim = binPath("stepvane-sim");
    for (const LinkTrap trap : kLinkTraps) {
        LinkTrapScene scene(trap, "site.wzd");
        ASSERT_TRUE(scene.ready()) << linkTrapName(trap);
        if (trap == LinkTrap::FolderIsLink) {
            const ProcessResult r =
                runProcess(sim, {"--port", "0", "--store", scene.folder()}, {}, 10000);
            EXPECT_EQ(r.exitCode, 2) << r.out.toStdString();
            EXPECT_TRUE(r.err.contains(QLatin1String("is a symbolic link"))) << r.err.toStdString();
        } else {
            SimProcess running({"--store", scene.folder()});
            ASSERT_TRUE(running.started()) << running.log().toStdString();
            const ProcessResult sent = runCli({"send", wizard, "--no-check", "--tcp", "127.0.0.1",
                                               "--port", QString::number(running.port())});
            EXPECT_EQ(sent.exitCode, 0) << sent.err.toStdString();
            EXPECT_TRUE(running.waitForLine(
                QRegularExpression("\"site.wzd\" could not be stored: .*is a symbolic link")))
                << running.log().toStdString();
        }
        EXPECT_EQ(scene.damage(), QString()) << linkTrapName(trap);
    }
    // Several instruments: the per-instrument folder STORE/<port> is no link either.
    const int port = freePort();
    ASSERT_GT(port, 0);
    LinkTrapScene scene(LinkTrap::FolderIsLink, QString());
    ASSERT_TRUE(QDir().mkpath(dir.filePath("store")));
    ASSERT_TRUE(QFile::link(scene.folder(), dir.filePath(QStringLiteral("store/%1").arg(port))));
    const ProcessResult r = runProcess(
        sim,
        {"--port", QString::number(port), "--instances", "1", "--store", dir.filePath("store")}, {},
        10000);
    EXPECT_EQ(r.exitCode, 1) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(QLatin1String("is a symbolic link"))) << r.err.toStdString();
    EXPECT_EQ(scene.damage(), QString());
}

TEST(OutputLinks, TheFleetReportIsNeverWrittenThroughALink)
{
    FleetList list{{"crew 1", kMethodIPv4, "127.0.0.1", 66, true}};
    std::vector<FleetOutcome> outcomes(1);
    outcomes[0].state = FleetState::Done;
    for (const LinkTrap trap : kLinkTraps) {
        LinkTrapScene scene(trap, "report.csv");
        ASSERT_TRUE(scene.ready()) << linkTrapName(trap);
        QString error;
        EXPECT_FALSE(
            writeFleetReport(scene.folder() + "/report.csv", list, outcomes, QString(), &error))
            << linkTrapName(trap);
        EXPECT_TRUE(error.contains(QLatin1String("is a symbolic link"))) << error.toStdString();
        EXPECT_EQ(scene.damage(), QString()) << linkTrapName(trap);
    }
    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(writeFleetReport(dir.filePath("report.csv"), list, outcomes, QString(), &error))
        << error.toStdString();
    EXPECT_EQ(readAll(dir.filePath("report.csv")), fleetReportCsv(list, outcomes, QString()));
}
