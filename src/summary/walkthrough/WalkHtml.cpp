// The walk-through page. Every text from the wizard passes htmlEscape; the
// only links are the page's own anchors and the copies in files/.
#include "summary/walkthrough/WalkHtml.h"

#include "summary/walkthrough/HtmlPage.h"

namespace stepvane {

namespace {

QString stepAnchor(int sequence, int step)
{
    return QStringLiteral("s%1-t%2").arg(sequence + 1).arg(step + 1);
}

QString stepHeading(const WalkCard &card)
{
    QString text = QStringLiteral("Step %1: %2").arg(card.step + 1).arg(card.label);
    if (!card.description.isEmpty())
        text += QStringLiteral(" (%1)").arg(card.description);
    return text;
}

// A text with its picture, the picture linked to its full-size copy.
QString lineHtml(const WalkLine &line, const char *cssClass, HtmlExportFolder &folder)
{
    QString html = QStringLiteral("<div class=\"%1\">").arg(QLatin1String(cssClass));
    html += line.text.isEmpty() ? QStringLiteral("<span class=\"missing\">(no text)</span>")
                                : htmlEscape(line.text);
    if (line.hasPicture()) {
        const QString link = folder.addFile(line.picturePath, line.pictureName);
        if (link.isEmpty())
            html += QStringLiteral("<div class=\"missing\">Picture %1 is missing.</div>")
                        .arg(htmlEscape(line.pictureName));
        else
            html += QStringLiteral("<a href=\"%1\"><img src=\"%1\" alt=\"%2\"></a>")
                        .arg(link, htmlEscape(line.pictureName));
    } else if (QLatin1String(cssClass) == QLatin1String("entry")) {
        html += QStringLiteral(" <span class=\"warning\">(no picture)</span>");
    }
    return html + QStringLiteral("</div>\n");
}

QString listHtml(const QStringList &items, const char *cssClass = nullptr)
{
    if (items.isEmpty())
        return QString();
    QString html = cssClass ? QStringLiteral("<ul class=\"%1\">\n").arg(QLatin1String(cssClass))
                            : QStringLiteral("<ul>\n");
    for (const QString &item : items)
        html += QStringLiteral("<li>%1</li>\n").arg(htmlEscape(item));
    return html + QStringLiteral("</ul>\n");
}

QString findingsHtml(const std::vector<WalkFinding> &findings)
{
    QString html;
    for (const WalkFinding &f : findings)
        html +=
            QStringLiteral("<p class=\"%1\">%2: %3</p>\n")
                .arg(f.error ? QStringLiteral("finding-error") : QStringLiteral("finding-warning"),
                     f.error ? QStringLiteral("Error") : QStringLiteral("Warning"),
                     htmlEscape(f.message));
    return html;
}

QString advanceHtml(const WalkCard &card)
{
    switch (card.advance) {
    case WalkAdvance::Auto:
        return QStringLiteral("<p class=\"advance\">Moves on by itself after %1 s.</p>\n")
            .arg(card.delaySeconds);
    case WalkAdvance::Manual:
        return QStringLiteral(
            "<p class=\"advance\">Moves on when the technician presses Next.</p>\n");
    case WalkAdvance::Instrument:
        break;
    }
    return QString();
}

QString cardHtml(const WalkCard &card, HtmlExportFolder &folder)
{
    QString html = QStringLiteral("<div class=\"step\" id=\"%1\">\n<h3>%2</h3>\n")
                       .arg(stepAnchor(card.sequence, card.step), htmlEscape(stepHeading(card)));
    for (const WalkLine &line : card.lines)
        html += lineHtml(line, "line", folder);
    html += listHtml(card.what);
    if (!card.files.isEmpty())
        html += QStringLiteral("<p>Files:</p>\n") + listHtml(card.files);
    for (const QString &w : card.warnings)
        html += QStringLiteral("<p class=\"warning\">Warning: %1</p>\n").arg(htmlEscape(w));
    if (card.passFail) {
        if (!card.condition.isEmpty())
            html += QStringLiteral("<p>%1</p>\n").arg(htmlEscape(card.condition));
        html += QStringLiteral("<p><span class=\"passes\">Passes</span>: the wizard goes on "
                               "with the next step.</p>\n");
        html += QStringLiteral("<p><span class=\"fails\">Fails</span>: ");
        html += card.failEntries.empty()
                    ? QStringLiteral("the instrument shows the result only.</p>\n")
                    : QStringLiteral("the technician is shown:</p>\n");
        for (const WalkLine &entry : card.failEntries)
            html += lineHtml(entry, "entry", folder);
    }
    html += advanceHtml(card);
    html += findingsHtml(card.findings);
    return html + QStringLiteral("</div>\n");
}

QString contentsHtml(const Walkthrough &walk)
{
    QString html = QStringLiteral("<div class=\"contents\">\n<h2>Contents</h2>\n<ol>\n");
    for (size_t s = 0; s < walk.sequences.size(); ++s) {
        const WalkSequence &ws = walk.sequences[s];
        html +=
            QStringLiteral("<li><a href=\"#s%1\">%2</a>\n").arg(s + 1).arg(htmlEscape(ws.title));
        if (!ws.cards.empty()) {
            html += QStringLiteral("<ol>\n");
            for (const WalkCard &card : ws.cards)
                html += QStringLiteral("<li><a href=\"#%1\">%2</a></li>\n")
                            .arg(stepAnchor(card.sequence, card.step),
                                 htmlEscape(card.description.isEmpty()
                                                ? card.label
                                                : card.label + QStringLiteral(" (") +
                                                      card.description + u')'));
            html += QStringLiteral("</ol>\n");
        }
        html += QStringLiteral("</li>\n");
    }
    return html + QStringLiteral("<li><a href=\"#end\">End</a></li>\n</ol>\n</div>\n");
}

QString headerHtml(const Walkthrough &walk, const QString &sha256)
{
    QString html =
        QStringLiteral("<div class=\"header\">\n<h1>%1</h1>\n<table class=\"facts\">\n")
            .arg(walk.title.isEmpty() ? QStringLiteral("(no title)") : htmlEscape(walk.title));
    const auto row = [&](const QString &name, const QString &value) {
        html += QStringLiteral("<tr><th>%1</th><td>%2</td></tr>\n").arg(name, htmlEscape(value));
    };
    row(QStringLiteral("Model"), walk.model);
    row(QStringLiteral("End option"), walk.endOption);
    row(QStringLiteral("Sequences"), QString::number(walk.sequences.size()));
    row(QStringLiteral("SHA-256"),
        sha256.isEmpty() ? QStringLiteral("(the wizard is not saved)") : sha256);
    return html + QStringLiteral("</table>\n") + findingsHtml(walk.findings) +
           QStringLiteral("</div>\n");
}

} // namespace

WebPageResult exportWalkthroughPage(const Walkthrough &walk, const QString &dir,
                                    const QString &sha256)
{
    HtmlExportFolder folder(dir);
    if (!folder.prepare())
        return folder.result();
    QString html = htmlPageStart(walk.title.isEmpty() ? QStringLiteral("Wizard") : walk.title);
    html += headerHtml(walk, sha256);
    html += contentsHtml(walk);
    for (size_t s = 0; s < walk.sequences.size(); ++s) {
        const WalkSequence &ws = walk.sequences[s];
        html += QStringLiteral("<div class=\"sequence\" id=\"s%1\">\n<h2>Sequence %1: %2</h2>\n")
                    .arg(s + 1)
                    .arg(htmlEscape(ws.title));
        if (ws.cards.empty())
            html += QStringLiteral("<p class=\"warning\">This sequence has no steps.</p>\n");
        for (const WalkCard &card : ws.cards)
            html += cardHtml(card, folder);
        html += QStringLiteral("</div>\n");
    }
    html += QStringLiteral("<div class=\"step\" id=\"end\">\n<h2>End</h2>\n") +
            listHtml(walk.end.what) + QStringLiteral("</div>\n");
    return folder.finish(std::move(html));
}

} // namespace stepvane
