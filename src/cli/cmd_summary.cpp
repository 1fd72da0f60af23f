// stepvane-cli summary: the testing summary of a wizard as text rows or as the
// printed table document in a PDF file.
#include "cli/CliCommand.h"
#include "cli/CliWizard.h"
#include "document/WorkingCopyDigests.h"
#include "print/SummaryPdf.h"
#include "print/SummaryPrinter.h"
#include "summary/SummaryRows.h"

#include <QFileInfo>

namespace stepvane::cli {
namespace {

const QString kSynopsis =
    QStringLiteral("summary FILE [--model N] [--password PW] [--pdf OUT.pdf]");

// True when both paths name the same existing file.
bool sameFile(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

const CliOptions kOptions = wizardOptions() + CliOptions{{QStringLiteral("--pdf"), CliValue::File}};

int runSummary(const QStringList &argv)
{
    CliArgs args(argv, kOptions);
    int model = -1;
    if (const int stop = readWizardOptions(args, kSynopsis, model); stop != kContinue)
        return stop;
    const QString in = args.positionals().first();
    const QString pdf = args.value(QStringLiteral("--pdf"));
    if (args.has(QStringLiteral("--pdf")) && pdf.isEmpty())
        return usageError(kSynopsis, QStringLiteral("--pdf needs a file name"));
    // Writing the PDF over the wizard would destroy it.
    if (!pdf.isEmpty() && sameFile(in, pdf)) {
        printError(QStringLiteral("%1: the PDF would replace the wizard file").arg(pdf));
        return kExitFailure;
    }

    setRestoredCopies(RestoredCopies::Named); // no attachment is looked at
    WizardDocument doc;
    OpenedWizard opened;
    if (const int stop = openWizardFromArgs(args, model, doc, opened); stop != kContinue)
        return stop;

    const std::vector<SummaryItem> items = buildWizardSummary(doc, opened.model);
    if (pdf.isEmpty()) {
        printOut(summaryAsText(items).join(u'\n'));
        return kExitOk;
    }
    SummaryFooter footer;
    footer.fileName = QFileInfo(in).fileName();
    footer.printed = QDate::currentDate();
    const SummaryPdfResult written = writeSummaryPdf(pdf, items, &footer);
    if (!written.ok) {
        printError(QStringLiteral("%1: %2").arg(pdf, written.error));
        return kExitFailure;
    }
    return kExitOk;
}

const CliRegistration reg{{
    QStringLiteral("summary"),
    kSynopsis,
    QStringLiteral(
        "usage: stepvane-cli %1\n\n"
        "Prints the testing summary of a wizard: the header rows, then for every sequence its\n"
        "heading and one block of rows per step. Without --pdf the rows are printed as text,\n"
        "one row per line, the two cells separated by \" | \" (a \"|\" typed inside a text is\n"
        "shown as \"%2\", so it never starts a cell). With --pdf the summary is written as the\n"
        "printed table document (A4 portrait) to OUT.pdf; no display is needed.\n\n"
        "  FILE           a wizard (.wzd) or testing unit (.tuf) file\n"
        "  --model N      open for model N (0 VX310A, 1 VX320A, 2 VX330A, 3 VX340A); a file\n"
        "                 made for another model is refused. Default: the file's model.\n"
        "  --password PW  the wizard's password, when it has one\n"
        "  --password-file FILE\n"
        "                 the password read from FILE (\"-\": standard input); without\n"
        "                 either, the environment variable STEPVANE_PASSWORD\n"
        "  --pdf OUT.pdf  write the PDF instead of the text; an existing OUT.pdf is replaced\n"
        "                 only when the whole document was written")
        .arg(kSynopsis, QString(kUserBar)),
    runSummary,
    kOptions,
}};

} // namespace
} // namespace stepvane::cli
