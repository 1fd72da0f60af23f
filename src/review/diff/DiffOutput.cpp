// The review diff as text lines and as JSON. Positions are counted from 1 as
// the editor's lists count them.
#include "review/diff/WizardDiff.h"

#include <QJsonArray>

namespace stepvane {

namespace {

const QString kArrow = QStringLiteral(" \u2192 ");

QString changeWord(DiffChange change)
{
    switch (change) {
    case DiffChange::Added:
        return QStringLiteral("added");
    case DiffChange::Removed:
        return QStringLiteral("removed");
    case DiffChange::Moved:
        return QStringLiteral("moved");
    case DiffChange::Changed:
        return QStringLiteral("changed");
    }
    return QString();
}

// "3", or "3 (was 2)" when a changed item also changed its place.
QString position(DiffChange change, int oldIndex, int newIndex)
{
    if (change == DiffChange::Removed)
        return QString::number(oldIndex + 1);
    if (change == DiffChange::Changed && oldIndex != newIndex)
        return QStringLiteral("%1 (was %2)").arg(newIndex + 1).arg(oldIndex + 1);
    return QString::number(newIndex + 1);
}

QString stepsCount(int n)
{
    return n == 1 ? QStringLiteral("1 step") : QStringLiteral("%1 steps").arg(n);
}

QString valueLine(const ValueDiff &v)
{
    switch (v.kind) {
    case ValueDiff::Value:
        return v.label + QStringLiteral(" : ") + v.oldText + kArrow + v.newText;
    case ValueDiff::Row: {
        const bool added = v.oldText.isNull();
        const QString row = added ? v.newText : v.oldText;
        const QString shown = v.label.isEmpty() ? row : v.label + QStringLiteral(" / ") + row;
        return (added ? QStringLiteral("+ ") : QStringLiteral("- ")) + shown;
    }
    case ValueDiff::Content:
        return QStringLiteral("%1 %2 : content changed").arg(v.label, v.newText);
    }
    return QString();
}

QString stepLine(const StepDiff &s)
{
    QString line =
        QStringLiteral("Step %1 %2").arg(position(s.change, s.oldIndex, s.newIndex), s.label);
    if (!s.description.isEmpty())
        line += QStringLiteral(" (%1)").arg(s.description);
    line += u' ' + changeWord(s.change);
    if (s.change == DiffChange::Moved)
        line += QStringLiteral(" from %1").arg(s.oldIndex + 1);
    return line;
}

QString sequenceLine(const SequenceDiff &s)
{
    const QString title = s.change == DiffChange::Removed ? s.oldTitle : s.newTitle;
    QString line =
        QStringLiteral("Sequence %1 \"%2\" %3")
            .arg(position(s.change, s.oldIndex, s.newIndex), title, changeWord(s.change));
    if (s.change == DiffChange::Added)
        line += QStringLiteral(" (%1)").arg(stepsCount(s.newSteps));
    else if (s.change == DiffChange::Removed)
        line += QStringLiteral(" (%1)").arg(stepsCount(s.oldSteps));
    else if (s.change == DiffChange::Moved)
        line += QStringLiteral(" from %1").arg(s.oldIndex + 1);
    return line;
}

QJsonValue positionJson(int index)
{
    return index < 0 ? QJsonValue() : QJsonValue(index + 1);
}

QJsonValue textJson(const QString &text)
{
    return text.isNull() ? QJsonValue() : QJsonValue(text);
}

QJsonObject valueJson(const ValueDiff &v)
{
    static const char *const kinds[] = {"value", "row", "content"};
    return QJsonObject{{QStringLiteral("kind"), QString::fromLatin1(kinds[v.kind])},
                       {QStringLiteral("field"), v.label},
                       {QStringLiteral("old"), textJson(v.oldText)},
                       {QStringLiteral("new"), textJson(v.newText)}};
}

QJsonObject stepJson(const StepDiff &s)
{
    QJsonArray values;
    for (const ValueDiff &v : s.values)
        values.append(valueJson(v));
    return QJsonObject{{QStringLiteral("change"), changeWord(s.change)},
                       {QStringLiteral("old"), positionJson(s.oldIndex)},
                       {QStringLiteral("new"), positionJson(s.newIndex)},
                       {QStringLiteral("task"), s.label},
                       {QStringLiteral("description"), s.description},
                       {QStringLiteral("values"), values},
                       {QStringLiteral("hiddenChange"), s.hiddenChange}};
}

QJsonObject sequenceJson(const SequenceDiff &s)
{
    QJsonArray steps;
    for (const StepDiff &step : s.steps)
        steps.append(stepJson(step));
    QJsonObject o{
        {QStringLiteral("change"), changeWord(s.change)},
        {QStringLiteral("old"), positionJson(s.oldIndex)},
        {QStringLiteral("new"), positionJson(s.newIndex)},
        {QStringLiteral("oldTitle"), s.oldIndex < 0 ? QJsonValue() : QJsonValue(s.oldTitle)},
        {QStringLiteral("newTitle"), s.newIndex < 0 ? QJsonValue() : QJsonValue(s.newTitle)},
        {QStringLiteral("oldSteps"), s.oldSteps},
        {QStringLiteral("newSteps"), s.newSteps}};
    if (s.change == DiffChange::Changed)
        o.insert(QStringLiteral("steps"), steps);
    return o;
}

} // namespace

QStringList diffAsText(const WizardDiff &diff)
{
    QStringList lines;
    if (!diff.header.empty()) {
        lines << QStringLiteral("Header");
        for (const ValueDiff &v : diff.header)
            lines << QStringLiteral("  ") + valueLine(v);
    }
    for (const SequenceDiff &s : diff.sequences) {
        lines << sequenceLine(s);
        if (s.change != DiffChange::Changed)
            continue;
        if (s.oldTitle != s.newTitle)
            lines << QStringLiteral("  Title : ") + s.oldTitle + kArrow + s.newTitle;
        for (const StepDiff &step : s.steps) {
            lines << QStringLiteral("  ") + stepLine(step);
            for (const ValueDiff &v : step.values)
                lines << QStringLiteral("    ") + valueLine(v);
            if (step.hiddenChange)
                lines << QStringLiteral(
                    "    settings that the testing summary does not show changed");
        }
    }
    return lines;
}

QJsonObject diffAsJson(const WizardDiff &diff)
{
    QJsonArray header;
    for (const ValueDiff &v : diff.header)
        header.append(valueJson(v));
    QJsonArray sequences;
    for (const SequenceDiff &s : diff.sequences)
        sequences.append(sequenceJson(s));
    return QJsonObject{{QStringLiteral("equal"), diff.isEqual()},
                       {QStringLiteral("header"), header},
                       {QStringLiteral("sequences"), sequences}};
}

} // namespace stepvane
