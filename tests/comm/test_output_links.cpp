// Folders the user names for fetched setups, the simulator's store and the
// fleet report: a symbolic link as the folder, where a file goes, or dangling
// there is refused with a clear error, and neither it nor its target changes.
#include "ChildProcess.h"
#include "support/LinkTraps.h"
#include "support/TestFiles.h"

#include "comm/fleet/FleetTransfer.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace stepvane;
using namespace stepvane::test;

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
