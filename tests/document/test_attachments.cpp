// Attached files through save and open: every restored file has its own
// working copy, names from a file never write outside the working folder.
// Working copies: a name longer than a file system takes is shortened (its
// extension kept, two long names kept apart), a link left where a copy would
// go is never written through, and attaching a fifo fails at once.
#include "common/AtomicFile.h"
#include "document/Sha256.h"
#include "document/VX_CAAXML_PARSER.h"
#include "document/WorkingCopies.h"
#include "document/WorkingCopyDigests.h"
#include "support/FileSizeLimit.h"
#include "support/TestFiles.h"

#include <QDirIterator>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

class Attachments : public ::testing::Test {
protected:
    void SetUp() override { WorkingCopies::instance().setBaseFolder(dir.filePath("work")); }

    PromptTask promptWith(const QString &storedName, const QByteArray &bytes, const QString &file)
    {
        writeAll(dir.filePath(file), bytes);
        PromptTask p;
        p.images[0] = {{}, storedName, dir.filePath(file), quint32(bytes.size()), 4, 3};
        return p;
    }

    bool saveAndOpen(WizardDocument &doc, WizardDocument &back, const QString &name)
    {
        VX_CAAXML_PARSER writer(&doc, 1, &sink);
        if (!writer.Save_Wizard(dir.filePath(name)))
            return false;
        VX_CAAXML_PARSER reader(&back, 1, &sink);
        return reader.Read_Wizard_File(dir.filePath(name)) == 1;
    }

    // Every regular file under the scratch folder, relative to it.
    QStringList filesOutsideWork() const
    {
        QStringList out;
        QDirIterator it(dir.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString rel = QDir(dir.path()).relativeFilePath(it.next());
            if (!rel.startsWith("work/"))
                out << rel;
        }
        out.sort();
        return out;
    }

    QTemporaryDir dir;
    CollectingMessageSink sink;
};

} // namespace

TEST_F(Attachments, SameNameDifferentBytesKeepTheirOwnContent)
{
    WizardDocument doc;
    TestingSequence *seq = doc.appendSequence();
    seq->insertStep(-1, promptWith("IMG_0001.jpg", "first picture", "a.jpg"));
    seq->insertStep(-1, promptWith("IMG_0001.jpg", "second, other picture", "b.jpg"));

    WizardDocument back;
    ASSERT_TRUE(saveAndOpen(doc, back, "one.wzd"));
    const auto *p0 = back.sequence(0)->step(0)->as<PromptTask>();
    const auto *p1 = back.sequence(0)->step(1)->as<PromptTask>();
    ASSERT_TRUE(p0 && p1);
    EXPECT_EQ(p0->images[0].ImageName, "IMG_0001.jpg");
    EXPECT_NE(p0->images[0].TransImageName, p1->images[0].TransImageName);
    EXPECT_TRUE(p0->images[0].TransImageName.endsWith("/IMG_0001.jpg"));
    EXPECT_EQ(readAll(p0->images[0].TransImageName), "first picture");
    EXPECT_EQ(readAll(p1->images[0].TransImageName), "second, other picture");

    // Saved again from the restored copies and reopened: still apart.
    WizardDocument again;
    ASSERT_TRUE(saveAndOpen(back, again, "two.wzd"));
    EXPECT_EQ(readAll(again.sequence(0)->step(0)->as<PromptTask>()->images[0].TransImageName),
              "first picture");
    EXPECT_EQ(readAll(again.sequence(0)->step(1)->as<PromptTask>()->images[0].TransImageName),
              "second, other picture");
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(Attachments, StoredNamesNeverWriteOutsideTheWorkingFolder)
{
    const char *hostile[] = {"../../escape.jpg",
                             "..\\..\\escape2.jpg",
                             "/tmp/abs.jpg",
                             "sub/dir/nested.jpg",
                             "..",
                             ".",
                             ""};
    WizardDocument doc;
    TestingSequence *seq = doc.appendSequence();
    int n = 0;
    for (const char *name : hostile)
        seq->insertStep(-1, promptWith(name, "payload", QStringLiteral("src%1.jpg").arg(n++)));
    const QStringList before = filesOutsideWork();

    WizardDocument back;
    ASSERT_TRUE(saveAndOpen(doc, back, "hostile.wzd"));
    QStringList expected = before;
    expected << "hostile.wzd";
    expected.sort();
    EXPECT_EQ(filesOutsideWork(), expected);
    const QString work = QDir(dir.filePath("work")).absolutePath() + '/';
    for (int i = 0; i < back.sequence(0)->stepCount(); ++i) {
        const QString path = back.sequence(0)->step(i)->as<PromptTask>()->images[0].TransImageName;
        if (!path.isEmpty()) {
            EXPECT_TRUE(QFileInfo(path).absoluteFilePath().startsWith(work)) << path.toStdString();
        }
    }
    // The names that have no safe last component cannot be restored.
    EXPECT_EQ(sink.messages.size(), 3u);
    // A name with folders keeps only its last component.
    const QString nested = back.sequence(0)->step(3)->as<PromptTask>()->images[0].TransImageName;
    EXPECT_EQ(QFileInfo(nested).fileName(), "nested.jpg");
    EXPECT_EQ(readAll(nested), "payload");
}

// The size cap at 1 GiB: a file of exactly that size is copied (here the copy
// then meets a write limit, so no gigabyte is written), one byte more is refused
// before anything is read.
TEST_F(Attachments, TheSizeCapTakesOneGibibyteAndNoMore)
{
    const struct {
        qint64 size;
        const char *error;
    } cases[] = {
        {WorkingCopies::kMaxAttachmentSize, "File too large"},
        {WorkingCopies::kMaxAttachmentSize + 1, "larger than 1 GiB"},
    };
    for (const auto &c : cases) {
        QFile big(dir.filePath("big.bin"));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(c.size)); // sparse
        big.close();
        QString error;
        QString copy;
        {
            FileSizeLimit limit(1 << 20);
            copy = WorkingCopies::instance().copyIn(big.fileName(), QString(), false, &error);
        }
        EXPECT_TRUE(copy.isEmpty()) << c.size;
        EXPECT_TRUE(error.contains(c.error)) << c.size << ": " << error.toStdString();
    }
}

