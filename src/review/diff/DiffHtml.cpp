// The review diff page. The headings are the diff's own text lines (one
// sequence or step put through diffAsText), so the page and the terminal say
// the same; every text from a wizard passes htmlEscape.
#include "review/diff/DiffHtml.h"

#include "document/Attachments.h"
#include "summary/walkthrough/HtmlPage.h"

namespace stepvane {

namespace {

const char *changeClass(DiffChange change)
{
    switch (change) {
    case DiffChange::Added:
        return "added";
    case DiffChange::Removed:
        return "removed";
    case DiffChange::Moved:
        return "moved";
    case DiffChange::Changed:
        return "changed";
    }
    return "changed";
}

// The diff's own line for a sequence (steps left out) or for one of its steps.
QString sequenceHeading(const SequenceDiff &sequence)
{
    WizardDiff one;
    one.sequences.push_back(sequence);
    one.sequences.back().steps.clear();
    const QStringList lines = diffAsText(one);
    return lines.isEmpty() ? QString() : lines.first().trimmed();
}

QString stepHeading(const SequenceDiff &sequence, const StepDiff &step)
{
    WizardDiff one;
    one.sequences.push_back(sequence);
    one.sequences.back().steps = {step};
    one.sequences.back().steps.back().values.clear();
    const QStringList lines = diffAsText(one);
    return lines.size() > 1 ? lines.at(1).trimmed() : QString();
}

const TaskStep *stepOf(const WizardDocument &doc, int sequence, int step)
{
    const TestingSequence *s = doc.sequence(sequence);
    return s ? s->step(step) : nullptr;
}

// The attachment of a step that a content change names, by its label.
const AttachmentRef *attachmentOf(const std::vector<AttachmentRef> &all, const QString &label)
{
    for (const AttachmentRef &a : all)
        if (a.label == label)
            return &a;
    return nullptr;
}

QString attachmentCell(const AttachmentRef *a, HtmlExportFolder &folder)
{
    if (!a)
        return QStringLiteral("<td></td>");
    QString html = QStringLiteral("<td>") + htmlEscape(a->name);
    if (a->isPicture()) {
        const QString link = folder.addFile(a->path, a->name);
        if (!link.isEmpty())
            html += QStringLiteral("<br><a href=\"%1\"><img src=\"%1\" alt=\"%2\" "
                                   "style=\"max-width:320px;max-height:240px\"></a>")
                        .arg(link, htmlEscape(a->name));
    }
    return html + QStringLiteral("</td>");
}

QString valuesHtml(const SequenceDiff &sequence, const StepDiff &step, const DiffPageSide &oldSide,
                   const DiffPageSide &newSide, HtmlExportFolder &folder)
{
    if (step.values.empty())
        return step.hiddenChange ? QStringLiteral("<p>The records differ only where the summary "
                                                  "shows nothing.</p>\n")
                                 : QString();
    const TaskStep *oldStep = stepOf(oldSide.doc, sequence.oldIndex, step.oldIndex);
    const TaskStep *newStep = stepOf(newSide.doc, sequence.newIndex, step.newIndex);
    const std::vector<AttachmentRef> oldFiles =
        oldStep ? stepAttachments(*oldStep) : std::vector<AttachmentRef>();
    const std::vector<AttachmentRef> newFiles =
        newStep ? stepAttachments(*newStep) : std::vector<AttachmentRef>();
    QString html =
        QStringLiteral("<table class=\"values\">\n<tr><th></th><th>Old</th><th>New</th></tr>\n");
    for (const ValueDiff &v : step.values) {
        html += QStringLiteral("<tr><th>%1</th>").arg(htmlEscape(v.label));
        if (v.kind == ValueDiff::Content) {
            html += attachmentCell(attachmentOf(oldFiles, v.label), folder);
            html += attachmentCell(attachmentOf(newFiles, v.label), folder);
        } else {
            html += QStringLiteral("<td>%1</td><td>%2</td>")
                        .arg(htmlEscape(v.oldText), htmlEscape(v.newText));
        }
        html += QStringLiteral("</tr>\n");
    }
    return html + QStringLiteral("</table>\n");
}

QString headerHtml(const WizardDiff &diff, const DiffPageSide &oldSide, const DiffPageSide &newSide)
{
    QString html = QStringLiteral("<div class=\"header\">\n<h1>Review: %1 &#8594; %2</h1>\n"
                                  "<table class=\"facts\">\n")
                       .arg(htmlEscape(oldSide.name), htmlEscape(newSide.name));
    for (const DiffPageSide *side : {&oldSide, &newSide})
        html += QStringLiteral("<tr><th>%1</th><td>%2</td></tr>\n")
                    .arg(side == &oldSide ? QStringLiteral("Old SHA-256")
                                          : QStringLiteral("New SHA-256"),
                         htmlEscape(side->sha256));
    html += QStringLiteral("</table>\n");
    if (diff.isEqual())
        html += QStringLiteral("<p>The two wizards are equal.</p>\n");
    if (!diff.header.empty()) {
        html += QStringLiteral("<h2>Header</h2>\n<table class=\"values\">\n"
                               "<tr><th></th><th>Old</th><th>New</th></tr>\n");
        for (const ValueDiff &v : diff.header)
            html += QStringLiteral("<tr><th>%1</th><td>%2</td><td>%3</td></tr>\n")
                        .arg(htmlEscape(v.label), htmlEscape(v.oldText), htmlEscape(v.newText));
        html += QStringLiteral("</table>\n");
    }
    return html + QStringLiteral("</div>\n");
}

} // namespace

WebPageResult exportDiffPage(const WizardDiff &diff, const DiffPageSide &oldSide,
                             const DiffPageSide &newSide, const QString &dir)
{
    HtmlExportFolder folder(dir);
    if (!folder.prepare())
        return folder.result();
    QString html =
        htmlPageStart(QStringLiteral("Review: %1 \u2192 %2").arg(oldSide.name, newSide.name));
    html += headerHtml(diff, oldSide, newSide);
    if (!diff.sequences.empty()) {
        html += QStringLiteral("<div class=\"contents\">\n<h2>Contents</h2>\n<ol>\n");
        for (size_t i = 0; i < diff.sequences.size(); ++i)
            html += QStringLiteral("<li><a href=\"#d%1\">%2</a></li>\n")
                        .arg(i + 1)
                        .arg(htmlEscape(sequenceHeading(diff.sequences[i])));
        html += QStringLiteral("</ol>\n</div>\n");
    }
    for (size_t i = 0; i < diff.sequences.size(); ++i) {
        const SequenceDiff &sequence = diff.sequences[i];
        html += QStringLiteral("<div class=\"sequence\" id=\"d%1\">\n<h2 class=\"%2\">%3</h2>\n")
                    .arg(i + 1)
                    .arg(QLatin1String(changeClass(sequence.change)),
                         htmlEscape(sequenceHeading(sequence)));
        for (const StepDiff &step : sequence.steps)
            html += QStringLiteral("<div class=\"step %1\">\n<h3>%2</h3>\n%3</div>\n")
                        .arg(QLatin1String(changeClass(step.change)),
                             htmlEscape(stepHeading(sequence, step)),
                             valuesHtml(sequence, step, oldSide, newSide, folder));
        html += QStringLiteral("</div>\n");
    }
    return folder.finish(std::move(html));
}

} // namespace stepvane
