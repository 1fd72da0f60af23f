// Field-by-field merge of records through the table of stored fields.
#include "review/merge/RecordMerge.h"

#include "review/merge/RecordFields.h"

#include <optional>

namespace stepvane {

namespace {

class FieldMerger {
public:
    FieldMerger(FileDigests &digests, std::vector<FieldConflict> &conflicts)
        : m_digests(digests), m_conflicts(conflicts)
    {
    }

    template <typename R> void mergeRecord(R &out, const R &b, const R &o, const R &t)
    {
        forEachField(static_cast<const R *>(nullptr), [&](const char *name, auto member) {
            mergeField(name, out.*member, b.*member, o.*member, t.*member);
        });
    }

private:
    template <typename V> bool same(const char *name, const V &a, const V &b)
    {
        if constexpr (std::is_same_v<V, AttachedImage>)
            return sameField(a, b, m_digests);
        else if constexpr (std::is_same_v<V, QString>)
            return isFilePathField(name) ? samePathField(a, b, m_digests) : a == b;
        else
            return a == b;
    }

    template <typename V> QString text(const char *name, const V &v)
    {
        if constexpr (std::is_same_v<V, AttachedImage>)
            return fieldText(v, m_digests);
        else if constexpr (std::is_same_v<V, QString>)
            return isFilePathField(name) ? filePathText(v, m_digests) : fieldText(v);
        else
            return fieldText(v);
    }

    template <typename V> QString text(const char *name, const std::optional<V> &v)
    {
        return v ? text(name, *v) : QStringLiteral("none");
    }

    template <typename V>
    bool same(const char *name, const std::optional<V> &a, const std::optional<V> &b)
    {
        return a.has_value() == b.has_value() && (!a || same(name, *a, *b));
    }

    // out holds ours' value; it becomes theirs' when theirs alone changed it.
    template <typename V>
    void mergeValue(const QString &field, const char *name, V &out, const V &b, const V &o,
                    const V &t)
    {
        const bool oursSame = same(name, o, b);
        const bool theirsSame = same(name, t, b);
        if (oursSame && !theirsSame)
            out = t;
        else if (!oursSame && !theirsSame && !same(name, o, t))
            m_conflicts.push_back({field, text(name, b), text(name, o), text(name, t)});
    }

    template <typename V>
    void mergeField(const char *name, V &out, const V &b, const V &o, const V &t)
    {
        mergeValue(QString::fromLatin1(name), name, out, b, o, t);
    }

    // Picture slots and markers merge one by one; a slot missing on a side
    // (a shorter list of condition pictures) is a value of its own.
    template <typename E>
    void mergeField(const char *name, std::vector<E> &out, const std::vector<E> &b,
                    const std::vector<E> &o, const std::vector<E> &t)
    {
        const size_t n = std::max({b.size(), o.size(), t.size()});
        auto at = [](const std::vector<E> &list, size_t i) {
            return i < list.size() ? std::optional<E>(list[i]) : std::nullopt;
        };
        std::vector<E> merged;
        for (size_t i = 0; i < n; ++i) {
            std::optional<E> slot = at(o, i);
            const QString field =
                std::is_same_v<E, MarkerSetting> ? markerName(i) : pictureSlotName(i);
            mergeValue(field, name, slot, at(b, i), at(o, i), at(t, i));
            if (slot)
                merged.push_back(*slot);
        }
        out = std::move(merged);
    }

    FileDigests &m_digests;
    std::vector<FieldConflict> &m_conflicts;
};

} // namespace

TaskRecord mergeRecords(const TaskRecord &base, const TaskRecord &ours, const TaskRecord &theirs,
                        FileDigests &digests, std::vector<FieldConflict> &conflicts)
{
    TaskRecord out = ours;
    if (base.index() != ours.index() || theirs.index() != ours.index())
        return out;
    FieldMerger merger(digests, conflicts);
    std::visit(
        [&](auto &r) {
            using R = std::decay_t<decltype(r)>;
            merger.mergeRecord(r, std::get<R>(base), std::get<R>(ours), std::get<R>(theirs));
        },
        out);
    return out;
}

} // namespace stepvane
