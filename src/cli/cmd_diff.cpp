// stepvane-cli diff: what changed between two wizards, for review.
#include "cli/CliCommand.h"
#include "cli/CliWizard.h"
#include "cli/DiffWebPage.h"
#include "document/WorkingCopyDigests.h"
#include "review/diff/WizardDiff.h"

#include <QJsonDocument>

namespace stepvane::cli {
namespace {

const QString kSynopsis = QStringLiteral("diff OLD NEW [--model N] [--password PW] [--old-password "
                                         "PW] [--new-password PW] [--json] [--html DIR]");
// Like diff(1): a file that cannot be read is trouble, not a difference.
constexpr int kExitTrouble = 2;

const CliOptions kOptions =
    wizardOptions() + passwordOptions(QStringLiteral("--old-password")) +
    passwordOptions(QStringLiteral("--new-password")) +
    CliOptions{{QStringLiteral("--json")}, {QStringLiteral("--html"), CliValue::Folder}};

bool openSide(const QString &path, int model, const CliArgs &args, const QString &ownOption,
              WizardDocument &doc, OpenedWizard &opened)
{
    const QString option = args.has(ownOption) ? ownOption : QStringLiteral("--password");
    return openAndReport(path, model, args, option, doc, opened);
}

int runDiff(const QStringList &argv)
{
    CliArgs args(argv, kOptions);
    int model = -1;
    if (!args.ok() || !args.intValue(QStringLiteral("--model"), model))
        return usageError(kSynopsis, args.error());
    if (args.positionals().size() != 2)
        return usageError(kSynopsis, QStringLiteral("expected two files, OLD and NEW"));
    if (args.has(QStringLiteral("--model")) && (model < 0 || model > 3))
        return usageError(kSynopsis, QStringLiteral("--model must be 0 to 3"));

    // Attachments are compared by digest; only the web page copies pictures,
    // from the bytes held in memory.
    setRestoredCopies(args.has(QStringLiteral("--html")) ? RestoredCopies::Held
                                                         : RestoredCopies::Digested);
    WizardDocument oldDoc, newDoc;
    OpenedWizard oldOpened, newOpened;
    if (!openSide(args.positionals().at(0), model, args, QStringLiteral("--old-password"), oldDoc,
                  oldOpened) ||
        !openSide(args.positionals().at(1), model, args, QStringLiteral("--new-password"), newDoc,
                  newOpened))
        return kExitTrouble;

    const WizardDiff diff = diffWizards({oldDoc, oldOpened.model}, {newDoc, newOpened.model});
    if (args.has(QStringLiteral("--html"))) {
        if (!writeDiffWebPage(diff, oldDoc, args.positionals().at(0), newDoc,
                              args.positionals().at(1), args.value(QStringLiteral("--html"))))
            return kExitTrouble;
    } else if (args.has(QStringLiteral("--json"))) {
        printOut(
            QString::fromUtf8(QJsonDocument(diffAsJson(diff)).toJson(QJsonDocument::Indented)));
    } else if (!diff.isEqual()) {
        printOut(diffAsText(diff).join(u'\n'));
    }
    return diff.isEqual() ? kExitOk : kExitFailure;
}

const CliRegistration reg{{
    QStringLiteral("diff"),
    kSynopsis,
    QStringLiteral(
        "usage: stepvane-cli %1\n\n"
        "Shows what changed from OLD to NEW, for review: the header (title, model, end option,\n"
        "whether a password is set), then every sequence and step that was added, removed,\n"
        "moved or changed. A changed step lists its values in the words of the testing summary\n"
        "as \"old \u2192 new\"; attached pictures, mask and setup files are compared by their "
        "bytes.\n"
        "Steps are matched on their content, so an inserted step shows as one added step.\n"
        "Positions count from 1; a removed item is numbered as it was in OLD.\n\n"
        "  OLD, NEW          wizard (.wzd) or testing unit (.tuf) files\n"
        "  --model N         open both for model N (0 VX310A, 1 VX320A, 2 VX330A, 3 VX340A);\n"
        "                    default: each file's own model\n"
        "  --password PW     the password of either file, when it has one\n"
        "  --old-password PW, --new-password PW\n"
        "                    the password of one file, when the two differ\n"
        "  --password-file FILE, --old-password-file FILE, --new-password-file FILE\n"
        "                    the same, read from FILE (\"-\": standard input); without\n"
        "                    --password or --password-file, the environment variable\n"
        "                    STEPVANE_PASSWORD\n"
        "  --json            print the differences as JSON\n"
        "  --html DIR        write the differences as a web page: DIR/index.html, with\n"
        "                    changed pictures old and new side by side in DIR/files\n\n"
        "Exit status: 0 equal, 1 different, 2 usage error or a file that cannot be read.")
        .arg(kSynopsis),
    runDiff,
    kOptions,
}};

} // namespace
} // namespace stepvane::cli
