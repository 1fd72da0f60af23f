// stepvane-sim holds up against its senders: idle connections are closed, a
// sender beyond the limit is told "busy", names from the wire are made safe
// and logged quoted, uploads go to disk as they arrive, and a file-size limit
// is a write error rather than the end of the simulator.
#include "ChildProcess.h"

#include "comm/CDevComm.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <thread>

using namespace stepvane;
using namespace stepvane::test;

namespace {

// A raw connection to the simulator on 127.0.0.1.
struct Client {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    explicit Client(int port)
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(uint16_t(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a), 0);
    }
    ~Client() { close(fd); }
    void send(const QByteArray &bytes)
    {
        ASSERT_EQ(::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL), bytes.size());
    }
    void name(const QByteArray &latin1)
    {
        QByteArray record;
        ASSERT_TRUE(CDevComm::BuildNameRecord(QString::fromLatin1(latin1), record));
        send(frame::frameA(frame::kCommandA, frame::kFileName, 1, 0, record));
    }
};

QRegularExpression line(const QString &text)
{
    return QRegularExpression(QRegularExpression::escape(text));
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    return path;
}

ProcessResult cli(const QStringList &args, int port)
{
    return runProcess(binPath(QStringLiteral("stepvane-cli")),
                      args + QStringList{QStringLiteral("--tcp"), QStringLiteral("127.0.0.1"),
                                         QStringLiteral("--port"), QString::number(port)});
}

long residentKiB(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &l : status.readAll().split('\n')) {
        if (l.startsWith("VmRSS:"))
            return l.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

} // namespace

TEST(SimLimits, IdleConnectionsAreClosedAndASenderBeyondTheLimitIsToldBusy)
{
    QTemporaryDir dir;
    SimProcess sim({QStringLiteral("--max-connections"), QStringLiteral("2"),
                    QStringLiteral("--idle-timeout"), QStringLiteral("1")});
    ASSERT_TRUE(sim.started()) << sim.log().toStdString();
    const QString file = writeFile(dir, QStringLiteral("w.wzd"), "wizard");
    {
        // One holds its place silently, one trickles bytes that never make a frame.
        Client silent(sim.port());
        Client trickle(sim.port());
        std::atomic<bool> stop{false};
        std::thread dripper([&] {
            while (!stop) {
                ::send(trickle.fd, "x", 1, MSG_NOSIGNAL);
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        });
        ASSERT_TRUE(sim.waitForLine(line(QStringLiteral("[2] connection from"))));
        for (const QStringList &args :
             {QStringList{QStringLiteral("send"), file},
              QStringList{QStringLiteral("fetch-setup"), dir.filePath(QStringLiteral("s.sta"))}}) {
            SCOPED_TRACE(args.first().toStdString());
            const ProcessResult r = cli(args, sim.port());
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_TRUE(r.err.contains(QLatin1String("The instrument is busy")))
                << r.err.toStdString();
        }
        EXPECT_TRUE(sim.log().contains(QLatin1String("busy, 2 connections are open")));
        for (const char *id : {"[1]", "[2]"}) {
            EXPECT_TRUE(
                sim.waitForLine(line(QStringLiteral("%1 connection closed by the simulator: idle")
                                         .arg(QLatin1String(id)))))
                << sim.log().toStdString();
        }
        stop = true;
        dripper.join();
    }
    const ProcessResult r = cli({QStringLiteral("send"), file}, sim.port());
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
}

TEST(SimLimits, NamesFromTheWireAreMadeSafeAndLoggedQuoted)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("store"));
    SimProcess sim({QStringLiteral("--store"), store});
    ASSERT_TRUE(sim.started()) << sim.log().toStdString();
    const struct {
        QByteArray sent;
        QString stored; // empty: not stored
        QString logged;
    } cases[] = {
        {"evil\x1b[2J.wzd", QStringLiteral("evil_[2J.wzd"),
         QStringLiteral("\"evil_[2J.wzd\" (sent as \"evil\\x1b[2J.wzd\")")},
        {"two\nlines.wzd", QStringLiteral("two_lines.wzd"),
         QStringLiteral("(sent as \"two\\x0alines.wzd\")")},
        {"..\\..\\up.wzd", QStringLiteral("up.wzd"),
         QStringLiteral("(sent as \"..\\\\..\\\\up.wzd\")")},
        {"../../etc/x.wzd", QStringLiteral("x.wzd"),
         QStringLiteral("(sent as \"../../etc/x.wzd\")")},
        {"say \"hi\".wzd", QStringLiteral("say \"hi\".wzd"),
         QStringLiteral("\"say \\\"hi\\\".wzd\"")},
        {"..", QString(), QStringLiteral("file \"\" not stored: unusable name")},
    };
    Client client(sim.port());
    client.send(frame::frameA(frame::kCommandA, frame::kHandshake, 1, 0));
    int n = 0;
    for (const auto &c : cases) {
        client.name(c.sent);
        client.send(frame::frameA(frame::kCommandA, frame::kFileContent, 1, 0,
                                  QByteArray("body ") + QByteArray::number(n++)));
    }
    ASSERT_TRUE(sim.waitForLine(line(QStringLiteral("not stored: unusable name"))))
        << sim.log().toStdString();
    const QString log = sim.log();
    EXPECT_FALSE(log.contains(QChar(0x1b)));
    QStringList expected;
    n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored.toStdString());
        EXPECT_TRUE(log.contains(c.logged)) << log.toStdString();
        const QString number = QString::number(n++);
        if (c.stored.isEmpty())
            continue;
        expected << c.stored;
        QFile f(QDir(store).filePath(c.stored));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), "body " + number.toLatin1());
    }
    expected.sort();
    EXPECT_EQ(
        QDir(store).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
        expected);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("store")});
}

