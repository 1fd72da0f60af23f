// The field-by-field merge of one step's record, for steps both sides changed.
#pragma once

#include "document/WizardDocument.h"
#include "review/merge/FieldValues.h"

#include <QString>

#include <vector>

namespace stepvane {

struct FieldConflict {
    QString field; // "Start_Frequency", "ImageNum_2", "Num3"
    QString base;
    QString ours;
    QString theirs;
};

// The merged record: ours' record with each field theirs alone changed taken
// from theirs; fields changed on both sides to different values keep ours'
// and are listed. The three records are of one kind.
TaskRecord mergeRecords(const TaskRecord &base, const TaskRecord &ours, const TaskRecord &theirs,
                        FileDigests &digests, std::vector<FieldConflict> &conflicts);

} // namespace stepvane
