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
    limit.SelectMode = 0, limit.MSLfileName = "mask.fml", limit.MSLfileSize = 3;
    limit.TransMSLfileName = QDir(folder).filePath("mask.fml");
    limit.images.resize(1);
    writeAll(QDir(folder).filePath("setup.sta"), "STA");
    auto &load = *seq->step(5)->as<LoadTask>();
    load.SetupfileName = QDir(folder).filePath("setup.sta"), load.Mode = 2, load.SetupfileSize = 3;
    seq->step(15)->as<MarkerPeakTask>()->images.resize(1);
    return doc;
}

template <typename R> Field at(const char *place, int step, QString R::*text)
{
    return {place, [step, text](WizardDocument &d) -> QString & { return rec<R>(d, step).*text; }};
}

// A text of the image in that slot of the record at that step.
template <typename R>
Field image(const char *place, int step, QString AttachedImage::*text, int slot = 0)
{
    return {place, [=](WizardDocument &d) -> QString & {
                if constexpr (requires(R r) { r.logo; })
                    return rec<R>(d, step).logo.*text;
                else
                    return rec<R>(d, step).images[size_t(slot)].*text;
            }};
}

// Step index by kind: storable kinds are 1..20 and 23 in code order.
const std::vector<Field> &fields()
{
    using D = WizardDocument;
    static const std::vector<Field> table = {
        {"Information/Title", [](D &d) -> QString & { return d.Title; }},
        {"Information/PW", [](D &d) -> QString & { return d.PW; }},
        {"Sequence 1, Information/Title", [](D &d) -> QString & { return d.sequence(0)->Title; }},
        at("step 1 (Save), Description", 0, &SaveTask::Description),
        at("BaseFileName", 0, &SaveTask::BaseFileName),
        at("BaseFolderName", 0, &SaveTask::BaseFolderName),
        at("Company_Info/Company/Name", 0, &SaveTask::Company_Name),
        at("Company_Info/Address/Name", 0, &SaveTask::Address_Name),
        image<SaveTask>("Company_Info/Logo/ImageName", 0, &AttachedImage::ImageName),
        image<SaveTask>("Logo/TransImageName", 0, &AttachedImage::TransImageName),
        at("Job_Info/Engineer/Name", 0, &SaveTask::Engineer_Name),
        at("Name", 0, &SaveTask::TestPurpose_Name),
        at("Name", 0, &SaveTask::Site_Information_Name),
        at("Name", 0, &SaveTask::Result_Name),
        at("Name", 0, &SaveTask::Remark_Name),
        at("TagID/Technology", 0, &SaveTask::Technology),
        at("TagID/WorkFolder", 0, &SaveTask::WorkFolder),
        at("TagID/WorkOrderID", 0, &SaveTask::WorkOrderID),
        at("TagID/Site-ID", 0, &SaveTask::Site_ID),
        at("TagID/Sector", 0, &SaveTask::Sector),
        at("TagID/Test_Type", 0, &SaveTask::Test_Type),
        at("TagID/Termination", 0, &SaveTask::Termination),
        at("step 2 (Prompt), Description", 1, &PromptTask::Description),
        image<PromptTask>("ImageNum_9/Comment", 1, &AttachedImage::Comment, 9),
        image<PromptTask>("ImageNum_0/ImageName", 1, &AttachedImage::ImageName),
        image<PromptTask>("ImageNum_4/TransImageName", 1, &AttachedImage::TransImageName, 4),
        at("step 3 (Consolidated report), Description", 2, &ReportTask::Description),
        at("BaseFolderName", 2, &ReportTask::BaseFolderName),
        at("BaseFileName", 2, &ReportTask::BaseFileName),
        at("Company/Name", 2, &ReportTask::Company_Name),
        at("Address/Name", 2, &ReportTask::Address_Name),
        image<ReportTask>("Logo/ImageName", 2, &AttachedImage::ImageName),
        image<ReportTask>("Logo/TransImageName", 2, &AttachedImage::TransImageName),
        at("Engineer/Name", 2, &ReportTask::Engineer_Name),
        at("Name", 2, &ReportTask::TestPurpose_Name),
        at("Name", 2, &ReportTask::Site_Information_Name),
        at("Name", 2, &ReportTask::Result_Name),
        at("Name", 2, &ReportTask::Remark_Name),
        at("TagID/Technology", 2, &ReportTask::Technology),
        at("TagID/Workfolder", 2, &ReportTask::Workfolder),
        at("TagID/WorkorderID", 2, &ReportTask::WorkorderID),
        at("TagID/Site-ID", 2, &ReportTask::Site_ID),
        at("TagID/Sector", 2, &ReportTask::Sector),
        at("TagID/Test_type", 2, &ReportTask::Test_type),
        at("TagID/Termination", 2, &ReportTask::Termination),
        at("step 4 (Calibration), Description", 3, &CalibrationTask::Description),
        at("step 5 (Bias Tee), Description", 4, &BiasTeeTask::Description),
        at("step 6 (Load), Description", 5, &LoadTask::Description),
        at("SetupfileName", 5, &LoadTask::SetupfileName),
        at("Setup_Info", 5, &LoadTask::Setup_Info),
        at("step 7", 6, &MeasureModeTask::Description),
        at("step 8", 7, &FrequencyDistanceTask::Description),
        at("step 9", 8, &AmplitudeTask::Description),
        at("step 10", 9, &DtfTask::Description),
        at("step 10 (Cable), Cable_Name", 9, &DtfTask::Cable_Name),
        at("step 11", 10, &DataPointTask::Description),
        at("step 12", 11, &RfPowerTask::Description),
        at("step 13", 12, &OpticalPowerTask::Description),
        at("step 14", 13, &FiberTask::Description),
        at("step 15", 14, &WindowingTask::Description),
        at("step 16", 15, &MarkerPeakTask::Description),
        at("Threshold_Fail", 15, &MarkerPeakTask::Threshold_Fail),
        image<MarkerPeakTask>("Comment", 15, &AttachedImage::Comment),
        image<MarkerPeakTask>("ImageName", 15, &AttachedImage::ImageName),
        image<MarkerPeakTask>("TransImageName", 15, &AttachedImage::TransImageName),
        at("step 17", 16, &LimitTask::Description),
        at("MSL/MSLfileName", 16, &LimitTask::MSLfileName),
        at("MSL/TransMSLfileName", 16, &LimitTask::TransMSLfileName),
        image<LimitTask>("Comment", 16, &AttachedImage::Comment),
        image<LimitTask>("ImageName", 16, &AttachedImage::ImageName),
        at("step 18", 17, &ZoomZonesTask::Description),
        at("step 19", 18, &HoldTask::Description),
        at("step 20", 19, &AutoScaleTask::Description),
        at("step 21", 20, &GeneralTask::Description),
        at("OutputPower", 20, &GeneralTask::OutputPower),
        at("Average", 20, &GeneralTask::Average),
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
