// Merging the header, the sequences and the steps of three wizards.
#include "review/merge/WizardMerge.h"

#include "document/NameTables.h"
#include "review/diff/StepComparison.h"
#include "review/merge/ListMerge.h"
#include "review/merge/RecordMerge.h"

#include <algorithm>

namespace stepvane {

namespace {

using Views = std::vector<std::vector<StepView>>;

struct MergeInput {
    const WizardDocument &doc;
    int model;
    Views views;
    const TestingSequence &seq(int i) const { return *doc.sequences[size_t(i)]; }
};

MergeInput mergeInputOf(const MergeSide &s)
{
    MergeInput side{s.doc, s.model, {}};
    for (const auto &seq : s.doc.sequences)
        side.views.push_back(viewsOf(*seq, s.model));
    return side;
}

QString mergeStepText(const StepView &view)
{
    const StepRows &rows = view.rows();
    if (rows.description.isEmpty())
        return rows.label;
    return QStringLiteral("%1 \"%2\"").arg(rows.label, rows.description);
}

QString mergeSequenceText(const TestingSequence &seq)
{
    return QStringLiteral("\"%1\" (%2 steps)").arg(seq.Title).arg(seq.stepCount());
}

class Merger {
public:
    Merger(const MergeSide &b, const MergeSide &o, const MergeSide &t)
        : m_base(mergeInputOf(b)), m_ours(mergeInputOf(o)), m_theirs(mergeInputOf(t))
    {
    }

    WizardMergeResult run()
    {
        WizardMergeResult result;
        mergeHeader(result);
        mergeSequences(result.doc);
        result.conflicts = std::move(m_conflicts);
        return result;
    }

private:
    void conflict(MergeConflict::Kind kind, int seq, int step, const QString &where,
                  const QString &b, const QString &o, const QString &t, const QString &field = {})
    {
        m_conflicts.push_back({kind, seq, step, where, b, o, t, field});
    }

    // ---- header
    static QString passwordText(const WizardDocument &d)
    {
        return d.PasswordSet ? QStringLiteral("set") : QStringLiteral("not set");
    }
    static bool samePassword(const WizardDocument &a, const WizardDocument &b)
    {
        return bool(a.PasswordSet) == bool(b.PasswordSet) && (!a.PasswordSet || a.PW == b.PW);
    }
    // Whether a side changed anything but what is asked about, read at the side's model.
    bool changedOtherThanModel(const MergeInput &s) const
    {
        return !samePassword(s.doc, m_base.doc) ||
               !diffWizards({m_base.doc, s.model}, {s.doc, s.model}).isEqual();
    }
    bool changedOtherThanPassword(const MergeInput &s) const
    {
        return s.model != m_base.model ||
               !diffWizards({m_base.doc, s.model}, {s.doc, s.model}).isEqual();
    }

    template <typename V, typename Text>
    void headerField(V &out, const V &b, const V &o, const V &t, const QString &name, Text text)
    {
        out = o;
        if (o == b)
            out = t;
        else if (t != b && t != o)
            conflict(MergeConflict::Field, -1, -1, QStringLiteral("wizard, %1").arg(name), text(b),
                     text(o), text(t), name);
    }

