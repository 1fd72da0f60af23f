// Texts XML cannot hold never reach a saved file: every text field of every
// task kind, with each kind of character XML 1.0 has no way to write, makes
// the save fail with the field named, and the old file stays as it was. A
// character XML can hold (tab, a pair of surrogates) is saved and read back.
#include "document/VX_CAAXML_PARSER.h"
#include "document/WorkingCopies.h"
#include "support/TestFiles.h"

#include <functional>

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

struct Field {
    const char *place; // what the refusal must name
    std::function<QString &(WizardDocument &)> text;
};

template <typename R> R &rec(WizardDocument &d, int step)
{
    return *d.sequence(0)->step(step)->as<R>();
}

// One step of every storable kind, in code order, so step k+1 is kind k's.
WizardDocument everyKind(const QString &folder)
{
    WizardDocument doc;
    doc.Title = "Site";
    doc.setPassword("secret");
    TestingSequence *seq = doc.appendSequence();
    seq->Title = "Feeder";
    for (TaskKind kind : storableTaskKinds())
        seq->insertStep(-1, makeDefaultRecord(kind, 2, kDistanceMeter));
    // Attachment names are written only where a file goes with them.
    writeAll(QDir(folder).filePath("mask.fml"), "MSL");
    auto &limit = *seq->step(16)->as<LimitTask>();
    limit.SelectMode = 0;
    limit.MSLfileName = "mask.fml";
    limit.TransMSLfileName = QDir(folder).filePath("mask.fml");
    limit.MSLfileSize = 3;
    limit.images.resize(1);
    writeAll(QDir(folder).filePath("setup.sta"), "STA");
    auto &load = *seq->step(5)->as<LoadTask>();
    load.SetupfileName = QDir(folder).filePath("setup.sta");
    load.Mode = 2;
    load.SetupfileSize = 3;
    seq->step(15)->as<MarkerPeakTask>()->images.resize(1);
    return doc;
}

