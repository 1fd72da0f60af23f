// What a file holds beyond what the reader takes from it (damaged attached
// files, second copies of elements, tricky picture names) never passes
// unseen, and a file that cannot be written or restored is a failure: the
// CLI run against real files, as a user runs it. `build` reads every attached
// file as the JSON names it or refuses it: a picture, a setup file or a mask
// file, with or without its size, missing, a fifo, a folder or above 1 GiB,
// fails with exit 1 and leaves the previous output alone; --keep-going still
// writes without it and never blocks. `dump` restores a picture whose name is
// longer than a file system takes, and never writes through a link in or as
// its extract folder.
#include "support/CliRun.h"
#include "support/FileSizeLimit.h"
#include "support/TestFiles.h"

#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace stepvane::test;

namespace {
using Edits = std::vector<std::pair<QByteArray, QByteArray>>;

// The first data element of the prompt fixture (picture slot 0) and its end.
const QByteArray kTyped = R"( xmlns:dt="urn:schemas-microsoft-com:datatypes" dt:dt="bin.base64")";
const QByteArray kData0 = ">iVBORw0KGgoAAAANSUhEUgAAAAM";
const QByteArray kEnd0 = "Jggg==</ImageData>";

class CliFileNotes : public ::testing::Test {
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    // The prompt fixture with each edit made once, at its first place.
    QString promptWith(const Edits &edits, const QString &name = "edited.wzd")
    {
        QByteArray text = readAll(fixture("procedure/prompt.wzd"));
        for (const auto &[from, to] : edits) {
            const qsizetype at = text.indexOf(from);
            EXPECT_GE(at, 0) << from.constData();
            if (at >= 0)
                text.replace(at, from.size(), to);
        }
        writeAll(path(name), text);
        return path(name);
    }
    // Runs the CLI under a file-size limit with SIGXFSZ as the system leaves
    // it: the program must survive the limit on its own.
    CliRun limited(const QStringList &args, rlim_t bytes)
    {
        QProcess p;
        FileSizeLimit::applyToChild(p, bytes, SIG_DFL);
        p.start(QStringLiteral(STEPVANE_BIN_DIR "/stepvane-cli"), args);
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
            return {};
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    QStringList leftovers(const QString &folder) const
    {
        QStringList found;
        QDirIterator it(folder, {".*.tmp"}, QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next();
        return found;
    }
    QTemporaryDir dir;
};

class CliAttachments : public CliFileNotes {
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
    QString build(const QJsonObject &step, const QStringList &more = {})
    {
        const QJsonObject wizard{
            {"model", 2},
            {"sequences", QJsonArray{QJsonObject{{"Title", "S"}, {"steps", QJsonArray{step}}}}}};
        writeAll(path("in.json"), QJsonDocument(wizard).toJson());
        run = cli(QStringList{"build", path("in.json"), path("out.wzd")} + more);
        return run.err;
    }
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

TEST_F(CliFileNotes, DamagedPicturesAreNamedByDumpAndAreCheckErrors)
{
    const struct {
        Edits edits;
        const char *reason;
    } cases[] = {
        {{{"Image_filesize DValue=\"73\"", "Image_filesize DValue=\"x\""}},
         "its size field is 'x'"},
        {{{"Image_filesize DValue=\"73\"", "Image_filesize DValue=\"-5\""}},
         "its size field is '-5'"},
        {{{"<Image_filesize DValue=\"73\"/>", ""}}, "it has no size field"},
        {{{kData0, "><![CDATA[" + kData0.mid(1)}, {kEnd0, "Jggg==]]></ImageData>"}},
         "its data is in a CDATA section"},
        {{{kEnd0, "Jggg=</ImageData>"}}, "its data holds bad padding"},
        {{{"iVBORw0K", "iVBO=w0K"}}, "its data holds '=' in mid-stream"},
        {{{"iVBORw0K", "iVBO-w0K"}}, "its data holds '-' of the URL alphabet"},
        {{{kTyped + kData0, kData0}}, "its data element is not typed bin.base64"},
    };
    for (const auto &c : cases) {
        const QString file = promptWith(c.edits);
        const QString finding =
            QStringLiteral("[Prompt 1]: the instrument shows no picture here: ") + c.reason;
        const CliRun check = cli({"check", file});
        EXPECT_EQ(check.code, 1) << c.reason;
        EXPECT_TRUE(check.out.contains(finding)) << check.out.toStdString();
        // dump shows the file as it is, and says what it passed over.
        const CliRun dump = cli({"dump", file, "--extract-dir", path("x")});
        EXPECT_EQ(dump.code, 0) << c.reason << dump.err.toStdString();
        EXPECT_TRUE(dump.err.contains("step 1 (Prompt), ImageNum_0")) << dump.err.toStdString();
        EXPECT_TRUE(dump.err.contains(c.reason)) << dump.err.toStdString();
        // Every path the JSON names is a file that exists.
        const QJsonObject image0 = QJsonDocument::fromJson(dump.out.toUtf8())
                                       .object()["sequences"][0]["steps"][0]["record"]["images"][0]
                                       .toObject();
        const QString restored = image0["TransImageName"].toString();
        EXPECT_TRUE(restored.isEmpty() || QFileInfo(restored).isFile()) << c.reason;
        // Untyped data is read as ever: an empty working copy.
        if (std::strstr(c.reason, "not typed")) {
            EXPECT_TRUE(QFileInfo(restored).isFile() && QFileInfo(restored).size() == 0);
        }
    }
}

TEST_F(CliFileNotes, SecondCopiesAreCheckErrorsAndDiffDifferences)
{
    const struct {
        Edits edits;
        const char *field;
    } cases[] = {
        {{{"</STEPVANE>",
           "<TestingSequence_Num0><Information/></TestingSequence_Num0></STEPVANE>"}},
         "TestingSequence_Num0"},
        {{{"</TestingSequence_Num0>",
           "<Task_Step_Num1><Task_Step_Name DValue=\"Hold\"/></Task_Step_Num1>"
           "</TestingSequence_Num0>"}},
         "Task_Step_Num1"},
        {{{"<File_Name DValue=\"prompt.wzd\"/>",
           "<File_Name DValue=\"prompt.wzd\"/><Title DValue=\"Other\"/>"}},
         "Information/Title"},
        {{{"</ImageData>", "</ImageData><ImageData>AAAA</ImageData>"}}, "ImageNum_0/ImageData"},
    };
    const QString original = promptWith({}, "original.wzd");
    for (const auto &c : cases) {
        const QString file = promptWith(c.edits);
        const CliRun check = cli({"check", file});
        EXPECT_EQ(check.code, 1) << c.field;
        EXPECT_TRUE(
            check.out.contains(QStringLiteral("[%1]: The file holds a second").arg(c.field)))
            << check.out.toStdString();
        const CliRun diff = cli({"diff", original, file});
        EXPECT_EQ(diff.code, 1) << c.field << diff.err.toStdString();
        EXPECT_TRUE(diff.out.contains("Content the reader ignores")) << diff.out.toStdString();
    }
}

TEST_F(CliFileNotes, PictureNamesWithPathTricksAreCheckErrors)
{
    for (const char *name : {"../up.png", "/etc/x.png", "C:x.png", "\\\\srv\\share\\x.png",
                             "a&#x85;b.png", "&#x202E;gnp.exe"}) {
        const QString file = promptWith({{"ImageName DValue=\"connector.png\"",
                                          "ImageName DValue=\"" + QByteArray(name) + "\""}});
        const CliRun check = cli({"check", file});
        EXPECT_EQ(check.code, 1) << name;
        EXPECT_TRUE(check.out.contains("is not a plain file name")) << check.out.toStdString();
    }
}

TEST_F(CliFileNotes, AFileSizeLimitIsAWriteErrorThatLeavesNothingBehind)
{
    const QString file = promptWith({});
    // The pictures (73 bytes) cannot be restored under a 16-byte limit.
    const CliRun dump = limited({"dump", file, "--extract-dir", path("x")}, 16);
    EXPECT_EQ(dump.code, 1) << dump.err.toStdString();
    EXPECT_TRUE(dump.err.contains("cannot restore")) << dump.err.toStdString();
    EXPECT_TRUE(dump.out.isEmpty());
    EXPECT_EQ(leftovers(path("x")), QStringList());

    const CliRun json = cli({"dump", file}, dir.path().toUtf8());
    ASSERT_EQ(json.code, 0);
    writeAll(path("in.json"), json.out.toUtf8());
    writeAll(path("out.wzd"), "previous");
    const CliRun build = limited({"build", path("in.json"), path("out.wzd")}, 1000);
    EXPECT_EQ(build.code, 1) << build.err.toStdString();
    EXPECT_EQ(readAll(path("out.wzd")), "previous");
    EXPECT_EQ(leftovers(dir.path()), QStringList());
}

TEST_F(CliFileNotes, BuildWithAnAttachmentItCannotReadKeepsThePreviousFile)
{
    // The dump names the restored picture; the JSON names something unreadable instead.
    const QByteArray dumped = cli({"dump", promptWith({})}, dir.path().toUtf8()).out.toUtf8();
    const QString restored =
        QJsonDocument::fromJson(
            dumped)["sequences"][0]["steps"][0]["record"]["images"][0]["TransImageName"]
            .toString();
    ASSERT_TRUE(QFileInfo(restored).isFile());
    for (const QString &unreadable : {path("missing.png"), dir.path()}) {
        writeAll(path("in.json"),
                 QByteArray(dumped).replace(restored.toUtf8(), unreadable.toUtf8()));
        writeAll(path("out.wzd"), "previous");
        const CliRun refused = cli({"build", path("in.json"), path("out.wzd")});
        EXPECT_EQ(refused.code, 1);
        EXPECT_TRUE(refused.err.contains("connector.png")) << refused.err.toStdString();
        EXPECT_EQ(readAll(path("out.wzd")), "previous");
        const CliRun kept = cli({"build", path("in.json"), path("out.wzd"), "--keep-going"});
        EXPECT_EQ(kept.code, 0);
        EXPECT_TRUE(kept.err.contains("connector.png"));
        EXPECT_EQ(cli({"info", path("out.wzd")}).code, 0);
    }
}

TEST_F(CliFileNotes, NotAWizardSaysWhichFileAndWhy)
{
    QFile::copy(fixture("frame/unit.tuf"), path("unit.wzd"));
    QFile::link(path("loop-b"), path("loop-a"));
    QFile::link(path("loop-a"), path("loop-b"));
    const struct {
        QString file;
        const char *says;
    } cases[] = {
        {path("unit.wzd"), "unit.wzd: it is a testing unit"},
        {promptWith(
             {{"TestingSequence_Count DValue=\"1\"", "TestingSequence_Count DValue=\"abc\""}}),
         "edited.wzd: its TestingSequence_Count 'abc' is not a whole number"},
        {path("loop-a"), "loop-a: Too many levels of symbolic links"},
        {promptWith({{"encoding=\"UTF-8\"", "encoding=\"x-nonesuch\""}}, "coded.wzd"),
         "coded.wzd: XML Document FAILED to load (Unsupported encoding x-nonesuch)"},
        {promptWith({{"encoding=\"UTF-8\"", "encoding=\"ISO-2022-JP\""}}, "jp.wzd"),
         "jp.wzd: XML Document FAILED to load (input conversion failed"},
    };
    for (const auto &c : cases) {
        const CliRun info = cli({"info", c.file});
        EXPECT_EQ(info.code, 1) << c.says;
        EXPECT_TRUE(info.err.contains(c.says)) << info.err.toStdString();
        // libxml2 prints nothing of its own ("encoding error : ...").
        EXPECT_FALSE(info.err.contains("error :")) << info.err.toStdString();
    }
}

TEST_F(CliFileNotes, DumpShowsOnlyWhatTheFileStores)
{
    // Centre and span live in the editor's memory only; the file has neither.
    const CliRun dump =
        cli({"dump", fixture("settings/frequency_distance.wzd")}, dir.path().toUtf8());
    ASSERT_EQ(dump.code, 0) << dump.err.toStdString();
    const QJsonArray steps =
        QJsonDocument::fromJson(dump.out.toUtf8()).object()["sequences"][0]["steps"].toArray();
    ASSERT_FALSE(steps.isEmpty());
    for (const QJsonValue &step : steps) {
        const QJsonObject record = step["record"].toObject();
        EXPECT_TRUE(record.contains("Start_Frequency"));
        EXPECT_FALSE(record.contains("Center_Frequency") || record.contains("Span"));
    }
}

TEST_F(CliAttachments, EveryUnreadableAttachmentOrSizeIsRefusedWhateverFieldsComeWithIt)
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
    for (const qint64 size : {qint64(1) << 32 | 3, (qint64(1) << 30) + 1, qint64(-1)}) {
        QJsonObject one = image("p.png", path("ok.png"));
        one["Image_filesize"] = size; // refused, not wrapped
        const QString err = build(pictures({one}));
        EXPECT_EQ(run.code, 1) << size;
        EXPECT_TRUE(err.contains(QLatin1String("Image_filesize"))) << err.toStdString();
        EXPECT_EQ(readAll(path("out.wzd")), before) << size;
    }
    // --keep-going writes without a fifo and never blocks.
    for (bool sized : {true, false}) {
        const QString err = build(picture(path("fifo"), sized), {"--keep-going"});
        EXPECT_EQ(run.code, 0) << err.toStdString(); // -1 had it hung
        EXPECT_TRUE(err.contains(QLatin1String("is a fifo"))) << err.toStdString();
        EXPECT_EQ(cli({"info", path("out.wzd")}).code, 0);
    }
    // The readable ones of each kind, sized or not, are written.
    for (Make make : {Make(picture), Make(setup), Make(mask)})
        for (bool sized : {true, false}) {
            build(make(path(make == Make(mask) ? "mask.fml" : "ok.png"), sized));
            EXPECT_EQ(run.code, 0) << run.err.toStdString();
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
