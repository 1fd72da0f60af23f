// stepvane-cli check: the wizard check, for scripts and reviews.
#include "cli/CliCommand.h"
#include "cli/CliWizard.h"
#include "document/WorkingCopyDigests.h"
#include "print/PictureProbe.h"
#include "review/check/SendEstimate.h"
#include "review/check/WizardCheck.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace stepvane::cli {
namespace {

const QString kSynopsis = QStringLiteral("check FILE [--model N] [--password PW] [--json]");

const CliOptions kOptions = wizardOptions() + CliOptions{{QStringLiteral("--json")}};

int runCheck(const QStringList &argv)
{
    CliArgs args(argv, kOptions);
    int model = -1;
    if (const int stop = readWizardOptions(args, kSynopsis, model); stop != kContinue)
        return stop;
    // The attached files are looked at in memory; none is written.
    setRestoredCopies(RestoredCopies::Held);
    WizardDocument doc;
    const QString path = args.positionals().first();
    const OpenedWizard opened =
        openWizardFile(path, model, args.value(QStringLiteral("--password")),
                       args.has(QStringLiteral("--password")), doc);
    // An attached file the reader could not restore is a finding below;
    // its "Failed to Load" line would only say it twice.
    for (const QString &w : opened.warnings)
        if (!w.contains(QLatin1String("task item-Failed to Load")))
            printError(w);
    if (!opened.ok) {
        printError(opened.error);
        return kExitFailure;
    }

    CheckOptions options;
    options.model = opened.model;
    options.testingUnit = opened.testingUnit;
    options.pictures = decodePicture;
    const std::vector<Finding> findings = checkWizard(doc, options);
    // The file as it lies here is what a send would carry.
    const SendEstimate send = sendEstimateOfFile(path);
    if (args.has(QStringLiteral("--json"))) {
        QJsonObject json = findingsAsJson(findings, doc, opened.model);
        json.insert(QStringLiteral("send"),
                    QJsonObject{{QStringLiteral("bytes"), send.bytes},
                                {QStringLiteral("seconds"), double(send.milliseconds) / 1000.0}});
        printOut(QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Indented)));
    } else {
        QStringList lines = findingsAsText(findings, doc);
        lines << findingsTally(findings) << sendEstimateText(send);
        printOut(lines.join(u'\n'));
    }
    return errorCount(findings) > 0 ? kExitFailure : kExitOk;
}

const CliRegistration reg{{
    QStringLiteral("check"),
    kSynopsis,
    QStringLiteral(
        "usage: stepvane-cli %1\n\n"
        "Checks a wizard for its model before it reaches the field, and prints one line per\n"
        "finding: \"error:\" or \"warning:\", the sequence and step, the field in brackets and\n"
        "what is wrong, then the number of errors and warnings. Errors are what the instrument\n"
        "cannot do as written or what the file would lose: values outside the model's ranges,\n"
        "settings the model does not have, unknown codes, contradicting settings (start above\n"
        "stop, a condition on a marker no row sets, a mask mode without a mask file), missing,\n"
        "empty or damaged attached files, names the instrument's file system cannot hold, and\n"
        "more than the instrument's limits. Warnings are what is probably not meant (an empty\n"
        "title, a sequence without steps, a picture far larger than the screen, a setup file\n"
        "that does not read as a setup). A last line says how long sending the file takes at\n"
        "the protocol's pace (with --json: \"send\", its bytes and seconds).\n\n"
        "  FILE           a wizard (.wzd) or testing unit (.tuf) file\n"
        "  --model N      check for model N (0 VX310A, 1 VX320A, 2 VX330A, 3 VX340A); a file\n"
        "                 made for another model is refused. Default: the file's model.\n"
        "  --password PW  the wizard's password, when it has one\n"
        "  --password-file FILE\n"
        "                 the password read from FILE (\"-\": standard input); without\n"
        "                 either, the environment variable STEPVANE_PASSWORD\n"
        "  --json         print the findings as JSON\n\n"
        "Exit status: 0 no errors (warnings allowed), 1 errors or a file that cannot be read,\n"
        "2 usage error.")
        .arg(kSynopsis),
    runCheck,
    kOptions,
}};

} // namespace
} // namespace stepvane::cli
