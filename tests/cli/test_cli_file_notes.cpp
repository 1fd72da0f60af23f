// What a file holds beyond what the reader takes from it (damaged attached
// files, second copies of elements, tricky picture names) never passes
// unseen, and a file that cannot be written or restored is a failure: the
// CLI run against real files, as a user runs it.
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
    QString promptWith(const Edits &edits, const QString &name = QStringLiteral("edited.wzd"))
    {
        QByteArray text = readAll(fixture(QStringLiteral("procedure/prompt.wzd")));
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
        QDirIterator it(folder, {QStringLiteral(".*.tmp")}, QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next();
        return found;
    }
    QTemporaryDir dir;
};

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
    const QString original = promptWith({}, QStringLiteral("original.wzd"));
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
    QFile::copy(fixture(QStringLiteral("frame/unit.tuf")), path("unit.wzd"));
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
    const CliRun dump = cli({"dump", fixture(QStringLiteral("settings/frequency_distance.wzd"))},
                            dir.path().toUtf8());
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
