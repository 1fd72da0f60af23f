// Writes that fail on a full disk (a file-size limit stands in for it) and
// sizes that must be what the file holds: a failed save reports the cause and
// leaves the old file byte for byte; a failed restore leaves no cut-short
// working copy; a restored attachment's size is the number of bytes restored.
#include "common/DataFiles.h"
#include "document/VX_CAAXML_PARSER.h"
#include "document/WorkingCopies.h"
#include "support/FileSizeLimit.h"
#include "support/WizardText.h"

#include <QDirIterator>

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
