// stepvane-cli info, dump and build, run as a user runs them; build refuses
// every text a wizard file cannot hold, naming the field by its JSON path and
// leaving the previous output as it was. Those texts are every string `dump`
// prints for a wizard with a step of every kind, so a field added to the JSON
// is covered without the test knowing of it.
#include "support/CliRun.h"
#include "support/TestFiles.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace stepvane::test;

namespace {
class CliWizard : public ::testing::Test {
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    QString json(const QString &name, const QJsonObject &o)
    {
        writeAll(path(name), QJsonDocument(o).toJson());
        return path(name);
    }
    QTemporaryDir dir;
};

QJsonObject sampleWizard()
{
    return QJsonObject{
        {"model", 1},
        {"Title", "Sector A sweep"},
        {"PW", "open sesame"},
        {"SeqEndOption", 1},
        {"sequences",
         QJsonArray{
             QJsonObject{{"Title", "Antenna"},
                         {"steps", QJsonArray{QJsonObject{{"kind", 9},
                                                          {"record", QJsonObject{{"Top", 40.5}}}},
                                              QJsonObject{{"name", "Hold"}},
                                              QJsonObject{{"kind", 20}, {"name", "Prompt"}}}}},
             QJsonObject{{"Title", "Feeder"}, {"steps", QJsonArray{}}}}},
    };
}

// A sample wizard with one more sequence: a step showing the picture file.
QJsonObject withPicture(QJsonObject wizard, const QString &file)
{
    const QJsonObject image{{"ImageName", "picture.bin"}, {"TransImageName", file}};
    QJsonArray sequences = wizard["sequences"].toArray();
    sequences.append(QJsonObject{
        {"steps", QJsonArray{QJsonObject{
                      {"kind", 2}, {"record", QJsonObject{{"images", QJsonArray{image}}}}}}}});
    wizard["sequences"] = sequences;
    return wizard;
}

// The JSON value with its string number n (counted from zero in the order of
// a walk) replaced by text; paths, when given, collects the path of every
// string ("sequences[0].Title").
QJsonValue withString(const QJsonValue &value, const QString &path, int &n, const QString &text,
                      QStringList *paths = nullptr)
{
    if (value.isString()) {
        if (paths)
            *paths << path;
        return n-- == 0 ? QJsonValue(text) : value;
    }
    if (value.isObject()) {
        QJsonObject o = value.toObject();
        for (auto it = o.begin(); it != o.end(); ++it)
            it.value() = withString(it.value(), path.isEmpty() ? it.key() : path + u'.' + it.key(),
                                    n, text, paths);
        return o;
    }
    if (!value.isArray())
        return value;
    QJsonArray a = value.toArray();
    for (qsizetype i = 0; i < a.size(); ++i)
        a[i] = withString(a.at(i), QStringLiteral("%1[%2]").arg(path).arg(i), n, text, paths);
    return a;
}

using CliUnwritable = CliWizard;

} // namespace

