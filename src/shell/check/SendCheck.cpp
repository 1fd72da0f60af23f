// The check before sending.
#include "shell/check/SendCheck.h"

#include "document/NameTables.h"
#include "document/VX_CAAXML_PARSER.h"
#include "print/PictureProbe.h"
#include "review/check/WizardCheck.h"
#include "widgets/UserInterface.h"

#include <QFileInfo>

namespace stepvane {

namespace {

// The question lists this many errors and counts the rest.
constexpr int kListedErrors = 8;

QString errorList(const std::vector<Finding> &findings, const WizardDocument &doc)
{
    std::vector<Finding> errors;
    for (const Finding &f : findings)
        if (f.severity == Severity::Error)
            errors.push_back(f);
    const int total = int(errors.size());
    if (total > kListedErrors)
        errors.resize(kListedErrors);
    QStringList lines = findingsAsText(errors, doc);
    if (total > kListedErrors)
        lines << QStringLiteral("... and %1 more").arg(total - kListedErrors);
    return lines.join(u'\n');
}

} // namespace

bool confirmSendAfterCheck(UserInterface &ui, const QString &path, QWidget *)
{
    if (path.isEmpty())
        return true; // the transfer itself says that no file was chosen
    const QString name = QFileInfo(path).fileName();
    const bool unit = path.endsWith(QLatin1String(".tuf"), Qt::CaseInsensitive);
    WizardDocument doc;
    bool read = false;
    // The reader's own messages (a picture it could not restore) show up
    // as findings; they are not shown twice.
    CollectingMessageSink quiet;
    // One parse: the model is read from the document the reader reads.
    VX_CAAXML_PARSER parser(&doc, 0, &quiet);
    const int model = parser.Load_Document(path) ? parser.Loaded_File_Model() : kUnknownModel;
    if (model >= 0 && model < kModelCount) {
        parser.Set_Model(model);
        read = (unit ? parser.Read_Loaded_Testing_Unit() : parser.Read_Loaded_Wizard()) == 1;
    }
    if (!read)
        return ui.ask(Message::fromText(
            QStringLiteral("\"%s\" cannot be read as a wizard, so it was not checked.\n\n"
                           "Send it to the instrument anyway?"),
            {name}, MessageIcon::Question));

    CheckOptions options;
    options.model = model;
    options.testingUnit = unit;
    options.pictures = decodePicture;
    const std::vector<Finding> findings = checkWizard(doc, options);
    const int errors = errorCount(findings);
    if (errors == 0)
        return true;
    return ui.ask(Message::fromText(
        QStringLiteral("The check found %s in \"%s\" for the %s:\n\n%s\n\n"
                       "Send it to the instrument anyway?"),
        {errors == 1 ? QStringLiteral("1 error") : QStringLiteral("%1 errors").arg(errors), name,
         modelName(model), errorList(findings, doc)},
        MessageIcon::Question));
}

} // namespace stepvane
