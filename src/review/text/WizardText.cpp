// Rendering a wizard as text through the table of stored fields.
#include "review/text/WizardText.h"

#include "document/NameTables.h"
#include "review/merge/FieldValues.h"
#include "review/merge/RecordFields.h"

namespace stepvane {

namespace {

class StepLines {
public:
    StepLines(QStringList &out, FileDigests &digests) : m_out(out), m_digests(digests) {}

    template <typename R> void add(const R &r)
    {
        forEachField(static_cast<const R *>(nullptr),
                     [&](const char *name, auto member) { addField(name, r.*member); });
    }

private:
    void line(const QString &name, const QString &value)
    {
        m_out << QStringLiteral("%1 = %2").arg(name, value);
    }

    template <typename V> void addField(const char *name, const V &v)
    {
        // The heading carries the description.
        if (qstrcmp(name, "Description") == 0)
            return;
        if constexpr (std::is_same_v<V, AttachedImage>)
            line(QString::fromLatin1(name), fieldText(v, m_digests));
        else if constexpr (std::is_same_v<V, QString>)
            line(QString::fromLatin1(name),
                 isFilePathField(name) ? filePathText(v, m_digests) : fieldText(v));
        else
            line(QString::fromLatin1(name), fieldText(v));
    }

    template <typename E> void addField(const char *, const std::vector<E> &list)
    {
        for (size_t i = 0; i < list.size(); ++i) {
            if constexpr (std::is_same_v<E, MarkerSetting>)
                line(markerName(i), fieldText(list[i]));
            else
                line(pictureSlotName(i), fieldText(list[i], m_digests));
        }
    }

    QStringList &m_out;
    FileDigests &m_digests;
};

QString textEndOption(int option)
{
    switch (option) {
    case 1:
        return QStringLiteral("Automation (1)");
    case 2:
        return QStringLiteral("Manual (2)");
    default:
        return QString::number(option);
    }
}

QString textDescription(const TaskRecord &record)
{
    return std::visit([](const auto &r) { return r.Description; }, record);
}

} // namespace

QStringList wizardTextLines(const WizardDocument &doc, int model, bool testingUnit)
{
    QStringList out;
    FileDigests digests;
    out << (testingUnit ? QStringLiteral("Stepvane testing unit")
                        : QStringLiteral("Stepvane wizard"));
    out << QStringLiteral("Model = %1").arg(modelName(model));
    if (!testingUnit) {
        out << QStringLiteral("Title = %1").arg(fieldText(doc.Title));
        // Whether there is a password, never the password itself.
        out << QStringLiteral("Password = %1").arg(doc.PasswordSet ? "set" : "not set");
    }
    out << QStringLiteral("End option = %1").arg(textEndOption(doc.SeqEndOption));
    for (int s = 0; s < doc.sequenceCount(); ++s) {
        const TestingSequence &seq = *doc.sequence(s);
        out << QString()
            << QStringLiteral("== Sequence %1 %2").arg(s + 1).arg(fieldText(seq.Title));
        for (int k = 0; k < seq.stepCount(); ++k) {
            const TaskStep &step = *seq.step(k);
            out << QStringLiteral("-- Step %1.%2 %3 %4")
                       .arg(s + 1)
                       .arg(k + 1)
                       .arg(taskListName(step.kind()), fieldText(textDescription(step.record)));
            StepLines lines(out, digests);
            std::visit([&](const auto &r) { lines.add(r); }, step.record);
        }
    }
    return out;
}

} // namespace stepvane
