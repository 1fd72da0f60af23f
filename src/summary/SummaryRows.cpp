// The printed summary's item list, the title rows, the plain-text rendering
// and the sequence summary's lines.
#include "summary/SummaryRows.h"

#include "document/NameTables.h"
#include "summary/LineSplit.h"

namespace stepvane {

int summaryFontPoints(SummaryFont font)
{
    switch (font) {
    case SummaryFont::Points14:
        return 14;
    case SummaryFont::Points11:
        return 11;
    case SummaryFont::Points10:
        return 10;
    case SummaryFont::Points8:
        return 8;
    }
    return 10;
}

QString summaryCellText(const QString &userText)
{
    QString out;
    out.reserve(userText.size());
    for (qsizetype i = 0; i < userText.size(); ++i) {
        const QChar c = userText.at(i);
        if (c == kCellSeparator) {
            out += kUserBar;
        } else if (c == u'\r' && i + 1 < userText.size() && userText.at(i + 1) == u'\n') {
            continue; // CR LF becomes the single blank of the LF
        } else if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
            out += u' ';
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

SummaryItem line(const QString &text, SummaryFont font, int align = kAlignLeft)
{
    SummaryItem item;
    item.type = SummaryItem::Line;
    item.text = text;
    item.font = font;
    item.align = align;
    return item;
}

SummaryItem emptyLine(SummaryFont font)
{
    return line(QString(), font);
}

SummaryItem rule()
{
    SummaryItem item;
    item.type = SummaryItem::Rule;
    return item;
}

SummaryItem table(int leftWeight, int rightWeight)
{
    SummaryItem item;
    item.type = SummaryItem::Table;
    item.leftWeight = leftWeight;
    item.rightWeight = rightWeight;
    return item;
}

SummaryItem row(const QString &text, SummaryFont font, bool rulesOn = true,
                int ruleMask = kRuleBoth)
{
    SummaryItem item;
    item.type = SummaryItem::Row;
    item.text = text;
    item.font = font;
    item.rulesOn = rulesOn;
    item.ruleMask = ruleMask;
    return item;
}

void appendHeader(std::vector<SummaryItem> &items, const WizardDocument &doc, int model)
{
    items.push_back(
        line(QStringLiteral("-  Stepvane Information -"), SummaryFont::Points14, kAlignCenter));
    items.push_back(rule());
    items.push_back(emptyLine(SummaryFont::Points11));
    items.push_back(emptyLine(SummaryFont::Points11));
    items.push_back(line(QStringLiteral("Header info"), SummaryFont::Points11, kAlignCenter));
    items.push_back(emptyLine(SummaryFont::Points11));

    items.push_back(table(1000, 2000));
    SummaryItem title;
    title.type = SummaryItem::TitleRow;
    title.text = summaryCellText(doc.Title);
    title.font = SummaryFont::Points10;
    items.push_back(title);
    const SummaryFont f = SummaryFont::Points10;
    items.push_back(row(QStringLiteral("Firmware version| ") + kFirmwareVersion, f));
    items.push_back(row(QStringLiteral("Application version| ") + kApplicationVersion, f));
    items.push_back(row(QStringLiteral("Compatible Spanlyx| ") + modelName(model), f));
    items.push_back(row(QStringLiteral("Testing sequence count| %1").arg(doc.sequenceCount()), f));
    items.push_back(emptyLine(SummaryFont::Points14));
    items.push_back(emptyLine(SummaryFont::Points14));
}

// One block per step: the rows before the last are printed without rules, the
// last with a rule below, and a block of one row is ruled above and below.
void appendBlock(std::vector<SummaryItem> &items, const QStringList &rows)
{
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows.size() == 1)
            items.push_back(row(rows[i], SummaryFont::Points8, true, kRuleBoth));
        else if (i + 1 < rows.size())
            items.push_back(row(rows[i], SummaryFont::Points8, false, kRuleBoth));
        else
            items.push_back(row(rows[i], SummaryFont::Points8, true, kRuleBelow));
    }
}

} // namespace

std::vector<SummaryItem> buildWizardSummary(const WizardDocument &doc, int model)
{
    std::vector<SummaryItem> items;
    appendHeader(items, doc, model);
    for (int k = 0; k < doc.sequenceCount(); ++k) {
        const TestingSequence *seq = doc.sequence(k);
        items.push_back(rule());
        items.push_back(emptyLine(SummaryFont::Points14));
        items.push_back(line(QStringLiteral(" Testing Sequence Num%1  : ").arg(k + 1) +
                                 summaryCellText(seq->Title),
                             SummaryFont::Points11, kAlignLeft));
        items.push_back(emptyLine(SummaryFont::Points14));
        items.push_back(table(800, 3400));
        SummaryItem head = row(QStringLiteral("Task item|Details"), SummaryFont::Points10);
        head.bold = true;
        items.push_back(head);
        for (int n = 0; n < seq->stepCount(); ++n)
            appendBlock(items, summaryStepRows(*seq->step(n), n + 1, model));
        items.push_back(emptyLine(SummaryFont::Points14));
    }
    return items;
}