// Each refusal with its exit code and, where the case gives one, its reason:
// usage errors exit 2, files that cannot be read exit 1.
TEST_F(CliWizard, RefusalsGiveTheirExitCodeAndReason)
{
    ASSERT_EQ(cli({"build", json("in.json", sampleWizard()), path("out.wzd")}).code, 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    ASSERT_EQ(mkfifo(QFile::encodeName(path("pipe")).constData(), 0600), 0);
    const QString missing = path("missing.wzd");
    // A wizard of one step whose record is given.
    auto oneStep = [&](const char *name, int kind, const QJsonObject &record) {
        QJsonObject wizard = sampleWizard();
        wizard["sequences"] = QJsonArray{
            QJsonObject{{"steps", QJsonArray{QJsonObject{{"kind", kind}, {"record", record}}}}}};
        return json(name, wizard);
    };
    const struct {
        QStringList args;
        int code;
        const char *says;
    } cases[] = {
        {{}, 2, ""},
        {{"nonsense"}, 2, ""},
        {{"info"}, 2, ""},
        {{"info", "a.wzd", "b.wzd"}, 2, ""},
        {{"info", "a.wzd", "--model"}, 2, ""},
        {{"info", "a.wzd", "--model", "x"}, 2, ""},
        {{"dump", "a.wzd", "--bogus"}, 2, ""},
        {{"build", "in.json", "out.tuf"}, 2, ""},
        {{"build", "in.json", "out.wzd", "--sequence", "0"}, 2, ""},
        {{"info", path("out.wzd")}, 1, "password is not correct"},
        {{"info", path("out.wzd"), "--password", "Open sesame"}, 1, "password is not correct"},
        {{"info", path("out.wzd"), "--password", "open sesame", "--model", "2"},
         1,
         "made for VX320A"},
        {{"info", missing}, 1, "no such file"},
        {{"info", json("notxml.wzd", QJsonObject{{"a", 1}})}, 1, "FAILED to load"},
        {{"info", path("folder")}, 1, "is a folder"},
        {{"dump", path("pipe")}, 1, "is a fifo"},
        {{"info", "/dev/null"}, 1, "is a device"},
        {{"summary", missing}, 1, "no such file"},
        {{"build", path("pipe"), path("out.wzd")}, 1, "is a fifo"}, // would block if opened
        {{"build", oneStep("text.json", 9, {{"Top", "40"}}), path("o.wzd")},
         1,
         "\"Top\" has the wrong type"},
        {{"build", oneStep("null.json", 9, {{"Top", QJsonValue()}}), path("o.wzd")},
         1,
         "\"Top\" has the wrong type"},
        {{"build", oneStep("object.json", 2, {{"images", QJsonObject{}}}), path("o.wzd")},
         1,
         "\"images\" has the wrong type"},
        {{"setup-info", path("folder")}, 1, "is a folder"},
        // An accepted port gets as far as the file check (nothing sent).
        {{"send", missing, "--tcp", "127.0.0.1", "--port", "1"},
         1,
         ": Read file Error (no such file)"},
        {{"send", path("folder"), "--tcp", "127.0.0.1", "--port", "65535", "--no-check"},
         1,
         "folder: Read file Error (is a folder)"},
        {{"send", missing, "--to", "127.0.0.1:1"}, 1, ": Read file Error (no such file)"},
        {{"send", missing, "--tcp", "127.0.0.1", "--port", "0"}, 2, "--port needs 1..65535"},
        {{"send", missing, "--tcp", "127.0.0.1", "--port", "65536"}, 2, "--port needs 1..65535"},
        {{"send", missing, "--tcp", "127.0.0.1", "--port", "-1"}, 2, "--port needs 1..65535"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_TRUE(r.err.contains(QLatin1String(c.says))) << r.err.toStdString();
    }
}

TEST_F(CliWizard, BuildThenInfoAndDumpRoundTrip)
{
    const QString in = json("in.json", sampleWizard());
    ASSERT_EQ(cli({"build", in, path("out.wzd")}).code, 0);

    const CliRun info = cli({"info", path("out.wzd"), "--password", "open sesame"});
    ASSERT_EQ(info.code, 0) << info.err.toStdString();
    EXPECT_EQ(info.out, "Model: VX320A\nTitle: Sector A sweep\nSequences: 2\n1. Antenna\n"
                        "    Amplitude\n    Hold\n    Auto scale\n2. Feeder\n");

    const CliRun dump = cli({"dump", path("out.wzd"), "--password", "open sesame"});
    ASSERT_EQ(dump.code, 0) << dump.err.toStdString();
    const QJsonObject back = QJsonDocument::fromJson(dump.out.toUtf8()).object();
    EXPECT_EQ(back.value("PW").toString(), "open sesame");
    EXPECT_EQ(back.value("SeqEndOption").toInt(), 1);
    const QJsonArray steps =
        back.value("sequences").toArray().at(0).toObject().value("steps").toArray();
    ASSERT_EQ(steps.size(), 3);
    EXPECT_EQ(steps.at(0).toObject().value("record").toObject().value("Top").toDouble(), 40.5);
    EXPECT_EQ(steps.at(0).toObject().value("record").toObject().value("Bottom").toDouble(), 1.0)
        << "a missing field takes the default";
    EXPECT_EQ(steps.at(2).toObject().value("name").toString(), "Auto Scale")
        << "kind wins over name";

    // What dump prints, build takes back, and the file comes out the same.
    const QString again = json("again.json", back);
    ASSERT_EQ(cli({"build", again, path("again.wzd")}).code, 0);
    EXPECT_EQ(normalizedXml(readAll(path("again.wzd"))).replace("again.wzd", "out.wzd"),
              normalizedXml(readAll(path("out.wzd"))));
}

TEST_F(CliWizard, TestingUnitReadsAsOneSequenceWizard)
{
    const QString in = json("in.json", sampleWizard());
    ASSERT_EQ(cli({"build", in, path("unit.tuf"), "--sequence", "1"}).code, 0);
    EXPECT_EQ(cli({"build", in, path("none.tuf"), "--sequence", "2"}).code, 1);
    EXPECT_FALSE(QFile::exists(path("none.tuf")));
    const CliRun info = cli({"info", path("unit.tuf")});
    ASSERT_EQ(info.code, 0) << info.err.toStdString();
    EXPECT_EQ(info.out, "Model: VX320A\nTitle: \nSequences: 1\n1. Feeder\n");
    const QJsonObject dumped =
        QJsonDocument::fromJson(cli({"dump", path("unit.tuf")}).out.toUtf8()).object();
    EXPECT_EQ(dumped.value("SeqEndOption").toInt(), 2);
    EXPECT_FALSE(dumped.contains("PW"));
}

TEST_F(CliWizard, BadJsonIsRefusedWithoutWriting)
{
    writeAll(path("broken.json"), "{ not json");
    QJsonObject tooMany = sampleWizard();
    tooMany["model"] = 7;
    QJsonObject badKind = sampleWizard();
    badKind["sequences"] =
        QJsonArray{QJsonObject{{"steps", QJsonArray{QJsonObject{{"kind", 21}}}}}};
    QJsonObject wrongType = sampleWizard();
    wrongType["sequences"] = QJsonArray{QJsonObject{
        {"steps", QJsonArray{QJsonObject{{"kind", 9}, {"record", QJsonObject{{"Top", "high"}}}}}}}};
    const QString inputs[] = {path("broken.json"), json("model.json", tooMany),
                              json("kind.json", badKind), json("type.json", wrongType)};
    for (const QString &in : inputs) {
        const CliRun r = cli({"build", in, path("out.wzd")});
        EXPECT_EQ(r.code, 1) << in.toStdString();
        EXPECT_FALSE(r.err.isEmpty());
        EXPECT_FALSE(QFile::exists(path("out.wzd")));
    }
}

TEST_F(CliWizard, BuildOnAFullDiskKeepsTheOldFileAndSaysWhy)
{
    // Small: the whole file fits one buffer, the case where a failed final
    // flush used to go unnoticed. Large: many writes, the first failing early.
    writeAll(path("picture.bin"), QByteArray(300000, 'p'));
    const QJsonObject large = withPicture(sampleWizard(), "picture.bin");
    const struct {
        const char *name;
        QJsonObject wizard;
        rlim_t limit;
    } cases[] = {{"small", sampleWizard(), 600}, {"large", large, 100000}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray old = "<old wizard the user must not lose/>";
        writeAll(path("out.wzd"), old);
        const QString in = json("in.json", c.wizard);
        ASSERT_EQ(cli({"build", in, path("fits.wzd")}).code, 0);
        ASSERT_GT(QFileInfo(path("fits.wzd")).size(), qint64(c.limit)) << "the limit bites";

        const CliRun r = cli({"build", in, path("out.wzd")}, {}, c.limit);
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.contains("File too large")) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains("I/O error")) << "libxml2's own lines stay off stderr";
        EXPECT_EQ(readAll(path("out.wzd")), old);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(".tmp"),
                  QStringList());
    }
}

