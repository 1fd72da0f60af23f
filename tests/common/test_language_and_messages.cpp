// The language table, message formatting, the 8-bit code page, and the check
// that every message identifier the program uses has a text.
#include "common/DataFiles.h"
#include "common/MessageSink.h"
#include "instrument_files/CodePage.h"
#include "instrument_files/LanguageInfo.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using namespace stepvane;

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
