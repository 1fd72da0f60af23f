// Taking one side of a conflict the merge listed. Taking ours keeps what the
// merged wizard holds; taking theirs is one of a few changes, worked out here
// once for the editor's merge window (which makes it an undoable edit) and for
// anyone else. A field (or picture slot "ImageNum_2", or marker "Num3") is set
// to its value in another record of the same kind.
#pragma once

#include "document/WizardDocument.h"
#include "review/merge/WizardMerge.h"

#include <QString>

namespace stepvane {

// Sets record's field to its value in from. False (record unchanged) when
// the records are of different kinds or neither has such a field. A slot
// from lacks is removed from record; one record lacks is added at its end.
bool copyRecordField(TaskRecord &record, const TaskRecord &from, const QString &field);

// Taking theirs, in the merged wizard's places as the merge left them.
struct MergeTake {
    enum Action {
        None,      // theirs' side cannot be taken (an item left out at the limits)
        CopyField, // the conflict's field of the item at `at`, from theirs' item
        Restore,   // theirs' item (the conflict's theirsSequence, theirsStep) goes in at `at`
        Remove,    // the item at `at` goes
        PutFirst,  // the `count` items from `at` on go before the `ahead` items in front of them
        Move,      // the item at `at` goes behind the item at `behind` (-1: first)
        Model,     // the wizard is for `model`
        Password,  // theirs' password (or none)
    };
    Action action = None;
    // The list changed: the steps of merged sequence `sequence`, or, at -1,
    // the wizard's sequences (for a field: the header, or a sequence's title).
    int sequence = -1;
    int at = -1;
    int count = 0;
    int ahead = 0;
    int model = -1;
    int behind = -1;
};

MergeTake theirsTake(const MergeConflict &conflict, int theirsModel);

} // namespace stepvane
