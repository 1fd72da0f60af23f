// stepvane-sim holds up against its senders: idle connections are closed, a
// sender beyond the limit is told "busy", and uploads go to disk as they
// arrive. Its options at their limits: fault modes that name their range, and
// where it listens (this machine only unless --bind says more).
#include "ChildProcess.h"

#include "comm/CDevComm.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <unistd.h>

#include <thread>

using namespace stepvane;
using namespace stepvane::test;

namespace {

// A raw connection to the simulator on 127.0.0.1.
struct Client {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    explicit Client(int port)
    {
        sockaddr_in a{AF_INET, htons(uint16_t(port)), {htonl(INADDR_LOOPBACK)}, {}};
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a), 0);
    }
    ~Client() { close(fd); }
    bool send(const QByteArray &b)
    {
        return ::send(fd, b.constData(), size_t(b.size()), MSG_NOSIGNAL) == b.size();
    }
    void name(const QString &name)
    {
        QByteArray record;
        CDevComm::BuildNameRecord(name, record);
        send(frame::frameA(frame::kCommandA, frame::kFileName, 1, 0, record));
    }
};

long residentKiB(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    status.open(QIODevice::ReadOnly);
    const QByteArray text = status.readAll();
    return text.mid(text.indexOf("VmRSS:") + 6).trimmed().split(' ').first().toLong();
}

// The addresses a simulator's start line names.
QString addresses(const SimProcess &sim)
{
    return QRegularExpression("listening on port \\d+ \\((.*)\\)").match(sim.log()).captured(1);
}

} // namespace

TEST(SimLimits, IdleConnectionsAreClosedAndASenderBeyondTheLimitIsToldBusy)
{
    QTemporaryDir dir;
    SimProcess sim({"--max-connections", "2", "--idle-timeout", "1"});
    ASSERT_TRUE(sim.started()) << sim.log().toStdString();
    const QString file = dir.filePath("w.wzd");
    QFile(file).open(QIODevice::WriteOnly);
    const QStringList send = {"send",      file,     "--tcp",
                              "127.0.0.1", "--port", QString::number(sim.port())};
    // One holds its place silently, one trickles bytes that never make a frame.
    Client silent(sim.port()), trickle(sim.port());
    ASSERT_TRUE(sim.waitForLine(logLine("[2] connection from")));
    const ProcessResult busy = runCli(send);
    EXPECT_EQ(busy.exitCode, 1);
    EXPECT_TRUE(busy.err.contains(QLatin1String("The instrument is busy")))
        << busy.err.toStdString();
    EXPECT_TRUE(sim.log().contains(QLatin1String("busy, 2 connections are open")));
    for (const char *id : {"[1]", "[2]"}) {
        for (int n = 0; n < 50 && !sim.log().contains(QLatin1String(id) + " connection closed");
             ++n) {
            trickle.send("x");
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        EXPECT_TRUE(
            sim.log().contains(QLatin1String(id) + " connection closed by the simulator: idle"));
    }
    EXPECT_EQ(runCli(send).exitCode, 0);
}

TEST(SimLimits, AnUnfinishedUploadGrowsOnDiskNotInMemory)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("store");
    // The sanitizer holds freed memory back for a while to catch late uses,
    // which would count as growth here; without that hold the memory behaves
    // as in the plain build.
    SimProcess sim({"--store", store}, {"ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=0"});
    ASSERT_TRUE(sim.started()) << sim.log().toStdString();
    const int pieces = 4096; // 16 MB in frames of 4096 bytes, the last one never sent
    {
        Client client(sim.port());
        client.name("big.wzd");
        ASSERT_TRUE(sim.waitForLine(logLine("file name record")));
        const long before = residentKiB(sim.pid());
        for (int i = 0; i < pieces; ++i)
            client.send(frame::frameM(frame::kFileContent, pieces + 1, i, QByteArray(4096, 'u')));
        ASSERT_TRUE(sim.waitForLine(logLine(QStringLiteral("file piece %1/").arg(pieces))));
        EXPECT_LT(residentKiB(sim.pid()) - before, 6 * 1024) << "KiB, for a 16 MB upload";
        const QFileInfoList temporary = QDir(store).entryInfoList(QDir::Files | QDir::Hidden);
        ASSERT_EQ(temporary.size(), 1);
        EXPECT_GE(temporary.first().size(), (pieces - 16) * 4096);
    }
    ASSERT_TRUE(sim.waitForLine(logLine("connection closed by the editor")));
    EXPECT_TRUE(QDir(store).entryList(QDir::Files | QDir::Hidden).isEmpty())
        << "an unfinished upload leaves nothing behind";
}

TEST(SimOptions, FaultModesSayTheirRange)
{
    const struct {
        const char *fault;
        const char *refusal; // null: accepted
    } cases[] = {
        {"close-after=0", "close-after=N needs N from 1 to 2147483647"},
        {"close-after=1", nullptr},
        {"close-after=2147483647", nullptr},
        {"close-after=2147483648", "close-after=N needs N from 1 to 2147483647"},
        {"close-after=-3", "close-after=N needs N from 1 to 2147483647"},
        {"0:close-after=0", "close-after=N needs N from 1 to 2147483647"},
        {"x:silent", "K in K:MODE is an instance number"},
        {"sulky", "unknown fault mode (checksum, gap"},
    };
    for (const auto &c : cases) {
        const QStringList args = {"--port", "0", "--fault", c.fault};
        if (c.refusal) {
            const ProcessResult r = runProcess(binPath("stepvane-sim"), args);
            EXPECT_EQ(r.exitCode, 2) << c.fault;
            EXPECT_TRUE(r.err.contains(QLatin1String(c.refusal))) << r.err.toStdString();
        } else {
            const SimProcess sim(args, {}, false);
            EXPECT_TRUE(sim.started()) << c.fault << ": " << sim.log().toStdString();
        }
    }
}

TEST(SimOptions, ListensOnThisMachineOnlyUnlessBindSaysMore)
{
    const SimProcess loopback({"--port", "0"}, {}, false);
    ASSERT_TRUE(loopback.started()) << loopback.log().toStdString();
    EXPECT_EQ(addresses(loopback), haveIPv6Loopback() ? "127.0.0.1, ::1" : "127.0.0.1");

    // A list names more; an empty entry in it is a usage error.
    const QString list = haveIPv6Loopback() ? "0.0.0.0, ::1" : "0.0.0.0";
    const SimProcess every({"--port", "0", "--bind", list}, {}, false);
    ASSERT_TRUE(every.started()) << every.log().toStdString();
    EXPECT_EQ(addresses(every), list);
    const ProcessResult empty =
        runProcess(binPath("stepvane-sim"), {"--bind", "127.0.0.1,", "--port", "0"});
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_TRUE(empty.err.contains(QLatin1String("an address is empty")))
        << empty.err.toStdString();
}
