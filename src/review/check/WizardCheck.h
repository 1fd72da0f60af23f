// The wizard check: what would go wrong if this wizard (or testing unit) went
// to an instrument of the given model. Each finding names its sequence, step
// and field, says whether it is an error (the instrument cannot do it as
// written, or the file loses something) or a warning (probably not meant),
// and says so in a sentence a procedure author understands. The ranges come
// from the model table the editor pages use.
#pragma once

#include "document/Attachments.h"
#include "document/WizardDocument.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <vector>

namespace stepvane {

enum class Severity { Error, Warning };

struct Finding {
    Severity severity = Severity::Error;
    int sequence = -1; // from 0; -1 for the wizard itself
    int step = -1;     // from 0; -1 for the sequence (or the wizard) itself
    QString field;     // the record field or file element it is about; may be empty
    QString message;
    bool operator==(const Finding &) const = default;
};

struct CheckOptions {
    int model = 0;
    bool testingUnit = false; // a .tuf has no wizard title and one sequence
    PictureProbe pictures;    // without one, pictures are not decoded
};

std::vector<Finding> checkWizard(const WizardDocument &doc, const CheckOptions &options);

int errorCount(const std::vector<Finding> &findings);
int warningCount(const std::vector<Finding> &findings);

// "sequence 2 "Feeder", step 3 Frequency / Distance", "sequence 2 "Feeder"" or "wizard".
QString findingPlace(const Finding &finding, const WizardDocument &doc);
// The field as the editor page labels it ("Setup file" for SetupfileName);
// empty when the finding names no field.
QString findingFieldLabel(const Finding &finding, const WizardDocument &doc);
// "error: <place> [<field label>]: <message>", one line per finding.
QStringList findingsAsText(const std::vector<Finding> &findings, const WizardDocument &doc);
// "2 errors, 1 warning", or "no errors, no warnings".
QString findingsTally(const std::vector<Finding> &findings);
QJsonObject findingsAsJson(const std::vector<Finding> &findings, const WizardDocument &doc,
                           int model);

} // namespace stepvane
