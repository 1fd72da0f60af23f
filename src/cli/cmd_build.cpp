// stepvane-cli build: writes a wizard, or one sequence as a testing unit, from JSON.
#include "cli/CliCommand.h"
#include "cli/CliWizard.h"
#include "cli/WizardJson.h"
#include "common/FileKind.h"
#include "document/VX_CAAXML_PARSER.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

namespace stepvane::cli {
namespace {

const QString kSynopsis = QStringLiteral(
    "build IN.json OUT.wzd [--keep-going] | build IN.json OUT.tuf --sequence K [--keep-going]");

const CliOptions kOptions{{QStringLiteral("--sequence"), CliValue::Text},
                          {QStringLiteral("--keep-going")}};

int runBuild(const QStringList &argv)
{
    CliArgs args(argv, kOptions);
    int sequence = -1;
    if (!args.ok() || !args.intValue(QStringLiteral("--sequence"), sequence))
        return usageError(kSynopsis, args.error());
    if (args.positionals().size() != 2)
        return usageError(kSynopsis, QStringLiteral("expected IN.json and an output file"));
    const QString in = args.positionals().at(0);
    const QString out = args.positionals().at(1);
    const bool unit = isTestingUnitPath(out);
    if (unit && !args.has(QStringLiteral("--sequence")))
        return usageError(kSynopsis, QStringLiteral("a .tuf output needs --sequence K"));
    if (!unit && args.has(QStringLiteral("--sequence")))
        return usageError(kSynopsis, QStringLiteral("--sequence goes with a .tuf output"));

    // Checked first: opening a fifo would wait for a writer forever.
    if (const QString problem = notARegularFile(in); !problem.isEmpty()) {
        printError(QStringLiteral("%1: %2").arg(in, problem));
        return kExitFailure;
    }
    QFile file(in);
    if (!file.open(QIODevice::ReadOnly)) {
        printError(QStringLiteral("%1: cannot be read (%2)").arg(in, file.errorString()));
        return kExitFailure;
    }
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!json.isObject()) {
        printError(QStringLiteral("%1: not a JSON object (%2)").arg(in, parseError.errorString()));
        return kExitFailure;
    }
    WizardDocument doc;
    const JsonBuildResult built = wizardFromJson(json.object(), QFileInfo(in).absolutePath(), doc);
    if (!built.ok) {
        printError(QStringLiteral("%1: %2").arg(in, built.error));
        return kExitFailure;
    }
    // Every attached file named is read as named or refused, with or without
    // its size given (an unsized one used to vanish without a word).
    for (const QString &problem : built.unreadable)
        printError(QStringLiteral("%1: cannot attach %2").arg(in, problem));
    if (!built.unreadable.isEmpty() && !args.has(QStringLiteral("--keep-going"))) {
        printError(QStringLiteral("%1: not written, since %2 attached file(s) could not be read "
                                  "(--keep-going writes it without them)")
                       .arg(out)
                       .arg(built.unreadable.size()));
        return kExitFailure;
    }
    if (unit && !doc.sequence(sequence)) {
        printError(QStringLiteral("%1: there is no sequence %2").arg(in).arg(sequence));
        return kExitFailure;
    }
    CollectingMessageSink sink;
    VX_CAAXML_PARSER parser(&doc, built.model, &sink);
    // The tree first: an attached file that cannot be read is known before
    // the output is touched.
    parser.Reset_Document();
    if (unit)
        parser.Write_Testing_Unit(sequence);
    else if (parser.Write_Wizard_Header(
                 out.mid(std::max(out.lastIndexOf(u'/'), out.lastIndexOf(u'\\')) + 1)))
        parser.Write_All_Sequences();
    // The JSON reader refuses such texts first; the writer's own check stays
    // the last word.
    if (const QString unwritable = parser.Unwritable_Message(); !unwritable.isEmpty()) {
        printError(QStringLiteral("%1: %2").arg(out, unwritable));
        return kExitFailure;
    }
    for (const QString &text : sink.texts())
        printError(text.trimmed());
    if (!sink.messages.empty() && !args.has(QStringLiteral("--keep-going"))) {
        printError(QStringLiteral("%1: not written, since %2 attached file(s) could not be read "
                                  "(--keep-going writes it without them)")
                       .arg(out)
                       .arg(sink.messages.size()));
        return kExitFailure;
    }
    if (!parser.Save_Transformed(out)) {
        printError(QStringLiteral("%1: %2").arg(out, parser.Error_Text()));
        return kExitFailure;
    }
    return kExitOk;
}

const CliRegistration reg{{
    QStringLiteral("build"),
    kSynopsis,
    QStringLiteral(
        "usage: stepvane-cli build IN.json OUT.wzd [--keep-going]\n"
        "       stepvane-cli build IN.json OUT.tuf --sequence K [--keep-going]\n\n"
        "Writes a wizard from JSON in the form `dump` prints, or sequence K (0-based) as a\n"
        "testing unit. Missing fields take the defaults of a new step for the wizard's model;\n"
        "\"kind\" wins over \"name\"; relative attachment paths are taken from the JSON file's\n"
        "folder; a missing size is the file's size and a missing picture width or height is\n"
        "read from the picture. The output file is replaced only when writing succeeded.\n\n"
        "  --keep-going  write the file even when an attached file it names cannot be read\n"
        "                (it is left out, with a message); without it nothing is written\n"
        "                and the exit status is 1."),
    runBuild,
    kOptions,
}};

} // namespace
} // namespace stepvane::cli
