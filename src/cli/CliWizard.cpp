// Wizard opening shared by the CLI commands.
#include "cli/CliWizard.h"

#include "cli/CliCommand.h"

#include "common/FileKind.h"
#include "document/NameTables.h"
#include "document/VX_CAAXML_PARSER.h"
#include "instrument_files/LanguageInfo.h"

#include <QFile>

namespace stepvane::cli {

namespace {

// The parser's error, with the limit the file broke when it was refused
// before parsing.
QString loadFailure(const VX_CAAXML_PARSER &parser)
{
    if (parser.Load_Problem().isEmpty())
        return parser.Error_Text();
    return QStringLiteral("%1 (%2)").arg(parser.Error_Text(), parser.Load_Problem());
}

} // namespace

bool isTestingUnitPath(const QString &path)
{
    return path.endsWith(QLatin1String(".tuf"), Qt::CaseInsensitive);
}

namespace {

// A testing unit's document element is its sequence element; the name
// decides only where the start of the file does not.
bool isTestingUnitFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return isTestingUnitPath(path);
    const QByteArray head = file.read(64 * 1024);
    qsizetype at = 0;
    while ((at = head.indexOf('<', at)) >= 0 && at + 1 < head.size()) {
        const char next = head.at(at + 1);
        if (next == '?' || next == '!') {
            const QByteArray end = head.mid(at, 4) == "<!--" ? "-->" : ">";
            const qsizetype close = head.indexOf(end, at + 2);
            if (close < 0)
                break;
            at = close + end.size();
            continue;
        }
        const QByteArray rest = head.mid(at + 1);
        if (rest.startsWith("TestingSequence_Num"))
            return true;
        if (rest.startsWith("STEPVANE"))
            return false;
        break;
    }
    return isTestingUnitPath(path);
}

} // namespace

OpenedWizard openWizardFile(const QString &path, int modelOption, const QString &password,
                            bool passwordGiven, WizardDocument &doc, bool typeFromContent)
{
    OpenedWizard result;
    doc.clear();
    if (const QString problem = notARegularFile(path); !problem.isEmpty()) {
        result.error = QStringLiteral("%1: %2").arg(path, problem);
        return result;
    }
    result.testingUnit = typeFromContent ? isTestingUnitFile(path) : isTestingUnitPath(path);
    CollectingMessageSink sink;
    VX_CAAXML_PARSER parser(&doc, 0, &sink);
    // One parse: the model, the password and the reader all read the
    // document loaded here.
    if (!parser.Load_Document(path)) {
        result.error = QStringLiteral("%1: %2").arg(path, loadFailure(parser));
        return result;
    }
    if (modelOption >= 0) {
        result.model = modelOption;
    } else {
        const int fileModel = parser.Loaded_File_Model();
        result.model = fileModel >= 0 && fileModel < kModelCount ? fileModel : 0;
    }
    parser.Set_Model(result.model);

    QString stored;
    if (!result.testingUnit) {
        stored = parser.Read_Password();
        if (!stored.isEmpty() && (!passwordGiven || password != stored)) {
            result.error = GetMessageText(QStringLiteral("IDS_INCORRECT_PW")).trimmed();
            return result;
        }
    }

    const int ok =
        result.testingUnit ? parser.Read_Loaded_Testing_Unit() : parser.Read_Loaded_Wizard();
    result.restoreFailures = parser.Restore_Failures();
    QStringList failures;
    for (const Message &m : sink.messages) {
        const QString text = m.text().trimmed();
        if (m.icon == MessageIcon::Warning)
            result.warnings << text;
        else
            failures << text;
    }
    if (!ok) {
        if (failures.isEmpty())
            failures << (parser.Error_Text() == QLatin1String("XML Document FAILED to load")
                             ? QStringLiteral("%1: %2").arg(path, loadFailure(parser))
                             : QStringLiteral("%1: not a valid %2 file")
                                   .arg(path, result.testingUnit ? "testing unit" : "wizard"));
        result.error = failures.join(u'\n');
        doc.clear();
        return result;
    }
    // The reader leaves the password to the caller, as the editor's open does.
    if (!stored.isEmpty())
        doc.setPassword(stored);
    result.ok = true;
    return result;
}

int readWizardOptions(CliArgs &args, const QString &synopsis, int &model)
{
    model = -1;
    if (!args.ok() || !args.intValue(QStringLiteral("--model"), model))
        return usageError(synopsis, args.error());
    if (args.positionals().size() != 1)
        return usageError(synopsis, QStringLiteral("expected one FILE"));
    if (args.has(QStringLiteral("--model")) && (model < 0 || model > 3))
        return usageError(synopsis, QStringLiteral("--model must be 0 to 3"));
    return kContinue;
}

bool openAndReport(const QString &path, int model, const CliArgs &args,
                   const QString &passwordOption, WizardDocument &doc, OpenedWizard &opened,
                   bool typeFromContent)
{
    opened = openWizardFile(path, model, args.value(passwordOption), args.has(passwordOption), doc,
                            typeFromContent);
    for (const QString &w : opened.warnings)
        printError(w);
    if (!opened.ok)
        printError(opened.error);
    return opened.ok;
}

int openWizardFromArgs(const CliArgs &args, int model, WizardDocument &doc, OpenedWizard &opened)
{
    return openAndReport(args.positionals().first(), model, args, QStringLiteral("--password"), doc,
                         opened)
               ? kContinue
               : kExitFailure;
}

} // namespace stepvane::cli
