// The whole summary's item list (header, sequence headings, block rules), the
// center/span side effect, title rows, the text form and the line splitting
// rule.
#include "summary/LineSplit.h"
#include "summary/SummaryRows.h"

#include <gtest/gtest.h>

using namespace stepvane;

namespace {

WizardDocument twoSequenceWizard()
{
    WizardDocument doc;
    doc.Title = "Site | North";
    TestingSequence *a = doc.appendSequence();
    a->Title = "Antenna";
    SaveTask save;
    save.SaveMode = 2;
    a->insertStep(-1, save);
    a->insertStep(-1, HoldTask{"h"});
    FrequencyDistanceTask both;
    both.Start_Frequency = 100, both.Stop_Frequency = 300;
    both.Start_Frequency_Check = both.Stop_Frequency_Check = 1, both.Center_Frequency = -1;
    both.Span = -1;
    a->insertStep(-1, both);
    TestingSequence *b = doc.appendSequence();
    b->Title = "Cable";
    FrequencyDistanceTask startOnly = both;
    startOnly.Stop_Frequency_Check = 0;
    b->insertStep(-1, startOnly);
    return doc;
}

struct Expected {
    SummaryItem::Type type;
    QString text;
    SummaryFont font;
};

} // namespace

TEST(WizardSummary, HeaderItemsInOrderAndAnUnknownModelNamedSo)
{
    const WizardDocument doc = twoSequenceWizard();
    const auto items = buildWizardSummary(doc, 2);
    const std::vector<Expected> head = {
        {SummaryItem::Line, "-  Stepvane Information -", SummaryFont::Points14},
        {SummaryItem::Rule, "", SummaryFont::Points10},
        {SummaryItem::Line, "", SummaryFont::Points11},
        {SummaryItem::Line, "", SummaryFont::Points11},
        {SummaryItem::Line, "Header info", SummaryFont::Points11},
        {SummaryItem::Line, "", SummaryFont::Points11},
        {SummaryItem::Table, "", SummaryFont::Points10},
        {SummaryItem::TitleRow, QString("Site ") + kUserBar + " North", SummaryFont::Points10},
        {SummaryItem::Row, "Firmware version| 1.064", SummaryFont::Points10},
        {SummaryItem::Row, "Application version| 1.2.1", SummaryFont::Points10},
        {SummaryItem::Row, "Compatible Spanlyx| VX330A", SummaryFont::Points10},
        {SummaryItem::Row, "Testing sequence count| 2", SummaryFont::Points10},
        {SummaryItem::Line, "", SummaryFont::Points14},
        {SummaryItem::Line, "", SummaryFont::Points14}};
    ASSERT_GT(items.size(), head.size());
    for (size_t i = 0; i < head.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items[i].type, head[i].type);
        EXPECT_EQ(items[i].text, head[i].text);
        if (items[i].type != SummaryItem::Rule && items[i].type != SummaryItem::Table) {
            EXPECT_EQ(items[i].font, head[i].font);
        }
        if (items[i].type == SummaryItem::Row) {
            EXPECT_TRUE(items[i].rulesOn);
            EXPECT_EQ(items[i].ruleMask, kRuleBoth);
        }
    }
    EXPECT_EQ(items[0].align, kAlignCenter);
    EXPECT_EQ(items[4].align, kAlignCenter);
    EXPECT_EQ(items[6].leftWeight, 1000);
    EXPECT_EQ(items[6].rightWeight, 2000);

    const auto unknown = summaryAsText(buildWizardSummary(WizardDocument{}, 7));
    EXPECT_TRUE(unknown.contains("Compatible Spanlyx |  Unknown Equipment"));
    EXPECT_TRUE(unknown.contains("Testing sequence count |  0"));
}

