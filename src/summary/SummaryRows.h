// The testing summary as data: the ordered items of the printed summary (text
// lines, horizontal rules, two-column tables and their rows with rule
// settings), the rows of each task step, and the one-line-per-step listing of
// a sequence. The printer and the command line render these; nothing here
// measures text or paints.
#pragma once

#include "document/WizardDocument.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <vector>

namespace stepvane {

// The four fonts of the printed summary, by point size.
enum class SummaryFont { Points14, Points11, Points10, Points8 };
int summaryFontPoints(SummaryFont font);

// Alignment flags of a single text line. Any other value prints left-aligned.
constexpr int kAlignCenter = 1;
constexpr int kAlignLeft = 2;
constexpr int kAlignRight = 4;
constexpr int kKeepLine = 8; // the next line prints on the same line

// Rule mask of a table row.
constexpr int kRuleAbove = 1;
constexpr int kRuleBelow = 2;
constexpr int kRuleBoth = kRuleAbove | kRuleBelow;

// Separates the left cell of a row from the right one.
constexpr QChar kCellSeparator = u'|';
// What a "|" inside a user's text becomes, so it cannot open a further cell:
// LATIN LETTER DENTAL CLICK, drawn as a plain vertical bar by sans fonts.
constexpr QChar kUserBar = QChar(0x01C0);

struct SummaryItem {
    enum Type {
        Line,     // one text line with font and alignment
        Rule,     // a horizontal rule across the page
        Table,    // starts a two-column table with the given column proportions
        Row,      // a table row "left|right" with its rule settings
        TitleRow, // the wizard title row; text is the title, split to fit its cell
    };
    Type type = Line;
    QString text;
    SummaryFont font = SummaryFont::Points10;
    bool bold = false;
    int align = kAlignLeft;
    int leftWeight = 0;
    int rightWeight = 0;
    bool rulesOn = true;
    int ruleMask = kRuleBoth;

    bool operator==(const SummaryItem &) const = default;
};

// A user's text made fit for one cell: "|" becomes kUserBar, and line breaks,
// tabs and other control characters become blanks (a cell is one line).
QString summaryCellText(const QString &userText);

// The two names the summary prints for a task kind: the first row of its
// block in the printed summary ("Marker / Peak") and its line in the sequence
// summary ("Marker/Peak"). Both null for a kind the summary does not list.
struct SummaryKindLabels {
    const char *block = nullptr;
    const char *line = nullptr;
};
SummaryKindLabels summaryKindLabels(TaskKind kind);

// The rows of one step block, n counted from 1. model is the instrument model
// index (the General rows depend on it). Row texts are exact; user texts in
// them have passed through summaryCellText.
QStringList summaryStepRows(const TaskStep &step, int n, int model);

// Center and span of a Frequency / Distance step whose start and stop
// frequencies are both checked; false when the summary does not compute them.
bool summaryCenterAndSpan(const FrequencyDistanceTask &task, double &center, double &span);

// The whole printed summary, in order. Pure: the document is not changed.
std::vector<SummaryItem> buildWizardSummary(const WizardDocument &doc, int model);

// The one change the summary makes to a wizard: every Frequency / Distance
// step with both frequencies checked keeps the center and span it printed.
void storeSummaryCenterAndSpan(WizardDocument &doc);

// The wizard title rows of the header table: the first as "Stepvane title| %s",
// every further line as "\t| %s". fits measures the right cell's text.
QStringList summaryTitleRows(const QString &title, const std::function<bool(QStringView)> &fits);

// The summary as plain text, one row per line, cells separated by " | ";
// rules are left out and the title stays one row.
QStringList summaryAsText(const std::vector<SummaryItem> &items);

// The sequence summary dialog's lines: "%d. %s (%s)", or "%d. %s" for
// Calibration, Hold and Auto scale.
QStringList sequenceSummaryLines(const TestingSequence &sequence);

} // namespace stepvane
