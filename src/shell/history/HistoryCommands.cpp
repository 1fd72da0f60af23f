// The undoable changes of a wizard.
#include "shell/history/HistoryCommands.h"

#include "document/NameTables.h"

#include <algorithm>
#include <atomic>
#include <typeinfo>

namespace stepvane {

// ---- header -----------------------------------------------------------------

WizardHeader WizardHeader::of(const WizardDocument &doc)
{
    return {doc.Title, doc.PW, doc.PW_Confirm, doc.PasswordSet, doc.SeqEndOption};
}

void WizardHeader::applyTo(WizardDocument &doc) const
{
    doc.Title = Title;
    doc.PW = PW;
    doc.PW_Confirm = PW_Confirm;
    doc.PasswordSet = PasswordSet;
    doc.SeqEndOption = SeqEndOption;
}

// ---- merging ------------------------------------------------------------------

namespace {
std::atomic<quint64> nextSerial{1};
} // namespace

MergeableCommand::MergeableCommand(const QString &text, EditRecorder::Key key, const void *target,
                                   const quint64 &openSerial)
    : HistoryCommand(text), m_serial(nextSerial++), m_key(key), m_target(target),
      m_openSerial(openSerial)
{
}

bool MergeableCommand::mergeWith(const QUndoCommand *other)
{
    const auto *next = dynamic_cast<const MergeableCommand *>(other);
    if (m_openSerial != m_serial || !next || next->m_key != m_key || next->m_target != m_target ||
        typeid(*next) != typeid(*this))
        return false;
    absorb(*next);
    m_lastMerged = next->m_serial;
    // Typing that comes back to where it started leaves nothing to undo.
    setObsolete(isNoChange());
    return true;
}

// ---- stored records ------------------------------------------------------------

struct StoredRecord::Holder {
    virtual ~Holder() = default;
    virtual TaskRecord take() = 0;
    virtual bool equals(const TaskRecord &record) const = 0;
};

template <typename T> struct StoredRecord::Typed : StoredRecord::Holder {
    explicit Typed(T &&v) : value(std::move(v)) {}
    TaskRecord take() override { return TaskRecord(std::move(value)); }
    bool equals(const TaskRecord &record) const override
    {
        const T *other = std::get_if<T>(&record);
        return other && *other == value;
    }
    T value;
};

std::unique_ptr<StoredRecord::Holder> StoredRecord::hold(TaskRecord record)
{
    return std::visit(
        [](auto &&value) -> std::unique_ptr<Holder> {
            using T = std::decay_t<decltype(value)>;
            return std::make_unique<Typed<T>>(std::forward<decltype(value)>(value));
        },
        std::move(record));
}

StoredRecord::StoredRecord(TaskRecord record) : m_holder(hold(std::move(record))) {}
StoredRecord::~StoredRecord() = default;
StoredRecord::StoredRecord(StoredRecord &&) noexcept = default;
StoredRecord &StoredRecord::operator=(StoredRecord &&) noexcept = default;

void StoredRecord::swapWith(TaskStep &step)
{
    TaskRecord mine = m_holder->take();
    m_holder = hold(std::move(step.record));
    step.record = std::move(mine);
}

bool StoredRecord::equals(const TaskRecord &record) const
{
    return m_holder->equals(record);
}

// ---- record edits -----------------------------------------------------------------

RecordEditCommand::RecordEditCommand(TaskStep &step, TaskRecord before, EditRecorder::Key key,
                                     TestingSequence *sequence, const quint64 &openSerial)
    : MergeableCommand(taskListName(step.kind()) + QStringLiteral(" edit"), key, &step, openSerial),
      m_step(&step), m_sequence(sequence), m_stored(std::move(before))
{
}

void RecordEditCommand::undo()
{
    m_stored.swapWith(*m_step);
    if (m_unit)
        *m_unit = m_unitBefore;
}

void RecordEditCommand::redo()
{
    if (m_applied) {
        m_applied = false;
        return;
    }
    m_stored.swapWith(*m_step);
    if (m_unit)
        *m_unit = m_unitAfter;
}

void RecordEditCommand::alsoSwitchesUnit(int &unit, int before)
{
    m_unit = &unit;
    m_unitBefore = before;
    m_unitAfter = unit;
}

HistoryFocus RecordEditCommand::focus(bool) const
{
    return {HistoryFocus::Area::Record, m_sequence, m_step};
}

// ---- header and sequence title ---------------------------------------------------

HeaderCommand::HeaderCommand(WizardDocument &doc, WizardHeader after, const QString &text,
                             EditRecorder::Key key, const quint64 &openSerial)
    : MergeableCommand(text, key, &doc, openSerial), m_doc(doc), m_before(WizardHeader::of(doc)),
      m_after(std::move(after))
{
}

void HeaderCommand::absorb(const MergeableCommand &other)
{
    m_after = static_cast<const HeaderCommand &>(other).m_after;
}

SequenceTitleCommand::SequenceTitleCommand(TestingSequence &sequence, QString after,
                                           EditRecorder::Key key, const quint64 &openSerial)
    : MergeableCommand(QStringLiteral("Sequence title"), key, &sequence, openSerial),
      m_sequence(sequence), m_before(sequence.Title), m_after(std::move(after))
{
}

void SequenceTitleCommand::absorb(const MergeableCommand &other)
{
    m_after = static_cast<const SequenceTitleCommand &>(other).m_after;
}

HistoryFocus SequenceTitleCommand::focus(bool) const
{
    return {HistoryFocus::Area::SequenceTitle, &m_sequence, nullptr};
}

// ---- list orders ------------------------------------------------------------------

template <typename T> void ListOrder<T>::arrange(List &list, bool forward)
{
    const std::vector<T *> &order = forward ? m_after : m_before;
    List all;
    all.reserve(list.size() + m_pool.size());
    for (auto &item : list)
        all.push_back(std::move(item));
    for (auto &item : m_pool)
        all.push_back(std::move(item));
    list.clear();
    m_pool.clear();
    list.reserve(order.size());
    for (T *wanted : order) {
        auto it = std::find_if(all.begin(), all.end(),
                               [wanted](const auto &item) { return item.get() == wanted; });
        if (it != all.end())
            list.push_back(std::move(*it));
    }
    for (auto &item : all)
        if (item)
            m_pool.push_back(std::move(item));
}

template class ListOrder<TaskStep>;
template class ListOrder<TestingSequence>;

StepListCommand::StepListCommand(TestingSequence &sequence, std::vector<TaskStep *> after,
                                 std::vector<std::unique_ptr<TaskStep>> added, const QString &text,
                                 TaskStep *shownAfter, TaskStep *shownBefore)
    : HistoryCommand(text), m_sequence(sequence),
      m_order(sequence.steps, std::move(after), std::move(added)), m_shownAfter(shownAfter),
      m_shownBefore(shownBefore)
{
}

HistoryFocus StepListCommand::focus(bool undone) const
{
    return {HistoryFocus::Area::Steps, &m_sequence, undone ? m_shownBefore : m_shownAfter};
}

SequenceListCommand::SequenceListCommand(WizardDocument &doc, std::vector<TestingSequence *> after,
                                         std::vector<std::unique_ptr<TestingSequence>> added,
                                         const QString &text, TestingSequence *shownAfter,
                                         TestingSequence *shownBefore)
    : HistoryCommand(text), m_doc(doc), m_order(doc.sequences, std::move(after), std::move(added)),
      m_shownAfter(shownAfter), m_shownBefore(shownBefore)
{
}

HistoryFocus SequenceListCommand::focus(bool undone) const
{
    return {HistoryFocus::Area::Sequences, undone ? m_shownBefore : m_shownAfter, nullptr};
}

} // namespace stepvane
