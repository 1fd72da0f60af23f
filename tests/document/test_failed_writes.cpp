// Writes that fail on a full disk (a file-size limit stands in for it) and
// sizes that must be what the file holds: a failed save reports the cause and
// leaves the old file byte for byte; a failed restore leaves no cut-short
// working copy; a restored attachment's size is the number of bytes restored.
#include "common/DataFiles.h"
#include "document/Base64.h"
#include "document/VX_CAAXML_PARSER.h"
#include "document/WorkingCopies.h"
#include "support/FileSizeLimit.h"
#include "support/WizardText.h"

#include <QDirIterator>

#include <functional>

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

class FailedWrites : public ::testing::Test {
protected:
    void SetUp() override { WorkingCopies::instance().setBaseFolder(dir.filePath("work")); }

    // A wizard whose one prompt carries a picture of that many bytes (none for 0).
    WizardDocument wizardWithPicture(int bytes)
    {
        WizardDocument doc;
        doc.Title = "Site";
        TestingSequence *seq = doc.appendSequence();
        seq->Title = "Feeder";
        seq->insertStep(-1, HoldTask{"freeze"});
        if (bytes > 0) {
            QByteArray picture(bytes, Qt::Uninitialized);
            for (int i = 0; i < bytes; ++i)
                picture[i] = char(i * 7 + i / 251);
            writeAll(dir.filePath("picture.png"), picture);
            PromptTask prompt;
            prompt.images[0].ImageName = "picture.png";
            prompt.images[0].TransImageName = dir.filePath("picture.png");
            prompt.images[0].Image_filesize = quint32(bytes);
            seq->insertStep(-1, prompt);
        }
        return doc;
    }

    QStringList filesIn(const QString &folder) const
    {
        QStringList out;
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            out << QDir(folder).relativeFilePath(it.next());
        out.sort();
        return out;
    }

    QTemporaryDir dir;
    CollectingMessageSink sink;
};

} // namespace

TEST_F(FailedWrites, SavesOnAFullDiskFailAndKeepTheOldFile)
{
    // Small outputs fit one buffer (the case a failed last flush once hid);
    // large ones fail early in a long run of writes.
    const struct {
        const char *name;
        int picture;
        bool unit;
        rlim_t limit;
    } cases[] = {
        {"small wizard", 0, false, 300},
        {"large wizard", 400000, false, 100000},
        {"small testing unit", 0, true, 300},
        {"large testing unit", 400000, true, 100000},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        WizardDocument doc = wizardWithPicture(c.picture);
        VX_CAAXML_PARSER parser(&doc, 1, &sink);
        const QString target = dir.filePath(c.unit ? "out.tuf" : "out.wzd");
        const QString fits = dir.filePath(c.unit ? "fits.tuf" : "fits.wzd");
        ASSERT_TRUE(c.unit ? parser.Save_Testing_Unit(0, fits) : parser.Save_Wizard(fits));
        ASSERT_GT(QFileInfo(fits).size(), qint64(c.limit));
        const QByteArray old = "<STEPVANE>the user's last good save</STEPVANE>";
        writeAll(target, old);
        const QStringList before = filesIn(dir.path());

        bool saved = true;
        {
            FileSizeLimit limit(c.limit);
            saved = c.unit ? parser.Save_Testing_Unit(0, target) : parser.Save_Wizard(target);
        }
        EXPECT_FALSE(saved);
        EXPECT_TRUE(parser.Error_Text().contains("File too large"))
            << parser.Error_Text().toStdString();
        EXPECT_TRUE(parser.Error_Text().contains(target)) << parser.Error_Text().toStdString();
        EXPECT_EQ(readAll(target), old);
        EXPECT_EQ(filesIn(dir.path()), before) << "no temporary file is left behind";
    }
}

