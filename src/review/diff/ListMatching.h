// Matching two ordered lists for the review diff (sequences, steps, summary
// rows): equal items in their longest common order first, then equal items
// that moved, then, inside each stretch between two equal items, items that
// are alike (same kind of step, same label) as changed pairs. What is left
// was added or removed.
#pragma once

#include <functional>
#include <vector>

namespace stepvane {

struct ListMatching {
    enum class Link { None, Same, Moved, Paired };
    std::vector<int> newOf;   // for each old item: its partner in the new list, or -1
    std::vector<int> oldOf;   // for each new item: its partner in the old list, or -1
    std::vector<Link> linkOf; // for each old item: how it was matched

    // Where an old item without a partner sits among the new items: the new
    // position after which it belongs (-1: before the first).
    int removedAnchor(int oldIndex) const;

    // Every item once, in the order a reader follows: the new list in order
    // (with each item's partner, or -1), each old item without a partner
    // right after the new item it is anchored to.
    struct Entry {
        int oldIndex;
        int newIndex;
    };
    std::vector<Entry> displayOrder() const;
};

using ItemTest = std::function<bool(int oldIndex, int newIndex)>;

// alike may be empty (no changed pairs). Further passes of alike, in order,
// pair what the earlier ones left (a sequence's title first, then position).
ListMatching matchLists(int oldCount, int newCount, const ItemTest &equal,
                        const std::vector<ItemTest> &alike);

} // namespace stepvane
