// One step as the review diff compares it: its record without the paths of
// working copies (two readings of one file restore to different paths), the
// digests of its attached files, and its testing-summary rows.
#pragma once

#include "document/Attachments.h"
#include "review/diff/ListMatching.h"
#include "review/diff/WizardDiff.h"

#include <QByteArray>
#include <QStringList>

#include <optional>
#include <vector>

namespace stepvane {

// What the testing summary shows of a step.
struct StepRows {
    QString label; // the summary's block label
    QString description;
    QStringList cells; // the right cells of the summary rows, closing blank rows left out
};

struct StepView {
    TaskRecord record; // working-copy paths removed, memory-only values cleared
    std::vector<AttachmentRef> files;
    std::vector<QByteArray> digests; // one per file
    const TaskStep *step = nullptr;  // its wizard outlives the comparison
    int model = 0;
    // Made the first time they are asked for: steps are matched by record
    // and digests, and only the steps a diff or merge names are ever shown.
    const StepRows &rows() const;

private:
    mutable std::optional<StepRows> m_rows;
};

StepView viewOfStep(const TaskStep &step, int model);
bool sameStep(const StepView &a, const StepView &b);
bool sameSequence(const TestingSequence &a, const std::vector<StepView> &av,
                  const TestingSequence &b, const std::vector<StepView> &bv);
std::vector<StepView> viewsOf(const TestingSequence &sequence, int model);

// How the diff matches two step lists and two wizards' sequences (views per
// sequence); the merge matches the same way.
ListMatching matchSteps(const std::vector<StepView> &o, const std::vector<StepView> &n);
ListMatching matchSequences(const WizardDocument &a, const std::vector<std::vector<StepView>> &av,
                            const WizardDocument &b, const std::vector<std::vector<StepView>> &bv);

// The values of a changed step, in the new step's row order.
std::vector<ValueDiff> stepValueChanges(const StepView &oldStep, const StepView &newStep);

} // namespace stepvane
