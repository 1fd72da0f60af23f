// Setup files: the binary setup-file reader (summaries of images built from
// the field offsets, short and oversized files, out-of-table codes and
// foreign bytes), the classification by format, and `stepvane-cli setup-info`
// on files of each format and on files no reader can use.
//
// The SCPI catalogue and the cable list: tokenizer rules, skipped lines and
// where reading stops; and the two tables we ship beside the program.
#include "SetupImageBuilder.h"

#include "document/VXXML_PARSER.h"
#include "instrument_files/CVXSCPI_PARSER.h"
#include "instrument_files/CableList.h"
#include "instrument_files/FileClassification.h"
#include "instrument_files/LanguageInfo.h"
#include "instrument_files/TextTable.h"
#include "instrument_files/VX_CAA_SETUP_PARSER.h"
#include "support/CliRun.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>

using namespace stepvane;
using namespace stepvane::test;

namespace {

class SetupFiles : public ::testing::Test {
protected:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }
    int load(const QByteArray &bytes) { return parser.Load(write("s.sta", bytes)); }
    QTemporaryDir dir;
    VX_CAA_SETUP_PARSER parser;
};

// The text tables read from files of the test's folder.
class TableFiles : public SetupFiles {};

const char kBand[] = " 4. Frequency Band: 2000.00 MHz - 2700.00 MHz\n";
const char kDtfTail[] =
    " 5. Distance: 1.50 - 48.25\n 6. Cable Name: HFC-12D (1/2')\n 7. Velocity Factory: 0.8800\n";

const QByteArray kXmlSetup =
    "<?xml version=\"1.0\"?>\n<QRTSetup><LoadInfo><nSelectDisplay LValue=\"0\"/>"
    "<Display_Mode1 LValue=\"6\"/></LoadInfo></QRTSetup>\n";

} // namespace

TEST_F(SetupFiles, SummaryForms)
{
    const struct {
        int layout, t1, t2, t3, t4;
        const char *layoutAndMode; // lines 2 and 3
        bool dtf;
    } cases[] = {
        {4, 2, 6, 7, 5, "Quad\n 3. Mode: DTF VSWR,Smith Chart,RF Power,1 Port Phase", true},
        {0, 0, 2, 2, 2, "Single\n 3. Mode: Reflection VSWR", false},
        {1, 1, 3, 0, 0, "Dual Horizotal\n 3. Mode: Reflection Return Loss,DTF Return Loss", true},
        {2, 12, 13, 2, 2, "Dual Vertical\n 3. Mode: 2 Port Transmission,2 Port Phase", false},
        // DTF on the hidden fourth trace does not count.
        {3, 0, 6, 7, 2, "Triple\n 3. Mode: Reflection VSWR,Smith Chart,RF Power", false},
        {5, 2, 2, 2, 2, "Single\n 3. Mode: ", false}, // named layout, but no traces shown
        {10, 2, 2, 2, 2, "\n 3. Mode: ", false},
        {-1, 2, 2, 2, 2, "\n 3. Mode: ", false},
        {4, 23, -1, INT_MAX, 22, "Quad\n 3. Mode: ,,,CAA_INSERION_LG", false}, // out of table
        {1, 14, 0, 0, 0, "Dual Horizotal\n 3. Mode: ,Reflection VSWR", false}, // the empty entry
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.layoutAndMode);
        SetupImage image;
        image.startStopHz(2000000000, 2700000000).distance(1.5f, 48.25f).velocity(0.88f);
        image.cableName("HFC-12D (1/2')").layout(c.layout).traces(c.t1, c.t2, c.t3, c.t4);
        ASSERT_EQ(load(image.bytes), 1);
        EXPECT_EQ(parser.Summary("site %s 7.sta"),
                  QString(" 1. File Name: site %s 7.sta\n 2. Layout: ") + c.layoutAndMode + "\n" +
                      kBand + (c.dtf ? kDtfTail : ""));
    }
}

TEST_F(SetupFiles, FrequenciesAreShownInMegahertz)
{
    const struct {
        qint64 start, stop;
        const char *band;
    } cases[] = {
        {5000000, 6000000000, "5.00 MHz - 6000.00 MHz"},
        {2500000, 1234567890, "2.50 MHz - 1234.57 MHz"}, // fractions are kept, not cut to whole MHz
        {-1, 0, "-0.00 MHz - 0.00 MHz"},
        {125000, 1000625000, "0.12 MHz - 1000.62 MHz"}, // exact ties round to even
    };
    for (const auto &c : cases) {
        ASSERT_EQ(load(SetupImage().startStopHz(c.start, c.stop).bytes), 1);
        EXPECT_EQ(parser.Summary("f"),
                  QString(" 1. File Name: f\n 2. Layout: Single\n 3. Mode: Reflection VSWR\n"
                          " 4. Frequency Band: ") +
                      c.band + "\n");
    }
}

