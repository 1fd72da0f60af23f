// stepvane-cli merge: the three-way merge of wizards, also git's merge driver.
#include "cli/CliCommand.h"
#include "cli/CliWizard.h"
#include "document/VX_CAAXML_PARSER.h"
#include "review/merge/WizardMerge.h"

#include <QJsonDocument>

namespace stepvane::cli {
namespace {

const QString kSynopsis =
    QStringLiteral("merge BASE OURS THEIRS [-o OUT] [--json] [--password PW]");

// Writes the merged wizard (or its one sequence as a testing unit) through
// the writer and the atomic file; false with a message when it failed.
bool writeMerged(WizardDocument &doc, int model, bool testingUnit, const QString &out)
{
    CollectingMessageSink sink;
    VX_CAAXML_PARSER parser(&doc, model, &sink);
    parser.Reset_Document();
    if (testingUnit)
        parser.Write_Testing_Unit(0);
    else if (parser.Write_Wizard_Header(
                 out.mid(std::max(out.lastIndexOf(u'/'), out.lastIndexOf(u'\\')) + 1)))
        parser.Write_All_Sequences();
    for (const QString &text : sink.texts())
        printError(text.trimmed());
    // A working copy that went missing would leave a picture out unseen.
    if (!sink.messages.empty()) {
        printError(
            QStringLiteral("%1: not written, since attached files could not be read").arg(out));
        return false;
    }
    if (!parser.Save_Transformed(out)) {
        printError(QStringLiteral("%1: %2").arg(out, parser.Error_Text()));
        return false;
    }
    return true;
}

const CliOptions kOptions =
    CliOptions{{QStringLiteral("-o"), CliValue::File}, {QStringLiteral("--json"), CliValue::None}} +
    passwordOptions();

int runMerge(const QStringList &argv)
{
    CliArgs args(argv, kOptions);
    if (!args.ok())
        return usageError(kSynopsis, args.error());
    if (args.positionals().size() != 3)
        return usageError(kSynopsis, QStringLiteral("expected three files, BASE, OURS and THEIRS"));
    const QStringList &files = args.positionals();
    const QString out =
        args.has(QStringLiteral("-o")) ? args.value(QStringLiteral("-o")) : files.at(1);

    WizardDocument docs[3];
    OpenedWizard opened[3];
    for (int k = 0; k < 3; ++k)
        if (!openAndReport(files.at(k), -1, args, QStringLiteral("--password"), docs[k], opened[k],
                           true))
            return kExitUsage;
    const bool unit = opened[1].testingUnit;
    if (opened[0].testingUnit != unit || opened[2].testingUnit != unit) {
        printError(QStringLiteral("stepvane-cli: a wizard and a testing unit cannot be merged"));
        return kExitUsage;
    }

    WizardMergeResult merged = mergeWizards({docs[0], opened[0].model}, {docs[1], opened[1].model},
                                            {docs[2], opened[2].model});
    if (unit && merged.doc.sequenceCount() != 1) {
        printError(QStringLiteral("stepvane-cli: the merged testing unit has %1 sequences")
                       .arg(merged.doc.sequenceCount()));
        return kExitUsage;
    }
    if (!writeMerged(merged.doc, merged.model, unit, out))
        return kExitUsage;

    if (args.has(QStringLiteral("--json")))
        printOut(QString::fromUtf8(
            QJsonDocument(mergeAsJson(merged, out)).toJson(QJsonDocument::Indented)));
    else if (!merged.clean())
        printOut(mergeConflictsAsText(merged.conflicts).join(u'\n') +
                 QStringLiteral("\n%1: %2 conflict(s); ours' value is kept at each")
                     .arg(out)
                     .arg(merged.conflicts.size()));
    return merged.clean() ? kExitOk : kExitFailure;
}

const CliRegistration reg{{
    QStringLiteral("merge"),
    kSynopsis,
    QStringLiteral(
        "usage: stepvane-cli %1\n\n"
        "Merges the changes made from BASE to OURS and from BASE to THEIRS into OUT (default\n"
        "OURS). Sequences and steps are matched as `diff` matches them; attached pictures,\n"
        "mask and setup files are compared by their bytes. A change made on one side is\n"
        "taken, the same change made on both sides is taken once. A conflict is: one field or\n"
        "picture changed to different values; a step or sequence removed on one side and\n"
        "changed on the other; different insertions at one place (both are kept, ours first);\n"
        "a change of model or password on one side against any change on the other.\n"
        "With conflicts OUT is still a complete wizard holding ours' value at each of them,\n"
        "and each conflict is listed with its place and the base, ours and theirs values.\n"
        "Whether a file is a wizard or a testing unit is read from its content, so the\n"
        "command works as git's merge driver: stepvane-cli merge %O %A %B -o %A\n\n"
        "  BASE, OURS, THEIRS  wizard (.wzd) or testing unit (.tuf) files, all of one type\n"
        "  -o OUT              where the merged file goes (written only when complete)\n"
        "  --json              list the conflicts as JSON\n"
        "  --password PW       the password of the files that carry one\n"
        "  --password-file FILE\n"
        "                      the password read from FILE (\"-\": standard input); without\n"
        "                      either, the environment variable STEPVANE_PASSWORD\n\n"
        "Exit status: 0 merged, 1 merged with conflicts, 2 usage error, a file that cannot\n"
        "be read, or OUT not written.")
        .arg(kSynopsis),
    runMerge,
    kOptions,
}};

} // namespace
} // namespace stepvane::cli
