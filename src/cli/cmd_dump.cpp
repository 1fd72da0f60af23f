// stepvane-cli dump: a wizard as read, as JSON on stdout.
#include "cli/CliCommand.h"
#include "cli/CliWizard.h"
#include "cli/WizardJson.h"
#include "document/WorkingCopies.h"

#include <QJsonDocument>

namespace stepvane::cli {
namespace {

const QString kSynopsis =
    QStringLiteral("dump FILE [--model N] [--password PW] [--extract-dir DIR]");

int runDump(const QStringList &argv)
{
    CliArgs args(argv, {QStringLiteral("--model"), QStringLiteral("--password"),
                        QStringLiteral("--extract-dir")});
    int model = -1;
    if (!args.ok() || !args.intValue(QStringLiteral("--model"), model))
        return usageError(kSynopsis, args.error());
    if (args.positionals().size() != 1)
        return usageError(kSynopsis, QStringLiteral("expected one FILE"));
    if (args.has(QStringLiteral("--model")) && (model < 0 || model > 3))
        return usageError(kSynopsis, QStringLiteral("--model must be 0 to 3"));

    // The JSON names the restored files, so they must outlive this run.
    if (args.has(QStringLiteral("--extract-dir")))
        WorkingCopies::instance().setBaseFolder(args.value(QStringLiteral("--extract-dir")));
    WorkingCopies::instance().setKeepOnExit(true);

    WizardDocument doc;
    const OpenedWizard opened =
        openWizardFile(args.positionals().first(), model, args.value(QStringLiteral("--password")),
                       args.has(QStringLiteral("--password")), doc);
    for (const QString &w : opened.warnings)
        printError(w);
    if (!opened.ok) {
        printError(opened.error);
        return kExitFailure;
    }
    printOut(QString::fromUtf8(QJsonDocument(wizardToJson(doc, opened.model)).toJson(QJsonDocument::Indented)));
    return kExitOk;
}

const CliRegistration reg{{
    QStringLiteral("dump"),
    kSynopsis,
    QStringLiteral(
        "usage: stepvane-cli %1\n\n"
        "Reads a wizard (.wzd) or testing unit (.tuf) and prints it as JSON: model, Title,\n"
        "PW (only when set), SeqEndOption and the sequences with their steps' records.\n"
        "Embedded files are restored into a folder that is kept, so the paths in the JSON\n"
        "stay valid; --extract-dir DIR puts them under DIR instead of the temporary folder.\n\n"
        "  --model N      open for model N (0..3); default: the file's model\n"
        "  --password PW  the wizard's password, when it has one")
        .arg(kSynopsis),
    runDump,
}};

} // namespace
} // namespace stepvane::cli
