// The merge's conflicts as text lines and as JSON.
#include "review/merge/WizardMerge.h"

#include <QJsonArray>

namespace stepvane {

QString conflictKindName(MergeConflict::Kind kind)
{
    switch (kind) {
    case MergeConflict::Field:
        return QStringLiteral("changed on both sides");
    case MergeConflict::RemovedChanged:
        return QStringLiteral("removed on one side, changed on the other");
    case MergeConflict::Insertions:
        return QStringLiteral("inserted on both sides");
    case MergeConflict::Order:
        return QStringLiteral("moved on both sides");
    case MergeConflict::Model:
        return QStringLiteral("model changed");
    case MergeConflict::Password:
        return QStringLiteral("password changed");
    }
    return QString();
}

namespace {

QString kindKey(MergeConflict::Kind kind)
{
    switch (kind) {
    case MergeConflict::Field:
        return QStringLiteral("field");
    case MergeConflict::RemovedChanged:
        return QStringLiteral("removed-changed");
    case MergeConflict::Insertions:
        return QStringLiteral("insertions");
    case MergeConflict::Order:
        return QStringLiteral("order");
    case MergeConflict::Model:
        return QStringLiteral("model");
    case MergeConflict::Password:
        return QStringLiteral("password");
    }
    return QString();
}

} // namespace

QStringList mergeConflictsAsText(const std::vector<MergeConflict> &conflicts)
{
    QStringList lines;
    for (const MergeConflict &c : conflicts) {
        lines << QStringLiteral("CONFLICT (%1): %2").arg(conflictKindName(c.kind), c.where);
        lines << QStringLiteral("  base:   %1").arg(c.base);
        lines << QStringLiteral("  ours:   %1").arg(c.ours);
        lines << QStringLiteral("  theirs: %1").arg(c.theirs);
    }
    return lines;
}

QJsonObject mergeAsJson(const WizardMergeResult &result, const QString &outPath)
{
    QJsonArray list;
    for (const MergeConflict &c : result.conflicts) {
        QJsonObject o{{QStringLiteral("kind"), kindKey(c.kind)},
                      {QStringLiteral("where"), c.where},
                      {QStringLiteral("base"), c.base},
                      {QStringLiteral("ours"), c.ours},
                      {QStringLiteral("theirs"), c.theirs}};
        // Positions in the merged file, from 1, where the item is in it.
        if (c.sequence >= 0)
            o.insert(QStringLiteral("sequence"), c.sequence + 1);
        if (c.step >= 0)
            o.insert(QStringLiteral("step"), c.step + 1);
        if (!c.field.isEmpty())
            o.insert(QStringLiteral("field"), c.field);
        list.append(o);
    }
    return {{QStringLiteral("output"), outPath},
            {QStringLiteral("clean"), result.clean()},
            {QStringLiteral("conflicts"), list}};
}

} // namespace stepvane
