// The checks of one step, shared by the files that hold them: a small context
// that knows where the step is and what the instrument is, and collects
// findings with the wording rules of the check in one place.
#pragma once

#include "document/ModelTables.h"
#include "review/check/WizardCheck.h"

#include <initializer_list>
#include <optional>

namespace stepvane {

// The parts of a name between its '/' and '\' separators (the instrument
// takes either), empty ones included.
QStringList pathParts(const QString &name);

class StepCheck {
public:
    StepCheck(std::vector<Finding> &out, const CheckOptions &options, int sequence, int step)
        : m_out(out), m_options(options), m_sequence(sequence), m_step(step)
    {
    }

    int model() const { return m_options.model; }
    QString modelText() const;
    const CheckOptions &options() const { return m_options; }
    // The measurement mode an earlier Measure mode step set, when known.
    std::optional<int> measurement;

    void error(const QString &field, const QString &message);
    void warning(const QString &field, const QString &message);

    // An enumeration code the instrument does not know. what names the setting
    // ("save mode"); false when the code is unknown.
    bool knownCode(const QString &field, int code, std::initializer_list<int> codes,
                   const QString &what);
    bool knownCode(const QString &field, int code, int count, const QString &what);
    // A number outside the range the instrument accepts: an error saying
    // "<what> <value><unit> lies outside <range>". range defaults to the bounds.
    bool inRange(const QString &field, double value, const Bounds &bounds, const QString &what,
                 const QString &unit = QString(), const QString &range = QString());
    // A text longer than the instrument keeps.
    void maxLength(const QString &field, const QString &text, int limit, const QString &what);

private:
    std::vector<Finding> &m_out;
    const CheckOptions &m_options;
    int m_sequence;
    int m_step;
};

// A number as a message shows it: "3000", "0.072", "4916.72".
QString numberText(double value);
// Whether the value lies in the bounds as the editor's single-precision fields see them.
bool withinBounds(double value, const Bounds &bounds);

// The checks of each kind of step.
void checkSettingStep(StepCheck &check, const TaskStep &step);
void checkProcedureStep(StepCheck &check, const TaskStep &step);
void checkAnalysisStep(StepCheck &check, const TaskStep &step);
void checkAttachments(StepCheck &check, const TaskStep &step);
// What the instrument makes of the files a step carries (InstrumentLimits.h).
void checkAttachmentLimits(StepCheck &check, const TaskStep &step);
// "The picture "mast.png" (3. Image file)": an attached file as a sentence names it.
QString attachmentSubject(const AttachmentRef &file);
void checkPictureNames(StepCheck &check, const TaskStep &step);
// The reader's notes on the file the document was read from.
void checkFileNotes(const WizardDocument &doc, std::vector<Finding> &out);

} // namespace stepvane
