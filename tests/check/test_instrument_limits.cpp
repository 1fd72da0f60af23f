// The check against the instrument's limits: names its file system refuses,
// markers outside the sweep the wizard sets, attached files the instrument
// would not take as what they claim to be, pictures far beyond its screen,
// and the send time, which must follow the file the writer really makes.
#include "document/ModelTables.h"
#include "document/VX_CAAXML_PARSER.h"
#include "document/check/InstrumentLimits.h"
#include "document/check/SendEstimate.h"
#include "instrument_files/SetupImageBuilder.h"
#include "instrument_files/SetupRecognition.h"
#include "print/PictureProbe.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

std::vector<Finding> check(const WizardDocument &doc)
{
    CheckOptions options;
    options.model = 2;
    options.pictures = decodePicture;
    return checkWizard(doc, options);
}

WizardDocument wizardOf(std::vector<TaskRecord> records)
{
    WizardDocument doc;
    doc.Title = QStringLiteral("Tower");
    TestingSequence *s = doc.appendSequence();
    s->Title = QStringLiteral("Sweep");
    for (TaskRecord &r : records)
        s->insertStep(-1, std::move(r));
    return doc;
}

QString messages(const std::vector<Finding> &findings)
{
    QStringList out;
    for (const Finding &f : findings)
        out << f.field + QStringLiteral(": ") + f.message;
    return out.join(u'\n');
}

} // namespace

TEST(InstrumentLimits, NamesTheFileSystemCannotHold)
{
    const struct {
        QString name;
        bool folder;
        QString problem; // empty: the name is fine
    } cases[] = {
        {"Sector A-1_final", false, ""},
        {"Tower7\\2024/run 3", true, ""},
        {"\\Tower7\\", true, ""},
        {"site/1", false, "The file name \"site/1\" holds \"/\""},
        {"a|b", true, "The folder name \"a|b\" holds \"|\""},
        {"what?", false, "The file name \"what?\" holds \"?\""},
        {QStringLiteral("tab\there"), false, "The file name holds a control character (U+0009)"},
        {"report.", false, "The file name \"report.\" ends with a dot"},
        {"report ", false, "The file name \"report \" ends with a space"},
        {"Tower7/../up", true,
         "The folder \"..\" in the folder name \"Tower7/../up\" ends with "
         "a dot"},
        {QString(255, u'n'), false, ""},
        {QString(256, u'n'), false,
         "has 256 characters; the instrument's file system keeps at "
         "most 255."},
        {"ok/" + QString(256, u'f'), true, "has 256 characters"},
    };
    for (const auto &c : cases) {
        const QString what = c.folder ? QStringLiteral("folder name") : QStringLiteral("file name");
        const QString problem = instrumentNameProblem(c.name, what, c.folder);
        if (c.problem.isEmpty())
            EXPECT_TRUE(problem.isEmpty()) << c.name.toStdString() << ": " << problem.toStdString();
        else
            EXPECT_TRUE(problem.contains(c.problem)) << problem.toStdString();
    }
    // In Manual the operator names the files on the instrument: nothing to check.
    SaveTask manual;
    manual.SaveMode = 2;
    manual.BaseFileName = QStringLiteral("a:b");
    EXPECT_TRUE(check(wizardOf({manual})).empty());
}

