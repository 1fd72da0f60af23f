// stepvane-cli text: a wizard as stable lines for git's textconv.
#include "cli/CliCommand.h"
#include "cli/CliWizard.h"
#include "review/text/WizardText.h"

namespace stepvane::cli {
namespace {

const QString kSynopsis = QStringLiteral("text FILE [--password PW]");

const CliOptions kOptions = passwordOptions();

int runText(const QStringList &argv)
{
    CliArgs args(argv, kOptions);
    if (!args.ok())
        return usageError(kSynopsis, args.error());
    if (args.positionals().size() != 1)
        return usageError(kSynopsis, QStringLiteral("expected one FILE"));
    WizardDocument doc;
    OpenedWizard opened;
    if (!openAndReport(args.positionals().first(), -1, args, QStringLiteral("--password"), doc,
                       opened, true))
        return kExitFailure;
    printOut(wizardTextLines(doc, opened.model, opened.testingUnit).join(u'\n'));
    return kExitOk;
}

const CliRegistration reg{{
    QStringLiteral("text"),
    kSynopsis,
    QStringLiteral(
        "usage: stepvane-cli %1\n\n"
        "Prints a wizard or testing unit as stable lines for git diff, git log -p and git\n"
        "blame (git's textconv): the header one line per field, a heading per sequence and\n"
        "per step (its number, kind and description), then one \"Field = value\" line per\n"
        "stored setting in the order of the file, named as in the file. Attached pictures,\n"
        "mask and setup files show as name, size and SHA-256, never their bytes. The same\n"
        "wizard always gives the same text; a change of one field changes one line.\n"
        "Whether FILE is a wizard or a testing unit is read from its content.\n\n"
        "  --password PW  the file's password, when it has one\n"
        "  --password-file FILE\n"
        "                 the password read from FILE (\"-\": standard input); without\n"
        "                 either, the environment variable STEPVANE_PASSWORD\n\n"
        "Exit status: 0 printed, 1 the file cannot be read, 2 usage error.")
        .arg(kSynopsis),
    runText,
    kOptions,
}};

} // namespace
} // namespace stepvane::cli
