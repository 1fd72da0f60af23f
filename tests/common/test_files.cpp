// Atomic writing: a write that fails anywhere (here: a file-size limit, which
// fails writes with EFBIG like a full disk fails them with ENOSPC) reports the
// failure, leaves the old file byte for byte and leaves no stray file behind.
//
// Attached files are read only when they are regular files within the cap:
// a fifo never blocks, a folder or a device is named as what it is, and a
// file above 1 GiB is refused before a byte of it is read.
#include "common/AtomicFile.h"
#include "common/AttachmentFile.h"
#include "common/Leftovers.h"
#include "support/FileSizeLimit.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
int g_fsyncError = 0; // what the disk answers to the next syncs (0: the real answer)
} // namespace

// A disk that fails to sync (EIO from failing hardware, ENOSPC from a thin
// volume) without root: this program's fsync, which the writer links to.
extern "C" int fsync(int fd)
{
    if (g_fsyncError != 0) {
        errno = g_fsyncError;
        return -1;
    }
    return int(::syscall(SYS_fsync, fd));
}

// Another run's work between the writer's close and its rename: this
// program's rename, which the writer links to, runs it first when set.
namespace {
std::function<void()> g_beforeRename;
} // namespace

extern "C" int rename(const char *from, const char *to)
{
    if (g_beforeRename)
        g_beforeRename();
    return int(::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, 0));
}

using namespace stepvane;
using stepvane::test::FileSizeLimit;
using stepvane::test::readAll;

namespace {

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

TEST(AtomicFile, FailedWritesKeepTheOldFile)
{
    struct Case {
        const char *name;
        qsizetype size;
        int chunks; // written in this many pieces, as streaming writers do
    };
    const Case cases[] = {{"small, one piece", 5000, 1},
                          {"small, many pieces", 5000, 50},
                          {"large, one piece", 3 * 1024 * 1024, 1},
                          {"large, many pieces", 3 * 1024 * 1024, 700}};
    for (const Case &c : cases) {
        for (const bool sync : {true, false}) { // checked either way, synced or not
            QTemporaryDir dir;
            const QString path = dir.filePath("wizard.wzd");
            const QByteArray old = "<old wizard/>";
            ASSERT_TRUE(writeFileAtomically(path, old));

            const QByteArray data(c.size, 'x');
            AtomicFile file(path);
            file.setSyncToDisk(sync);
            bool ok = false;
            {
                FileSizeLimit limit(4096);
                ok = file.open();
                const qsizetype piece = (c.size + c.chunks - 1) / c.chunks;
                for (qsizetype at = 0; ok && at < c.size; at += piece)
                    ok = file.write(data.mid(at, piece)) >= 0;
                ok = file.commit() && ok;
            }
            EXPECT_FALSE(ok) << c.name;
            EXPECT_TRUE(file.errorText().contains("File too large"))
                << file.errorText().toStdString();
            EXPECT_EQ(readAll(path), old) << c.name;
            EXPECT_EQ(entries(dir.path()), QStringList{"wizard.wzd"}) << c.name;
        }
    }
}

TEST(AtomicFile, AFailedSyncKeepsTheOldFile)
{
    for (const int error : {EIO, ENOSPC}) {
        QTemporaryDir dir;
        const QString path = dir.filePath("wizard.wzd");
        ASSERT_TRUE(writeFileAtomically(path, "<old wizard/>"));
        QString why;
        g_fsyncError = error;
        const bool synced = writeFileAtomically(path, "<new wizard/>", &why);
        const bool unsynced =
            writeFileAtomically(dir.filePath("scratch"), "x", nullptr, SyncToDisk::No);
        g_fsyncError = 0;
        EXPECT_FALSE(synced) << error;
        EXPECT_TRUE(why.contains(QString::fromLocal8Bit(std::strerror(error))))
            << why.toStdString();
        EXPECT_EQ(readAll(path), "<old wizard/>");
        EXPECT_TRUE(unsynced) << "a scratch file is not synced, so its sync cannot fail";
        EXPECT_EQ(entries(dir.path()), (QStringList{"scratch", "wizard.wzd"}));
    }
}

TEST(AtomicFile, ReplacesWholeKeepingPermissionsThroughLinksAndWithTheLongestName)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("unit.tuf");
    ASSERT_TRUE(writeFileAtomically(path, "first"));
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0640), 0);

    QString error;
    ASSERT_TRUE(writeFileAtomically(path, "second, longer", &error)) << error.toStdString();
    EXPECT_EQ(readAll(path), "second, longer");
    struct stat info {};
    ASSERT_EQ(stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(entries(dir.path()), QStringList{"unit.tuf"});

    // Through a symbolic link the file it names is replaced; the link stays.
    ASSERT_TRUE(QFile::link(path, dir.filePath("link.tuf")));
    ASSERT_TRUE(writeFileAtomically(dir.filePath("link.tuf"), "third"));
    EXPECT_EQ(readAll(path), "third");
    EXPECT_TRUE(QFileInfo(dir.filePath("link.tuf")).isSymLink());

    // The new file beside the target must not need a longer name than the
    // folder allows.
    const QString longest = dir.filePath(QString(251, u'n') + ".wzd");
    EXPECT_TRUE(writeFileAtomically(longest, "old", &error)) << error.toStdString();
    EXPECT_TRUE(writeFileAtomically(longest, "new", &error)) << error.toStdString();
    EXPECT_EQ(readAll(longest), "new");
}