TEST_F(CliWizard, DumpRefusesAnExtractFolderItCannotUse)
{
    writeAll(path("picture.bin"), QByteArray(5000, 'p'));
    const QJsonObject wizard = withPicture(sampleWizard(), "picture.bin");
    ASSERT_EQ(cli({"build", json("in.json", wizard), path("w.wzd")}).code, 0);
    writeAll(path("plain"), "a file, not a folder");
    // /proc takes no new files, not even from root.
    for (const QString &target : {path("plain"), QStringLiteral("/proc/self")}) {
        const CliRun r =
            cli({"dump", path("w.wzd"), "--password", "open sesame", "--extract-dir", target});
        EXPECT_EQ(r.code, 1) << target.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << "no JSON pointing at files that were never written";
        EXPECT_TRUE(r.err.contains(target)) << r.err.toStdString();
    }
    const CliRun good = cli(
        {"dump", path("w.wzd"), "--password", "open sesame", "--extract-dir", path("extracted")});
    ASSERT_EQ(good.code, 0) << good.err.toStdString();
    const QJsonObject image = QJsonDocument::fromJson(good.out.toUtf8())
                                  .object()["sequences"][2]["steps"][0]["record"]["images"][0]
                                  .toObject();
    EXPECT_EQ(readAll(image["TransImageName"].toString()), QByteArray(5000, 'p'));
    EXPECT_EQ(image["Image_filesize"].toInt(), 5000);
}

