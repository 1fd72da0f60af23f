// The printed summary as a PDF file, for callers without a print dialog (the
// command line). The file is replaced only when the whole document was written.
#pragma once

#include "summary/SummaryRows.h"

#include <QString>

#include <vector>

namespace stepvane {

struct SummaryPdfResult {
    bool ok = false;
    QString error; // why the file was not written
    int pages = 0;
};

struct SummaryFooter;

// A4 portrait with 15 mm margins. Needs a QGuiApplication (fonts). With a
// footer, each page ends with the file name, "Page N of M" and the date.
SummaryPdfResult writeSummaryPdf(const QString &path, const std::vector<SummaryItem> &items,
                                 const SummaryFooter *footer = nullptr);

constexpr double kSummaryPdfMarginMm = 15.0;

} // namespace stepvane