TEST(AtomicFile, RefusesWhatCannotBeWritten)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(writeFileAtomically(dir.filePath("missing/folder/a.wzd"), "x", &error));
    EXPECT_TRUE(error.contains("No such file or directory")) << error.toStdString();

    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    EXPECT_FALSE(writeFileAtomically(dir.filePath("folder"), "x", &error));
    EXPECT_TRUE(error.contains("not a regular file")) << error.toStdString();
    EXPECT_TRUE(QFileInfo(dir.filePath("folder")).isDir());

    // A file made read-only stays as it is, even for root.
    const QString locked = dir.filePath("locked.wzd");
    ASSERT_TRUE(writeFileAtomically(locked, "kept"));
    ASSERT_EQ(chmod(QFile::encodeName(locked).constData(), 0444), 0);
    EXPECT_FALSE(writeFileAtomically(locked, "replaced", &error));
    EXPECT_TRUE(error.contains("read-only")) << error.toStdString();
    EXPECT_EQ(readAll(locked), "kept");
    EXPECT_EQ(entries(dir.path()), QStringList{"locked.wzd"});
}

TEST(AtomicFile, DiscardedOrAbandonedWritesChangeNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.pdf");
    ASSERT_TRUE(writeFileAtomically(path, "old"));
    {
        AtomicFile file(path);
        ASSERT_TRUE(file.open());
        file.write("new content");
        file.discard();
    }
    {
        AtomicFile abandoned(path);
        ASSERT_TRUE(abandoned.open());
        abandoned.write("never committed");
    }
    EXPECT_EQ(readAll(path), "old");
    EXPECT_EQ(entries(dir.path()), QStringList{"a.pdf"});
}

} // namespace

// A run starting just then sweeps the temporary files of killed runs: the
// lock held through the rename keeps the new file from passing for one.
TEST(AtomicFile, ASweepJustBeforeTheRenameLeavesTheNewFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("wizard.wzd");
    ASSERT_TRUE(writeFileAtomically(path, "<old wizard/>"));
    int sweeps = 0;
    g_beforeRename = [&] {
        ++sweeps;
        sweepLeftovers();
    };
    const bool written = writeFileAtomically(path, "<new wizard/>");
    g_beforeRename = nullptr;
    EXPECT_EQ(sweeps, 1);
    EXPECT_TRUE(written);
    EXPECT_EQ(readAll(path), "<new wizard/>");
    EXPECT_EQ(entries(dir.path()), QStringList{"wizard.wzd"});
}

TEST(AttachmentFile, OnlyRegularFilesWithinTheCapAreRead)
{
    QTemporaryDir dir;
    const auto at = [&](const char *name) { return dir.filePath(QString::fromLatin1(name)); };
    {
        QFile f(at("picture.png"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("PNGDATA");
    }
    QFile(at("empty")).open(QIODevice::WriteOnly);
    ASSERT_EQ(::mkfifo(QFile::encodeName(at("fifo")).constData(), 0600), 0);
    QDir().mkdir(at("folder"));
    ASSERT_EQ(::symlink("picture.png", QFile::encodeName(at("link.png")).constData()), 0);
    ASSERT_EQ(::symlink("gone.png", QFile::encodeName(at("dangling.png")).constData()), 0);
    ASSERT_EQ(::symlink("fifo", QFile::encodeName(at("fifo-link")).constData()), 0);
    {
        // Sparse: above the cap without using the disk.
        QFile f(at("huge.png"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(kMaxAttachmentBytes + 1));
    }

    struct Case {
        QString path;
        const char *problem; // nullptr: readable
        QByteArray bytes;
    };
    const Case cases[] = {{at("picture.png"), nullptr, "PNGDATA"},
                          {at("link.png"), nullptr, "PNGDATA"},
                          {at("empty"), nullptr, ""},
                          {at("fifo"), "is a fifo", {}},
                          {at("fifo-link"), "is a fifo", {}},
                          {at("folder"), "is a folder", {}},
                          {QStringLiteral("/dev/zero"), "is a device", {}},
                          {at("dangling.png"), "no such file", {}},
                          {at("missing.png"), "no such file", {}},
                          {at("huge.png"), "is larger than 1 GiB (1073741825 bytes)", {}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        qint64 size = -1;
        const QString problem = attachmentProblem(c.path, &size);
        QString error;
        const std::optional<QByteArray> bytes = readAttachment(c.path, &error);
        if (c.problem) {
            EXPECT_EQ(problem, QLatin1String(c.problem));
            EXPECT_FALSE(bytes.has_value());
            EXPECT_EQ(error, QLatin1String(c.problem));
        } else {
            EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
            EXPECT_EQ(size, c.bytes.size());
            ASSERT_TRUE(bytes.has_value()) << error.toStdString();
            EXPECT_EQ(*bytes, c.bytes);
        }
    }
}