    void mergeHeader(WizardMergeResult &result)
    {
        const WizardDocument &b = m_base.doc, &o = m_ours.doc, &t = m_theirs.doc;
        auto quoted = [](const QString &s) { return QStringLiteral("\"%1\"").arg(s); };
        auto number = [](int v) { return QString::number(v); };
        headerField(result.doc.Title, b.Title, o.Title, t.Title, QStringLiteral("Title"), quoted);
        headerField(result.doc.SeqEndOption, b.SeqEndOption, o.SeqEndOption, t.SeqEndOption,
                    QStringLiteral("SeqEndOption"), number);

        // At a conflict the merged wizard keeps ours' model and password, as
        // it keeps ours' value everywhere else.
        const bool oursModel = m_ours.model != m_base.model;
        const bool theirsModel = m_theirs.model != m_base.model;
        const bool modelConflict = (oursModel && theirsModel && m_ours.model != m_theirs.model) ||
                                   (oursModel && !theirsModel && changedOtherThanModel(m_theirs)) ||
                                   (theirsModel && !oursModel && changedOtherThanModel(m_ours));
        result.model = oursModel || !theirsModel || modelConflict ? m_ours.model : m_theirs.model;
        if (modelConflict)
            conflict(MergeConflict::Model, -1, -1, QStringLiteral("wizard, model"),
                     modelName(m_base.model), modelName(m_ours.model), modelName(m_theirs.model));

        const bool oursPw = !samePassword(o, b);
        const bool theirsPw = !samePassword(t, b);
        const bool pwConflict = (oursPw && theirsPw && !samePassword(o, t)) ||
                                (oursPw && !theirsPw && changedOtherThanPassword(m_theirs)) ||
                                (theirsPw && !oursPw && changedOtherThanPassword(m_ours));
        const WizardDocument &pwFrom = oursPw || !theirsPw || pwConflict ? o : t;
        if (pwFrom.PasswordSet)
            result.doc.setPassword(pwFrom.PW);
        // Whether a password is set, never the password itself.
        if (pwConflict)
            conflict(MergeConflict::Password, -1, -1, QStringLiteral("wizard, password"),
                     passwordText(b), passwordText(o) + (oursPw ? " (changed)" : ""),
                     passwordText(t) + (theirsPw ? " (changed)" : ""));
    }

    // ---- sequences
    void mergeSequences(WizardDocument &out)
    {
        const ListMatching toOurs =
            matchSequences(m_base.doc, m_base.views, m_ours.doc, m_ours.views);
        const ListMatching toTheirs =
            matchSequences(m_base.doc, m_base.views, m_theirs.doc, m_theirs.views);
        const ListMergeOutcome merged =
            mergeLists({m_ours.doc.sequenceCount(), m_theirs.doc.sequenceCount(), toOurs, toTheirs,
                        [&](int o, int t) {
                            return sameSequence(m_ours.seq(o), m_ours.views[size_t(o)],
                                                m_theirs.seq(t), m_theirs.views[size_t(t)]);
                        }});
        for (const MergedEntry &e : merged.entries) {
            const int at = out.sequenceCount();
            auto seq = mergeSequence(e, at);
            if (!out.insertSequence(-1, std::move(seq)))
                conflict(
                    MergeConflict::Insertions, -1, -1, QStringLiteral("sequence %1").arg(at + 1),
                    QStringLiteral("none"), QStringLiteral("%1 sequences").arg(kMaxSequences),
                    QStringLiteral("one sequence more, left out (at most %1)").arg(kMaxSequences));
        }
        listConflicts(merged, -1, QString(), QStringLiteral("sequence"), [&](int side, int i) {
            const MergeInput &s = side == 0 ? m_base : side == 1 ? m_ours : m_theirs;
            return mergeSequenceText(s.seq(i));
        });
    }

    std::unique_ptr<TestingSequence> mergeSequence(const MergedEntry &e, int at)
    {
        if (e.ours < 0 || (e.theirs < 0 && e.base < 0))
            return (e.ours >= 0 ? m_ours.seq(e.ours) : m_theirs.seq(e.theirs)).clone();
        if (e.base < 0 || e.theirs < 0)
            return m_ours.seq(e.ours).clone();
        const auto &bv = m_base.views[size_t(e.base)];
        const auto &ov = m_ours.views[size_t(e.ours)];
        const auto &tv = m_theirs.views[size_t(e.theirs)];
        const TestingSequence &b = m_base.seq(e.base), &o = m_ours.seq(e.ours),
                              &t = m_theirs.seq(e.theirs);
        if (sameSequence(b, bv, o, ov))
            return t.clone();
        if (sameSequence(b, bv, t, tv) || sameSequence(o, ov, t, tv))
            return o.clone();
        auto seq = std::make_unique<TestingSequence>();
        seq->Title = o.Title;
        if (o.Title == b.Title)
            seq->Title = t.Title;
        else if (t.Title != b.Title && t.Title != o.Title)
            conflict(MergeConflict::Field, at, -1,
                     QStringLiteral("sequence %1 \"%2\", Title").arg(at + 1).arg(o.Title),
                     QStringLiteral("\"%1\"").arg(b.Title), QStringLiteral("\"%1\"").arg(o.Title),
                     QStringLiteral("\"%1\"").arg(t.Title), QStringLiteral("Title"));
        if (!m_conflicts.empty() && m_conflicts.back().field == QLatin1String("Title") &&
            m_conflicts.back().sequence == at && m_conflicts.back().step < 0)
            m_conflicts.back().theirsSequence = e.theirs;
        m_theirsSequence = e.theirs;
        mergeSteps(*seq, at, {b, bv}, {o, ov}, {t, tv});
        return seq;
    }