TEST_F(SetupFiles, ImageBounds)
{
    // Windows-1252 name, cut at its NUL.
    ASSERT_EQ(load(SetupImage().cableName("Kabel \x80 \xBD").raw(0x168 + 10, "junk").bytes), 1);
    EXPECT_EQ(parser.fields().cableName, QString::fromUtf8("Kabel € ½"));

    // A file ending inside the name: the name stops there and every later
    // field reads as zero.
    ASSERT_EQ(load(SetupImage().layout(4).traces(2, 2).bytes.left(0x168) + "LMR-400"), 1);
    const SetupImageFields f = parser.fields();
    EXPECT_EQ(f.cableName, "LMR-400");
    EXPECT_EQ(f.layoutCode, 0);
    EXPECT_EQ(f.traceCode[0], 0);
    EXPECT_EQ(f.traceCode[1], 0);

    // A file ending before the name, inside the stop frequency: the start
    // frequency is read, the stop frequency keeps its four bytes present
    // (6000000000 is 0x1'65A0'BC00), the rest is zero and the name empty.
    const QByteArray whole =
        SetupImage().startStopHz(25000000, 6000000000).cableName("LMR-400").bytes;
    ASSERT_EQ(load(whole.left(0x38 + 4)), 1);
    EXPECT_EQ(parser.fields().startFrequencyHz, 25000000);
    EXPECT_EQ(parser.fields().stopFrequencyHz, 0x65A0BC00);
    EXPECT_EQ(parser.fields().cableName, "");

    // All 0xFF: out-of-table codes, and a name without NUL that ends with the image.
    ASSERT_EQ(load(SetupImage(286472, '\xFF').bytes), 1);
    EXPECT_EQ(parser.fields().cableName, QString(286472 - 0x168, QChar(0xFF)));
    EXPECT_EQ(parser.Summary("ff"), " 1. File Name: ff\n 2. Layout: \n 3. Mode: \n"
                                    " 4. Frequency Band: -0.00 MHz - -0.00 MHz\n");

    // A longer file does not lengthen the image.
    ASSERT_EQ(load(SetupImage(286472 + 100, 'A').bytes), 1);
    EXPECT_EQ(parser.fields().cableName, QString(286472 - 0x168, u'A'));
}

TEST_F(SetupFiles, FailedLoadsDropThePreviousImage)
{
    const QByteArray dtf = SetupImage().startStopHz(2000000000, 0).layout(0).traces(2).bytes;
    const QString empty = dir.filePath("empty.sta");
    ASSERT_TRUE(writeFile(empty, QByteArray()));
    for (const QString &path : {dir.filePath("missing.sta"), dir.path(), empty, QString()}) {
        SCOPED_TRACE(path.toStdString());
        ASSERT_EQ(load(dtf), 1);
        ASSERT_TRUE(parser.Summary("x").contains("2000.00"));
        EXPECT_EQ(parser.Load(path), 0);
        EXPECT_FALSE(parser.isLoaded());
        EXPECT_FALSE(parser.Summary("x").contains("2000.00"));
    }
}

TEST_F(SetupFiles, AFileEndingInsideAFieldKeepsTheBytesPresent)
{
    // Every byte of each field differs, so any byte kept or lost shows.
    const QByteArray whole =
        SetupImage().startStopHz(0x0102030405060708, 0x1112131415161718).layout(0x21222324).bytes;
    const struct {
        qsizetype end; // the file's size
        qint64 start, stop;
        qint32 layout;
    } cases[] = {{0x30, 0, 0, 0},                         // before the field
                 {0x31, 0x08, 0, 0},                      // its first byte
                 {0x37, 0x02030405060708, 0, 0},          // all but its last
                 {0x38, 0x0102030405060708, 0, 0},        // exactly the field
                 {0x3B, 0x0102030405060708, 0x161718, 0}, // inside the next
                 {0x1CC + 3, 0x0102030405060708, 0x1112131415161718, 0x222324},
                 {0x1CC + 4, 0x0102030405060708, 0x1112131415161718, 0x21222324}};
    for (const auto &c : cases) {
        ASSERT_EQ(load(whole.left(c.end)), 1) << c.end;
        const SetupImageFields f = parser.fields();
        EXPECT_EQ(f.startFrequencyHz, c.start) << c.end;
        EXPECT_EQ(f.stopFrequencyHz, c.stop) << c.end;
        EXPECT_EQ(f.layoutCode, c.layout) << c.end;
    }
}

