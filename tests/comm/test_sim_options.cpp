// stepvane-sim's options at their limits: fault modes that name their range,
// and where it listens (this machine only unless --bind says more).
#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>

using namespace stepvane::test;

namespace {

// The simulator started with args, stopped when the test ends; its start line.
class PlainSim {
public:
    explicit PlainSim(const QStringList &args)
    {
        m_process.start(binPath(QStringLiteral("stepvane-sim")), args);
        for (int i = 0; i < 100 && !m_line.contains(u'\n'); ++i) {
            m_process.waitForReadyRead(100);
            m_line += QString::fromUtf8(m_process.readAllStandardOutput());
        }
        const auto m =
            QRegularExpression(QStringLiteral("listening on port (\\d+) \\((.*)\\)")).match(m_line);
        m_port = m.hasMatch() ? m.captured(1).toInt() : 0;
        m_addresses = m.captured(2);
    }
    ~PlainSim()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
    int port() const { return m_port; }
    QString addresses() const { return m_addresses; }
    QString line() const { return m_line; }

private:
    QProcess m_process;
    QString m_line;
    QString m_addresses;
    int m_port = 0;
};

} // namespace

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
            const PlainSim sim(args);
            EXPECT_GT(sim.port(), 0) << c.fault << ": " << sim.line().toStdString();
        }
    }
}

TEST(SimOptions, ListensOnThisMachineOnlyUnlessBindSaysMore)
{
    const PlainSim loopback({"--port", "0"});
    ASSERT_GT(loopback.port(), 0) << loopback.line().toStdString();
    EXPECT_EQ(loopback.addresses(),
              haveIPv6Loopback() ? QStringLiteral("127.0.0.1, ::1") : QStringLiteral("127.0.0.1"));

    // A list names more; an empty entry in it is a usage error.
    const QString list =
        haveIPv6Loopback() ? QStringLiteral("0.0.0.0, ::1") : QStringLiteral("0.0.0.0");
    const PlainSim every({"--port", "0", "--bind", list});
    ASSERT_GT(every.port(), 0) << every.line().toStdString();
    EXPECT_EQ(every.addresses(), list);
    const ProcessResult empty =
        runProcess(binPath("stepvane-sim"), {"--bind", "127.0.0.1,", "--port", "0"});
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_TRUE(empty.err.contains(QLatin1String("an address is empty")))
        << empty.err.toStdString();
}
