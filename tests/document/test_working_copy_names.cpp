// Working copies: a name longer than a file system takes is shortened (its
// extension kept, two long names kept apart), a link left where a copy would
// go is never written through, and attaching a fifo fails at once.
#include "document/WorkingCopies.h"
#include "support/TestFiles.h"

#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

TEST(WorkingCopyNames, LongNamesAreShortenedLinksSkippedFifosRefused)
{
    QTemporaryDir dir;
    WorkingCopies &copies = WorkingCopies::instance();
    copies.setBaseFolder(dir.filePath("work"));
    const QString stem = QString(200, QChar(0x00E9)); // 400 bytes in UTF-8
    const QStringList names = {stem + QStringLiteral("a.png"), stem + QStringLiteral("b.png"),
                               QString(300, u'x')};
    QStringList paths;
    for (const QString &name : names) {
        const QString path = copies.newPathFor(name, false);
        ASSERT_FALSE(path.isEmpty()) << name.size();
        const QString file = QFileInfo(path).fileName();
        EXPECT_LE(file.toUtf8().size(), kMaxWorkingNameBytes);
        EXPECT_EQ(file.endsWith(QLatin1String(".png")), name.endsWith(QLatin1String(".png")));
        EXPECT_TRUE(writeAll(path, name.toUtf8())) << path.toStdString();
        paths << path;
    }
    EXPECT_NE(paths[0], paths[1]);
    EXPECT_EQ(readAll(paths[0]), names[0].toUtf8());

    // A dangling link where the next copy of that name would lie.
    const QString trap = dir.filePath("work/trap.png");
    ASSERT_EQ(::symlink(QFile::encodeName(dir.filePath("outside.png")).constData(),
                        QFile::encodeName(trap).constData()),
              0);
    const QString copy = copies.newPathFor(QStringLiteral("trap.png"), false);
    EXPECT_NE(copy, trap);
    EXPECT_FALSE(copy.isEmpty());

    const QString fifo = dir.filePath("fifo.png");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QString why;
    EXPECT_TRUE(copies.copyIn(fifo, QString(), true, &why).isEmpty());
    EXPECT_EQ(why, QStringLiteral("is a fifo"));
}
