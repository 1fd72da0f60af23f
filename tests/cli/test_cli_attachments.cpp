// `build` reads every attached file as the JSON names it or refuses it: a
// picture, a setup file or a mask file, with or without its size, missing,
// a fifo, a folder or above 1 GiB, fails with exit 1 and leaves the previous
// output alone; --keep-going still writes without it and never blocks.
// `dump` restores a picture whose name is longer than a file system takes,
// and never writes through a link in or as its extract folder.
#include "support/CliRun.h"
#include "support/TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace stepvane::test;

namespace {

class CliAttachments : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeAll(path("ok.png"), "PNG");
        writeAll(path("mask.fml"), "MSL");
        ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
        QDir().mkdir(path("folder"));
        QFile huge(path("huge.png"));
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        ASSERT_TRUE(huge.resize((qint64(1) << 30) + 1)); // sparse
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    QString build(const QJsonObject &step, const QStringList &more = {})
    {
        const QJsonObject wizard{
            {"model", 2},
            {"sequences", QJsonArray{QJsonObject{{"Title", "S"}, {"steps", QJsonArray{step}}}}}};
        writeAll(path("in.json"), QJsonDocument(wizard).toJson());
        run = cli(QStringList{"build", path("in.json"), path("out.wzd")} + more);
        return run.err;
    }
    QTemporaryDir dir;
    CliRun run;
};

// A picture as the JSON names it; a size below zero leaves the size out.
QJsonObject image(const QString &name, const QString &file, qint64 size = 3)
{
    QJsonObject out{{"ImageName", name}, {"TransImageName", file}};
    if (size >= 0)
        out.insert("Image_filesize", size);
    return out;
}

QJsonObject pictures(const QJsonArray &images)
{
    return QJsonObject{{"kind", 2}, {"record", QJsonObject{{"images", images}}}};
}

QJsonObject picture(const QString &file, bool sized)
{
    return pictures({image("p.png", file, sized ? 3 : -1)});
}

QJsonObject setup(const QString &file, bool sized)
{
    QJsonObject r{{"Mode", 2}, {"SetupfileName", file}};
    if (sized)
        r.insert("SetupfileSize", 3);
    return QJsonObject{{"kind", 6}, {"record", r}};
}

QJsonObject mask(const QString &file, bool sized)
{
    QJsonObject r{{"SelectMode", 0}, {"MSLfileName", "m.fml"}, {"TransMSLfileName", file}};
    if (sized)
        r.insert("MSLfileSize", 3);
    return QJsonObject{{"kind", 17}, {"record", r}};
}

} // namespace

TEST_F(CliAttachments, EveryUnreadableAttachmentIsRefusedWhateverFieldsComeWithIt)
{
    ASSERT_TRUE(build(picture(path("ok.png"), true)).isEmpty());
    ASSERT_EQ(run.code, 0);
    const QByteArray before = readAll(path("out.wzd"));

    using Make = QJsonObject (*)(const QString &, bool);
    const std::pair<const char *, const char *> files[] = {{"missing.png", "no such file"},
                                                           {"fifo", "is a fifo"},
                                                           {"folder", "is a folder"},
                                                           {"huge.png", "is larger than 1 GiB"}};
    for (Make make : {Make(picture), Make(setup), Make(mask)}) {
        for (bool sized : {true, false}) {
            for (const auto &[name, what] : files) {
                const QString err = build(make(path(name), sized));
                const std::string trace = std::string(name) + (sized ? " sized" : " unsized");
                EXPECT_EQ(run.code, 1) << trace << err.toStdString();
                EXPECT_TRUE(err.contains(QLatin1String(what))) << trace << err.toStdString();
                EXPECT_EQ(readAll(path("out.wzd")), before) << trace;
            }
        }
    }
    // The readable ones of each kind, sized or not, are written.
    for (Make make : {Make(picture), Make(setup), Make(mask)})
        for (bool sized : {true, false}) {
            build(make(path(make == Make(mask) ? "mask.fml" : "ok.png"), sized));
            EXPECT_EQ(run.code, 0) << run.err.toStdString();
        }
}

TEST_F(CliAttachments, KeepGoingWritesWithoutAFifoAndNeverBlocks)
{
    for (bool sized : {true, false}) {
        const QString err = build(picture(path("fifo"), sized), {"--keep-going"});
        EXPECT_EQ(run.code, 0) << err.toStdString(); // -1 had it hung
        EXPECT_TRUE(err.contains(QLatin1String("is a fifo"))) << err.toStdString();
        EXPECT_EQ(cli({"info", path("out.wzd")}).code, 0);
    }
}

TEST_F(CliAttachments, SizesOutsideTheFormatAreRefusedNotWrapped)
{
    for (const qint64 size : {qint64(1) << 32 | 3, (qint64(1) << 30) + 1, qint64(-1)}) {
        QJsonObject one = image("p.png", path("ok.png"));
        one["Image_filesize"] = size;
        const QString err = build(pictures({one}));
        EXPECT_EQ(run.code, 1) << size;
        EXPECT_TRUE(err.contains(QLatin1String("Image_filesize"))) << err.toStdString();
    }
}

TEST_F(CliAttachments, DumpRestoresALongNameAndNeverWritesThroughALink)
{
    const QString longName = QString(300, u'n') + QStringLiteral(".png");
    build(pictures({image(longName, path("ok.png")), image("p.png", path("ok.png"))}));
    ASSERT_EQ(run.code, 0) << run.err.toStdString();

    // A dangling link where the second picture would go, and a link as the folder.
    QDir().mkdir(path("x"));
    ASSERT_EQ(::symlink(QFile::encodeName(path("outside.png")).constData(),
                        QFile::encodeName(path("x/p.png")).constData()),
              0);
    ASSERT_EQ(::symlink("x", QFile::encodeName(path("xlink")).constData()), 0);
    const CliRun viaLink = cli({"dump", path("out.wzd"), "--extract-dir", path("xlink")});
    EXPECT_EQ(viaLink.code, 1);
    EXPECT_TRUE(viaLink.err.contains(QLatin1String("symbolic link"))) << viaLink.err.toStdString();

    const CliRun dump = cli({"dump", path("out.wzd"), "--extract-dir", path("x")});
    ASSERT_EQ(dump.code, 0) << dump.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("outside.png")));
    EXPECT_TRUE(QFileInfo(path("x/p.png")).isSymLink());
    const QJsonArray images = QJsonDocument::fromJson(dump.out.toUtf8())
                                  .object()["sequences"][0]["steps"][0]["record"]["images"]
                                  .toArray();
    for (int i = 0; i < 2; ++i) {
        const QString restored = images[i]["TransImageName"].toString();
        EXPECT_EQ(readAll(restored), "PNG") << restored.toStdString();
        EXPECT_FALSE(QFileInfo(restored).isSymLink());
        EXPECT_LE(QFileInfo(restored).fileName().toUtf8().size(), 255);
    }
    EXPECT_EQ(images[0]["ImageName"].toString(), longName);
}