TEST(WizardSummary, SequenceSectionsAndBlockRules)
{
    const WizardDocument doc = twoSequenceWizard();
    const auto items = buildWizardSummary(doc, 0);
    // Find the first sequence heading and walk from there.
    size_t i = 0;
    while (i < items.size() && !items[i].text.startsWith(" Testing Sequence"))
        ++i;
    ASSERT_LT(i, items.size());
    ASSERT_GE(i, 2u);
    EXPECT_EQ(items[i - 2].type, SummaryItem::Rule);
    EXPECT_EQ(items[i - 1].text, "");
    EXPECT_EQ(items[i - 1].font, SummaryFont::Points14);
    EXPECT_EQ(items[i].text, " Testing Sequence Num1  : Antenna");
    EXPECT_EQ(items[i].font, SummaryFont::Points11);
    EXPECT_EQ(items[i].align, kAlignLeft);
    EXPECT_EQ(items[i + 1].font, SummaryFont::Points14);
    EXPECT_EQ(items[i + 2].type, SummaryItem::Table);
    EXPECT_EQ(items[i + 2].leftWeight, 800);
    EXPECT_EQ(items[i + 2].rightWeight, 3400);
    EXPECT_EQ(items[i + 3].text, "Task item|Details");
    EXPECT_TRUE(items[i + 3].bold);
    EXPECT_EQ(items[i + 3].ruleMask, kRuleBoth);

    struct RowRule {
        QString text;
        bool on;
        int mask;
    };
    const std::vector<RowRule> rows = {
        // Save in manual mode: three rows, only the last ruled (below).
        {"1.Save|Description : ", false, kRuleBoth},
        {" |Measurement result preview : Off", false, kRuleBoth},
        {" |Mode : Manual", true, kRuleBelow},
        // A one-row block is ruled above and below.
        {"2.Hold|h", true, kRuleBoth},
        {"3.Frequency / Distance|Description : ", false, kRuleBoth}};
    for (size_t r = 0; r < rows.size(); ++r) {
        const SummaryItem &item = items[i + 4 + r];
        SCOPED_TRACE(rows[r].text.toStdString());
        EXPECT_EQ(item.type, SummaryItem::Row);
        EXPECT_EQ(item.text, rows[r].text);
        EXPECT_EQ(item.font, SummaryFont::Points8);
        EXPECT_EQ(item.rulesOn, rows[r].on);
        if (item.rulesOn) {
            EXPECT_EQ(item.ruleMask, rows[r].mask);
        }
    }
    // The second sequence follows, numbered 2, after one closing empty line.
    const auto text = summaryAsText(items);
    EXPECT_EQ(text.count(" Testing Sequence Num2  : Cable"), 1);
    EXPECT_EQ(text.count(" Testing Sequence Num1  : Antenna"), 1);
}

TEST(WizardSummary, TextFormKeepsOneRowPerLineAndCenterAndSpanAreStoredOnlyWhenBothAreChecked)
{
    WizardDocument doc = twoSequenceWizard();
    doc.sequence(0)->Title = "line\nbreak|bar";
    const WizardDocument before = doc;
    const auto text = summaryAsText(buildWizardSummary(doc, 0));
    EXPECT_TRUE(doc == before) << "building the rows changes nothing";
    EXPECT_TRUE(text.contains(QString("Stepvane title |  Site ") + kUserBar + " North"));
    EXPECT_TRUE(text.contains("Task item | Details"));
    EXPECT_TRUE(text.contains("  | Mode : Manual"));
    EXPECT_TRUE(text.contains(QString(" Testing Sequence Num1  : line break") + kUserBar + "bar"));
    for (const QString &line : text)
        EXPECT_FALSE(line.contains('\n'));
    EXPECT_TRUE(text.contains("  | Center frequency : 200.00"));
    EXPECT_TRUE(text.contains("  | Span : 200.00"));
    EXPECT_EQ(text.count("  | Center frequency : 200.00"), 1) << "the start-only step has none";

    storeSummaryCenterAndSpan(doc);
    const auto *both = doc.sequence(0)->step(2)->as<FrequencyDistanceTask>();
    const auto *startOnly = doc.sequence(1)->step(0)->as<FrequencyDistanceTask>();
    EXPECT_DOUBLE_EQ(both->Center_Frequency, 200);
    EXPECT_DOUBLE_EQ(both->Span, 200);
    EXPECT_DOUBLE_EQ(startOnly->Center_Frequency, -1);
    EXPECT_DOUBLE_EQ(startOnly->Span, -1);
}

