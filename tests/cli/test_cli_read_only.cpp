// Commands that only read a wizard write no working copies, and diff still
// tells attachments apart by their bytes.
#include "support/CliRun.h"
#include "support/TestFiles.h"

#include <QDirIterator>

#include <gtest/gtest.h>

using namespace stepvane::test;

namespace {

QStringList filesUnder(const QString &folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << it.next();
    return out;
}

} // namespace

TEST(CliReadOnly, InfoSummaryAndDiffWriteNoWorkingCopies)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.wzd"), b = dir.filePath("b.wzd");
    const QByteArray original = readAll(fixture("procedure/prompt.wzd"));
    QByteArray changed = original;
    ASSERT_TRUE(changed.contains("IScHQQxw"));
    changed.replace("IScHQQxw", "IScHQQxx"); // one picture, other bytes, still base64
    ASSERT_TRUE(writeAll(a, original) && writeAll(b, changed));
    const QString tmp = dir.filePath("tmp");
    ASSERT_TRUE(QDir().mkpath(tmp));

    const struct {
        QStringList args;
        int code;
    } cases[] = {
        {{"info", a}, 0},    {{"summary", a}, 0},           {{"diff", a, a}, 0},
        {{"diff", a, b}, 1}, {{"diff", a, b, "--json"}, 1},
    };
    for (const auto &c : cases) {
        const CliRun run = cli(c.args, QFile::encodeName(tmp));
        EXPECT_EQ(run.code, c.code) << c.args.join(' ').toStdString() << run.err.toStdString();
        EXPECT_EQ(filesUnder(tmp), QStringList()) << c.args.join(' ').toStdString();
    }
    // The files are still written where someone needs them.
    ASSERT_EQ(cli({"dump", a}, QFile::encodeName(tmp)).code, 0);
    EXPECT_FALSE(filesUnder(tmp).isEmpty());
}
