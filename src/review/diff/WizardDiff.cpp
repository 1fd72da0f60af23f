// Matching the sequences and steps of two wizards and collecting their changes.
#include "review/diff/WizardDiff.h"

#include "document/NameTables.h"
#include "review/diff/ListMatching.h"
#include "review/diff/StepComparison.h"

namespace stepvane {

namespace {

using Link = ListMatching::Link;

QString endOptionText(int option)
{
    switch (option) {
    case 1:
        return QStringLiteral("Automation");
    case 2:
        return QStringLiteral("Manual");
    default:
        return QString::number(option);
    }
}

void headerValue(std::vector<ValueDiff> &out, const QString &label, const QString &a,
                 const QString &b)
{
    if (a != b)
        out.push_back({ValueDiff::Value, label, a, b});
}

// The copies of elements the reader passed over in a file, by place and
// digest: the diff compares the documents, which never hold them, so without
// this two files the instrument may read differently would compare equal.
QString ignoredContent(const WizardDocument &doc)
{
    QStringList parts;
    for (const FileNote &note : doc.FileNotes) {
        if (note.kind != FileNote::IgnoredContent)
            continue;
        QString place;
        if (note.sequence >= 0)
            place = QStringLiteral("sequence %1, ").arg(note.sequence + 1);
        if (note.step >= 0)
            place += QStringLiteral("step %1, ").arg(note.step + 1);
        parts
            << QStringLiteral("%1%2 #%3").arg(place, note.field, QString::fromLatin1(note.digest));
    }
    return parts.isEmpty() ? QStringLiteral("none") : parts.join(QStringLiteral("; "));
}

std::vector<ValueDiff> headerChanges(const DiffSide &a, const DiffSide &b)
{
    std::vector<ValueDiff> out;
    headerValue(out, QStringLiteral("Stepvane title"), a.doc.Title, b.doc.Title);
    headerValue(out, QStringLiteral("Compatible Spanlyx"), modelName(a.model), modelName(b.model));
    headerValue(out, QStringLiteral("End option"), endOptionText(a.doc.SeqEndOption),
                endOptionText(b.doc.SeqEndOption));
    // Whether there is a password, never the password itself.
    auto passwordState = [](const WizardDocument &d) {
        return d.PasswordSet ? QStringLiteral("set") : QStringLiteral("not set");
    };
    headerValue(out, QStringLiteral("Password"), passwordState(a.doc), passwordState(b.doc));
    headerValue(out, QStringLiteral("Content the reader ignores"), ignoredContent(a.doc),
                ignoredContent(b.doc));
    return out;
}

StepDiff stepEntry(DiffChange change, int oldIndex, int newIndex, const StepView &shown)
{
    StepDiff d;
    d.change = change;
    d.oldIndex = oldIndex;
    d.newIndex = newIndex;
    d.label = shown.rows().label;
    d.description = shown.rows().description;
    return d;
}

std::vector<StepDiff> stepChanges(const std::vector<StepView> &o, const std::vector<StepView> &n)
{
    const ListMatching m = matchSteps(o, n);
    std::vector<StepDiff> out;
    for (const ListMatching::Entry &e : m.displayOrder()) {
        if (e.newIndex < 0) {
            out.push_back(stepEntry(DiffChange::Removed, e.oldIndex, -1, o[size_t(e.oldIndex)]));
            continue;
        }
        const StepView &shown = n[size_t(e.newIndex)];
        if (e.oldIndex < 0) {
            out.push_back(stepEntry(DiffChange::Added, -1, e.newIndex, shown));
            continue;
        }
        const Link link = m.linkOf[size_t(e.oldIndex)];
        if (link == Link::Moved) {
            out.push_back(stepEntry(DiffChange::Moved, e.oldIndex, e.newIndex, shown));
        } else if (link == Link::Paired) {
            StepDiff d = stepEntry(DiffChange::Changed, e.oldIndex, e.newIndex, shown);
            d.values = stepValueChanges(o[size_t(e.oldIndex)], shown);
            d.hiddenChange = d.values.empty();
            out.push_back(std::move(d));
        }
    }
    return out;
}

SequenceDiff sequenceEntry(DiffChange change, const TestingSequence *a, int oldIndex,
                           const TestingSequence *b, int newIndex)
{
    SequenceDiff d;
    d.change = change;
    d.oldIndex = oldIndex;
    d.newIndex = newIndex;
    if (a) {
        d.oldTitle = a->Title;
        d.oldSteps = a->stepCount();
    }
    if (b) {
        d.newTitle = b->Title;
        d.newSteps = b->stepCount();
    }
    return d;
}

} // namespace

WizardDiff diffWizards(const DiffSide &oldSide, const DiffSide &newSide)
{
    WizardDiff diff;
    diff.header = headerChanges(oldSide, newSide);

    const WizardDocument &a = oldSide.doc;
    const WizardDocument &b = newSide.doc;
    std::vector<std::vector<StepView>> av, bv;
    for (const auto &s : a.sequences)
        av.push_back(viewsOf(*s, oldSide.model));
    for (const auto &s : b.sequences)
        bv.push_back(viewsOf(*s, newSide.model));

    auto seqA = [&](int i) -> const TestingSequence & { return *a.sequences[size_t(i)]; };
    auto seqB = [&](int j) -> const TestingSequence & { return *b.sequences[size_t(j)]; };
    const ListMatching m = matchSequences(a, av, b, bv);

    for (const ListMatching::Entry &e : m.displayOrder()) {
        const TestingSequence *sa = e.oldIndex >= 0 ? &seqA(e.oldIndex) : nullptr;
        const TestingSequence *sb = e.newIndex >= 0 ? &seqB(e.newIndex) : nullptr;
        if (!sb) {
            diff.sequences.push_back(
                sequenceEntry(DiffChange::Removed, sa, e.oldIndex, nullptr, -1));
        } else if (!sa) {
            diff.sequences.push_back(sequenceEntry(DiffChange::Added, nullptr, -1, sb, e.newIndex));
        } else if (m.linkOf[size_t(e.oldIndex)] == Link::Moved) {
            diff.sequences.push_back(
                sequenceEntry(DiffChange::Moved, sa, e.oldIndex, sb, e.newIndex));
        } else if (m.linkOf[size_t(e.oldIndex)] == Link::Paired) {
            SequenceDiff d = sequenceEntry(DiffChange::Changed, sa, e.oldIndex, sb, e.newIndex);
            d.steps = stepChanges(av[size_t(e.oldIndex)], bv[size_t(e.newIndex)]);
            diff.sequences.push_back(std::move(d));
        }
    }
    return diff;
}

} // namespace stepvane