// Step index by kind: storable kinds are 1..20 and 23 in code order.
const std::vector<Field> &fields()
{
    using D = WizardDocument;
    static const std::vector<Field> table = {
        {"Information/Title", [](D &d) -> QString & { return d.Title; }},
        {"Information/PW", [](D &d) -> QString & { return d.PW; }},
        {"Sequence 1, Information/Title", [](D &d) -> QString & { return d.sequence(0)->Title; }},
        {"step 1 (Save), Description",
         [](D &d) -> QString & { return rec<SaveTask>(d, 0).Description; }},
        {"BaseFileName", [](D &d) -> QString & { return rec<SaveTask>(d, 0).BaseFileName; }},
        {"BaseFolderName", [](D &d) -> QString & { return rec<SaveTask>(d, 0).BaseFolderName; }},
        {"Company_Info/Company/Name",
         [](D &d) -> QString & { return rec<SaveTask>(d, 0).Company_Name; }},
        {"Company_Info/Address/Name",
         [](D &d) -> QString & { return rec<SaveTask>(d, 0).Address_Name; }},
        {"Company_Info/Logo/ImageName",
         [](D &d) -> QString & { return rec<SaveTask>(d, 0).logo.ImageName; }},
        {"Logo/TransImageName",
         [](D &d) -> QString & { return rec<SaveTask>(d, 0).logo.TransImageName; }},
        {"Job_Info/Engineer/Name",
         [](D &d) -> QString & { return rec<SaveTask>(d, 0).Engineer_Name; }},
        {"Name", [](D &d) -> QString & { return rec<SaveTask>(d, 0).TestPurpose_Name; }},
        {"Name", [](D &d) -> QString & { return rec<SaveTask>(d, 0).Site_Information_Name; }},
        {"Name", [](D &d) -> QString & { return rec<SaveTask>(d, 0).Result_Name; }},
        {"Name", [](D &d) -> QString & { return rec<SaveTask>(d, 0).Remark_Name; }},
        {"TagID/Technology", [](D &d) -> QString & { return rec<SaveTask>(d, 0).Technology; }},
        {"TagID/WorkFolder", [](D &d) -> QString & { return rec<SaveTask>(d, 0).WorkFolder; }},
        {"TagID/WorkOrderID", [](D &d) -> QString & { return rec<SaveTask>(d, 0).WorkOrderID; }},
        {"TagID/Site-ID", [](D &d) -> QString & { return rec<SaveTask>(d, 0).Site_ID; }},
        {"TagID/Sector", [](D &d) -> QString & { return rec<SaveTask>(d, 0).Sector; }},
        {"TagID/Test_Type", [](D &d) -> QString & { return rec<SaveTask>(d, 0).Test_Type; }},
        {"TagID/Termination", [](D &d) -> QString & { return rec<SaveTask>(d, 0).Termination; }},
        {"step 2 (Prompt), Description",
         [](D &d) -> QString & { return rec<PromptTask>(d, 1).Description; }},
        {"ImageNum_9/Comment",
         [](D &d) -> QString & { return rec<PromptTask>(d, 1).images[9].Comment; }},
        {"ImageNum_0/ImageName",
         [](D &d) -> QString & { return rec<PromptTask>(d, 1).images[0].ImageName; }},
        {"ImageNum_4/TransImageName",
         [](D &d) -> QString & { return rec<PromptTask>(d, 1).images[4].TransImageName; }},
        {"step 3 (Consolidated report), Description",
         [](D &d) -> QString & { return rec<ReportTask>(d, 2).Description; }},
        {"BaseFolderName", [](D &d) -> QString & { return rec<ReportTask>(d, 2).BaseFolderName; }},
        {"BaseFileName", [](D &d) -> QString & { return rec<ReportTask>(d, 2).BaseFileName; }},
        {"Company/Name", [](D &d) -> QString & { return rec<ReportTask>(d, 2).Company_Name; }},
        {"Address/Name", [](D &d) -> QString & { return rec<ReportTask>(d, 2).Address_Name; }},
        {"Logo/ImageName", [](D &d) -> QString & { return rec<ReportTask>(d, 2).logo.ImageName; }},
        {"Logo/TransImageName",
         [](D &d) -> QString & { return rec<ReportTask>(d, 2).logo.TransImageName; }},
        {"Engineer/Name", [](D &d) -> QString & { return rec<ReportTask>(d, 2).Engineer_Name; }},
        {"Name", [](D &d) -> QString & { return rec<ReportTask>(d, 2).TestPurpose_Name; }},
        {"Name", [](D &d) -> QString & { return rec<ReportTask>(d, 2).Site_Information_Name; }},
        {"Name", [](D &d) -> QString & { return rec<ReportTask>(d, 2).Result_Name; }},
        {"Name", [](D &d) -> QString & { return rec<ReportTask>(d, 2).Remark_Name; }},
        {"TagID/Technology", [](D &d) -> QString & { return rec<ReportTask>(d, 2).Technology; }},
        {"TagID/Workfolder", [](D &d) -> QString & { return rec<ReportTask>(d, 2).Workfolder; }},
        {"TagID/WorkorderID", [](D &d) -> QString & { return rec<ReportTask>(d, 2).WorkorderID; }},
        {"TagID/Site-ID", [](D &d) -> QString & { return rec<ReportTask>(d, 2).Site_ID; }},
        {"TagID/Sector", [](D &d) -> QString & { return rec<ReportTask>(d, 2).Sector; }},
        {"TagID/Test_type", [](D &d) -> QString & { return rec<ReportTask>(d, 2).Test_type; }},
        {"TagID/Termination", [](D &d) -> QString & { return rec<ReportTask>(d, 2).Termination; }},
        {"step 4 (Calibration), Description",
         [](D &d) -> QString & { return rec<CalibrationTask>(d, 3).Description; }},
        {"step 5 (Bias Tee), Description",
         [](D &d) -> QString & { return rec<BiasTeeTask>(d, 4).Description; }},
        {"step 6 (Load), Description",
         [](D &d) -> QString & { return rec<LoadTask>(d, 5).Description; }},
        {"SetupfileName", [](D &d) -> QString & { return rec<LoadTask>(d, 5).SetupfileName; }},
        {"Setup_Info", [](D &d) -> QString & { return rec<LoadTask>(d, 5).Setup_Info; }},
        {"step 7", [](D &d) -> QString & { return rec<MeasureModeTask>(d, 6).Description; }},
        {"step 8", [](D &d) -> QString & { return rec<FrequencyDistanceTask>(d, 7).Description; }},
        {"step 9", [](D &d) -> QString & { return rec<AmplitudeTask>(d, 8).Description; }},
        {"step 10", [](D &d) -> QString & { return rec<DtfTask>(d, 9).Description; }},
        {"step 10 (Cable), Cable_Name",
         [](D &d) -> QString & { return rec<DtfTask>(d, 9).Cable_Name; }},
        {"step 11", [](D &d) -> QString & { return rec<DataPointTask>(d, 10).Description; }},
        {"step 12", [](D &d) -> QString & { return rec<RfPowerTask>(d, 11).Description; }},
        {"step 13", [](D &d) -> QString & { return rec<OpticalPowerTask>(d, 12).Description; }},
        {"step 14", [](D &d) -> QString & { return rec<FiberTask>(d, 13).Description; }},
        {"step 15", [](D &d) -> QString & { return rec<WindowingTask>(d, 14).Description; }},
        {"step 16", [](D &d) -> QString & { return rec<MarkerPeakTask>(d, 15).Description; }},
        {"Threshold_Fail",
         [](D &d) -> QString & { return rec<MarkerPeakTask>(d, 15).Threshold_Fail; }},
        {"Comment", [](D &d) -> QString & { return rec<MarkerPeakTask>(d, 15).images[0].Comment; }},
        {"ImageName",
         [](D &d) -> QString & { return rec<MarkerPeakTask>(d, 15).images[0].ImageName; }},
        {"TransImageName",
         [](D &d) -> QString & { return rec<MarkerPeakTask>(d, 15).images[0].TransImageName; }},
        {"step 17", [](D &d) -> QString & { return rec<LimitTask>(d, 16).Description; }},
        {"MSL/MSLfileName", [](D &d) -> QString & { return rec<LimitTask>(d, 16).MSLfileName; }},
        {"MSL/TransMSLfileName",
         [](D &d) -> QString & { return rec<LimitTask>(d, 16).TransMSLfileName; }},
        {"Comment", [](D &d) -> QString & { return rec<LimitTask>(d, 16).images[0].Comment; }},
        {"ImageName", [](D &d) -> QString & { return rec<LimitTask>(d, 16).images[0].ImageName; }},
        {"step 18", [](D &d) -> QString & { return rec<ZoomZonesTask>(d, 17).Description; }},
        {"step 19", [](D &d) -> QString & { return rec<HoldTask>(d, 18).Description; }},
        {"step 20", [](D &d) -> QString & { return rec<AutoScaleTask>(d, 19).Description; }},
        {"step 21", [](D &d) -> QString & { return rec<GeneralTask>(d, 20).Description; }},
        {"OutputPower", [](D &d) -> QString & { return rec<GeneralTask>(d, 20).OutputPower; }},
        {"Average", [](D &d) -> QString & { return rec<GeneralTask>(d, 20).Average; }},
    };
    return table;
}

