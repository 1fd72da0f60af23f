// Reads back a PDF with poppler's command-line tools: the page count, the
// text of each page, and every word with its box in points.
#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <vector>

namespace stepvane::test {

struct PdfWord {
    int page = 0; // from 0
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    QString text;
};

struct PdfProbe {
    bool ok = false;
    QString error;
    int pages = 0;
    double pageWidth = 0, pageHeight = 0; // points, of the first page
    QStringList pageTexts;                // pdftotext -layout, one entry per page
    std::vector<PdfWord> words;

    // Runs pdfinfo, pdftotext -layout and pdftotext -bbox on the file.
    static PdfProbe read(const QString &pdfPath);
    // The page's lines with runs of blanks collapsed, for row lookups.
    QStringList simplifiedLines(int page) const;
    // The first page (from 0) with a line containing the simplified text, or -1.
    int pageOf(const QString &text) const;
};

namespace pdf_probe_detail {

inline bool run(const QString &program, const QStringList &args, QByteArray &out, QString &error)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted() || !p.waitForFinished(120000)) {
        error = program + " did not run";
        return false;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        error = program + " failed: " + QString::fromUtf8(p.readAllStandardError());
        return false;
    }
    out = p.readAllStandardOutput();
    return true;
}

} // namespace pdf_probe_detail

inline PdfProbe PdfProbe::read(const QString &pdfPath)
{
    PdfProbe probe;
    QByteArray info, layout, bbox;
    using pdf_probe_detail::run;
    if (!run("pdfinfo", {pdfPath}, info, probe.error) ||
        !run("pdftotext", {"-layout", "-enc", "UTF-8", pdfPath, "-"}, layout, probe.error) ||
        !run("pdftotext", {"-bbox", "-enc", "UTF-8", pdfPath, "-"}, bbox, probe.error))
        return probe;

    const auto pagesMatch =
        QRegularExpression(R"(^Pages:\s+(\d+)\s*$)", QRegularExpression::MultilineOption)
            .match(QString::fromUtf8(info));
    probe.pages = pagesMatch.hasMatch() ? pagesMatch.captured(1).toInt() : 0;

    probe.pageTexts = QString::fromUtf8(layout).split(u'\f');
    if (!probe.pageTexts.isEmpty() && probe.pageTexts.last().trimmed().isEmpty())
        probe.pageTexts.removeLast();

    // -bbox writes XHTML: <page width=".." height=".."> then <word xMin=..>text</word>.
    const QString html = QString::fromUtf8(bbox);
    static const QRegularExpression tag(
        R"re(<page width="([\d.]+)" height="([\d.]+)">|<word xMin="([\d.]+)" yMin="([\d.]+)" )re"
        R"re(xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    int page = -1;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (!m.captured(1).isEmpty()) {
            ++page;
            if (page == 0) {
                probe.pageWidth = m.captured(1).toDouble();
                probe.pageHeight = m.captured(2).toDouble();
            }
            continue;
        }
        PdfWord w;
        w.page = page, w.xMin = m.captured(3).toDouble(), w.yMin = m.captured(4).toDouble();
        w.xMax = m.captured(5).toDouble(), w.yMax = m.captured(6).toDouble();
        w.text = m.captured(7);
        w.text.replace("&amp;", "&")
            .replace("&lt;", "<")
            .replace("&gt;", ">")
            .replace("&quot;", "\"");
        probe.words.push_back(w);
    }
    probe.ok = true;
    return probe;
}

inline QStringList PdfProbe::simplifiedLines(int page) const
{
    QStringList lines;
    if (page < 0 || page >= pageTexts.size())
        return lines;
    for (const QString &line : pageTexts[page].split(u'\n'))
        lines << line.simplified();
    return lines;
}

inline int PdfProbe::pageOf(const QString &text) const
{
    const QString wanted = text.simplified();
    for (int p = 0; p < pageTexts.size(); ++p)
        for (const QString &line : simplifiedLines(p))
            if (line.contains(wanted))
                return p;
    return -1;
}

} // namespace stepvane::test
