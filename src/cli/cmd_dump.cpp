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
    if (const int stop = readWizardOptions(args, kSynopsis, model); stop != kContinue)
        return stop;

    // The JSON names the restored files, so they must outlive this run.
    if (args.has(QStringLiteral("--extract-dir")))
        WorkingCopies::instance().setBaseFolder(args.value(QStringLiteral("--extract-dir")));
    WorkingCopies::instance().setKeepOnExit(true);

    WizardDocument doc;
    OpenedWizard opened;
    if (const int stop = openWizardFromArgs(args, model, doc, opened); stop != kContinue)
        return stop;
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
