// Naming, for the user, the text that keeps a written wizard from being saved.
// The cursor layer refuses every attribute XML cannot hold, whatever field it
// comes from; here its element path becomes the sequence, step and field the
// user knows.
#include "document/NameTables.h"
#include "document/VX_CAAXML_PARSER.h"

namespace stepvane {

namespace {

const QString kUnwritableSequencePrefix = QStringLiteral("TestingSequence_Num");
const QString kUnwritableStepPrefix = QStringLiteral("Task_Step_Num");

// The number after prefix in an element name, or -1.
int numberAfterPrefix(const QString &element, const QString &prefix)
{
    if (!element.startsWith(prefix))
        return -1;
    bool ok = false;
    const int n = element.mid(prefix.size()).toInt(&ok);
    return ok ? n : -1;
}

} // namespace

QString VX_CAAXML_PARSER::Unwritable_Message() const
{
    const UnwritableText &bad = Unwritable_Text();
    if (bad.isEmpty())
        return QString();
    int sequence = -1;
    int step = -1;
    QStringList field;
    for (const QString &element : bad.elements) {
        if (const int n = numberAfterPrefix(element, kUnwritableSequencePrefix);
            n >= 0 && sequence < 0)
            sequence = m_unitSequence >= 0 ? m_unitSequence : n;
        else if (const int s = numberAfterPrefix(element, kUnwritableStepPrefix);
                 s >= 0 && step < 0)
            step = s;
        else if (element != QLatin1String("STEPVANE"))
            field << element;
    }
    QStringList place;
    if (sequence >= 0)
        place << QStringLiteral("Sequence %1").arg(sequence + 1);
    if (step >= 0) {
        const TestingSequence *seq = m_doc ? m_doc->sequence(sequence) : nullptr;
        const TaskStep *owner = seq ? seq->step(step) : nullptr;
        place
            << (owner
                    ? QStringLiteral("step %1 (%2)").arg(step + 1).arg(taskListName(owner->kind()))
                    : QStringLiteral("step %1").arg(step + 1));
    }
    QString where = field.join(u'/');
    if (bad.attribute != QLatin1String("DValue"))
        where += QStringLiteral(" (%1)").arg(bad.attribute);
    place << where;
    return QStringLiteral("%1: the character %2 cannot be kept in a wizard file")
        .arg(place.join(QStringLiteral(", ")), bad.character);
}

} // namespace stepvane
