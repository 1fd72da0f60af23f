// The walk-through page. Every text from the wizard passes the page's
// escaping; the only links are the page's own anchors and the copies in
// files/. The page is built as UTF-8 in one buffer: a large wizard's page is
// megabytes, and building it from small strings cost more than writing it.
#include "summary/walkthrough/WalkHtml.h"

#include "summary/walkthrough/HtmlPage.h"

#include <charconv>

namespace stepvane {

namespace {

// The page being built: markup as it is, wizard texts escaped.
class Page {
public:
    explicit Page(qsizetype reserve) { m_out.reserve(reserve); }

    Page &operator<<(const char *markup)
    {
        m_out += markup;
        return *this;
    }
    Page &operator<<(qint64 number)
    {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
        m_out.append(digits, end - digits);
        return *this;
    }
    // A text of the program's own making (a link, a digest): as it is.
    Page &plain(const QString &text)
    {
        m_out += text.toUtf8();
        return *this;
    }
    Page &text(QStringView text)
    {
        appendHtmlEscaped(m_out, text);
        return *this;
    }
    QByteArray &bytes() { return m_out; }

private:
    QByteArray m_out;
};

void stepAnchor(Page &page, int sequence, int step)
{
    page << "s" << sequence + 1 << "-t" << step + 1;
}

// A text with its picture, the picture linked to its full-size copy.
void lineHtml(Page &page, const WalkLine &line, bool entry, HtmlExportFolder &folder)
{
    page << (entry ? "<div class=\"entry\">" : "<div class=\"line\">");
    if (line.text.isEmpty())
        page << "<span class=\"missing\">(no text)</span>";
    else
        page.text(line.text);
    if (line.hasPicture()) {
        const QString link = folder.addFile(line.picturePath, line.pictureName);
        if (link.isEmpty()) {
            page << "<div class=\"missing\">Picture ";
            page.text(line.pictureName) << " is missing.</div>";
        } else {
            page << "<a href=\"";
            page.plain(link) << "\"><img src=\"";
            page.plain(link) << "\" alt=\"";
            page.text(line.pictureName) << "\"></a>";
        }
    } else if (entry) {
        page << " <span class=\"warning\">(no picture)</span>";
    }
    page << "</div>\n";
}

void listHtml(Page &page, const QStringList &items)
{
    if (items.isEmpty())
        return;
    page << "<ul>\n";
    for (const QString &item : items) {
        page << "<li>";
        page.text(item) << "</li>\n";
    }
    page << "</ul>\n";
}

void findingsHtml(Page &page, const std::vector<WalkFinding> &findings)
{
    for (const WalkFinding &f : findings) {
        page << (f.error ? "<p class=\"finding-error\">Error: "
                         : "<p class=\"finding-warning\">Warning: ");
        page.text(f.message) << "</p>\n";
    }
}

void advanceHtml(Page &page, const WalkCard &card)
{
    switch (card.advance) {
    case WalkAdvance::Auto:
        page << "<p class=\"advance\">Moves on by itself after " << card.delaySeconds
             << " s.</p>\n";
        break;
    case WalkAdvance::Manual:
        page << "<p class=\"advance\">Moves on when the technician presses Next.</p>\n";
        break;
    case WalkAdvance::Instrument:
        break;
    }
}

void cardHtml(Page &page, const WalkCard &card, HtmlExportFolder &folder)
{
    page << "<div class=\"step\" id=\"";
    stepAnchor(page, card.sequence, card.step);
    page << "\">\n<h3>";
    // The heading "Step N: label (description)", escaped as one text.
    page << "Step " << card.step + 1 << ": ";
    page.text(card.label);
    if (!card.description.isEmpty()) {
        page << " (";
        page.text(card.description) << ")";
    }
    page << "</h3>\n";
    for (const WalkLine &line : card.lines)
        lineHtml(page, line, false, folder);
    listHtml(page, card.what);
    if (!card.files.isEmpty()) {
        page << "<p>Files:</p>\n";
        listHtml(page, card.files);
    }
    for (const QString &w : card.warnings) {
        page << "<p class=\"warning\">Warning: ";
        page.text(w) << "</p>\n";
    }
    if (card.passFail) {
        if (!card.condition.isEmpty()) {
            page << "<p>";
            page.text(card.condition) << "</p>\n";
        }
        page << "<p><span class=\"passes\">Passes</span>: the wizard goes on with the next "
                "step.</p>\n";
        page << "<p><span class=\"fails\">Fails</span>: ";
        page << (card.failEntries.empty() ? "the instrument shows the result only.</p>\n"
                                          : "the technician is shown:</p>\n");
        for (const WalkLine &entry : card.failEntries)
            lineHtml(page, entry, true, folder);
    }
    advanceHtml(page, card);
    findingsHtml(page, card.findings);
    page << "</div>\n";
}

void contentsHtml(Page &page, const Walkthrough &walk)
{
    page << "<div class=\"contents\">\n<h2>Contents</h2>\n<ol>\n";
    for (size_t s = 0; s < walk.sequences.size(); ++s) {
        const WalkSequence &ws = walk.sequences[s];
        page << "<li><a href=\"#s" << qint64(s) + 1 << "\">";
        page.text(ws.title) << "</a>\n";
        if (!ws.cards.empty()) {
            page << "<ol>\n";
            for (const WalkCard &card : ws.cards) {
                page << "<li><a href=\"#";
                stepAnchor(page, card.sequence, card.step);
                page << "\">";
                page.text(card.label);
                if (!card.description.isEmpty()) {
                    page << " (";
                    page.text(card.description) << ")";
                }
                page << "</a></li>\n";
            }
            page << "</ol>\n";
        }
        page << "</li>\n";
    }
    page << "<li><a href=\"#end\">End</a></li>\n</ol>\n</div>\n";
}

void headerHtml(Page &page, const Walkthrough &walk, const QString &sha256)
{
    page << "<div class=\"header\">\n<h1>";
    if (walk.title.isEmpty())
        page << "(no title)";
    else
        page.text(walk.title);
    page << "</h1>\n<table class=\"facts\">\n";
    const auto row = [&](const char *name, QStringView value) {
        page << "<tr><th>" << name << "</th><td>";
        page.text(value) << "</td></tr>\n";
    };
    row("Model", walk.model);
    row("End option", walk.endOption);
    row("Sequences", QString::number(walk.sequences.size()));
    row("SHA-256", sha256.isEmpty() ? QStringLiteral("(the wizard is not saved)") : sha256);
    page << "</table>\n";
    findingsHtml(page, walk.findings);
    page << "</div>\n";
}

} // namespace

WebPageResult exportWalkthroughPage(const Walkthrough &walk, const QString &dir,
                                    const QString &sha256)
{
    HtmlExportFolder folder(dir);
    if (!folder.prepare())
        return folder.result();
    qsizetype cards = 0;
    for (const WalkSequence &ws : walk.sequences)
        cards += qsizetype(ws.cards.size());
    // About 300 bytes a card; grown as needed.
    Page page(16384 + cards * 512);
    page.bytes() +=
        htmlPageStart(walk.title.isEmpty() ? QStringLiteral("Wizard") : walk.title).toUtf8();
    headerHtml(page, walk, sha256);
    contentsHtml(page, walk);
    for (size_t s = 0; s < walk.sequences.size(); ++s) {
        const WalkSequence &ws = walk.sequences[s];
        page << "<div class=\"sequence\" id=\"s" << qint64(s) + 1 << "\">\n<h2>Sequence "
             << qint64(s) + 1 << ": ";
        page.text(ws.title) << "</h2>\n";
        if (ws.cards.empty())
            page << "<p class=\"warning\">This sequence has no steps.</p>\n";
        for (const WalkCard &card : ws.cards)
            cardHtml(page, card, folder);
        page << "</div>\n";
    }
    page << "<div class=\"step\" id=\"end\">\n<h2>End</h2>\n";
    listHtml(page, walk.end.what);
    page << "</div>\n";
    return folder.finishUtf8(std::move(page.bytes()));
}

} // namespace stepvane