TEST(WizardSummary, TitleRowsWrapWithTabContinuation)
{
    const QString title = "Quarterly acceptance sweep of the north sector antennas";
    // Right cell holds 20 characters including its leading blank.
    const auto fits = [](QStringView s) { return s.size() <= 20; };
    const QStringList rows = summaryTitleRows(title, fits);
    ASSERT_GE(rows.size(), 3);
    EXPECT_TRUE(rows[0].startsWith("Stepvane title| "));
    QString joined;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QString prefix = i == 0 ? "Stepvane title| " : "\t| ";
        ASSERT_TRUE(rows[i].startsWith(prefix)) << rows[i].toStdString();
        const QString cell = rows[i].mid(prefix.size() - 1); // the right cell, with its blank
        EXPECT_LE(cell.size(), 20) << rows[i].toStdString();
        joined += rows[i].mid(prefix.size());
    }
    EXPECT_EQ(joined.simplified().remove(' '), QString(title).remove(' '));
    EXPECT_EQ(summaryTitleRows("", fits), QStringList{"Stepvane title| "});
}

namespace {

struct SplitCase {
    const char *name;
    QString text;
    int width; // characters that fit
    QStringList expected;
};

std::vector<SplitCase> splitCases()
{
    const QString x40(40, 'x');
    return {{"FitsWhole", "hello world", 20, {"hello world"}},
            {"Empty", "", 5, {""}},
            {"CutInsideWordMovesToBlank", "aaaa bbbbbbbb", 8, {"aaaa ", "bbbbbbbb"}},
            {"CutAtBlankKeepsWords", "aaaa bbbb cc", 4, {"aaaa", "bbbb", "cc"}},
            {"WordWithoutBlankIsCut", "abcdefghij", 4, {"abcd", "efgh", "ij"}},
            {"BlankTwentyBeforeCutIsUsed", "a " + x40, 21, {"a ", x40.left(21), x40.mid(21)}},
            {"BlankTwentyOneBeforeCutIsNot", "a " + x40, 22, {"a " + x40.left(20), x40.mid(20)}},
            {"LeadingBlankAloneIsNotALine",
             " " + x40,
             10,
             {" " + x40.left(9), x40.mid(9, 10), x40.mid(19, 10), x40.mid(29, 10), x40.mid(39)}}};
}

void PrintTo(const SplitCase &c, std::ostream *os)
{
    *os << c.name;
}

class LineSplit : public ::testing::TestWithParam<SplitCase> {};

} // namespace

TEST_P(LineSplit, FollowsWordRule)
{
    const SplitCase &c = GetParam();
    const int width = c.width;
    const QStringList lines =
        splitToFit(c.text, [width](QStringView s) { return s.size() <= width; });
    EXPECT_EQ(lines.join("/").toStdString(), c.expected.join("/").toStdString());
}

INSTANTIATE_TEST_SUITE_P(Cases, LineSplit, ::testing::ValuesIn(splitCases()),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(LineSplitEdges, NothingFitsStillProgressesAndKeepsSurrogatePairs)
{
    const QStringList single = splitToFit("abc", [](QStringView) { return false; });
    EXPECT_EQ(single, (QStringList{"a", "b", "c"}));

    const QString emoji = QString::fromUtf8("\xF0\x9F\x93\xA1"); // one character, two units
    const QString text = "ab" + emoji + "cd";
    const QStringList lines = splitToFit(text, [](QStringView s) { return s.size() <= 3; });
    EXPECT_EQ(lines.join(""), text);
    for (const QString &line : lines) {
        ASSERT_FALSE(line.isEmpty());
        EXPECT_FALSE(line.back().isHighSurrogate()) << "a pair was split";
        EXPECT_FALSE(line.front().isLowSurrogate()) << "a pair was split";
    }
}
