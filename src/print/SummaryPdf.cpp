// Writing the printed summary to a PDF file through an AtomicFile, so a failed
// run leaves any earlier file untouched and no partial file behind.
#include "print/SummaryPdf.h"

#include "common/AtomicFile.h"
#include "document/NameTables.h"
#include "print/SummaryPrinter.h"

#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

namespace stepvane {

SummaryPdfResult writeSummaryPdf(const QString &path, const std::vector<SummaryItem> &items,
                                 const SummaryFooter *footer)
{
    SummaryPdfResult result;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        result.error = QStringLiteral("PDF output needs a graphical application object");
        return result;
    }
    AtomicFile file(path);
    if (!file.open()) {
        result.error = file.errorText();
        return result;
    }
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        const double m = kSummaryPdfMarginMm;
        writer.setPageMargins(QMarginsF(m, m, m, m), QPageLayout::Millimeter);
        writer.setTitle(QStringLiteral("Stepvane"));
        writer.setCreator(QStringLiteral("Stepvane %1").arg(kApplicationVersion));
        if (!paintSummary(writer, items, 1, &result.pages, footer)) {
            file.discard();
            result.error = QStringLiteral("the summary could not be painted");
            return result;
        }
    }
    // QPdfWriter does not check its writes; the file remembers a failed one.
    if (!file.commit()) {
        result.error = file.errorText();
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace stepvane
