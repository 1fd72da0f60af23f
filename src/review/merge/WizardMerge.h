// The three-way merge of wizards (or testing units) for version control.
// Sequences and steps are matched as the review diff matches them, attached
// files are compared by their bytes. A change made on one side is taken, the
// same change made on both sides is taken once; where the sides disagree the
// merged wizard keeps ours' value and the disagreement is listed as a
// conflict, so the result is always a complete wizard.
#pragma once

#include "document/WizardDocument.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <vector>

namespace stepvane {

struct MergeConflict {
    enum Kind {
        Field,          // the same field or picture slot changed to different values
        RemovedChanged, // a step or sequence removed on one side, changed on the other
        Insertions,     // different insertions at one place: both kept, ours first
        Order,          // the same step or sequence moved to different places
        Model,          // the model changed on one side, anything on the other
        Password,       // the password changed on one side, anything on the other
    };
    Kind kind = Field;
    // Where it is in the merged wizard, from 0: -1 for the wizard's header
    // (sequence) or the sequence itself (step). An item ours removed is not
    // in the merged wizard: its step is -1.
    int sequence = -1;
    int step = -1;
    QString where; // "sequence 2 \"Sweep\", step 3 Frequency / Distance, Start_Frequency"
    QString base;
    QString ours;
    QString theirs;
    // Which field or slot of the step ("Start_Frequency", "ImageNum_2"); empty
    // for whole items.
    QString field;
    // For a field conflict, where the item is in theirs' wizard (from 0; -1
    // for the header or a sequence's own field), so theirs' value can be taken.
    int theirsSequence = -1;
    int theirsStep = -1;
    // For whole items, what taking theirs works from. Where theirs has the
    // item in the merged list: behind the item before theirsPlace (first at
    // 0); ours removed what theirs changed: theirs' item is named as above
    // and would go back in there; both moved it: it would move there.
    // Insertions: ours' oursRun items stand right before theirs' theirsRun
    // items, which start at the conflict's place.
    int theirsPlace = -1;
    int oursRun = 0;
    int theirsRun = 0;
};

struct MergeSide {
    const WizardDocument &doc;
    int model = 0; // the model the file was made for
};

struct WizardMergeResult {
    WizardDocument doc;
    int model = 0;
    std::vector<MergeConflict> conflicts;
    bool clean() const { return conflicts.empty(); }
};

WizardMergeResult mergeWizards(const MergeSide &base, const MergeSide &ours,
                               const MergeSide &theirs);

QString conflictKindName(MergeConflict::Kind kind);
// One block per conflict: the place, then base, ours and theirs indented.
QStringList mergeConflictsAsText(const std::vector<MergeConflict> &conflicts);
QJsonObject mergeAsJson(const WizardMergeResult &result, const QString &outPath);

} // namespace stepvane