TEST_F(CliUnwritable, EveryTextWithEveryBadCharacterIsRefusedByItsPath)
{
    QJsonArray steps;
    for (int kind : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 23})
        steps.append(QJsonObject{{"kind", kind}});
    // Condition pictures have no slots of their own: one each.
    steps[15] = QJsonObject{{"kind", 16}, {"record", QJsonObject{{"images", QJsonArray{{}}}}}};
    steps[16] = QJsonObject{{"kind", 17}, {"record", QJsonObject{{"images", QJsonArray{{}}}}}};
    const QJsonObject seed{
        {"model", 2},
        {"Title", "Site"},
        {"PW", "secret"},
        {"sequences", QJsonArray{QJsonObject{{"Title", "Feeder"}, {"steps", steps}}}}};
    ASSERT_EQ(cli({"build", json("seed.json", seed), path("out.wzd")}).code, 0);
    const QByteArray before = readAll(path("out.wzd"));
    const CliRun dump = cli({"dump", path("out.wzd"), "--password", "secret"});
    ASSERT_EQ(dump.code, 0) << dump.err.toStdString();
    // Every kind's record in QJsonDocument's own indented form, byte for byte.
    const QByteArray dumped = dump.out.toUtf8();
    EXPECT_EQ(dumped, QJsonDocument::fromJson(dumped).toJson(QJsonDocument::Indented));
    QStringList texts;
    int none = -1;
    const QJsonValue full =
        withString(QJsonDocument::fromJson(dump.out.toUtf8()).object(), {}, none, {}, &texts);

    // As a user writes them: JSON escapes, since UTF-8 has no lone surrogate.
    const char *bad[] = {"A\\u0001B", "A\\u001f", "x\\u0000y", "\\ufffe",
                         "\\uFFFF",   "\\ud800z", "z\\udc00",  "\\udbff\\u0041"};
    // Every field with two of the characters in turn (each meets every field
    // in the writer's own table): the refusal is one check, its naming is what
    // differs from field to field.
    int n = 0;
    for (int i = 0; i < texts.size(); ++i) {
        // A step's name only stands in for a missing kind; it is never written.
        if (texts[i].endsWith(QLatin1String("].name")))
            continue;
        for (const char *b : {bad[n % 8], bad[(n + 3) % 8]}) {
            int at = i;
            QByteArray bytes = QJsonDocument(withString(full, {}, at, "@BAD@").toObject()).toJson();
            const QString in = path(QStringLiteral("bad%1.json").arg(n));
            writeAll(in, bytes.replace("@BAD@", b));
            const CliRun run = cli({"build", in, path("out.wzd")});
            EXPECT_EQ(run.code, 1) << texts[i].toStdString();
            EXPECT_TRUE(run.err.contains(texts[i] + QStringLiteral(": the character U+")))
                << run.err.toStdString();
        }
        ++n;
    }
    EXPECT_GT(n, 80);
    EXPECT_EQ(readAll(path("out.wzd")), before);
}
