// The fixed-point formatter must write what C's printf writes, digit for
// digit: the instrument and any reader checking against printf see the same
// text whichever part of the program wrote it.
//
// Every character class a user can paste or a JSON file can carry, against
// what an XML 1.0 reader accepts: a text judged safe must also parse.
//
// The language table, message formatting, the 8-bit code page, and the check
// that every message identifier the program uses has a text.
#include "common/DataFiles.h"
#include "common/MessageSink.h"
#include "common/NumberText.h"
#include "common/XmlText.h"
#include "instrument_files/CodePage.h"
#include "instrument_files/LanguageInfo.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <libxml/parser.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <string>

using namespace stepvane;

namespace {

std::string printfText(double value, int decimals)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

struct Case {
    double value;
    int decimals;
    const char *text;
};
const Case kCases[] = {
    {0.125, 2, "0.12"}, // exact binary tie: to even, not up
    {0.625, 2, "0.62"},       {0.375, 2, "0.38"},     {2.5, 0, "2"},
    {0.135, 2, "0.14"}, // not a tie in binary (0.1350000000000000088...)
    {-0.125, 2, "-0.12"},     {-0.0, 2, "-0.00"},     {-0.001, 2, "-0.00"},
    {0.88, 4, "0.8800"},      {0.072, 4, "0.0720"},   {0.00005, 4, "0.0001"},
    {0.03125, 4, "0.0312"},   {2700, 2, "2700.00"},   {1e15 + 0.5, 2, "1000000000000000.50"},
    {4916.72f, 2, "4916.72"}, {-179.9, 2, "-179.90"}, {1e22, 2, "10000000000000000000000.00"}};

TEST(FormatDecimal, MatchesPrintfDigitForDigit)
{
    for (const Case &c : kCases) {
        EXPECT_EQ(formatDecimal(c.value, c.decimals).toStdString(), c.text)
            << c.value << " with " << c.decimals;
        EXPECT_EQ(formatDecimal(c.value, c.decimals).toStdString(),
                  printfText(c.value, c.decimals));
    }
}

// The same texts when the process runs in a locale whose decimal separator
// is a comma: files and rows never follow the user's locale.
TEST(FormatDecimal, ALocaleWithADecimalCommaChangesNothing)
{
    const std::string before = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed (scripts/install-deps makes it)";
    ASSERT_EQ(printfText(0.5, 1), "0,5") << "the locale really writes a comma";
    for (const Case &c : kCases)
        EXPECT_EQ(formatDecimal(c.value, c.decimals).toStdString(), c.text)
            << c.value << " with " << c.decimals;
    std::setlocale(LC_ALL, before.c_str());
}

TEST(FormatDecimal, AgreesWithPrintfOverManyValues)
{
    // Every hundredth and thousandth step between -20 and 20 plus halves,
    // where ties and near-ties are dense.
    for (int i = -20000; i <= 20000; ++i) {
        const double value = i / 1000.0 + ((i % 7 == 0) ? 0.0005 : 0.0);
        for (int decimals : {0, 2, 4})
            ASSERT_EQ(formatDecimal(value, decimals).toStdString(), printfText(value, decimals))
                << value;
    }
    EXPECT_EQ(formatDecimal(DBL_MAX, 2).toStdString(), printfText(DBL_MAX, 2));
    EXPECT_EQ(formatDecimal(-DBL_MAX, 0).toStdString(), printfText(-DBL_MAX, 0));
}

} // namespace

