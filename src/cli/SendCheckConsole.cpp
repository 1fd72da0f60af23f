// The check before a send, for the CLI.
#include "cli/SendCheckConsole.h"

#include "cli/CliCommand.h"
#include "common/FileKind.h"
#include "document/NameTables.h"
#include "document/VX_CAAXML_PARSER.h"
#include "print/PictureProbe.h"
#include "review/check/WizardCheck.h"

#include <QFileInfo>

namespace stepvane::cli {

int checkBeforeSend(const QString &path)
{
    // A file that cannot be read at all is the transfer's to report, in its words.
    if (!notARegularFile(path).isEmpty())
        return kContinue;
    const bool unit = path.endsWith(QLatin1String(".tuf"), Qt::CaseInsensitive);
    WizardDocument doc;
    bool read = false;
    CollectingMessageSink quiet; // the reader's messages come back as findings
    // One parse: the model is read from the document the reader reads.
    VX_CAAXML_PARSER parser(&doc, 0, &quiet);
    const int model = parser.Load_Document(path) ? parser.Loaded_File_Model() : kUnknownModel;
    if (model >= 0 && model < kModelCount) {
        parser.Set_Model(model);
        read = (unit ? parser.Read_Loaded_Testing_Unit() : parser.Read_Loaded_Wizard()) == 1;
    }
    if (!read) {
        printError(QStringLiteral("warning: \"%1\" cannot be read as a wizard, so it was not "
                                  "checked; it is sent as it is")
                       .arg(QFileInfo(path).fileName()));
        return kContinue;
    }
    CheckOptions options;
    options.model = model;
    options.testingUnit = unit;
    options.pictures = decodePicture;
    const std::vector<Finding> findings = checkWizard(doc, options);
    if (findings.empty())
        return kContinue;
    QStringList lines = findingsAsText(findings, doc);
    lines << findingsTally(findings);
    printError(lines.join(u'\n'));
    if (errorCount(findings) == 0)
        return kContinue;
    printError(QStringLiteral("Nothing was sent: the check found errors in \"%1\" for the %2 "
                              "(--no-check sends it anyway).")
                   .arg(QFileInfo(path).fileName(), modelName(model)));
    return kExitFailure;
}

} // namespace stepvane::cli
