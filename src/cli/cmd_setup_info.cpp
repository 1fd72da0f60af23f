// stepvane-cli setup-info: the summary a load step would store for a setup
// file, from the instrument's binary format or from an XML setup file.
#include "cli/CliCommand.h"
#include "common/FileKind.h"
#include "document/VX_CAAXML_PARSER.h"
#include "instrument_files/FileClassification.h"
#include "instrument_files/LanguageInfo.h"
#include "instrument_files/VX_CAA_SETUP_PARSER.h"

namespace stepvane::cli {
namespace {

const QString kSynopsis = QStringLiteral("setup-info FILE");

int runSetupInfo(const QStringList &argv)
{
    CliArgs args(argv, CliOptions{});
    if (!args.ok())
        return usageError(kSynopsis, args.error());
    if (args.positionals().size() != 1)
        return usageError(kSynopsis, QStringLiteral("expected one FILE"));
    const QString path = args.positionals().first();
    if (const QString problem = notARegularFile(path); !problem.isEmpty()) {
        printError(QStringLiteral("stepvane-cli: %1: %2").arg(path, problem));
        return kExitFailure;
    }

    VX_CAAXML_PARSER xml(nullptr, 0);
    VX_CAA_SETUP_PARSER setup;
    const int format = classifySetupFile(path, xml, setup);
    const QString shownName = fileNameWithoutFolders(path);
    if (format == SetupFormatInstrument) {
        printOut(setup.Summary(shownName));
        return kExitOk;
    }
    if (format == SetupFormatXml) {
        printOut(xml.Make_Setup_Info(shownName));
        return kExitOk;
    }
    // The language text ends with its own line feed; the identifier stands
    // in when no language table was found.
    QString text = GetMessageText(QStringLiteral("IDS_UNKWON_SETUP_FORMAT")).trimmed();
    if (text.isEmpty())
        text = QStringLiteral("IDS_UNKWON_SETUP_FORMAT");
    printError(QStringLiteral("stepvane-cli: %1: %2").arg(path, text));
    return kExitFailure;
}

const CliRegistration reg{{
    QStringLiteral("setup-info"),
    kSynopsis,
    QStringLiteral("usage: stepvane-cli %1\n\n"
                   "Prints the setup information a load step stores for FILE: the layout, the\n"
                   "measurements shown, the frequency band and, for distance-to-fault setups, the\n"
                   "distance range and the cable.\n\n"
                   "  FILE  the instrument's binary setup file (.sta) or an XML setup file; the\n"
                   "        name shown is FILE without its folders\n\n"
                   "Exit status: 0 printed, 1 the file is missing, empty or of no known setup\n"
                   "format, 2 usage error.")
        .arg(kSynopsis),
    runSetupInfo,
}};

} // namespace
} // namespace stepvane::cli