TEST(InstrumentLimits, MarkersOutsideTheSweepTheWizardSets)
{
    FrequencyDistanceTask band;
    band.Start_Frequency = 700, band.Stop_Frequency = 900;
    band.Start_Frequency_Check = band.Stop_Frequency_Check = 1;
    band.Stop_Distance = 30, band.Stop_Distance_Check = 1;
    MarkerPeakTask markers;
    markers.markers[0] = {1, 1, 0, 0, 1000}; // outside the band
    markers.markers[1] = {2, 1, 0, 0, 800};  // inside
    markers.markers[2] = {3, 1, 0, 1, 1000}; // a peak search places it
    markers.markers[3] = {4, 0, 0, 0, 1000}; // off

    // Without a mode the X axis is unknown.
    EXPECT_TRUE(check(wizardOf({band, markers})).empty());

    auto findings =
        check(wizardOf({MeasureModeTask{QString(), MeasureReflectionVswr}, band, markers}));
    ASSERT_EQ(findings.size(), 1u) << messages(findings).toStdString();
    EXPECT_EQ(findings[0], (Finding{Severity::Warning, 0, 2, "Num1/X_Value",
                                    "Marker 1's X value 1000 MHz lies outside the frequency range "
                                    "the wizard sets (700 to 900 MHz)."}));

    // A distance-to-fault marker is a distance; only the stop distance is set.
    findings = check(wizardOf({MeasureModeTask{QString(), MeasureDtfVswr}, band, markers}));
    ASSERT_EQ(findings.size(), 2u) << messages(findings).toStdString();
    EXPECT_EQ(findings[1].message, "Marker 2's X value 800 m lies outside the distance range the "
                                   "wizard sets (up to 30 m).");

    // A loaded setup brings its own sweep.
    findings = check(
        wizardOf({MeasureModeTask{QString(), MeasureReflectionVswr}, band, LoadTask{}, markers}));
    EXPECT_TRUE(findings.empty()) << messages(findings).toStdString();
}

class AttachedLimits : public ::testing::Test {
protected:
    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(writeAll(path, bytes));
        return path;
    }
    LoadTask setup(const QString &name, const QByteArray &bytes)
    {
        LoadTask r;
        r.Mode = 2;
        r.SetupfileName = file(name, bytes);
        r.SetupfileSize = Size(bytes.size());
        return r;
    }
    QTemporaryDir dir;
};

TEST_F(AttachedLimits, SetupsMustReadAsSetupsAndMasksCarryTheirExtension)
{
    QByteArray random(2048, '\0');
    QRandomGenerator generator(17);
    for (char &b : random)
        b = char(generator.bounded(256));
    const QByteArray good = SetupImage().startStopHz(5000000, 4000000000).traces(1).bytes;
    const struct {
        const char *name;
        QByteArray bytes;
        QString problem; // empty: a setup
    } cases[] = {
        {"good.sta", good, ""},
        {"short.sta", good.left(1200), ""}, // the rest of the image reads as zero
        {"random.sta", random, "its frequency band ("},
        {"tiny.sta", good.left(100), "it has 100 bytes, too few"},
        {"layout.sta", SetupImage().layout(77).bytes, "its screen layout code 77 is unknown"},
        {"trace.sta", SetupImage().layout(3).traces(1, 2, 99).bytes,
         "the measurement code 99 of trace 3 is unknown"},
        {"speed.sta", SetupImage().velocity(1.5f).bytes, "velocity factor"},
        {"name.sta", SetupImage().cableName(QByteArray(120, 'c')).bytes, "cable name"},
        {"qrt.xml", "<QRTSetup><LoadInfo/></QRTSetup>", ""},
        {"other.xml", "<Settings/>", "it is XML without a QRTSetup element"},
    };
    for (const auto &c : cases) {
        const auto findings = check(wizardOf({setup(c.name, c.bytes)}));
        if (c.problem.isEmpty()) {
            EXPECT_TRUE(findings.empty()) << c.name << ": " << messages(findings).toStdString();
            continue;
        }
        ASSERT_EQ(findings.size(), 1u) << c.name << ": " << messages(findings).toStdString();
        EXPECT_EQ(findings[0].severity, Severity::Warning) << c.name;
        EXPECT_EQ(findings[0].field, "Setup") << c.name;
        EXPECT_TRUE(findings[0].message.startsWith(
            QStringLiteral("The setup file \"%1\" does not read as an instrument setup: ")
                .arg(c.name)))
            << findings[0].message.toStdString();
        EXPECT_TRUE(findings[0].message.contains(c.problem)) << findings[0].message.toStdString();
    }

    LimitTask mask;
    mask.SelectMode = 0;
    mask.MSLfileName = QStringLiteral("limits.txt");
    mask.TransMSLfileName = file(QStringLiteral("limits.txt"), "mask");
    mask.MSLfileSize = 4;
    auto findings = check(wizardOf({mask}));
    ASSERT_EQ(findings.size(), 1u) << messages(findings).toStdString();
    EXPECT_EQ(findings[0].message, "The mask file \"limits.txt\" does not have the extension "
                                   "\"fml\" that the limit page asks for; the instrument may not "
                                   "take it as a mask.");
    mask.MSLfileName = QStringLiteral("LIMITS.FML");
    EXPECT_TRUE(check(wizardOf({mask})).empty());
}