TEST_F(SetupFiles, FormatsAndTheReaderLeftHoldingTheFile)
{
    const QString sta = write("a.sta", SetupImage().layout(0).traces(7).bytes);
    const QString xml = write("b.sta", kXmlSetup); // XML is tried first, whatever the extension
    const struct {
        QString path;
        int format;
    } cases[] = {{sta, SetupFormatInstrument},
                 {xml, SetupFormatXml},
                 {write("c.txt", "not xml at all"), SetupFormatInstrument},
                 {write("d.xml", "<QRTSetup><LoadInfo>"), SetupFormatInstrument},
                 {write("empty.sta", QByteArray()), SetupFormatUnknown},
                 {dir.filePath("missing.sta"), SetupFormatUnknown},
                 {dir.path(), SetupFormatUnknown},
                 {QString(), SetupFormatUnknown}};
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

TEST_F(SetupFiles, CliSummaries)
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

TEST_F(SetupFiles, CliFailures)
{
    LoadLanguageInfo();
    const QString unknown = GetMessageText("IDS_UNKWON_SETUP_FORMAT").trimmed();
    ASSERT_FALSE(unknown.isEmpty());
    const QString empty = write("empty.sta", QByteArray());
    const struct {
        QStringList args;
        int exitCode;
        QString inError;
    } cases[] = {{{"setup-info", empty}, 1, unknown},
                 {{"setup-info", dir.filePath("none.sta")}, 1, "none.sta: no such file"},
                 {{"setup-info"}, 2, "usage: stepvane-cli setup-info FILE"},
                 {{"setup-info", empty, empty}, 2, "usage: stepvane-cli setup-info FILE"},
                 {{"setup-info", "--bogus", empty}, 2, "unknown option --bogus"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun run = cli(c.args);
        EXPECT_EQ(run.code, c.exitCode);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.contains(c.inError)) << run.err.toStdString();
    }
}

TEST(ScpiCatalogue, ColumnTokenizer)
{
    const struct {
        const char *line;
        QStringList expected; // padded with empty columns to seven
    } cases[] = {
        {"Sys,:SYST:ERR?,p,query,u,r,Reads the error",
         {"Sys", ":SYST:ERR?", "p", "query", "u", "r", "Reads the error"}},
        // Column 2 ends at a blank too.
        {"Sys,*IDN? extra,p 1,q", {"Sys", "*IDN?", "extra", "p 1", "q"}},
        {"Sys,CMD ,x", {"Sys", "CMD", "x"}},
        {",,Sys,,,CMD,, ,p,,,q", {"Sys", "CMD", " ", "p", "q"}}, // runs of separators count as one
        {" My Group ,CMD, a b ,c", {" My Group ", "CMD", " a b ", "c"}},
        {"Sys", {"Sys"}},
        {"G,C,3,4,5,6,7,8,9", {"G", "C", "3", "4", "5", "6", "7"}},
        {"G,empty,empty,Empty,empty ,x", {"G", "", "", "Empty", "empty ", "x"}},
        {"G,C,3\r", {"G", "C", "3"}},
        {"G\xB0,C,\x80", {"G\u00B0", "C", QString(QChar(0x80))}}, // each byte one character
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        CVXSCPI_PARSER p;
        ASSERT_EQ(p.loadFromBytes(QByteArray(c.line)), 1);
        ASSERT_EQ(p.records().size(), 1u);
        QStringList got(p.records()[0].column.begin(), p.records()[0].column.end());
        QStringList expected = c.expected;
        while (expected.size() < 7)
            expected << QString();
        EXPECT_EQ(got, expected);
    }
}

TEST(ScpiCatalogue, SkippedLinesGroupsAndStop)
{
    CVXSCPI_PARSER p;
    ASSERT_EQ(p.loadFromBytes("* a comment,with,columns\r\n\r\nFreq,:FREQ:STAR\n\nMarker,:MARK1\n"
                              "*Freq,:FREQ:STOP\nFreq,:FREQ:STOP\nfreq,:FREQ:CENT"),
              1);
    EXPECT_EQ(p.groups(), QStringList({"Freq", "Marker", "freq"}));
    ASSERT_EQ(p.records().size(), 4u);
    EXPECT_EQ(p.records()[3].column[1], ":FREQ:CENT") << "last line without a line feed";
    p.AddGroup("Marker");
    p.AddGroup("Zoom");
    EXPECT_EQ(p.groups(), QStringList({"Freq", "Marker", "freq", "Zoom"}));

    // A line of separators only has no first column: the load fails there,
    // keeping what came before.
    for (const char *bad : {",,,", ","}) {
        ASSERT_EQ(p.loadFromBytes(QByteArray("A,1\nB,2\n") + bad + "\nC,3\n"), 0);
        EXPECT_EQ(p.groups(), QStringList({"A", "B"}));
        EXPECT_EQ(p.records().size(), 2u);
    }
}

TEST_F(TableFiles, ScpiCatalogueLoadsFromFiles)
{
    const QString path = write("cat.csv", "G,C\nH,D\n");
    CVXSCPI_PARSER p;
    ASSERT_EQ(p.Load(path), 1);
    ASSERT_EQ(p.Load(path), 1);
    EXPECT_EQ(p.records().size(), 2u) << "a second load replaces the first";
    EXPECT_EQ(p.Load(dir.filePath("missing.csv")), 0);
    EXPECT_TRUE(p.records().empty());
    EXPECT_EQ(p.Load(dir.path()), 0);
    // A bare name is looked for beside the program, not in the current folder.
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    EXPECT_EQ(p.Load("cat.csv"), 0);
    QDir::setCurrent(before);
}

TEST_F(TableFiles, SizeLimitFromBothSides)
{
    // A table of exactly the limit is read whole; one byte more is refused.
    // One record, then a comment line long enough to reach the limit.
    QByteArray table = "G,C\n*" + QByteArray(int(kMaxTextTableBytes) - 6, 'x') + "\n";
    ASSERT_EQ(table.size(), kMaxTextTableBytes);
    const QString path = write("big.csv", table);
    const auto read = readTextTableFile(path);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->size(), kMaxTextTableBytes);
    CVXSCPI_PARSER p;
    EXPECT_EQ(p.Load(path), 1);
    EXPECT_EQ(p.records().size(), 1u);

    ASSERT_TRUE(test::writeFile(path, table + "\n"));
    EXPECT_FALSE(readTextTableFile(path).has_value());
    EXPECT_EQ(p.Load(path), 0);
}