    // ---- steps
    struct SeqSide {
        const TestingSequence &seq;
        const std::vector<StepView> &views;
    };

    void mergeSteps(TestingSequence &out, int seqAt, const SeqSide &b, const SeqSide &o,
                    const SeqSide &t)
    {
        const ListMatching toOurs = matchSteps(b.views, o.views);
        const ListMatching toTheirs = matchSteps(b.views, t.views);
        const ListMergeOutcome merged =
            mergeLists({o.seq.stepCount(), t.seq.stepCount(), toOurs, toTheirs, [&](int i, int j) {
                            return sameStep(o.views[size_t(i)], t.views[size_t(j)]);
                        }});
        const QString seqWhere = QStringLiteral("sequence %1 \"%2\"").arg(seqAt + 1).arg(out.Title);
        for (const MergedEntry &e : merged.entries) {
            const int at = out.stepCount();
            TaskRecord record =
                e.ours >= 0 ? o.seq.step(e.ours)->record : t.seq.step(e.theirs)->record;
            if (e.base >= 0 && e.ours >= 0 && e.theirs >= 0)
                record = mergeStep(b, o, t, e, {seqAt, at}, seqWhere);
            if (!out.insertStep(-1, std::move(record)))
                conflict(MergeConflict::Insertions, seqAt, -1, seqWhere, QStringLiteral("none"),
                         QStringLiteral("%1 steps").arg(kMaxSteps),
                         QStringLiteral("one step more, left out (at most %1)").arg(kMaxSteps));
        }
        const SeqSide *sides[3] = {&b, &o, &t};
        listConflicts(merged, seqAt, seqWhere, QStringLiteral("step"), [&](int side, int index) {
            return mergeStepText(sides[side]->views[size_t(index)]);
        });
    }

    struct Place {
        int sequence;
        int step;
    };

    TaskRecord mergeStep(const SeqSide &b, const SeqSide &o, const SeqSide &t, const MergedEntry &e,
                         Place at, const QString &seqWhere)
    {
        const StepView &bv = b.views[size_t(e.base)], &ov = o.views[size_t(e.ours)],
                       &tv = t.views[size_t(e.theirs)];
        const TaskRecord &ours = o.seq.step(e.ours)->record;
        if (sameStep(bv, ov))
            return t.seq.step(e.theirs)->record;
        if (sameStep(bv, tv) || sameStep(ov, tv))
            return ours;
        std::vector<FieldConflict> fields;
        TaskRecord merged = mergeRecords(b.seq.step(e.base)->record, ours,
                                         t.seq.step(e.theirs)->record, m_digests, fields);
        for (const FieldConflict &f : fields)
            conflict(MergeConflict::Field, at.sequence, at.step,
                     QStringLiteral("%1, step %2 %3, %4")
                         .arg(seqWhere)
                         .arg(at.step + 1)
                         .arg(ov.rows().label, f.field),
                     f.base, f.ours, f.theirs, f.field);
        for (size_t k = m_conflicts.size() - fields.size(); k < m_conflicts.size(); ++k) {
            m_conflicts[k].theirsSequence = m_theirsSequence;
            m_conflicts[k].theirsStep = e.theirs;
        }
        return merged;
    }

