// The check against the instrument's limits: names its file system refuses,
// markers outside the sweep the wizard sets, attached files the instrument
// would not take as what they claim to be, pictures far beyond its screen,
// and the send time, which must follow the file the writer really makes;
// attached files present, as large as the step says, and pictures that decode
// to the stored width and height.
#include "document/ModelTables.h"
#include "document/VX_CAAXML_PARSER.h"
#include "instrument_files/SetupImageBuilder.h"
#include "print/PictureProbe.h"
#include "review/check/InstrumentLimits.h"
#include "review/check/SendEstimate.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

// Without decode, pictures are not decoded: only the sizes the steps state count.
std::vector<Finding> check(std::vector<TaskRecord> records, bool decode = false)
{
    WizardDocument doc;
    doc.Title = "Tower";
    TestingSequence *s = doc.appendSequence();
    s->Title = "Sweep";
    for (TaskRecord &r : records)
        s->insertStep(-1, std::move(r));
    CheckOptions options;
    options.model = 2;
    if (decode)
        options.pictures = decodePicture;
    return checkWizard(doc, options);
}

QString messages(const std::vector<Finding> &findings)
{
    QStringList out;
    for (const Finding &f : findings)
        out << f.field + QStringLiteral(": ") + f.message;
    return out.join(u'\n');
}

QByteArray pictureBytes(const char *format, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x * y) % 256));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace

TEST(InstrumentLimits, NamesTheFileSystemCannotHold)
{
    const struct {
        QString name;
        bool folder;
        QString problem; // empty: the name is fine
    } cases[] = {
        {"\\Tower7\\2024/run 3", true, ""},
        {"site/1", false, "The file name \"site/1\" holds \"/\""},
        {"tab\there", false, "The file name holds a control character (U+0009)"},
        {"report ", false, "The file name \"report \" ends with a space"},
        {"Tower7/../up", true,
         "The folder \"..\" in the folder name \"Tower7/../up\" ends with a dot"},
        {QString(255, u'n'), false, ""},
        {"ok/" + QString(256, u'f'), true,
         "has 256 characters; the instrument's file system "
         "keeps at most 255."},
    };
    for (const auto &c : cases) {
        const QString what = c.folder ? "folder name" : "file name";
        const QString problem = instrumentNameProblem(c.name, what, c.folder);
        EXPECT_TRUE(c.problem.isEmpty() ? problem.isEmpty() : problem.contains(c.problem))
            << c.name.toStdString() << ": " << problem.toStdString();
    }
}

TEST(InstrumentLimits, MarkersOutsideTheSweepTheWizardSets)
{
    FrequencyDistanceTask band;
    band.Start_Frequency = 700, band.Stop_Frequency = 900, band.Stop_Distance = 30;
    band.Start_Frequency_Check = band.Stop_Frequency_Check = band.Stop_Distance_Check = 1;
    MarkerPeakTask markers;
    markers.markers[0] = {1, 1, 0, 0, 1000}; // outside the band
    markers.markers[1] = {2, 1, 0, 0, 800};  // inside
    markers.markers[2] = {3, 1, 0, 1, 1000}; // a peak search places it
    markers.markers[3] = {4, 0, 0, 0, 1000}; // off
    const MeasureModeTask vswr{QString(), MeasureReflectionVswr};

    EXPECT_TRUE(check({band, markers}).empty()) << "without a mode the X axis is unknown";
    auto findings = check({vswr, band, markers});
    ASSERT_EQ(findings.size(), 1u) << messages(findings).toStdString();
    EXPECT_EQ(findings[0], (Finding{Severity::Warning, 0, 2, "Num1/X_Value",
                                    "Marker 1's X value 1000 MHz lies outside the frequency range "
                                    "the wizard sets (700 to 900 MHz)."}));
    // A distance-to-fault marker is a distance; only the stop distance is set.
    findings = check({MeasureModeTask{QString(), MeasureDtfVswr}, band, markers});
    ASSERT_EQ(findings.size(), 2u) << messages(findings).toStdString();
    EXPECT_EQ(findings[1].message, "Marker 2's X value 800 m lies outside the distance range the "
                                   "wizard sets (up to 30 m).");
    EXPECT_TRUE(check({vswr, band, LoadTask{}, markers}).empty()) << "a setup brings its sweep";
}