namespace {

bool libxmlAccepts(const QString &text)
{
    // As an attribute value and as element content, written as the raw
    // character the way a serialiser would write it.
    const QByteArray escaped = text.toHtmlEscaped().toUtf8();
    const QByteArray doc = "<a v=\"" + escaped + "\">" + escaped + "</a>";
    xmlDocPtr parsed = xmlReadMemory(doc.constData(), int(doc.size()), nullptr, "UTF-8",
                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    const bool ok = parsed != nullptr;
    xmlFreeDoc(parsed);
    return ok;
}

struct TextCase {
    QString text;
    qsizetype unsafeAt;
};

} // namespace

TEST(XmlText, AgreesWithTheXmlReaderOnEveryCharacterClass)
{
    const QChar high(char16_t(0xD83D)), low(char16_t(0xDE00));
    const TextCase cases[] = {
        {"plain", -1},
        {"tab\there, line\nfeed, cr\rhere", -1},
        {QString::fromUtf8("umlaut \xc3\xa4, euro \xe2\x82\xac, C1 \xc2\x85"), -1},
        {QString("pair ") + high + low, -1},
        {QString(u'\uFFFD'), -1},
        {QString("a") + QChar(char16_t(1)) + "b", 1},
        {QString("a") + QChar(char16_t(0x1F)), 1},
        {QString(QChar(char16_t(0))) + "x", 0},
        {QString("ab") + QChar(char16_t(0xFFFE)), 2},
        {QString("x") + QChar(char16_t(0xFFFF)), 1},
        {QString("lone high ") + high, 10},
        {QString("lone low ") + low + "x", 9},
        {QString(low) + high, 0}};
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.text.toUtf8().toHex().toStdString());
        EXPECT_EQ(firstXmlUnsafeIndex(c.text), c.unsafeAt);
        // Lone surrogates cannot even reach libxml2 as UTF-8; the others can.
        if (c.unsafeAt < 0 || !c.text.at(c.unsafeAt).isSurrogate()) {
            EXPECT_EQ(libxmlAccepts(c.text), c.unsafeAt < 0);
        }
    }
    EXPECT_EQ(describeXmlUnsafeAt(QString("a") + QChar(char16_t(1)), 1), "U+0001");
    EXPECT_EQ(describeXmlUnsafeAt(QString(QChar(char16_t(0xFFFE))), 0), "U+FFFE");
}

TEST(LanguageInfo, LineBreaksCommentsAndTheStopAtAShortLine)
{
    const QByteArray table = "* comment line\n"
                             "\n"
                             "ID_A|first\\second|B text|C text\r\n"
                             "ID_B||x\\\\y\\|| two |three\n"
                             "ID_C|only|three\n"
                             "ID_D|never|read|here\n";
    const auto entries = parseLanguageInfo(table);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].text[0], "first\nsecond\n");
    EXPECT_EQ(entries[0].text[2], "C text\n") << "the carriage return is not part of the text";
    EXPECT_EQ(entries[1].text[0], "x\ny\n") << "empty pieces are dropped; runs of | count as one";
    EXPECT_EQ(entries[1].text[1], " two \n");

    setLanguageTable(entries);
    EXPECT_EQ(GetMessageText("ID_A", 1), "B text\n");
    EXPECT_EQ(GetMessageText("ID_C"), "") << "entries after a short line are not read";
    EXPECT_EQ(GetMessageText("id_a"), "") << "identifiers match case-sensitively";
    EXPECT_EQ(GetMessageText("ID_A", 3), "");
    EXPECT_EQ(GetMessageText("ID_A", -1), "");
}

TEST(LanguageInfo, CodePageBytesBecomeTheirCharacters)
{
    const auto entries = parseLanguageInfo("ID|caf\xE9 \x80 \x96|b|c\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].text[0], QString::fromUtf8("café € –\n"));
    EXPECT_EQ(toCp1252(QString::fromUtf8("café € – 漢")), QByteArray("caf\xE9 \x80 \x96 ?"));
}

TEST(Messages, FormattingFillsPlaceholdersInOrder)
{
    EXPECT_EQ(formatMessage("%s made for %s (100%%)", {"A", "B"}), "A made for B (100%)");
    EXPECT_EQ(formatMessage("%s and %s", {"only"}), "only and ");
    EXPECT_EQ(formatMessage("trailing %", {}), "trailing %");
    EXPECT_EQ(Message::fromText("Prompt task item-Failed to Save (%s)", {"a.jpg"}).text(),
              "Prompt task item-Failed to Save (a.jpg)");
}

// Every identifier quoted in the program's sources resolves to a text in the
// shipped table, so no message box ever comes up empty.
TEST(Messages, EveryIdentifierInTheSourcesHasAText)
{
    ASSERT_GT(LoadLanguageInfo(QStringLiteral(STEPVANE_SOURCE_DIR "/data/LanguageInfo.txt")), 0);
    const QRegularExpression id("\"((?:IDS|STR)_[A-Z0-9_]+)\"");
    QSet<QString> used;
    QDirIterator it(QStringLiteral(STEPVANE_SOURCE_DIR "/src"), {"*.cpp", "*.h"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        for (const auto &m : id.globalMatch(text))
            used.insert(m.captured(1));
    }
    EXPECT_GE(used.size(), 4) << "the scan found the identifiers the reader uses";
    for (const QString &name : used)
        EXPECT_FALSE(GetMessageText(name).isEmpty()) << name.toStdString();
}

TEST(DataFiles, FoundBesideTheProgram)
{
    qunsetenv("STEPVANE_DATA_DIR");
    EXPECT_TRUE(dataFilePath("LanguageInfo.txt").endsWith("/data/LanguageInfo.txt"));
    EXPECT_TRUE(dataFilePath("no-such-file.txt").isEmpty());
}
