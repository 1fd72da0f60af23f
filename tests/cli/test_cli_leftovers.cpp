// Nothing left behind: a run killed with SIGKILL leaves its per-run folder
// and a temporary file of the atomic writer; the next run of the command-line
// tool removes both, and touches neither a live run's nor anything not named
// as ours. A run that ends well leaves nothing in the temporary folder, not
// even Qt's runtime folder, PDF output included.
#include "common/AtomicFile.h"
#include "common/Leftovers.h"
#include "support/CliRun.h"
#include "support/TestFiles.h"

#include <QDirIterator>
#include <QJsonDocument>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

// Sets an environment variable (or unsets it, for a null value) for as long
// as it lives.
class EnvVar {
public:
    EnvVar(const char *name, const QByteArray &value) : m_name(name), m_old(qgetenv(name))
    {
        m_had = qEnvironmentVariableIsSet(name);
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }
    ~EnvVar() { m_had ? qputenv(m_name, m_old) : qunsetenv(m_name); }

private:
    const char *m_name;
    QByteArray m_old;
    bool m_had = false;
};

QStringList everythingIn(const QString &folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(folder).relativeFilePath(it.next());
    out.sort();
    return out;
}

// A child that makes a run folder and starts a write beside output, says so
// through a pipe, and waits to be killed.
pid_t startVictim(const QString &output)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        RunFolder run;
        AtomicFile file(output);
        const bool ok = run.create() && writeAll(QDir(run.path()).filePath("copy.png"), "x") &&
                        file.open() && file.write("half") == 4;
        [[maybe_unused]] const ssize_t n = ::write(ready[1], ok ? "1" : "0", 1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char answer = '0';
    const bool told = ::read(ready[0], &answer, 1) == 1;
    ::close(ready[0]);
    if (!told || answer != '1') {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid;
}

} // namespace

TEST(CliLeftovers, AKilledRunsFolderAndTemporaryFileGoWithTheNextRunAndNothingElse)
{
    QTemporaryDir tmp;
    QTemporaryDir out;
    const EnvVar tmpdir("TMPDIR", QFile::encodeName(tmp.path()));
    // Not ours by name or without a lock file: never touched.
    QDir(tmp.path()).mkdir("stepvane-notrun");
    QDir(tmp.path()).mkdir("stepvane-old123"); // an older version's, no lock
    writeAll(tmp.filePath("stepvane-old123/keep.png"), "k");
    writeAll(out.filePath(".report.csv.0123abcd.tmp"), "someone else's");
    writeAll(out.filePath("site.wzd"), "old");

    const pid_t victim = startVictim(out.filePath("site.wzd"));
    ASSERT_GT(victim, 0);
    ::kill(victim, SIGKILL);
    ::waitpid(victim, nullptr, 0);
    // A live run of this very process, mid-write, beside the killed one's.
    RunFolder live;
    ASSERT_TRUE(live.create());
    AtomicFile writing(out.filePath("site.wzd"));
    ASSERT_TRUE(writing.open());
    ASSERT_EQ(writing.write("new"), 3);

    const QStringList leftBefore = everythingIn(tmp.path());
    ASSERT_EQ(everythingIn(out.path()).filter(QRegularExpression("^\\.site\\.wzd\\.")).size(), 2);
    ASSERT_EQ(cli({"version"}).code, 0);

    const QStringList tmpAfter = everythingIn(tmp.path());
    const QStringList outAfter = everythingIn(out.path());
    EXPECT_TRUE(tmpAfter.contains("stepvane-notrun"));
    EXPECT_TRUE(tmpAfter.contains("stepvane-old123/keep.png"));
    EXPECT_TRUE(tmpAfter.contains(QDir(tmp.path()).relativeFilePath(live.path())));
    EXPECT_EQ(tmpAfter.filter(QRegularExpression("^stepvane-[^/]+$")).size(), 3)
        << leftBefore.join(' ').toStdString();
    EXPECT_EQ(outAfter.filter(QRegularExpression("^\\.site\\.wzd\\.")).size(), 1)
        << outAfter.join(' ').toStdString();
    EXPECT_TRUE(outAfter.contains(".report.csv.0123abcd.tmp"));
    EXPECT_EQ(readAll(out.filePath("site.wzd")), "old");

    // The live write still lands.
    ASSERT_TRUE(writing.commit()) << writing.errorText().toStdString();
    EXPECT_EQ(readAll(out.filePath("site.wzd")), "new");
}

TEST(CliLeftovers, RunsThatEndWellLeaveNothingInTheTemporaryFolder)
{
    QTemporaryDir tmp;
    QTemporaryDir work;
    const EnvVar tmpdir("TMPDIR", QFile::encodeName(tmp.path()));
    const EnvVar runtime("XDG_RUNTIME_DIR", QByteArray());
    const QString in = work.filePath("in.json");
    writeAll(work.filePath("p.png"), "PNG");
    writeAll(in, R"({"model":2,"Title":"T","sequences":[{"Title":"S","steps":[{"kind":2,
        "record":{"images":[{"ImageName":"p.png","TransImageName":"p.png"}]}}]}]})");
    const QString wzd = work.filePath("w.wzd");
    const QStringList runs[] = {{"version"},
                                {"build", in, wzd},
                                {"info", wzd},
                                {"export", wzd, "--html", work.filePath("page")},
                                {"summary", wzd, "--pdf", work.filePath("w.pdf")}};
    for (const QStringList &args : runs) {
        const CliRun run = cli(args);
        EXPECT_EQ(run.code, 0) << args.join(' ').toStdString() << run.err.toStdString();
        EXPECT_TRUE(everythingIn(tmp.path()).isEmpty())
            << args.join(' ').toStdString() << everythingIn(tmp.path()).join(' ').toStdString();
    }
    EXPECT_TRUE(readAll(work.filePath("w.pdf")).startsWith("%PDF"));
}
