// Setup-file classification and `stepvane-cli setup-info` on files of each
// format, and on files no reader can use.
#include "SetupImageBuilder.h"
#include "document/VXXML_PARSER.h"
#include "instrument_files/FileClassification.h"
#include "instrument_files/LanguageInfo.h"
#include "instrument_files/VX_CAA_SETUP_PARSER.h"
#include "support/CliRun.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

class ClassificationTest : public ::testing::Test {
protected:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }
    QTemporaryDir dir;
};

const QByteArray kXmlSetup =
    "<?xml version=\"1.0\"?>\n<QRTSetup><LoadInfo><nSelectDisplay LValue=\"0\"/>"
    "<Display_Mode1 LValue=\"6\"/></LoadInfo></QRTSetup>\n";

} // namespace

TEST_F(ClassificationTest, FormatsAndTheReaderLeftHoldingTheFile)
{
    const QString sta = write("a.sta", SetupImage().layout(0).traces(7).bytes);
    const QString xml = write("b.sta", kXmlSetup); // XML is tried first, whatever the extension
    const struct {
        QString path;
        int format;
    } cases[] = {
        {sta, SetupFormatInstrument},
        {xml, SetupFormatXml},
        {write("c.txt", "not xml at all"), SetupFormatInstrument},
        {write("d.xml", "<QRTSetup><LoadInfo>"), SetupFormatInstrument},
        {write("empty.sta", QByteArray()), SetupFormatUnknown},
        {dir.filePath("missing.sta"), SetupFormatUnknown},
        {dir.path(), SetupFormatUnknown},
        {QString(), SetupFormatUnknown},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(classifySetupFile(c.path), c.format);
        // With the caller's readers, both holding an earlier file: the one
        // that recognised this file holds it, the XML reader nothing else.
        VXXML_PARSER xmlParser;
        VX_CAA_SETUP_PARSER setupParser;
        ASSERT_EQ(classifySetupFile(xml, xmlParser, setupParser), SetupFormatXml);
        ASSERT_EQ(setupParser.Load(sta), 1);
        ASSERT_EQ(classifySetupFile(c.path, xmlParser, setupParser), c.format);
        EXPECT_EQ(xmlParser.Is_Loaded(), c.format == SetupFormatXml);
        if (c.format != SetupFormatXml) {
            EXPECT_EQ(setupParser.isLoaded(), c.format == SetupFormatInstrument);
        }
    }
    EXPECT_EQ(fileNameWithoutFolders("C:\\setups\\a/b\\c.sta"), "c.sta");
    EXPECT_EQ(fileNameWithoutFolders("/home/u/site 1.sta"), "site 1.sta");
}

TEST_F(ClassificationTest, CliSummaries)
{
    SetupImage image;
    image.layout(1).traces(2, 6).startStopHz(698000000, 960000000).distance(0, 30);
    image.velocity(0.85f).cableName("LMR-400");
    CliRun run = cli({"setup-info", write("tower A.sta", image.bytes)});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(
        run.out,
        " 1. File Name: tower A.sta\n 2. Layout: Dual Horizotal\n 3. Mode: DTF VSWR,Smith Chart\n"
        " 4. Frequency Band: 698.00 MHz - 960.00 MHz\n 5. Distance: 0.00 - 30.00\n"
        " 6. Cable Name: LMR-400\n 7. Velocity Factory: 0.8500\n");

    run = cli({"setup-info", write("x.sta", kXmlSetup)});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(
        run.out.startsWith(" 1. File Name: x.sta\n 2. Layout: Single\n 3. Mode: Smith Chart\n"))
        << run.out.toStdString();
}

TEST_F(ClassificationTest, CliFailures)
{
    LoadLanguageInfo();
    const QString unknown = GetMessageText("IDS_UNKWON_SETUP_FORMAT").trimmed();
    ASSERT_FALSE(unknown.isEmpty());
    const QString empty = write("empty.sta", QByteArray());
    const struct {
        QStringList args;
        int exitCode;
        QString inError;
    } cases[] = {
        {{"setup-info", empty}, 1, unknown},
        {{"setup-info", dir.filePath("none.sta")}, 1, "none.sta: no such file"},
        {{"setup-info"}, 2, "usage: stepvane-cli setup-info FILE"},
        {{"setup-info", empty, empty}, 2, "usage: stepvane-cli setup-info FILE"},
        {{"setup-info", "--bogus", empty}, 2, "unknown option --bogus"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun run = cli(c.args);
        EXPECT_EQ(run.code, c.exitCode);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.contains(c.inError)) << run.err.toStdString();
    }
}
