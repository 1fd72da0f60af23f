// Attached files are read only when they are regular files within the cap:
// a fifo never blocks, a folder or a device is named as what it is, and a
// file above 1 GiB is refused before a byte of it is read.
#include "common/AttachmentFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace stepvane;

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