// The digests the check and the diff compare come from the bytes the reader
// wrote; a working copy changed since must be hashed afresh, never answered
// from what was remembered.
TEST_F(Attachments, WorkingCopyDigestsFollowTheFileOnDisk)
{
    EXPECT_EQ(sha256("abc").toHex(),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    const QByteArray a(5000, 'a'), b(5000, 'b');
    WizardDocument doc, back;
    doc.appendSequence()->insertStep(-1, promptWith("pic.png", a, "pic.png"));
    ASSERT_TRUE(saveAndOpen(doc, back, "w.wzd"));
    const QString copy =
        std::get<PromptTask>(back.sequence(0)->step(0)->record).images[0].TransImageName;
    ASSERT_FALSE(copy.isEmpty());
    EXPECT_EQ(workingCopyDigest(copy), sha256(a));
    EXPECT_EQ(workingCopyDigest(copy), sha256OfFile(copy));
    ASSERT_TRUE(writeFileAtomically(copy, b)) << "same path, same size, new bytes";
    EXPECT_EQ(workingCopyDigest(copy), sha256(b));
    QFile::remove(copy);
    EXPECT_TRUE(workingCopyDigest(copy).isEmpty());
    EXPECT_TRUE(sha256OfFile(dir.path()).isEmpty()) << "a folder";
    // Large files are hashed from a mapping, part by part.
    for (const qsizetype size : {(4 << 20) - 1, 4 << 20, (4 << 20) + 1, (9 << 20) + 7}) {
        QByteArray bytes(size, Qt::Uninitialized);
        for (qsizetype i = 0; i < size; ++i)
            bytes[i] = char(i * 31 + i / 4093);
        const QString path = dir.filePath("large.bin");
        ASSERT_TRUE(writeFileAtomically(path, bytes));
        EXPECT_EQ(sha256OfFile(path), sha256(bytes)) << size;
    }
}

TEST(WorkingCopyNames, LongNamesAreShortenedLinksSkippedFifosRefused)
{
    QTemporaryDir dir;
    WorkingCopies &copies = WorkingCopies::instance();
    copies.setBaseFolder(dir.filePath("work"));
    const QString stem = QString(200, QChar(0x00E9)); // 400 bytes in UTF-8
    const QStringList names = {stem + "a.png", stem + "b.png", QString(300, u'x')};
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
    const QString copy = copies.newPathFor("trap.png", false);
    EXPECT_NE(copy, trap);
    EXPECT_FALSE(copy.isEmpty());

    const QString fifo = dir.filePath("fifo.png");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QString why;
    EXPECT_TRUE(copies.copyIn(fifo, QString(), true, &why).isEmpty());
    EXPECT_EQ(why, "is a fifo");
}
