// stepvane-cli check and diff on files written by the wizard writer.
#include "document/ModelTables.h"
#include "document/VX_CAAXML_PARSER.h"
#include "review/check/SendEstimate.h"
#include "support/CliRun.h"
#include "support/TestFiles.h"

#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

class CliCheck : public ::testing::Test {
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    QString save(const WizardDocument &doc, const QString &name, int model)
    {
        WizardDocument copy = doc;
        VX_CAAXML_PARSER parser(&copy, model);
        EXPECT_TRUE(parser.Save_Wizard(path(name))) << name.toStdString();
        return path(name);
    }
    // "Tower" with one sequence holding the steps.
    static WizardDocument tower(const QString &title, const std::vector<TaskRecord> &steps)
    {
        WizardDocument doc;
        doc.Title = "Tower";
        TestingSequence *s = doc.appendSequence();
        s->Title = title;
        for (const TaskRecord &r : steps)
            s->insertStep(-1, r);
        return doc;
    }
    static PromptTask prompt(const AttachedImage &image)
    {
        PromptTask p;
        p.images[0] = image;
        return p;
    }
    // The last line of the text output: the send estimate of the file.
    static QString sendLine(const QString &path)
    {
        return sendEstimateText(sendEstimateOfFile(path)) + QStringLiteral("\n");
    }
    QTemporaryDir dir;
};

using CliDiff = CliCheck;

} // namespace

TEST_F(CliCheck, FindingsAndExitStatus)
{
    WizardDocument doc = tower("Sweep", {MeasureModeTask{QString(), MeasureTwoPortTransmission}});
    doc.appendSequence()->Title = "Later";
    const QString path = save(doc, "vx320a.wzd", 1);

    const CliRun run = cli({"check", path});
    EXPECT_EQ(run.code, 1) << run.err.toStdString();
    EXPECT_EQ(run.out,
              "error: sequence 1 \"Sweep\", step 1 Measure Mode [Select mode]: The VX320A has "
              "no 2 Port Transmission measurement.\n"
              "warning: sequence 2 \"Later\": The sequence has no steps.\n"
              "1 error, 1 warning\n" +
                  sendLine(path));

    // The same wizard is fine on a model with two ports, apart from the warning.
    const QString good = save(doc, "vx330a.wzd", 2);
    const CliRun clean = cli({"check", good, "--json"});
    EXPECT_EQ(clean.code, 0) << clean.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(clean.out.toUtf8()).object();
    EXPECT_EQ(json.value("model").toString(), "VX330A");
    EXPECT_EQ(json.value("errors").toInt(), 0);
    const QJsonObject finding = json["findings"][0].toObject();
    EXPECT_EQ(finding.value("severity").toString(), "warning");
    EXPECT_EQ(finding.value("sequence").toInt(), 2);
    EXPECT_TRUE(finding.value("step").isNull());
    EXPECT_EQ(json["send"]["bytes"].toInteger(), QFileInfo(good).size());
}

TEST_F(CliCheck, AMissingPictureIsAFindingNotAReaderLine)
{
    const QString path =
        save(tower("Look", {prompt({QString(), "gone.png", dir.filePath("gone.png"), 10, 2, 2})}),
             "missing.wzd", 2);
    const CliRun run = cli({"check", path});
    EXPECT_EQ(run.code, 0) << run.out.toStdString();
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(run.out.startsWith("warning: sequence 1 \"Look\", step 1 Prompt [Prompt 1]: The "
                                   "picture \"gone.png\" (1. Image file) is named but carries no "
                                   "picture"))
        << run.out.toStdString();
    // Other commands still say what the reader could not restore.
    EXPECT_TRUE(cli({"info", path}).err.contains("Prompt task item-Failed to Load (gone.png)"));
}

