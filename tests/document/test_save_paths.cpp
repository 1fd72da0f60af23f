// Saving through the shipped style sheet takes libxml2's own indented output
// instead of the transformation; both must write the same bytes, for every
// reference file and for a wizard with every kind and attached files.
#include "common/DataFiles.h"
#include "document/VX_CAAXML_PARSER.h"
#include "document/WorkingCopies.h"
#include "support/TestFiles.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

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
