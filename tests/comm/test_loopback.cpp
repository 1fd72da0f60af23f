// End to end over loopback: the core workflows and stepvane-cli against a
// real stepvane-sim on 127.0.0.1 and ::1. Every wait is for a log line or a
// process end, with a bound; the simulator is stopped when a test ends.
#include "ChildProcess.h"
#include "support/TestFiles.h"

#include "comm/CDevComm.h"
#include "comm/TransferWorkflow.h"
#include "support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <thread>

#include <csignal>

#include <arpa/inet.h>
#include <unistd.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

QByteArray content(int size, int seed)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 131 + seed * 7 + i / 509) & 0xFF);
    return b;
}

CommSettings tcp(bool v6, int port)
{
    return {v6 ? kMethodIPv6 : kMethodIPv4, "127.0.0.1", "::1", port};
}

} // namespace

TEST(Loopback, WorkflowSendsEverySizeOverBothFamilies)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("store");
    SimProcess sim({"--store", store});
    ASSERT_TRUE(sim.started()) << sim.log().toStdString();

    struct Job {
        QString name;
        QByteArray data;
        bool v6;
        TransferStatus status = TransferStatus::Failed;
        QStringList messages;
        Job(const QString &n, const QByteArray &d, bool v) : name(n), data(d), v6(v) {}
    };
    std::vector<Job> jobs;
    for (bool v6 : {false, true}) {
        if (v6 && !sim.hasIPv6())
            continue; // no IPv6 loopback here: ::1 is skipped, 127.0.0.1 still runs
        for (int size : {0, 100, 1023, 1024, 2048, 4096, 5000})
            jobs.emplace_back(QStringLiteral("s%1-%2.wzd").arg(size).arg(v6 ? "v6" : "v4"),
                              content(size, size), v6);
    }
    jobs.emplace_back("big.wzd", content(1000000, 3), false);

    // Concurrent, so the 20 ms pacing of the pieces is paid once.
    std::vector<std::thread> threads;
    for (Job &job : jobs) {
        ASSERT_TRUE(writeAll(dir.filePath(job.name), job.data));
        threads.emplace_back([&job, &dir, &sim] {
            CollectingMessageSink sink;
            TransferWorkflow wf(&sink);
            wf.setSettings(tcp(job.v6, sim.port()));
            job.status = wf.sendFile(dir.filePath(job.name));
            job.messages = sink.ids();
        });
    }
    for (auto &t : threads)
        t.join();
    for (const Job &job : jobs) {
        SCOPED_TRACE(job.name.toStdString());
        EXPECT_EQ(job.status, TransferStatus::Completed);
        EXPECT_EQ(job.messages, QStringList{"IDS_TRANSPORT_COMPLETE"});
        const QString stored = QDir(store).filePath(job.name);
        ASSERT_TRUE(sim.waitForLine(logLine(QStringLiteral("stored \"%1\"").arg(stored))))
            << sim.log().toStdString();
        EXPECT_EQ(readAll(stored), job.data);
    }
}

TEST(Loopback, CliSendsAWizardAndTheSimulatorReadsIt)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("store");
    SimProcess sim({"--store", store});
    ASSERT_TRUE(sim.started()) << sim.log().toStdString();
    QByteArray wizard = readAll(QStringLiteral(STEPVANE_FIXTURES_DIR "/frame/two_sequences.wzd"));
    wizard.replace("DValue=\"VX310A\" LValue=\"0\"", "DValue=\"VX330A\" LValue=\"2\"");
    const QString path = dir.filePath("site.wzd");
    ASSERT_TRUE(writeAll(path, wizard));

    QList<QStringList> runs = {{"--tcp", "127.0.0.1"}};
    if (sim.hasIPv6())
        runs.append(QStringList{"--tcp6", "::1"});
    for (const QStringList &method : runs) {
        SCOPED_TRACE(method.join(u' ').toStdString());
        const ProcessResult r = runCli(QStringList{"send", path} + method +
                                       QStringList{"--port", QString::number(sim.port())});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains("The transfer is complete.")) << r.out.toStdString();
    }
    const QRegularExpression valid("valid wizard for VX330A \\(2 testing sequences\\)");
    ASSERT_TRUE(sim.waitForLine(valid)) << sim.log().toStdString();
    EXPECT_EQ(readAll(QDir(store).filePath("site.wzd")), wizard);

    // Without a method option the settings store decides (here: IPv4 and the sim's port).
    QTemporaryDir config;
    QDir().mkpath(config.filePath("Vexmar"));
    ASSERT_TRUE(writeAll(config.filePath("Vexmar/Stepvane.conf"),
                         QStringLiteral("[Connection]\nMethod=1\nIP=127.0.0.1\nPort=%1\n")
                             .arg(sim.port())
                             .toUtf8()));
    const QString other = dir.filePath("plain.txt");
    ASSERT_TRUE(writeAll(other, "not a wizard"));
    const ProcessResult r = runCli({"send", other}, {"XDG_CONFIG_HOME=" + config.path()});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(sim.waitForLine(logLine("not a valid wizard"))) << sim.log().toStdString();
}