TEST_F(CliCheck, AStatedPictureSizeThatDiffersFromItsDataIsAWarning)
{
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(dir.filePath("mast.png"), "PNG"));
    const int size = int(QFileInfo(dir.filePath("mast.png")).size());
    const QByteArray saved = readAll(
        save(tower("Look",
                   {prompt({QString(), "mast.png", dir.filePath("mast.png"), Size(size), 2, 2})}),
             "right.wzd", 2));
    const QByteArray field = "<Image_filesize DValue=\"" + QByteArray::number(size) + "\"/>";
    ASSERT_TRUE(saved.contains(field));

    // Far off, one short, exact, one over.
    for (const int stated : {10, size - 1, size, size + 1}) {
        QByteArray text = saved;
        text.replace(field, "<Image_filesize DValue=\"" + QByteArray::number(stated) + "\"/>");
        const QString path = dir.filePath(QStringLiteral("stated-%1.wzd").arg(stated));
        ASSERT_TRUE(writeAll(path, text));
        const CliRun run = cli({"check", path});
        EXPECT_EQ(run.code, 0) << stated << run.out.toStdString();
        const QString warning =
            QStringLiteral("warning: sequence 1 \"Look\", step 1 Prompt [Prompt 1]: The file "
                           "states Image_filesize %1 for the picture \"mast.png\", but its data "
                           "holds %2 bytes")
                .arg(stated)
                .arg(size);
        EXPECT_EQ(run.out.contains(warning), stated != size) << stated << run.out.toStdString();
        EXPECT_EQ(run.out.startsWith(QLatin1String("warning")), stated != size);
    }
}

TEST_F(CliDiff, EqualFilesAndOneChangedPictureByteAndAValue)
{
    QByteArray bytes(64, 'x');
    ASSERT_TRUE(writeAll(path("mast.png"), bytes));
    const auto wizard = [&] {
        return tower("Antenna", {AmplitudeTask{},
                                 prompt({"Point it up", "mast.png", path("mast.png"), 64, 4, 4})});
    };
    const QString a = save(wizard(), "a.wzd", 1);
    const CliRun equal = cli({"diff", a, save(wizard(), "same.wzd", 1)});
    EXPECT_EQ(equal.code, 0) << equal.err.toStdString();
    EXPECT_TRUE(equal.out.isEmpty());

    bytes[10] = 'y';
    ASSERT_TRUE(writeAll(path("mast.png"), bytes));
    WizardDocument changed = wizard();
    changed.sequence(0)->step(0)->as<AmplitudeTask>()->Bottom = -5;
    const QString b = save(changed, "b.wzd", 1);
    const CliRun run = cli({"diff", a, b});
    EXPECT_EQ(run.code, 1) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Sequence 1 \"Antenna\" changed\n"
                                      "  Step 1 Amplitude changed\n"
                                      "    Bottom : 1.00 \u2192 -5.00\n"
                                      "  Step 2 Prompt changed\n"
                                      "    1. Image file mast.png : content changed\n"));
    const CliRun json = cli({"diff", a, b, "--json"});
    EXPECT_EQ(json.code, 1);
    EXPECT_FALSE(QJsonDocument::fromJson(json.out.toUtf8())["equal"].toBool(true));
}

// Usage errors exit 2; a file check cannot read exits 1, one diff cannot read 2.
TEST_F(CliCheck, UsageAndUnreadableFiles)
{
    const QString empty = save(WizardDocument{}, "empty.wzd", 0);
    const QString a = save(WizardDocument{}, "a.wzd", 1);
    ASSERT_TRUE(writeAll(path("broken.wzd"), "<STEPVANE"));
    const struct {
        QStringList args;
        int code;
    } cases[] = {
        {{"check"}, 2},
        {{"check", empty, "--model", "4"}, 2},
        {{"check", empty, "--bogus"}, 2},
        {{"check", path("missing.wzd")}, 1},
        {{"check", empty, "--model", "3"}, 1}, // made for VX310A: the reader refuses it
        {{"diff", a}, 2},
        {{"diff", a, a, a}, 2},
        {{"diff", a, a, "--model", "9"}, 2},
        {{"diff", a, path("missing.wzd")}, 2},
        {{"diff", path("broken.wzd"), a}, 2},
    };
    for (const auto &c : cases) {
        const CliRun run = cli(c.args);
        EXPECT_EQ(run.code, c.code) << c.args.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty()) << c.args.join(' ').toStdString();
    }
}
