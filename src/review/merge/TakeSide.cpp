// Copies one stored field between records through the table of stored fields.
#include "review/merge/TakeSide.h"

#include "review/merge/FieldValues.h"
#include "review/merge/RecordFields.h"

#include <type_traits>

namespace stepvane {

namespace {

template <typename E> QString slotName(size_t index)
{
    return std::is_same_v<E, MarkerSetting> ? markerName(index) : pictureSlotName(index);
}

template <typename V> bool copyField(const QString &field, const char *name, V &out, const V &from)
{
    if (field != QLatin1String(name))
        return false;
    out = from;
    return true;
}

template <typename E>
bool copyField(const QString &field, const char *, std::vector<E> &out, const std::vector<E> &from)
{
    const size_t n = std::max(out.size(), from.size());
    for (size_t i = 0; i < n; ++i) {
        if (field != slotName<E>(i))
            continue;
        if (i >= from.size())
            out.erase(out.begin() + qsizetype(i));
        else if (i < out.size())
            out[i] = from[i];
        else
            out.push_back(from[i]);
        return true;
    }
    return false;
}

} // namespace

bool copyRecordField(TaskRecord &record, const TaskRecord &from, const QString &field)
{
    if (record.index() != from.index())
        return false;
    bool copied = false;
    std::visit(
        [&](auto &r) {
            using R = std::decay_t<decltype(r)>;
            const R &f = std::get<R>(from);
            forEachField(static_cast<const R *>(nullptr), [&](const char *name, auto member) {
                if (!copied)
                    copied = copyField(field, name, r.*member, f.*member);
            });
        },
        record);
    return copied;
}

MergeTake theirsTake(const MergeConflict &c, int theirsModel)
{
    // A step's list is its sequence's; the sequences' list is the wizard's.
    const bool step = c.step >= 0 || c.theirsStep >= 0;
    const int list = step ? c.sequence : -1;
    const int at = step ? c.step : c.sequence;
    switch (c.kind) {
    case MergeConflict::Field:
        return {MergeTake::CopyField, list, at};
    case MergeConflict::RemovedChanged:
        // Ours removed it: theirs' changed item comes back. Theirs removed
        // it: ours' changed item, which the merged wizard holds, goes.
        if (c.theirsPlace >= 0)
            return {MergeTake::Restore, list, c.theirsPlace};
        return {MergeTake::Remove, list, at};
    case MergeConflict::Insertions:
        if (c.theirsRun > 0 && c.oursRun > 0)
            return {MergeTake::PutFirst, list, at, c.theirsRun, c.oursRun};
        return {};
    case MergeConflict::Order:
        return {MergeTake::Move, list, at, 0, 0, -1, c.theirsPlace - 1};
    case MergeConflict::Model:
        return {MergeTake::Model, -1, -1, 0, 0, theirsModel};
    case MergeConflict::Password:
        return {MergeTake::Password};
    }
    return {};
}

} // namespace stepvane
