// The three-way merge of one ordered list (the sequences of a wizard, the
// steps of a sequence) from the review diff's two matchings, base to ours and
// base to theirs. Ours' list is the starting point; theirs' removals,
// insertions and moves are carried into it. What the item contents become is
// the caller's business; this decides which items there are and their order.
#pragma once

#include "review/diff/ListMatching.h"

#include <functional>
#include <vector>

namespace stepvane {

struct MergedEntry {
    int base = -1; // the item's index on each side, -1 where it is missing
    int ours = -1;
    int theirs = -1;
};

struct ListMergeOutcome {
    std::vector<MergedEntry> entries; // the merged list in order
    // Items removed on one side and changed on the other. Ours' removal
    // stands (the item is not in entries); theirs' leaves ours' item in place.
    // Where ours removed it: theirs' item, and the place in entries it would
    // take back (behind what precedes it in theirs).
    struct RemovedChanged {
        int base;
        bool oursRemoved;
        int theirs = -1;
        int place = -1;
    };
    std::vector<RemovedChanged> removedChanged;
    // Different insertions at one place: ours' items (their positions in ours)
    // stay first, theirs' item follows them.
    struct Insertions {
        std::vector<int> ours;
        int theirs;
    };
    std::vector<Insertions> insertions;
    // Base items both sides moved to different places. Ours' place stands;
    // theirs' is behind entry theirsAfter (-1: first).
    struct MovedBoth {
        int base;
        int theirsAfter = -1;
    };
    std::vector<MovedBoth> movedBoth;
};

struct ListMergeInput {
    int oursCount = 0;
    int theirsCount = 0;
    const ListMatching &toOurs;   // base to ours
    const ListMatching &toTheirs; // base to theirs
    // Whether an item ours inserted and one theirs inserted are the same
    // insertion (taken once).
    std::function<bool(int ours, int theirs)> sameInsertion;
};

ListMergeOutcome mergeLists(const ListMergeInput &in);

} // namespace stepvane