TEST_F(AttachedLimits, LargePicturesSayWhatTheyAddToTheSend)
{
    auto picture = [this](const QString &name, int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        PromptTask r;
        r.images[0] = {QString(), name, file(name, bytes), Size(bytes.size()), width, height};
        return r;
    };
    EXPECT_TRUE(check(wizardOf({picture("screen.png", 1920, 1080)})).empty());
    auto findings = check(wizardOf({picture("wide.png", 1921, 20)}));
    ASSERT_EQ(findings.size(), 1u) << messages(findings).toStdString();
    EXPECT_EQ(findings[0].severity, Severity::Warning);
    EXPECT_TRUE(findings[0].message.startsWith("The picture \"wide.png\" (1. Image file) is 1921 x "
                                               "20 pixels and "))
        << findings[0].message.toStdString();
    EXPECT_TRUE(findings[0].message.endsWith(
        ", far more than the instrument shows (1920 x 1080, 2.0 MB); it adds under a second to "
        "the send."))
        << findings[0].message.toStdString();

    // A picture of more than 2 MB goes as 2832996 bytes of base64 in 1383
    // full pieces of 2048 bytes, each followed by the protocol's 20 ms pause.
    PromptTask big;
    const QByteArray bytes(2 * 1024 * 1024 + 1, 'p');
    big.images[1] = {QString(), "big.jpg", file("big.jpg", bytes), Size(bytes.size()), 800, 600};
    CheckOptions options; // not decoded: only the size counts here
    options.model = 2;
    findings = checkWizard(wizardOf({big}), options);
    ASSERT_EQ(findings.size(), 1u) << messages(findings).toStdString();
    EXPECT_TRUE(findings[0].message.endsWith("it adds about 28 s to the send."))
        << findings[0].message.toStdString();
}

TEST_F(AttachedLimits, TheSendEstimateFollowsTheFileTheWriterMakes)
{
    QByteArray bytes(300000, '\0');
    QRandomGenerator generator(3);
    for (char &b : bytes)
        b = char(generator.bounded(256));
    const QByteArray good = SetupImage().startStopHz(5000000, 4000000000).traces(1).bytes;
    WizardDocument doc = wizardOf({setup("site.sta", good), HoldTask{}});
    PromptTask prompt;
    prompt.images[3] = {"look", "mast.jpg", file("mast.jpg", bytes), Size(bytes.size()), 4, 4};
    doc.sequence(0)->insertStep(-1, prompt);

    const SendEstimate estimate = sendEstimateOfWizard(doc, 2, false);
    WizardDocument copy = doc;
    VX_CAAXML_PARSER writer(&copy, 2);
    const QString saved = dir.filePath(QStringLiteral("estimate.wzd")); // the same name length
    ASSERT_TRUE(writer.Save_Wizard(saved));
    const SendEstimate real = sendEstimateOfFile(saved);
    ASSERT_TRUE(estimate.known());
    // Only the embedded files' own elements (about 100 bytes each) are not counted.
    EXPECT_NEAR(double(estimate.bytes), double(real.bytes), 250.0);
    EXPECT_GT(real.bytes, qint64(bytes.size() + good.size()) * 4 / 3);
    EXPECT_NEAR(double(estimate.milliseconds), double(real.milliseconds), 40.0);
    EXPECT_FALSE(sendEstimateOfFile(dir.filePath(QStringLiteral("none.wzd"))).known());
}