TEST(Loopback, CliFetchesSetupsAndReportsEveryFault)
{
    QTemporaryDir dir;
    const QByteArray setup = content(11000, 9);
    const QString setupPath = dir.filePath("setup.sta");
    ASSERT_TRUE(writeAll(setupPath, setup));
    const QString sendPath = dir.filePath("send.wzd");
    ASSERT_TRUE(writeAll(sendPath, content(30000, 1)));
    const struct {
        const char *simArgs; // after --setup, split at blanks
        bool send;           // send a file instead of fetching
        const char *said;    // expected in the output of stepvane-cli; empty: success
    } cases[] = {
        {"--chunk 1000", false, ""},
        {"--fiber", false, "fiber inspection mode"},
        {"--fault checksum", false, "checksum mismatch"},
        {"--fault gap", false, "Communication Error!"},
        {"--fault stray", false, "malformed packet"},
        {"--fault oversize", false, "Reply frame too long"},
        {"--fault silent", false, "did not answer in time"},
        {"--fault close-after=1", false, "setup could not be received"},
        {"--fault close-after=2", true, "Fail to send file to EQP"},
    };
    bool v6 = false;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.simArgs);
        const bool ok = !*c.said;
        SimProcess sim(QStringList{"--setup", setupPath} + QString(c.simArgs).split(u' '));
        ASSERT_TRUE(sim.started()) << sim.log().toStdString();
        // Alternate the families where both exist.
        v6 = sim.hasIPv6() && !v6;
        const QString out = dir.filePath(QStringLiteral("out-%1.sta").arg(c.simArgs));
        const ProcessResult r = runCli({c.send ? "send" : "fetch-setup", c.send ? sendPath : out,
                                        v6 ? "--tcp6" : "--tcp", v6 ? "::1" : "127.0.0.1", "--port",
                                        QString::number(sim.port())});
        EXPECT_EQ(r.exitCode, ok ? 0 : 1) << r.err.toStdString();
        EXPECT_TRUE((r.out + r.err).contains(c.said)) << (r.out + r.err).toStdString();
        if (!c.send) {
            EXPECT_EQ(QFile::exists(out), ok);
        }
        if (ok) {
            EXPECT_EQ(readAll(out), setup);
        }
        EXPECT_FALSE(r.out.contains("The transfer is complete.") && !ok);
        // The user reads texts, never the identifiers behind them.
        EXPECT_FALSE((r.out + r.err).contains(QRegularExpression("\\b(IDS|STR)_")))
            << (r.out + r.err).toStdString();
        EXPECT_EQ(r.out.contains("Setup saved"), ok && !c.send);
    }
}

TEST(Loopback, AFullDiskFailsTheFetchAndTheStoreAndKeepsTheOldFiles)
{
    QTemporaryDir dir;
    const QByteArray old = "the file that was there before";
    const struct {
        const char *name;
        int size;
        rlim_t limit;
    } cases[] = {{"small", 11000, 4000}, {"large", 300000, 100000}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString setupPath = dir.filePath(QStringLiteral("setup-%1.sta").arg(c.name));
        ASSERT_TRUE(writeAll(setupPath, content(c.size, 3)));
        const QString store = dir.filePath(QStringLiteral("store-%1").arg(c.name));
        ASSERT_TRUE(QDir().mkpath(store));
        ASSERT_TRUE(writeAll(QDir(store).filePath("site.wzd"), old));
        // The simulator inherits the limit: its store is on the "full disk".
        // It ignores SIGXFSZ itself: the signal's default goes with the limit.
        std::unique_ptr<SimProcess> sim;
        {
            FileSizeLimit limit(c.limit);
            const auto ignored = std::signal(SIGXFSZ, SIG_DFL);
            sim = std::make_unique<SimProcess>(QStringList{"--setup", setupPath, "--store", store});
            std::signal(SIGXFSZ, ignored);
        }
        ASSERT_TRUE(sim->started()) << sim->log().toStdString();
        const QStringList method{"--tcp", "127.0.0.1", "--port", QString::number(sim->port())};

        const QString out = dir.filePath(QStringLiteral("fetched-%1.sta").arg(c.name));
        ASSERT_TRUE(writeAll(out, old));
        ProcessResult r;
        {
            FileSizeLimit limit(c.limit);
            r = runCli(QStringList{"fetch-setup", out} + method);
        }
        EXPECT_EQ(r.exitCode, 1) << r.out.toStdString();
        EXPECT_TRUE(r.err.contains("File too large")) << r.err.toStdString();
        EXPECT_FALSE(r.out.contains("Setup saved"));
        EXPECT_EQ(readAll(out), old);

        const QString sent = dir.filePath("site.wzd");
        ASSERT_TRUE(writeAll(sent, content(c.size, 5)));
        r = runCli(QStringList{"send", sent} + method);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(sim->waitForLine(
            QRegularExpression("\"site.wzd\" could not be stored: .*File too large")))
            << sim->log().toStdString();
        EXPECT_EQ(readAll(QDir(store).filePath("site.wzd")), old);
    }
}

// stepvane-sim holds up against its senders: idle connections are closed, a
// sender beyond the limit is told "busy", and uploads go to disk as they
// arrive. Its options at their limits: fault modes that name their range, and
// where it listens (this machine only unless --bind says more).
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

// A file the simulator checks without keeping goes to a run folder of its
// own, which the next run of any program removes should it be killed.
TEST(SimLimits, AKilledUploadsScratchFolderGoesWithTheNextRun)
{
    QTemporaryDir tmp;
    const QStringList env{"TMPDIR=" + tmp.path()};
    SimProcess sim({}, env);
    ASSERT_TRUE(sim.started()) << sim.log().toStdString();
    Client client(sim.port());
    client.name("cut.wzd");
    client.send(frame::frameM(frame::kFileContent, 3, 0, QByteArray(4096, 'u')));
    ASSERT_TRUE(sim.waitForLine(logLine("file piece 1/"))) << sim.log().toStdString();
    ::kill(sim.pid(), SIGKILL);
    const QStringList left = QDir(tmp.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(left.size(), 1) << left.join(' ').toStdString();
    EXPECT_TRUE(left.first().startsWith("stepvane-")) << left.first().toStdString();
    EXPECT_EQ(runCli({"--version"}, env).exitCode, 0);
    EXPECT_TRUE(QDir(tmp.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
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
