// stepvane-sim's options at their limits: fault modes that name their range,
// and where it listens (this machine only unless --bind says more).
#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

using namespace stepvane::test;

namespace {

// The addresses a simulator's start line names.
QString addresses(const SimProcess &sim)
{
    return QRegularExpression("listening on port \\d+ \\((.*)\\)").match(sim.log()).captured(1);
}

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
            const SimProcess sim(args, {}, false);
            EXPECT_TRUE(sim.started()) << c.fault << ": " << sim.log().toStdString();
        }
    }
}

TEST(SimOptions, ListensOnThisMachineOnlyUnlessBindSaysMore)
{
    const SimProcess loopback({"--port", "0"}, {}, false);
    ASSERT_TRUE(loopback.started()) << loopback.log().toStdString();
    EXPECT_EQ(addresses(loopback),
              haveIPv6Loopback() ? QStringLiteral("127.0.0.1, ::1") : QStringLiteral("127.0.0.1"));

    // A list names more; an empty entry in it is a usage error.
    const QString list =
        haveIPv6Loopback() ? QStringLiteral("0.0.0.0, ::1") : QStringLiteral("0.0.0.0");
    const SimProcess every({"--port", "0", "--bind", list}, {}, false);
    ASSERT_TRUE(every.started()) << every.log().toStdString();
    EXPECT_EQ(addresses(every), list);
    const ProcessResult empty =
        runProcess(binPath("stepvane-sim"), {"--bind", "127.0.0.1,", "--port", "0"});
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_TRUE(empty.err.contains(QLatin1String("an address is empty")))
        << empty.err.toStdString();
}