    // ---- the list merge's conflicts, placed in the merged list. describe
    // names item i of side 0 (base), 1 (ours) or 2 (theirs).
    template <typename Describe>
    void listConflicts(const ListMergeOutcome &m, int seqAt, const QString &seqWhere,
                       const QString &noun, Describe describe)
    {
        const bool steps = seqAt >= 0;
        auto placeOf = [&](auto pick) {
            for (size_t k = 0; k < m.entries.size(); ++k)
                if (pick(m.entries[k]))
                    return int(k);
            return -1;
        };
        auto whereAt = [&](int at) {
            const QString item = QStringLiteral("%1 %2").arg(noun).arg(at + 1);
            return steps ? QStringLiteral("%1, %2").arg(seqWhere, item) : item;
        };
        auto add = [&](MergeConflict::Kind kind, int at, const QString &where, const QString &b,
                       const QString &o, const QString &t) {
            conflict(kind, steps ? seqAt : at, steps ? at : -1, where, b, o, t);
        };
        const QString removed = QStringLiteral("removed");
        for (const auto &rc : m.removedChanged) {
            const int at = placeOf([&](const MergedEntry &e) { return e.base == rc.base; });
            const QString where =
                at >= 0 ? whereAt(at)
                        : (steps ? seqWhere + QStringLiteral(", ") : QString()) +
                              QStringLiteral("%1 %2 of the base").arg(noun).arg(rc.base + 1);
            const QString changed = QStringLiteral("changed");
            add(MergeConflict::RemovedChanged, at, where, describe(0, rc.base),
                rc.oursRemoved ? removed : changed, rc.oursRemoved ? changed : removed);
            if (rc.oursRemoved)
                placeTheirs(m_conflicts.back(), steps, rc.theirs).theirsPlace = rc.place;
        }
        for (const auto &ins : m.insertions) {
            const int at = placeOf([&](const MergedEntry &e) { return e.theirs == ins.theirs; });
            QStringList ours;
            for (int o : ins.ours)
                ours << describe(1, o);
            add(MergeConflict::Insertions, at, whereAt(at), QStringLiteral("nothing"),
                ours.join(QStringLiteral("; ")), describe(2, ins.theirs));
            MergeConflict &c = m_conflicts.back();
            auto oursInsertion = [&](int k) {
                return std::find(ins.ours.begin(), ins.ours.end(), m.entries[size_t(k)].ours) !=
                       ins.ours.end();
            };
            while (at - c.oursRun > 0 && oursInsertion(at - c.oursRun - 1))
                ++c.oursRun;
            // Theirs' run: its further insertions follow its first one.
            for (size_t k = size_t(at); k < m.entries.size(); ++k) {
                const MergedEntry &e = m.entries[k];
                if (e.base >= 0 || e.ours >= 0 || e.theirs != ins.theirs + c.theirsRun)
                    break;
                ++c.theirsRun;
            }
        }
        for (const auto &moved : m.movedBoth) {
            const int b = moved.base;
            const int at = placeOf([&](const MergedEntry &e) { return e.base == b; });
            const MergedEntry &e = m.entries[size_t(at)];
            add(MergeConflict::Order, at, whereAt(at),
                QStringLiteral("%1 at position %2").arg(describe(0, b)).arg(b + 1),
                QStringLiteral("position %1").arg(e.ours + 1),
                QStringLiteral("position %1").arg(e.theirs + 1));
            m_conflicts.back().theirsPlace = moved.theirsAfter + 1;
        }
    }

    // Names theirs' item (a sequence, or a step of the sequence being merged).
    MergeConflict &placeTheirs(MergeConflict &c, bool step, int theirs) const
    {
        c.theirsSequence = step ? m_theirsSequence : theirs;
        c.theirsStep = step ? theirs : -1;
        return c;
    }

    MergeInput m_base, m_ours, m_theirs;
    FileDigests m_digests;
    std::vector<MergeConflict> m_conflicts;
    int m_theirsSequence = -1; // theirs' index of the sequence whose steps are merged
};

} // namespace

WizardMergeResult mergeWizards(const MergeSide &base, const MergeSide &ours,
                               const MergeSide &theirs)
{
    return Merger(base, ours, theirs).run();
}

} // namespace stepvane
