// One step as the review diff compares it: its record without the paths of
// working copies (two readings of one file restore to different paths), the
// digests of its attached files, and its testing-summary rows.
#pragma once

#include "document/Attachments.h"
#include "review/diff/WizardDiff.h"

#include <QByteArray>
#include <QStringList>

#include <vector>

namespace stepvane {

struct StepView {
    TaskRecord record; // working-copy paths removed, memory-only values cleared
    std::vector<AttachmentRef> files;
    std::vector<QByteArray> digests; // one per file
    QString label;                   // the summary's block label
    QString description;
    QStringList cells; // the right cells of the summary rows, closing blank rows left out
};

StepView viewOfStep(const TaskStep &step, int model);
bool sameStep(const StepView &a, const StepView &b);
// The values of a changed step, in the new step's row order.
std::vector<ValueDiff> stepValueChanges(const StepView &oldStep, const StepView &newStep);

} // namespace stepvane
