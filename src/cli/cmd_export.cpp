// stepvane-cli export: the walk-through of a wizard as a static web page, for
// reviewers who do not run the editor.
#include "cli/CliCommand.h"
#include "cli/CliWizard.h"
#include "document/WorkingCopyDigests.h"
#include "print/PictureProbe.h"
#include "review/check/CheckedWalkthrough.h"
#include "summary/walkthrough/HtmlPage.h"
#include "summary/walkthrough/WalkHtml.h"

namespace stepvane::cli {
namespace {

const QString kSynopsis = QStringLiteral("export FILE --html DIR [--model N] [--password PW]");

const CliOptions kOptions =
    wizardOptions() + CliOptions{{QStringLiteral("--html"), CliValue::Folder}};

int runExport(const QStringList &argv)
{
    CliArgs args(argv, kOptions);
    int model = -1;
    if (const int stop = readWizardOptions(args, kSynopsis, model); stop != kContinue)
        return stop;
    const QString dir = args.value(QStringLiteral("--html"));
    if (dir.isEmpty())
        return usageError(kSynopsis, QStringLiteral("expected --html DIR"));
    // The attached files are looked at in memory; none is written but the
    // copies in the page's own folder.
    setRestoredCopies(RestoredCopies::Held);
    WizardDocument doc;
    OpenedWizard opened;
    if (const int stop = openWizardFromArgs(args, model, doc, opened); stop != kContinue)
        return stop;

    CheckOptions options;
    options.model = opened.model;
    options.testingUnit = opened.testingUnit;
    options.pictures = decodePicture;
    const Walkthrough walk = buildWalkthrough(doc, opened.model, checkWizard(doc, options));
    const WebPageResult result =
        exportWalkthroughPage(walk, dir, fileSha256(args.positionals().first()));
    for (const QString &problem : result.problems)
        printError(problem);
    if (!result.ok) {
        printError(result.error);
        return kExitFailure;
    }
    printOut(dir + QStringLiteral("/index.html"));
    return result.problems.isEmpty() ? kExitOk : kExitFailure;
}

const CliRegistration reg{{
    QStringLiteral("export"),
    kSynopsis,
    QStringLiteral(
        "usage: stepvane-cli %1\n\n"
        "Writes the wizard as the technician will meet it, step by step, as one static web\n"
        "page: DIR/index.html with the attached pictures in DIR/files. The page has a header\n"
        "(title, model, end option, the file's SHA-256), a contents list by sequence and one\n"
        "section per step: prompt lines with their pictures and how the step moves on, the\n"
        "settings in the testing summary's words, pass/fail conditions with what the\n"
        "technician is shown on a fail, the files save and report steps write, and the wizard\n"
        "check's findings. It needs no script and links nothing outside DIR, so the folder can\n"
        "be zipped and mailed; printed, each sequence starts on a new page.\n\n"
        "  FILE           a wizard (.wzd) or testing unit (.tuf) file\n"
        "  --html DIR     the folder to write (created when missing)\n"
        "  --model N      open for model N (0 VX310A, 1 VX320A, 2 VX330A, 3 VX340A);\n"
        "                 default: the file's model\n"
        "  --password PW  the wizard's password, when it has one\n"
        "  --password-file FILE\n"
        "                 the password read from FILE (\"-\": standard input); without\n"
        "                 either, the environment variable STEPVANE_PASSWORD\n\n"
        "Exit status: 0 written, 1 a file that cannot be read or written (or an attached\n"
        "file that could not be copied), 2 usage error.")
        .arg(kSynopsis),
    runExport,
    kOptions,
}};

} // namespace
} // namespace stepvane::cli