TEST_F(FailedWrites, ARestoreOnAFullDiskLeavesNoCutShortCopy)
{
    WizardDocument doc = wizardWithPicture(300000);
    VX_CAAXML_PARSER writer(&doc, 1, &sink);
    ASSERT_TRUE(writer.Save_Wizard(dir.filePath("w.wzd")));

    WizardDocument back;
    VX_CAAXML_PARSER reader(&back, 1, &sink);
    int result = 0;
    {
        FileSizeLimit limit(100000);
        result = reader.Read_Wizard_File(dir.filePath("w.wzd"));
    }
    EXPECT_EQ(result, 1) << "the read goes on without the picture";
    EXPECT_EQ(sink.ids(), QStringList{"Prompt task item-Failed to Load (%s)"});
    EXPECT_EQ(filesIn(dir.filePath("work")), QStringList()) << "nothing half written";
}

TEST_F(FailedWrites, ACopyInOnAFullDiskLeavesNothing)
{
    writeAll(dir.filePath("mask.fml"), QByteArray(200000, 'm'));
    QString copy = "not called";
    {
        FileSizeLimit limit(50000);
        copy = WorkingCopies::instance().copyIn(dir.filePath("mask.fml"));
    }
    EXPECT_TRUE(copy.isEmpty());
    EXPECT_EQ(filesIn(dir.filePath("work")), QStringList());
    copy = WorkingCopies::instance().copyIn(dir.filePath("mask.fml"));
    EXPECT_EQ(readAll(copy), QByteArray(200000, 'm'));
}

// The size an attachment claims only says whether there is one; what comes
// back is what the file really holds.
TEST_F(FailedWrites, RestoredSizesAreTheBytesRestored)
{
    const QByteArray data(73, 'd');
    const QByteArray base64 = data.toBase64();
    auto wizard = [](const char *size, const QByteArray &imageData) {
        return wizardAround(
            {QStringLiteral("<Task_Step_Name DValue=\"Prompt\"/><Description "
                            "DValue=\"\"/><ImageNum_0><ImageName DValue=\"a.png\"/>"
                            "<Image_filesize DValue=\"%1\"/><ImageWidth "
                            "DValue=\"1\"/><ImageHeight DValue=\"1\"/>%2</ImageNum_0>")
                 .arg(QLatin1String(size), QString::fromLatin1(imageData))});
    };
    const QByteArray typed = "<ImageData xmlns:dt=\"urn:schemas-microsoft-com:datatypes\" "
                             "dt:dt=\"bin.base64\">" +
                             base64 + "</ImageData>";
    QByteArray broken = typed;
    broken.replace(base64, "not base64!");
    const struct {
        const char *name;
        QByteArray file;
        quint32 size;
        bool failureReported;
    } cases[] = {
        {"smaller than the data", wizard("10", typed), 73, false},
        {"exact", wizard("73", typed), 73, false},
        {"huge", wizard("99999999999", typed), 73, false},
        // No picture is declared, yet data is there: read as no picture, and said.
        {"negative", wizard("-5", typed), 0, true},
        {"zero means no picture", wizard("0", typed), 0, true},
        {"not a number", wizard("abc", typed), 0, true},
        {"declared but no data", wizard("73", ""), 0, true},
        {"declared but damaged data", wizard("73", broken), 0, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        sink.messages.clear();
        writeAll(dir.filePath("sizes.wzd"), c.file);
        WizardDocument back;
        ASSERT_EQ(readWizard(dir.filePath("sizes.wzd"), back, &sink), 1);
        const auto *prompt = std::get_if<PromptTask>(&back.sequence(0)->step(0)->record);
        ASSERT_NE(prompt, nullptr);
        EXPECT_EQ(prompt->images[0].Image_filesize, c.size);
        EXPECT_EQ(sink.messages.size(), c.failureReported ? 1u : 0u);
        if (c.size > 0) {
            EXPECT_EQ(readAll(prompt->images[0].TransImageName), data);
        }
    }
}

// Texts XML cannot hold never reach a saved file: every text field of every
// task kind, with each kind of character XML 1.0 has no way to write, makes
// the save fail with the field named, and the old file stays as it was. A
// character XML can hold (tab, a pair of surrogates) is saved and read back.
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

} // namespace

