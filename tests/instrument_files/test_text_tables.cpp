// The SCPI catalogue and the cable list: tokenizer rules, skipped lines and
// where reading stops; and the two tables we ship beside the program.
#include "SetupImageBuilder.h"
#include "instrument_files/CVXSCPI_PARSER.h"
#include "instrument_files/CableList.h"
#include "instrument_files/TextTable.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace stepvane;

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

TEST(ScpiCatalogue, LoadingFromFiles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cat.csv");
    ASSERT_TRUE(test::writeFile(path, "G,C\nH,D\n"));
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

TEST(TextTables, SizeLimitFromBothSides)
{
    // A table of exactly the limit is read whole; one byte more is refused.
    QTemporaryDir dir;
    const QString path = dir.filePath("big.csv");
    // One record, then a comment line long enough to reach the limit.
    QByteArray table = "G,C\n*" + QByteArray(int(kMaxTextTableBytes) - 6, 'x') + "\n";
    ASSERT_EQ(table.size(), kMaxTextTableBytes);
    ASSERT_TRUE(test::writeFile(path, table));
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

TEST(CableList, FieldsAndStop)
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
}

TEST(CableList, ApplicationTable)
{
    QTemporaryDir dir;
    ASSERT_TRUE(test::writeFile(dir.filePath("c.csv"), "A,0.8,0.1\nB,0.9,0.2,0.3\n"));
    EXPECT_EQ(LoadCableList(dir.filePath("c.csv")), 2);
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
