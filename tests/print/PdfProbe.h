// Reads back a PDF with poppler's command-line tools: the page count, the
// text of each page, and every word with its box in points.
#pragma once

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

} // namespace stepvane::test