void storeSummaryCenterAndSpan(WizardDocument &doc)
{
    for (const auto &seq : doc.sequences) {
        for (const auto &step : seq->steps) {
            auto *freq = step->as<FrequencyDistanceTask>();
            double center = 0, span = 0;
            if (freq && summaryCenterAndSpan(*freq, center, span)) {
                freq->Center_Frequency = center;
                freq->Span = span;
            }
        }
    }
}

QStringList summaryTitleRows(const QString &title, const std::function<bool(QStringView)> &fits)
{
    // The right cell is " %s": measure with the leading blank it prints.
    const QStringList lines = splitToFit(
        title, [&](QStringView piece) { return fits(QString(u' ') + piece.toString()); });
    QStringList rows;
    for (qsizetype i = 0; i < lines.size(); ++i)
        rows << (i == 0 ? QStringLiteral("Stepvane title| ") : QStringLiteral("\t| ")) + lines[i];
    return rows;
}

QStringList summaryAsText(const std::vector<SummaryItem> &items)
{
    const auto cells = [](const QString &rowText) {
        const qsizetype bar = rowText.indexOf(kCellSeparator);
        if (bar < 0)
            return rowText;
        return rowText.left(bar) + QStringLiteral(" | ") + rowText.mid(bar + 1);
    };
    QStringList out;
    for (const SummaryItem &item : items) {
        switch (item.type) {
        case SummaryItem::Line:
            out << item.text;
            break;
        case SummaryItem::Row:
            out << cells(item.text);
            break;
        case SummaryItem::TitleRow:
            for (const QString &r : summaryTitleRows(item.text, [](QStringView) { return true; }))
                out << cells(r);
            break;
        case SummaryItem::Rule:
        case SummaryItem::Table:
            break;
        }
    }
    return out;
}

namespace {

// The two names the summary prints for a kind, in one place: its block's
// first row in the printed summary and its line in the sequence summary. The
// two are spelled differently on purpose ("Marker / Peak" and "Marker/Peak");
// each is printed exactly as it stands here.
struct KindLabelRow {
    TaskKind kind;
    SummaryKindLabels labels;
};
constexpr KindLabelRow kKindLabels[] = {
    {TaskSave, {"Save", "Save"}},
    {TaskPrompt, {"Prompt", "Prompt"}},
    {TaskReport, {"Report", "Consolidated report"}},
    {TaskCalibration, {"Calibration", "Calibration"}},
    {TaskBiasTee, {"Bias tee", "BiasTee"}},
    {TaskLoad, {"Load", "Load"}},
    {TaskMeasureMode, {"Measure mode", "Measure Mode"}},
    {TaskFrequencyDistance, {"Frequency / Distance", "Frequency/Distance"}},
    {TaskAmplitude, {"Amplitude", "Amplitude"}},
    {TaskDtf, {"Cable", "Cable"}},
    {TaskDataPoint, {"Data Point", "Data Point"}},
    {TaskRfPower, {"RF Power", "RF power"}},
    {TaskOpticalPower, {"Optical Power", "Optical power"}},
    {TaskFiber, {"Fiber Inspection", "Fiber"}},
    {TaskWindowing, {"Windowing", "Windowing"}},
    {TaskMarkerPeak, {"Marker / Peak", "Marker/Peak"}},
    {TaskLimit, {"Limit", "Limit"}},
    {TaskZoomZones, {"Zoom zones", "Zoom zones"}},
    {TaskHold, {"Hold", "Hold"}},
    {TaskAutoScale, {"Auto scale", "Auto scale"}},
    {TaskGeneral, {"General", "General"}},
};

} // namespace

SummaryKindLabels summaryKindLabels(TaskKind kind)
{
    for (const KindLabelRow &row : kKindLabels)
        if (row.kind == kind)
            return row.labels;
    return {};
}

QStringList sequenceSummaryLines(const TestingSequence &sequence)
{
    QStringList lines;
    for (int i = 0; i < sequence.stepCount(); ++i) {
        const TaskStep &step = *sequence.step(i);
        const TaskKind kind = step.kind();
        const QString head = QStringLiteral("%1. %2").arg(
            QString::number(i + 1), QString::fromLatin1(summaryKindLabels(kind).line));
        if (kind == TaskCalibration || kind == TaskHold || kind == TaskAutoScale) {
            lines << head;
        } else {
            const QString description =
                std::visit([](const auto &r) { return r.Description; }, step.record);
            lines << head + QStringLiteral(" (") + description + u')';
        }
    }
    return lines;
}

} // namespace stepvane
