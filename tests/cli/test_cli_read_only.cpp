// Commands that only read a wizard write no working copies, and diff still
// tells attachments apart by their bytes.
#include "support/CliRun.h"
#include "support/TestFiles.h"

#include <QDirIterator>
#include <QRegularExpression>

#include <algorithm>

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

// check, export and the diff page look at the attached pictures in memory: they find what
// a damaged picture holds and copy the very bytes dump restores to disk,
// and leave no working copy behind.
TEST(CliReadOnly, CheckAndExportReadAttachmentsWithoutWorkingCopies)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.wzd"), b = dir.filePath("b.wzd");
    const QByteArray original = readAll(fixture("procedure/prompt.wzd"));
    QByteArray damaged = original;
    damaged.replace("IScHQQxw", "IScHQQxx");
    ASSERT_TRUE(writeAll(a, original) && writeAll(b, damaged));
    // An embedded setup file read from memory, and one too short to be a setup.
    const QString load = fixture("procedure/load.wzd"), shortSetup = dir.filePath("short.wzd");
    const QString setupText =
        QString::fromUtf8(readAll(load))
            .replace(QRegularExpression("(dt:dt=\"bin.base64\">)[^<]*"), "\\1QUJDREVGR0g=");
    ASSERT_TRUE(writeAll(shortSetup, setupText.toUtf8()));
    const QString tmp = dir.filePath("tmp");
    ASSERT_TRUE(QDir().mkpath(tmp));

    const struct {
        QStringList args;
        int code;
        const char *outHas;
    } cases[] = {
        {{"check", a}, 0, "no errors, no warnings"},
        {{"check", load}, 1, "2 errors, no warnings"},
        {{"check", shortSetup}, 1, "as an instrument setup: it has 8 bytes, too few"},
        {{"check", b}, 1, "\"connector.png\" (1. Image file) cannot be read as a JPEG or PNG"},
        {{"export", a, "--html", dir.filePath("page")}, 0, "index.html"},
        {{"diff", a, b, "--html", dir.filePath("diff")}, 1, "index.html"},
    };
    for (const auto &c : cases) {
        const CliRun run = cli(c.args, QFile::encodeName(tmp));
        EXPECT_EQ(run.code, c.code) << c.args.join(' ').toStdString() << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(c.outHas)) << run.out.toStdString();
        EXPECT_EQ(filesUnder(tmp), QStringList()) << c.args.join(' ').toStdString();
    }

    const CliRun dump = cli({"dump", a, "--extract-dir", dir.filePath("x")});
    ASSERT_EQ(dump.code, 0) << dump.err.toStdString();
    QList<QByteArray> restored, exported;
    for (const QString &file : filesUnder(dir.filePath("x")))
        restored << readAll(file);
    for (const QString &file : filesUnder(dir.filePath("page/files")))
        exported << readAll(file);
    std::sort(restored.begin(), restored.end());
    std::sort(exported.begin(), exported.end());
    ASSERT_EQ(restored.size(), 2);
    EXPECT_EQ(exported, restored);
    // The diff page shows both sides' pictures, from the same held bytes.
    EXPECT_GE(filesUnder(dir.filePath("diff")).filter(".png").size(), 2);
}