class AttachedLimits : public ::testing::Test {
protected:
    // Writes the bytes as a working copy and returns its path (null bytes: no file).
    QString file(const QString &name, const QByteArray &bytes)
    {
        if (!bytes.isNull()) {
            EXPECT_TRUE(writeAll(dir.filePath(name), bytes));
        }
        return dir.filePath(name);
    }
    LoadTask setup(const QString &name, const QByteArray &bytes)
    {
        return LoadTask{2, QString(), file(name, bytes), QString(), Size(bytes.size())};
    }
    // A prompt whose third slot carries the picture, checked with pictures decoded.
    std::vector<Finding> prompt(const QString &path, Size size, int width, int height)
    {
        PromptTask r;
        r.images[2] = {QString(), "mast.png", path, size, width, height};
        return check({r}, true);
    }
    QTemporaryDir dir;
};
using AttachmentCheck = AttachedLimits;

TEST_F(AttachedLimits, SetupsMustReadAsSetupsAndMasksCarryTheirExtension)
{
    const QByteArray good = SetupImage().startStopHz(5000000, 4000000000).traces(1).bytes;
    const struct {
        const char *name;
        QByteArray bytes;
        QString problem; // empty: a setup
    } cases[] = {
        {"good.sta", good, ""},
        {"random.sta", QByteArray(2048, '\xA5'), "its frequency band ("},
        {"tiny.sta", good.left(100), "it has 100 bytes, too few"},
        {"name.sta", SetupImage().cableName(QByteArray(120, 'c')).bytes, "cable name"},
        {"qrt.xml", "<QRTSetup><LoadInfo/></QRTSetup>", ""},
        {"other.xml", "<Settings/>", "it is XML without a QRTSetup element"},
    };
    for (const auto &c : cases) {
        const auto findings = check({setup(c.name, c.bytes)});
        if (c.problem.isEmpty()) {
            EXPECT_TRUE(findings.empty()) << c.name << ": " << messages(findings).toStdString();
            continue;
        }
        ASSERT_EQ(findings.size(), 1u) << c.name << ": " << messages(findings).toStdString();
        EXPECT_EQ(findings[0].severity, Severity::Warning) << c.name;
        EXPECT_TRUE(findings[0].message.startsWith(
            QStringLiteral("The setup file \"%1\" does not read as an instrument setup: ")
                .arg(c.name)));
        EXPECT_TRUE(findings[0].message.contains(c.problem)) << findings[0].message.toStdString();
    }

    LimitTask mask;
    mask.SelectMode = 0;
    mask.MSLfileName = "limits.txt";
    mask.TransMSLfileName = file("limits.txt", "mask");
    mask.MSLfileSize = 4;
    EXPECT_EQ(messages(check({mask})),
              "MSL: The mask file \"limits.txt\" does not have the extension \"fml\" that the "
              "limit page asks for; the instrument may not take it as a mask.");
    mask.MSLfileName = "LIMITS.FML";
    EXPECT_TRUE(check({mask}).empty());
}

TEST_F(AttachedLimits, LargePicturesSayWhatTheyAddToTheSend)
{
    PromptTask prompt;
    const QByteArray small(100, 's'), big(2 * 1024 * 1024 + 1, 'p');
    prompt.images[0] = {QString(), "screen.png", file("a", small), 100, 1920, 1080};
    prompt.images[1] = {QString(), "wide.png", file("b", small), 100, 1921, 20};
    prompt.images[2] = {QString(), "big.jpg", file("c", big), Size(big.size()), 800, 600};
    const auto findings = check({prompt});
    // 2 MB go as 2832996 bytes of base64: 1383 full pieces of 2048 bytes,
    // each followed by the protocol's 20 ms pause.
    EXPECT_EQ(messages(findings),
              "ImageNum_1: The picture \"wide.png\" (2. Image file) is 1921 x 20 pixels and 100 "
              "bytes, far more than the instrument shows (1920 x 1080, 2.0 MB); it adds under a "
              "second to the send.\n"
              "ImageNum_2: The picture \"big.jpg\" (3. Image file) is 800 x 600 pixels and 2.0 MB, "
              "far more than the instrument shows (1920 x 1080, 2.0 MB); it adds about 28 s to "
              "the send.");
}