TEST(ScpiCatalogue, ShippedCatalogueReadsCompletely)
{
    CVXSCPI_PARSER p;
    ASSERT_EQ(p.Load(), 1);
    ASSERT_GE(p.records().size(), 40u);
    for (const auto &r : p.records()) {
        SCOPED_TRACE(r.column[1].toStdString());
        // A stray comma would shift the access column; a missing column would
        // leave the description empty.
        EXPECT_TRUE(QStringList({"set", "query", "set/query"}).contains(r.column[3]));
        EXPECT_EQ(r.column[1].endsWith(u'?'), r.column[3] == "query");
        EXPECT_FALSE(r.column[6].isEmpty());
    }
}

TEST_F(TableFiles, CableListFieldsStopAndTheApplicationTable)
{
    const auto list =
        parseCableList("* name,velocity,loss 1G,loss 2G\r\n\r\nLMR-400,0.85,0.135,0.197\r\n"
                       ",,HFC-12D (1/2'),,0.88,,,0.072\nRG-58, 0.66 ,0.656,0.984,extra\n"
                       "\xB0-cable,0.8,0.1\n*short,line\nShort,0.9\nAfter,0.9,0.1,0.2\n");
    const QStringList expected[] = {{"LMR-400", "0.85", "0.135", "0.197"},
                                    {"HFC-12D (1/2')", "0.88", "0.072", ""},
                                    {"RG-58", " 0.66 ", "0.656", "0.984"},
                                    {"\u00B0-cable", "0.8", "0.1", ""}};
    ASSERT_EQ(list.size(), 4u) << "reading stops at the line with two fields";
    for (size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(QStringList({list[i].name, list[i].velocity, list[i].loss1GHz, list[i].loss2GHz}),
                  expected[i]);
    EXPECT_TRUE(parseCableList("Only,two\nA,1,2\n").empty());

    EXPECT_EQ(LoadCableList(write("c.csv", "A,0.8,0.1\nB,0.9,0.2,0.3\n")), 2);
    ASSERT_EQ(cableTable().size(), 2u);
    EXPECT_EQ(cableTable()[1].loss2GHz, "0.3");
    // A missing file empties the table rather than keeping stale entries.
    EXPECT_EQ(LoadCableList(dir.filePath("none.csv")), 0);
    EXPECT_TRUE(cableTable().empty());

    // The list we ship: numbers everywhere, in dB per metre, rising with frequency.
    ASSERT_GE(LoadCableList(), 25);
    for (const auto &c : cableTable()) {
        SCOPED_TRACE(c.name.toStdString());
        bool okV = false, ok1 = false, ok2 = false;
        const double v = c.velocity.toDouble(&okV), l1 = c.loss1GHz.toDouble(&ok1),
                     l2 = c.loss2GHz.toDouble(&ok2);
        ASSERT_TRUE(okV && ok1 && ok2);
        EXPECT_TRUE(v > 0.5 && v < 1.0);
        EXPECT_TRUE(l1 > 0.01 && l1 < 1.5);
        EXPECT_TRUE(l2 > l1 * 1.2 && l2 < l1 * 1.7); // roughly with the square root of frequency
    }
}
