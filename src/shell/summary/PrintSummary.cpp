// Print dialog, copies and the paint pass of the printed summary.
#include "shell/summary/PrintSummary.h"

#include "print/SummaryPrinter.h"
#include "shell/dialogs/DialogFolders.h"
#include "summary/SummaryRows.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>

namespace stepvane {

namespace {

bool showPrintDialog(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    return dialog.exec() == QDialog::Accepted;
}

void printSummary(QWidget *parent, const WizardDocument &doc, WizardDocument *storeInto, int model,
                  const PrinterChooser &choose)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Stepvane"));
    printer.setPageOrientation(QPageLayout::Portrait);
    const bool chosen = choose ? choose(printer, parent) : showPrintDialog(printer, parent);
    if (!chosen)
        return;
    if (storeInto)
        storeSummaryCenterAndSpan(*storeInto);
    if (!PrintSummaryOn(printer, doc, model))
        QMessageBox::warning(parent, QStringLiteral("Stepvane"),
                             QStringLiteral("The testing summary could not be printed."));
}

} // namespace

bool PrintSummaryOn(QPrinter &printer, const WizardDocument &doc, int model)
{
    // A printer that makes copies itself gets one; otherwise each copy is painted.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    const QString bound = dialogWizardPath();
    SummaryFooter footer;
    footer.fileName = bound.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(bound).fileName();
    footer.printed = QDate::currentDate();
    return paintSummary(printer, buildWizardSummary(doc, model), copies, nullptr, &footer);
}

void PrintSummary(QWidget *parent, WizardDocument &doc, int model, const PrinterChooser &choose)
{
    printSummary(parent, doc, &doc, model, choose);
}

void PrintSummary(QWidget *parent, const WizardDocument &doc, int model,
                  const PrinterChooser &choose)
{
    printSummary(parent, doc, nullptr, model, choose);
}

} // namespace stepvane
