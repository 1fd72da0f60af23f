// Comparing two steps: records without working-copy paths, file digests, and
// the value changes read off their testing-summary rows.
#include "review/diff/StepComparison.h"

#include "review/diff/ListMatching.h"
#include "summary/SummaryRows.h"

#include <QSet>

#include <type_traits>

namespace stepvane {

namespace {

const QString kLabelSeparator = QStringLiteral(" : ");

QString lastComponent(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(cut + 1);
}

// Working-copy paths differ between two readings of the same file, and the
// memory-only values are not part of a wizard; neither counts as a change.
void normalize(TaskRecord &record)
{
    std::visit(
        [](auto &r) {
            using R = std::decay_t<decltype(r)>;
            if constexpr (std::is_same_v<R, PromptTask> || std::is_same_v<R, MarkerPeakTask> ||
                          std::is_same_v<R, LimitTask>)
                for (AttachedImage &image : r.images)
                    image.TransImageName.clear();
            if constexpr (std::is_same_v<R, SaveTask> || std::is_same_v<R, ReportTask>)
                r.logo.TransImageName.clear();
            if constexpr (std::is_same_v<R, LimitTask>)
                r.TransMSLfileName.clear();
            if constexpr (std::is_same_v<R, LoadTask>) {
                r.SetupfileName = lastComponent(r.SetupfileName);
                r.SetupFormat = 0;
            }
            if constexpr (std::is_same_v<R, FrequencyDistanceTask>) {
                r.Center_Frequency = r.Span = 0;
                r.Center_Frequency_Check = r.Span_Check = 0;
            }
        },
        record);
}

QString descriptionOf(const TaskRecord &record)
{
    return std::visit([](const auto &r) { return r.Description; }, record);
}

int indentOf(const QString &cell)
{
    int n = 0;
    while (n < cell.size() && cell.at(n) == u' ')
        ++n;
    return n;
}

bool isSection(const QString &cell)
{
    const QString t = cell.trimmed();
    return t.startsWith(u'<') && t.endsWith(u'>');
}

// The label of a "label : value" row; null for a row that has none, or whose
// text before the first " : " is itself a list ("Marker: M1, on/off: on, Sign").
QString rawLabel(const QString &cell)
{
    const qsizetype at = cell.indexOf(kLabelSeparator);
    if (at <= 0)
        return QString();
    const QString label = cell.left(at).trimmed();
    if (label.isEmpty() || label.contains(u':') || label.contains(u','))
        return QString();
    return label;
}

QString valueOf(const QString &cell)
{
    return cell.mid(cell.indexOf(kLabelSeparator) + kLabelSeparator.size());
}

// What a row belongs to: the nearest row above it that is indented less, or
// else the section ("<Display>") it lies in.
QString contextOf(const QStringList &cells, int row)
{
    const int indent = indentOf(cells.at(row));
    for (int k = row - 1; k >= 0; --k) {
        if (indentOf(cells.at(k)) >= indent)
            continue;
        const QString label = rawLabel(cells.at(k));
        return label.isNull() ? cells.at(k).trimmed() : label;
    }
    for (int k = row - 1; k >= 0; --k)
        if (isSection(cells.at(k)))
            return cells.at(k).trimmed();
    return QString();
}

struct RowLabels {
    QStringList full;    // the label with its context where needed
    QStringList plain;   // the row's own label, null when it has none
    QStringList context; // what the row belongs to, where it needs saying
};

RowLabels labelRows(const QStringList &cells, const QSet<QString> &ambiguous)
{
    RowLabels out;
    for (int k = 0; k < cells.size(); ++k) {
        const QString raw = rawLabel(cells.at(k));
        out.plain << raw;
        const bool needsContext =
            (raw.isNull() || ambiguous.contains(raw)) && !isSection(cells.at(k));
        const QString context = needsContext ? contextOf(cells, k) : QString();
        out.context << context;
        if (raw.isNull())
            out.full << context;
        else
            out.full << (context.isEmpty() ? raw : context + QStringLiteral(" / ") + raw);
    }
    return out;
}

// Labels that occur more than once on either side need their context.
QSet<QString> repeatedLabels(const QStringList &a, const QStringList &b)
{
    QSet<QString> repeated;
    for (const QStringList *cells : {&a, &b}) {
        QSet<QString> seen;
        for (const QString &cell : *cells) {
            const QString label = rawLabel(cell);
            if (label.isNull())
                continue;
            if (seen.contains(label))
                repeated.insert(label);
            seen.insert(label);
        }
    }
    return repeated;
}

ValueDiff rowDiff(const QString &context, const QString &oldCell, const QString &newCell)
{
    ValueDiff d;
    d.kind = ValueDiff::Row;
    d.label = context;
    if (!oldCell.isNull())
        d.oldText = oldCell.trimmed();
    if (!newCell.isNull())
        d.newText = newCell.trimmed();
    return d;
}

void contentChanges(const StepView &o, const StepView &n, std::vector<ValueDiff> &out)
{
    for (size_t j = 0; j < n.files.size(); ++j)
        for (size_t i = 0; i < o.files.size(); ++i) {
            const AttachmentRef &a = o.files[i];
            const AttachmentRef &b = n.files[j];
            // A renamed file already shows as a changed name row.
            if (a.field != b.field || a.name != b.name || !a.embedded || !b.embedded)
                continue;
            if (o.digests[i] != n.digests[j])
                out.push_back({ValueDiff::Content, b.label, a.name, b.name});
        }
}

} // namespace

StepView viewOfStep(const TaskStep &step, int model)
{
    StepView v;
    v.record = step.record;
    normalize(v.record);
    v.files = stepAttachments(step);
    for (const AttachmentRef &file : v.files)
        v.digests.push_back(file.embedded ? fileDigest(file.path) : QByteArray());
    v.step = &step;
    v.model = model;
    return v;
}

const StepRows &StepView::rows() const
{
    if (m_rows)
        return *m_rows;
    StepRows &r = m_rows.emplace();
    r.description = descriptionOf(step->record);
    const QStringList rows = summaryStepRows(*step, 1, model);
    for (int k = 0; k < rows.size(); ++k) {
        const QString &row = rows.at(k);
        const qsizetype bar = row.indexOf(kCellSeparator);
        if (k == 0) {
            // "1.Label|..." opens every block.
            r.label = row.left(bar).mid(2);
            QString cell = row.mid(bar + 1);
            // Calibration, Hold and Auto scale print the description bare.
            if (!cell.startsWith(QStringLiteral("Description : ")))
                cell.prepend(QStringLiteral("Description : "));
            r.cells << cell;
            continue;
        }
        const QString cell = bar < 0 ? row : row.mid(bar + 1);
        if (!cell.trimmed().isEmpty())
            r.cells << cell;
    }
    return r;
}

bool sameStep(const StepView &a, const StepView &b)
{
    return a.record == b.record && a.digests == b.digests;
}

std::vector<StepView> viewsOf(const TestingSequence &sequence, int model)
{
    std::vector<StepView> views;
    for (const auto &step : sequence.steps)
        views.push_back(viewOfStep(*step, model));
    return views;
}

bool sameSequence(const TestingSequence &a, const std::vector<StepView> &av,
                  const TestingSequence &b, const std::vector<StepView> &bv)
{
    if (a.Title != b.Title || av.size() != bv.size())
        return false;
    for (size_t i = 0; i < av.size(); ++i)
        if (!sameStep(av[i], bv[i]))
            return false;
    return true;
}

ListMatching matchSteps(const std::vector<StepView> &o, const std::vector<StepView> &n)
{
    return matchLists(
        int(o.size()), int(n.size()),
        [&](int i, int j) { return sameStep(o[size_t(i)], n[size_t(j)]); },
        {[&](int i, int j) { return o[size_t(i)].record.index() == n[size_t(j)].record.index(); }});
}

ListMatching matchSequences(const WizardDocument &a, const std::vector<std::vector<StepView>> &av,
                            const WizardDocument &b, const std::vector<std::vector<StepView>> &bv)
{
    auto seqA = [&](int i) -> const TestingSequence & { return *a.sequences[size_t(i)]; };
    auto seqB = [&](int j) -> const TestingSequence & { return *b.sequences[size_t(j)]; };
    // Equal sequences first; then a kept title; then what is left between two
    // equal sequences, in order.
    return matchLists(
        a.sequenceCount(), b.sequenceCount(),
        [&](int i, int j) { return sameSequence(seqA(i), av[size_t(i)], seqB(j), bv[size_t(j)]); },
        {[&](int i, int j) { return seqA(i).Title == seqB(j).Title; },
         [](int, int) { return true; }});
}

std::vector<ValueDiff> stepValueChanges(const StepView &o, const StepView &n)
{
    const QStringList &oc = o.rows().cells;
    const QStringList &nc = n.rows().cells;
    const QSet<QString> ambiguous = repeatedLabels(oc, nc);
    const RowLabels ol = labelRows(oc, ambiguous);
    const RowLabels nl = labelRows(nc, ambiguous);
    const ListMatching m = matchLists(
        int(oc.size()), int(nc.size()), [&](int i, int j) { return oc.at(i) == nc.at(j); },
        {[&](int i, int j) { return !ol.plain.at(i).isNull() && ol.full.at(i) == nl.full.at(j); }});

    std::vector<ValueDiff> out;
    for (const ListMatching::Entry &e : m.displayOrder()) {
        if (e.oldIndex >= 0 && e.newIndex >= 0) {
            if (m.linkOf[size_t(e.oldIndex)] != ListMatching::Link::Paired)
                continue; // the same row (a row that only moved says nothing new)
            out.push_back({ValueDiff::Value, nl.full.at(e.newIndex), valueOf(oc.at(e.oldIndex)),
                           valueOf(nc.at(e.newIndex))});
        } else if (e.newIndex >= 0) {
            out.push_back(rowDiff(nl.context.at(e.newIndex), QString(), nc.at(e.newIndex)));
        } else {
            out.push_back(rowDiff(ol.context.at(e.oldIndex), oc.at(e.oldIndex), QString()));
        }
    }
    contentChanges(o, n, out);
    return out;
}

} // namespace stepvane