TEST(SimLimits, AnUnfinishedUploadGrowsOnDiskNotInMemory)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("store"));
    SimProcess sim({QStringLiteral("--store"), store});
    ASSERT_TRUE(sim.started()) << sim.log().toStdString();
    const int pieces = 4096; // 16 MB in frames of 4096 bytes, the last one never sent
    const QByteArray piece(4096, 'u');
    {
        Client client(sim.port());
        client.send(frame::frameA(frame::kCommandA, frame::kHandshake, 1, 0));
        client.name("big.wzd");
        ASSERT_TRUE(sim.waitForLine(line(QStringLiteral("file name record"))));
        const long before = residentKiB(sim.pid());
        for (int i = 0; i < pieces; ++i)
            client.send(frame::frameM(frame::kFileContent, pieces + 1, i, piece));
        ASSERT_TRUE(
            sim.waitForLine(line(QStringLiteral("file piece %1/%2").arg(pieces).arg(pieces + 1))));
        const long grown = residentKiB(sim.pid()) - before;
        EXPECT_LT(grown, 6 * 1024) << "KiB, for an upload of " << pieces * 4 << " KiB";
        const QStringList temporary = QDir(store).entryList(QDir::Files | QDir::Hidden);
        ASSERT_EQ(temporary.size(), 1);
        EXPECT_GE(QFileInfo(QDir(store).filePath(temporary.first())).size(),
                  qint64(pieces - 16) * piece.size());
    }
    ASSERT_TRUE(sim.waitForLine(line(QStringLiteral("connection closed by the editor"))));
    EXPECT_TRUE(QDir(store).entryList(QDir::Files | QDir::Hidden).isEmpty())
        << "an unfinished upload leaves nothing behind";
}

TEST(SimLimits, AFileSizeLimitIsAWriteErrorTheSimulatorOutlives)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("store"));
    std::unique_ptr<SimProcess> sim;
    {
        // The limit, but not an ignored SIGXFSZ, goes to the simulator.
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limited = old;
        limited.rlim_cur = 100000;
        const auto handler = std::signal(SIGXFSZ, SIG_DFL);
        setrlimit(RLIMIT_FSIZE, &limited);
        sim = std::make_unique<SimProcess>(QStringList{QStringLiteral("--store"), store});
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, handler);
    }
    ASSERT_TRUE(sim->started()) << sim->log().toStdString();
    const QString big = writeFile(dir, QStringLiteral("big.wzd"), QByteArray(150000, 'b'));
    EXPECT_EQ(cli({QStringLiteral("send"), big}, sim->port()).exitCode, 0);
    EXPECT_TRUE(sim->waitForLine(
        QRegularExpression(QStringLiteral("\"big.wzd\" could not be stored: .*File too large"))))
        << sim->log().toStdString();
    const QString small = writeFile(dir, QStringLiteral("small.wzd"), "small");
    EXPECT_EQ(cli({QStringLiteral("send"), small}, sim->port()).exitCode, 0);
    EXPECT_TRUE(sim->waitForLine(line(
        QStringLiteral("stored \"%1\"").arg(QDir(store).filePath(QStringLiteral("small.wzd"))))))
        << sim->log().toStdString();
    EXPECT_EQ(QDir(store).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("small.wzd")});
}
