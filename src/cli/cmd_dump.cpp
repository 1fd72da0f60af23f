// stepvane-cli dump: a wizard as read, as JSON on stdout.
#include "cli/CliCommand.h"
#include "cli/CliWizard.h"
#include "cli/WizardJson.h"
#include "document/WorkingCopies.h"
#include "document/WorkingCopyDigests.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace stepvane::cli {
namespace {

const QString kSynopsis =
    QStringLiteral("dump FILE [--model N] [--password PW] [--extract-dir DIR]");

// Empty when files can be created in folder (tried, not guessed from the
// permission bits); otherwise why not.
QString folderProblem(const QString &folder)
{
    if (folder.isEmpty())
        return QStringLiteral("cannot be used as a folder");
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".stepvane-probe-XXXXXX")));
    if (!probe.open())
        return QStringLiteral("files cannot be created there (%1)").arg(probe.errorString());
    return QString();
}

const CliOptions kOptions =
    wizardOptions() + CliOptions{{QStringLiteral("--extract-dir"), CliValue::Folder}};

int runDump(const QStringList &argv)
{
    CliArgs args(argv, kOptions);
    int model = -1;
    if (const int stop = readWizardOptions(args, kSynopsis, model); stop != kContinue)
        return stop;

    // The JSON names the restored files, so they must outlive this run, and a
    // folder that cannot take them fails the dump before anything is printed.
    if (args.has(QStringLiteral("--extract-dir"))) {
        const QString dir = args.value(QStringLiteral("--extract-dir"));
        if (QFileInfo(QDir::cleanPath(dir)).isSymLink()) {
            printError(QStringLiteral("%1: is a symbolic link; choose another folder").arg(dir));
            return kExitFailure;
        }
        WorkingCopies::instance().setBaseFolder(dir);
        if (const QString problem = folderProblem(WorkingCopies::instance().folder());
            !problem.isEmpty()) {
            printError(QStringLiteral("%1: %2").arg(dir, problem));
            return kExitFailure;
        }
    }
    WorkingCopies::instance().setKeepOnExit(true);
    // The files are for whoever reads the JSON; nothing here compares them.
    setRestoredCopies(RestoredCopies::Extracted);

    WizardDocument doc;
    OpenedWizard opened;
    if (const int stop = openWizardFromArgs(args, model, doc, opened); stop != kContinue)
        return stop;
    // The JSON would name files that are not there.
    if (!opened.restoreFailures.isEmpty()) {
        for (const QString &failure : opened.restoreFailures)
            printError(QStringLiteral("cannot restore %1").arg(failure));
        return kExitFailure;
    }
    printOutUtf8(wizardJsonText(doc, opened.model));
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
        "stay valid; --extract-dir DIR puts them under DIR instead of the temporary folder.\n"
        "An attached file the instrument would not show (a damaged size or data) is named\n"
        "on stderr and the file is shown as it is; one that cannot be written (a full disk)\n"
        "fails the dump with exit status 1.\n\n"
        "  --model N      open for model N (0..3); default: the file's model\n"
        "  --password PW  the wizard's password, when it has one\n"
        "  --password-file FILE\n"
        "                 the password read from FILE (\"-\": standard input); without\n"
        "                 either, the environment variable STEPVANE_PASSWORD")
        .arg(kSynopsis),
    runDump,
    kOptions,
}};

} // namespace
} // namespace stepvane::cli