TEST_F(AttachedLimits, TheSendEstimateFollowsTheFileTheWriterMakes)
{
    QByteArray bytes(300000, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(qint64(i) * 7919 % 251);
    PromptTask prompt;
    prompt.images[3] = {"look", "mast.jpg", file("mast.jpg", bytes), Size(bytes.size()), 4, 4};
    WizardDocument doc;
    TestingSequence *s = doc.appendSequence();
    s->insertStep(-1, setup("site.sta", SetupImage().bytes));
    s->insertStep(-1, prompt);

    const SendEstimate estimate = sendEstimateOfWizard(doc, 2, false);
    VX_CAAXML_PARSER writer(&doc, 2);
    const QString saved = dir.filePath("estimate.wzd"); // the same name length
    ASSERT_TRUE(writer.Save_Wizard(saved));
    const SendEstimate real = sendEstimateOfFile(saved);
    ASSERT_TRUE(estimate.known());
    // Only the embedded files' own elements (about 100 bytes each) are not counted.
    EXPECT_NEAR(double(estimate.bytes), double(real.bytes), 250.0);
    EXPECT_NEAR(double(estimate.milliseconds), double(real.milliseconds), 40.0);
    EXPECT_GT(real.bytes, qint64(bytes.size() + SetupImage().bytes.size()) * 4 / 3);
}

TEST_F(AttachmentCheck, PicturesMustBeThereAndDecodeToTheirStoredSize)
{
    const QByteArray png = pictureBytes("PNG", 40, 30), jpeg = pictureBytes("JPEG", 40, 30);
    ASSERT_FALSE(png.isEmpty() || jpeg.isEmpty());
    // Qt's reader still makes a picture of a JPEG cut short; the check must not.
    const QByteArray cut = jpeg.left(jpeg.size() - 20);
    ASSERT_FALSE(QImage::fromData(cut, "JPEG").isNull());
    const Size pngSize = Size(png.size());
    struct Case {
        const char *name;
        QString path;
        Size size;
        int width, height;
        QString message; // after the picture's name; empty: no finding
    } cases[] = {
        {"png", file("a.png", png), pngSize, 40, 30, ""},
        {"jpeg", file("b.jpg", jpeg), Size(jpeg.size()), 40, 30, ""},
        {"missing", file("gone.png", QByteArray()), pngSize, 40, 30,
         "is missing; the wizard would carry no data for it."},
        {"empty", file("empty.png", QByteArray("")), pngSize, 40, 30, "is empty."},
        {"size", file("c.png", png), pngSize + 1, 40, 30,
         QStringLiteral("has %1 bytes, but the step says %2.").arg(pngSize).arg(pngSize + 1)},
        {"not a picture", file("text.png", "not a picture at all"), 20, 40, 30,
         "cannot be read as a JPEG or PNG picture."},
        {"cut short", file("cut.jpg", cut), Size(cut.size()), 40, 30,
         "cannot be read as a JPEG or PNG picture."},
        {"width and height", file("d.png", png), pngSize, 8, 8,
         "is 40 x 30 pixels, but the step stores 8 x 8."},
        {"named only", QString(), 0, 0, 0,
         "is named but carries no picture; the operator sees none."},
    };
    for (const Case &c : cases) {
        const auto findings = prompt(c.path, c.size, c.width, c.height);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(findings.empty())
                << c.name << ": " << findings.front().message.toStdString();
            continue;
        }
        ASSERT_EQ(findings.size(), 1u) << c.name;
        EXPECT_EQ(findings[0].message, "The picture \"mast.png\" (3. Image file) " + c.message)
            << c.name;
        EXPECT_EQ(findings[0].field, "ImageNum_2") << c.name;
        EXPECT_EQ(findings[0].severity, c.size == 0 ? Severity::Warning : Severity::Error)
            << c.name;
    }
}

TEST_F(AttachmentCheck, MasksSetupsAndLogosAreCheckedWhereTheWriterEmbedsThem)
{
    LimitTask limit;
    limit.SelectMode = 0;
    limit.MSLfileName = "limits.fml";
    limit.TransMSLfileName = file("limits.fml", QByteArray(100, 'm'));
    limit.MSLfileSize = 120;
    EXPECT_EQ(messages(check({limit}, true)),
              "MSL: The mask file \"limits.fml\" has 100 bytes, but the step says 120.");
    limit.SelectMode = 1; // in limit-line mode the mask is not written, so it cannot be wrong
    EXPECT_EQ(messages(check({limit}, true)), "");

    LoadTask load{2, QString(), dir.filePath("site.sta"), QString(), 64};
    EXPECT_EQ(messages(check({load}, true)), "Setup: The setup file \"site.sta\" is missing; the "
                                             "wizard would carry no data for it.");
    load.Mode = 1; // factory preset carries no file
    EXPECT_EQ(messages(check({load}, true)), "");

    const QByteArray png = pictureBytes("PNG", 5, 5);
    SaveTask save;
    save.logo = {QString(), "logo.png", file("logo.png", png), Size(png.size()), 5, 6};
    EXPECT_EQ(messages(check({save}, true)),
              "Logo: The logo \"logo.png\" is 5 x 5 pixels, but the step stores 5 x 6.");
}