TEST_F(FailedWrites, EveryFieldWithEveryBadCharacterIsRefusedAndTheOldFileKept)
{
    const QString path = dir.filePath("site.wzd");
    const QString unit = dir.filePath("feeder.tuf");
    WizardDocument clean = everyKind(dir.path());
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

TEST_F(FailedWrites, TextsXmlCanHoldAreSavedAndReadBack)
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

// Saving through the shipped style sheet takes libxml2's own indented output
// instead of the transformation; both must write the same bytes, for every
// reference file and for a wizard with every kind and attached files.
namespace {

class SavePaths : public ::testing::Test {
protected:
    void SetUp() override
    {
        WorkingCopies::instance().setBaseFolder(dir.filePath("work"));
        // Any change to the sheet's text makes it a sheet to apply.
        const QByteArray shipped = readAll(dataFilePath("StyleSheet.xsl"));
        ASSERT_FALSE(shipped.isEmpty());
        ASSERT_TRUE(writeAll(dir.filePath("applied.xsl"), shipped + "<!-- applied -->\n"));
    }

    // The file written through the shipped sheet and through the applied one.
    std::pair<QByteArray, QByteArray> saveBothWays(WizardDocument &doc, int model, bool unit)
    {
        QByteArray out[2];
        for (int applied = 0; applied < 2; ++applied) {
            VX_CAAXML_PARSER writer(&doc, model, &sink);
            if (applied)
                writer.Set_Style_Sheet_Path(dir.filePath("applied.xsl"));
            const QString path = dir.filePath(unit ? "out.tuf" : "out.wzd");
            EXPECT_TRUE(unit ? writer.Save_Testing_Unit(0, path) : writer.Save_Wizard(path));
            out[applied] = readAll(path);
        }
        return {out[0], out[1]};
    }

    QTemporaryDir dir;
    CollectingMessageSink sink;
};

} // namespace

TEST_F(SavePaths, ShippedSheetAndAppliedSheetWriteTheSameBytes)
{
    QStringList files;
    for (const char *folder : {"frame", "procedure", "settings", "analysis"})
        for (const QFileInfo &f : QDir(fixture(folder)).entryInfoList({"*.wzd", "*.tuf"}))
            files << f.filePath();
    ASSERT_GT(files.size(), 15);
    for (const QString &file : files) {
        const bool unit = file.endsWith(".tuf");
        WizardDocument doc;
        VX_CAAXML_PARSER reader(&doc, 0, &sink);
        ASSERT_TRUE(reader.Load_Document(file));
        const int model = reader.Loaded_File_Model();
        reader.Set_Model(model);
        ASSERT_EQ(unit ? reader.Read_Loaded_Testing_Unit() : reader.Read_Loaded_Wizard(), 1)
            << file.toStdString();
        const auto [own, applied] = saveBothWays(doc, model, unit);
        EXPECT_FALSE(own.isEmpty());
        EXPECT_EQ(own, applied) << file.toStdString();
    }
}

TEST_F(SavePaths, GeneratedWizardWithEveryKindAndPictures)
{
    const QString picture = dir.filePath("p.png");
    QByteArray bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += char(i * 7);
    ASSERT_TRUE(writeAll(picture, bytes));
    WizardDocument doc;
    doc.Title = "Every kind <&> \"quoted\" 'text' \u00e9";
    doc.setPassword("pw");
    for (int s = 0; s < 2; ++s) {
        TestingSequence *seq = doc.appendSequence();
        seq->Title = QStringLiteral("Sequence %1 & more").arg(s);
        for (TaskKind kind : storableTaskKinds()) {
            TaskRecord record = makeDefaultRecord(kind, 1, kDistanceMeter);
            if (auto *prompt = std::get_if<PromptTask>(&record)) {
                prompt->images[0].ImageName = "p.png";
                prompt->images[0].TransImageName = picture;
                prompt->images[0].Image_filesize = quint32(bytes.size());
                prompt->images[0].Comment = "line one\nline two";
            }
            seq->insertStep(-1, std::move(record));
        }
    }
    const auto [own, applied] = saveBothWays(doc, 1, false);
    EXPECT_TRUE(own.contains("bin.base64"));
    EXPECT_EQ(own, applied);
    const auto [ownUnit, appliedUnit] = saveBothWays(doc, 1, true);
    EXPECT_EQ(ownUnit, appliedUnit);
}

// Pictures of sizes on both sides of a base64 line, of libxml2's output
// buffer and of the slice the writer encodes at once, ten to a prompt and one
// without a stored name: both ways write the same bytes, and each picture's
// text is that of the whole file encoded at once.
TEST_F(SavePaths, PicturesOfManySizesWriteTheSameBytesBothWays)
{
    const int sizes[] = {1, 2, 3, 57, 58, 2999, 3000, 3001, 3999, 4000, 4001, 4096, 933888, 933889};
    WizardDocument doc;
    doc.Title = "Sizes";
    TestingSequence *seq = doc.appendSequence();
    QList<QByteArray> texts;
    PromptTask prompt;
    for (int i = 0; i < int(std::size(sizes)); ++i) {
        QByteArray bytes(sizes[i], Qt::Uninitialized);
        for (int k = 0; k < sizes[i]; ++k)
            bytes[k] = char(k * 31 + i);
        const QString file = dir.filePath(QStringLiteral("p%1.png").arg(i));
        ASSERT_TRUE(writeAll(file, bytes));
        texts << encodeBase64Lines(bytes);
        AttachedImage &image = prompt.images[i % kPromptImageSlots];
        image.ImageName = i == 3 ? QString() : QStringLiteral("p%1.png").arg(i);
        image.TransImageName = file;
        image.Image_filesize = quint32(sizes[i]);
        if (i % kPromptImageSlots == kPromptImageSlots - 1 || i + 1 == int(std::size(sizes)))
            seq->insertStep(-1, std::exchange(prompt, PromptTask()));
    }
    const auto [own, applied] = saveBothWays(doc, 1, false);
    EXPECT_EQ(own, applied);
    for (const QByteArray &text : texts)
        EXPECT_TRUE(own.contains("dt:dt=\"bin.base64\">" + text + "</ImageData>")) << text.size();
}

// An attached file is read again when the save writes it: one that went away
// or changed size since it was attached fails the save with its name and the
// reason, through either sheet and through a plain save, and the old file
// stays as it was with nothing left beside it.
TEST_F(SavePaths, AnAttachedFileThatChangedFailsTheSaveAndKeepsTheOldFile)
{
    const QString picture = dir.filePath("p.png");
    const struct {
        const char *name;
        std::function<void()> change;
        const char *says;
    } changes[] = {
        {"removed", [&] { QFile::remove(picture); }, "no such file"},
        {"grown", [&] { writeAll(picture, QByteArray(5000, 'g')); },
         "it changed from 4000 to 5000 bytes since it was attached"},
        {"replaced by a folder",
         [&] {
             QFile::remove(picture);
             QDir().mkpath(picture);
         },
         "is a folder"},
    };
    const QString target = dir.filePath("out.wzd");
    const QByteArray old = "<STEPVANE>the user's last good save</STEPVANE>";
    enum Way { Shipped, Applied, Plain };
    for (const auto &c : changes) {
        for (Way way : {Shipped, Applied, Plain}) {
            SCOPED_TRACE(testing::Message() << c.name << ", way " << way);
            QDir().rmdir(picture);
            ASSERT_TRUE(writeAll(picture, QByteArray(4000, 'p')));
            VXXML_PARSER writer;
            if (way == Applied)
                writer.Set_Style_Sheet_Path(dir.filePath("applied.xsl"));
            ASSERT_TRUE(writer.Begin_Root() && writer.Add_Element("ImageData"));
            ASSERT_TRUE(writer.Put_File_Base64(picture));
            c.change();
            ASSERT_TRUE(writeAll(target, old));
            const QStringList before = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
            EXPECT_FALSE(way == Plain ? writer.Save_Document(target)
                                      : writer.Save_Transformed(target));
            EXPECT_EQ(writer.Error_Text(),
                      QStringLiteral("Cannot embed %1: %2").arg(picture, c.says));
            EXPECT_EQ(readAll(target), old);
            EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), before);
        }
    }
}
