// Three-way list merge: ours' order, theirs' removals, insertions and moves.
#include "review/merge/ListMerge.h"

#include <algorithm>

namespace stepvane {

namespace {

using Link = ListMatching::Link;

struct Merging {
    const ListMergeInput &in;
    ListMergeOutcome out;

    int baseOfTheirs(int t) const { return in.toTheirs.oldOf[size_t(t)]; }

    // Where theirs' item t sits in the merged list, or -1.
    int placeOfTheirs(int t) const
    {
        for (size_t k = 0; k < out.entries.size(); ++k)
            if (out.entries[k].theirs == t)
                return int(k);
        return -1;
    }

    // The merged position after which theirs' item t belongs: behind the
    // nearest item before it in theirs that the merged list still holds.
    int anchorOfTheirs(int t) const
    {
        for (int k = t - 1; k >= 0; --k)
            if (const int at = placeOfTheirs(k); at >= 0)
                return at;
        return -1;
    }

    bool isOursInsertion(const MergedEntry &e) const
    {
        return e.base < 0 && e.ours >= 0 && e.theirs < 0;
    }

    void startFromOurs()
    {
        for (int o = 0; o < in.oursCount; ++o) {
            const int b = in.toOurs.oldOf[size_t(o)];
            out.entries.push_back({b, o, b >= 0 ? in.toTheirs.newOf[size_t(b)] : -1});
        }
        // Ours' removals of items theirs changed: ours' removal stands.
        for (size_t b = 0; b < in.toOurs.newOf.size(); ++b)
            if (in.toOurs.newOf[b] < 0 && in.toTheirs.newOf[b] >= 0 &&
                in.toTheirs.linkOf[b] == Link::Paired)
                out.removedChanged.push_back({int(b), true});
    }

    void applyTheirsRemovals()
    {
        std::vector<MergedEntry> kept;
        for (const MergedEntry &e : out.entries) {
            const bool removedByTheirs = e.base >= 0 && e.theirs < 0;
            if (!removedByTheirs) {
                kept.push_back(e);
            } else if (in.toOurs.linkOf[size_t(e.base)] == Link::Paired) {
                out.removedChanged.push_back({e.base, false});
                kept.push_back(e);
            }
        }
        out.entries = std::move(kept);
    }

    void insertTheirs(int t)
    {
        // Ours' insertions at the same place: the run right after the anchor.
        const int anchor = anchorOfTheirs(t);
        const size_t first = anchor < 0 ? 0 : size_t(anchor) + 1;
        size_t end = first;
        std::vector<int> run;
        while (end < out.entries.size() && isOursInsertion(out.entries[end]))
            run.push_back(out.entries[end++].ours);
        for (size_t k = first; k < end; ++k)
            if (in.sameInsertion(out.entries[k].ours, t)) {
                out.entries[k].theirs = t; // the same insertion on both sides: once
                return;
            }
        // A run of theirs' own insertions clashes once, at its first item.
        const bool followsTheirsInsertion = t > 0 && baseOfTheirs(t - 1) < 0;
        if (!run.empty() && !followsTheirsInsertion)
            out.insertions.push_back({run, t});
        out.entries.insert(out.entries.begin() + std::ptrdiff_t(end), {-1, -1, t});
    }

    // The base item theirs placed right before base item b, or -1 (first,
    // or behind an insertion); the same for ours.
    static int predecessorBase(const ListMatching &m, int b)
    {
        const int at = m.newOf[size_t(b)];
        return at > 0 ? m.oldOf[size_t(at - 1)] : -1;
    }

    void moveTheirs(int t)
    {
        const int b = baseOfTheirs(t);
        const int from = placeOfTheirs(t);
        if (from < 0)
            return;
        if (in.toOurs.linkOf[size_t(b)] == Link::Moved) {
            if (predecessorBase(in.toOurs, b) != predecessorBase(in.toTheirs, b))
                out.movedBoth.push_back({b});
            return;
        }
        const MergedEntry moved = out.entries[size_t(from)];
        out.entries.erase(out.entries.begin() + from);
        const int anchor = anchorOfTheirs(t);
        out.entries.insert(out.entries.begin() + (anchor + 1), moved);
    }

    void applyTheirsInsertionsAndMoves()
    {
        for (int t = 0; t < in.theirsCount; ++t) {
            const int b = baseOfTheirs(t);
            if (b < 0)
                insertTheirs(t);
            else if (in.toTheirs.linkOf[size_t(b)] == Link::Moved)
                moveTheirs(t);
        }
    }

    // Where theirs has what ours removed or placed elsewhere.
    void placeTheirsSide()
    {
        for (auto &rc : out.removedChanged)
            if (rc.oursRemoved) {
                rc.theirs = in.toTheirs.newOf[size_t(rc.base)];
                rc.place = anchorOfTheirs(rc.theirs) + 1;
            }
        for (auto &moved : out.movedBoth)
            moved.theirsAfter = anchorOfTheirs(in.toTheirs.newOf[size_t(moved.base)]);
    }
};

} // namespace

ListMergeOutcome mergeLists(const ListMergeInput &in)
{
    Merging m{in, {}};
    m.startFromOurs();
    m.applyTheirsRemovals();
    m.applyTheirsInsertionsAndMoves();
    m.placeTheirsSide();
    return std::move(m.out);
}

} // namespace stepvane
