// stepvane-cli check on files written by the wizard writer.
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
#include <QProcess>

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

class CliCheck : public ::testing::Test {
protected:
    QString save(const WizardDocument &doc, const QString &name, int model)
    {
        WizardDocument copy = doc;
        VX_CAAXML_PARSER parser(&copy, model);
        EXPECT_TRUE(parser.Save_Wizard(dir.filePath(name)));
        return dir.filePath(name);
    }
    // The last line of the text output: the send estimate of the file.
    static QString sendLine(const QString &path)
    {
        return sendEstimateText(sendEstimateOfFile(path)) + QStringLiteral("\n");
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(CliCheck, FindingsAndExitStatus)
{
    WizardDocument doc;
    doc.Title = QStringLiteral("Tower");
    TestingSequence *s = doc.appendSequence();
    s->Title = QStringLiteral("Sweep");
    s->insertStep(-1, MeasureModeTask{QString(), MeasureTwoPortTransmission});
    doc.appendSequence()->Title = QStringLiteral("Later");
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
    const QJsonObject finding = json.value("findings").toArray().at(0).toObject();
    EXPECT_EQ(finding.value("severity").toString(), "warning");
    EXPECT_EQ(finding.value("sequence").toInt(), 2);
    EXPECT_TRUE(finding.value("step").isNull());
    EXPECT_EQ(json.value("send").toObject().value("bytes").toInteger(), QFileInfo(good).size());
}

TEST_F(CliCheck, AMissingPictureIsAFindingNotAReaderLine)
{
    WizardDocument doc;
    doc.Title = QStringLiteral("Tower");
    TestingSequence *s = doc.appendSequence();
    s->Title = QStringLiteral("Look");
    PromptTask prompt;
    prompt.images[0] = {QString(), "gone.png", dir.filePath("gone.png"), 10, 2, 2};
    s->insertStep(-1, prompt);
    const QString path = save(doc, "missing.wzd", 2);

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

TEST_F(CliCheck, UsageAndUnreadableFiles)
{
    const QString path = save(WizardDocument{}, "empty.wzd", 0);
    EXPECT_EQ(cli({"check"}).code, 2);
    EXPECT_EQ(cli({"check", path, "--model", "4"}).code, 2);
    EXPECT_EQ(cli({"check", path, "--bogus"}).code, 2);
    const CliRun missing = cli({"check", dir.filePath("missing.wzd")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_FALSE(missing.err.isEmpty());
    // Made for VX310A, checked for VX340A: the reader refuses it.
    EXPECT_EQ(cli({"check", path, "--model", "3"}).code, 1);
}

TEST_F(CliCheck, AStatedPictureSizeThatDiffersFromItsDataIsAWarning)
{
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(dir.filePath("mast.png"), "PNG"));
    const int size = int(QFileInfo(dir.filePath("mast.png")).size());
    WizardDocument doc;
    doc.Title = QStringLiteral("Tower");
    TestingSequence *s = doc.appendSequence();
    s->Title = QStringLiteral("Look");
    PromptTask prompt;
    prompt.images[0] = {QString(), "mast.png", dir.filePath("mast.png"), Size(size), 2, 2};
    s->insertStep(-1, prompt);
    const QByteArray saved = readAll(save(doc, "right.wzd", 2));
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
