// stepvane-cli info: a wizard's model, title, sequences and steps.
#include "cli/CliCommand.h"
#include "cli/CliWizard.h"
#include "document/NameTables.h"
#include "document/WorkingCopyDigests.h"

namespace stepvane::cli {
namespace {

const QString kSynopsis = QStringLiteral("info FILE [--model N] [--password PW]");

const CliOptions kOptions = wizardOptions();

int runInfo(const QStringList &argv)
{
    CliArgs args(argv, kOptions);
    int model = -1;
    if (const int stop = readWizardOptions(args, kSynopsis, model); stop != kContinue)
        return stop;

    setRestoredCopies(RestoredCopies::Named); // no attachment is looked at
    WizardDocument doc;
    OpenedWizard opened;
    if (const int stop = openWizardFromArgs(args, model, doc, opened); stop != kContinue)
        return stop;
    QStringList out;
    out << QStringLiteral("Model: %1").arg(modelName(opened.model));
    out << QStringLiteral("Title: %1").arg(doc.Title);
    out << QStringLiteral("Sequences: %1").arg(doc.sequenceCount());
    for (int i = 0; i < doc.sequenceCount(); ++i) {
        const TestingSequence *seq = doc.sequence(i);
        out << QStringLiteral("%1. %2").arg(i + 1).arg(seq->Title);
        for (const auto &step : seq->steps)
            out << QStringLiteral("    %1").arg(taskListName(step->kind()));
    }
    printOut(out.join(u'\n'));
    return kExitOk;
}

const CliRegistration reg{{
    QStringLiteral("info"),
    kSynopsis,
    QStringLiteral(
        "usage: stepvane-cli %1\n\n"
        "Prints the model, the title, the number of sequences and, for every sequence, its\n"
        "title and the list names of its steps.\n\n"
        "  FILE           a wizard (.wzd) or testing unit (.tuf) file\n"
        "  --model N      open for model N (0 VX310A, 1 VX320A, 2 VX330A, 3 VX340A); a file\n"
        "                 made for another model is refused. Default: the file's model.\n"
        "  --password PW  the wizard's password, when it has one\n"
        "  --password-file FILE\n"
        "                 the password read from FILE (\"-\": standard input); without\n"
        "                 either, the environment variable STEPVANE_PASSWORD")
        .arg(kSynopsis),
    runInfo,
    kOptions,
}};

} // namespace
} // namespace stepvane::cli