struct BadText {
    QString text;
    const char *named;
};

const std::vector<BadText> &badTexts()
{
    static const std::vector<BadText> table = {
        {QString::fromUtf16(u"A\u0001B"), "U+0001"},
        {QStringLiteral("A") + QChar(0x1F), "U+001F"},
        {QString::fromUtf16(u"pass") + QChar(u'\0') + QString::fromUtf16(u"word"), "U+0000"},
        {QString::fromUtf16(u"A\uFFFE"), "U+FFFE"},
        {QString::fromUtf16(u"\uFFFFB"), "U+FFFF"},
        {QString(1, QChar(0xD83D)) + QLatin1String("x"), "U+D83D"}, // a high surrogate alone
        {QLatin1String("x") + QString(1, QChar(0xDE00)), "U+DE00"}, // a low surrogate alone
        {QString(1, QChar(0xD83D)), "U+D83D"},                      // at the very end
    };
    return table;
}

class UnwritableTexts : public ::testing::Test {
protected:
    void SetUp() override { WorkingCopies::instance().setBaseFolder(dir.filePath("work")); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(UnwritableTexts, EveryFieldWithEveryBadCharacterIsRefusedAndTheOldFileKept)
{
    const QString path = dir.filePath("site.wzd");
    const QString unit = dir.filePath("feeder.tuf");
    WizardDocument clean = everyKind(dir.path());
    CollectingMessageSink sink;
    VX_CAAXML_PARSER parser(&clean, 2, &sink);
    ASSERT_TRUE(parser.Save_Wizard(path)) << parser.Error_Text().toStdString();
    ASSERT_TRUE(parser.Save_Testing_Unit(0, unit));
    const QByteArray before = readAll(path);
    const QByteArray unitBefore = readAll(unit);

    for (const Field &field : fields()) {
        for (const BadText &bad : badTexts()) {
            WizardDocument doc = everyKind(dir.path());
            field.text(doc) = bad.text;
            VX_CAAXML_PARSER writer(&doc, 2, &sink);
            const std::string what = std::string(field.place) + " with " + bad.named;
            EXPECT_FALSE(writer.Save_Wizard(path)) << what;
            const QString message = writer.Error_Text();
            EXPECT_TRUE(message.contains(QLatin1String(field.place))) << message.toStdString();
            EXPECT_TRUE(message.contains(QLatin1String(bad.named))) << message.toStdString();
            EXPECT_EQ(readAll(path), before) << what;
            const bool inHeader =
                QLatin1String(field.place).startsWith(QLatin1String("Information"));
            if (!inHeader) {
                EXPECT_FALSE(writer.Save_Testing_Unit(0, unit)) << what;
                EXPECT_EQ(readAll(unit), unitBefore) << what;
            }
        }
    }
    // The atomic writer was never started: no temporary file beside them.
    EXPECT_TRUE(QDir(dir.path()).entryList({".*.tmp"}, QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(UnwritableTexts, TextsXmlCanHoldAreSavedAndReadBack)
{
    // Tab, line feed, carriage return and a character outside the basic plane.
    const QString good = QString::fromUtf16(u"a\tb\nc\rd \U0001F600 \u00E9");
    for (const Field &field : fields()) {
        WizardDocument doc = everyKind(dir.path());
        field.text(doc) = good;
        const QString path = dir.filePath("good.wzd");
        VX_CAAXML_PARSER writer(&doc, 2);
        ASSERT_TRUE(writer.Save_Wizard(path)) << field.place << writer.Error_Text().toStdString();
        WizardDocument back;
        VX_CAAXML_PARSER reader(&back, 2);
        ASSERT_EQ(reader.Read_Wizard_File(path), 1) << field.place;
        EXPECT_EQ(back.Title, doc.Title);
        EXPECT_EQ(back.sequence(0)->stepCount(), doc.sequence(0)->stepCount()) << field.place;
    }
}
