// List matching: longest common subsequence, moves, pairs inside gaps.
#include "review/diff/ListMatching.h"

#include <algorithm>

namespace stepvane {

namespace {

void link(ListMatching &m, int o, int n, ListMatching::Link how)
{
    m.newOf[size_t(o)] = n;
    m.oldOf[size_t(n)] = o;
    m.linkOf[size_t(o)] = how;
}

void longestCommon(ListMatching &m, int oldCount, int newCount, const ItemTest &equal)
{
    // Equality is asked once per pair; the table of lengths is filled from the end.
    const size_t w = size_t(newCount) + 1;
    std::vector<char> eq(size_t(oldCount) * size_t(newCount));
    for (int o = 0; o < oldCount; ++o)
        for (int n = 0; n < newCount; ++n)
            eq[size_t(o) * size_t(newCount) + size_t(n)] = equal(o, n);
    std::vector<int> len((size_t(oldCount) + 1) * w, 0);
    auto at = [&](int o, int n) -> int & { return len[size_t(o) * w + size_t(n)]; };
    for (int o = oldCount - 1; o >= 0; --o)
        for (int n = newCount - 1; n >= 0; --n)
            at(o, n) = eq[size_t(o) * size_t(newCount) + size_t(n)]
                           ? at(o + 1, n + 1) + 1
                           : std::max(at(o + 1, n), at(o, n + 1));
    int o = 0, n = 0;
    while (o < oldCount && n < newCount) {
        if (eq[size_t(o) * size_t(newCount) + size_t(n)]) {
            link(m, o, n, ListMatching::Link::Same);
            ++o;
            ++n;
        } else if (at(o + 1, n) >= at(o, n + 1)) {
            ++o;
        } else {
            ++n;
        }
    }
}

void moves(ListMatching &m, int oldCount, int newCount, const ItemTest &equal)
{
    for (int n = 0; n < newCount; ++n) {
        if (m.oldOf[size_t(n)] >= 0)
            continue;
        for (int o = 0; o < oldCount; ++o)
            if (m.newOf[size_t(o)] < 0 && equal(o, n)) {
                link(m, o, n, ListMatching::Link::Moved);
                break;
            }
    }
}

// Pairs alike items between two items that stayed in order, keeping order.
void pairsInGaps(ListMatching &m, int oldCount, int newCount, const ItemTest &alike)
{
    int o = 0, n = 0;
    while (o <= oldCount && n <= newCount) {
        int oEnd = o, nEnd = n;
        while (oEnd < oldCount && m.linkOf[size_t(oEnd)] != ListMatching::Link::Same)
            ++oEnd;
        nEnd = oEnd < oldCount ? m.newOf[size_t(oEnd)] : newCount;
        int next = n;
        for (int oi = o; oi < oEnd; ++oi) {
            if (m.newOf[size_t(oi)] >= 0)
                continue;
            for (int ni = next; ni < nEnd; ++ni)
                if (m.oldOf[size_t(ni)] < 0 && alike(oi, ni)) {
                    link(m, oi, ni, ListMatching::Link::Paired);
                    next = ni + 1;
                    break;
                }
        }
        o = oEnd + 1;
        n = nEnd + 1;
    }
}

} // namespace

int ListMatching::removedAnchor(int oldIndex) const
{
    for (int o = oldIndex - 1; o >= 0; --o)
        if (newOf[size_t(o)] >= 0 && linkOf[size_t(o)] != Link::Moved)
            return newOf[size_t(o)];
    return -1;
}

std::vector<ListMatching::Entry> ListMatching::displayOrder() const
{
    // removedAfter[k]: old items that go after new item k - 1 (k = 0: first).
    std::vector<std::vector<int>> removedAfter(oldOf.size() + 1);
    for (size_t o = 0; o < newOf.size(); ++o)
        if (newOf[o] < 0) {
            const int slot = removedAnchor(int(o)) + 1; // -1 (before the first) is slot 0
            removedAfter[size_t(slot)].push_back(int(o));
        }
    std::vector<Entry> out;
    for (int o : removedAfter[0])
        out.push_back({o, -1});
    for (size_t n = 0; n < oldOf.size(); ++n) {
        out.push_back({oldOf[n], int(n)});
        for (int o : removedAfter[n + 1])
            out.push_back({o, -1});
    }
    return out;
}

ListMatching matchLists(int oldCount, int newCount, const ItemTest &equal,
                        const std::vector<ItemTest> &alike)
{
    ListMatching m;
    m.newOf.assign(size_t(oldCount), -1);
    m.oldOf.assign(size_t(newCount), -1);
    m.linkOf.assign(size_t(oldCount), ListMatching::Link::None);
    longestCommon(m, oldCount, newCount, equal);
    moves(m, oldCount, newCount, equal);
    for (const ItemTest &test : alike)
        if (test)
            pairsInGaps(m, oldCount, newCount, test);
    return m;
}

} // namespace stepvane
