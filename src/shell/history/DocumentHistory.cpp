// The edit history of the open wizard.
#include "shell/history/DocumentHistory.h"

#include <algorithm>

namespace stepvane {

namespace {

template <typename T> std::vector<T *> orderOf(const std::vector<std::unique_ptr<T>> &list)
{
    std::vector<T *> order;
    order.reserve(list.size() + 1);
    for (const auto &item : list)
        order.push_back(item.get());
    return order;
}

// Whether order holds exactly list's items, in another order.
template <typename T>
bool isReorder(const std::vector<std::unique_ptr<T>> &list, std::vector<T *> order)
{
    std::vector<T *> now = orderOf(list);
    if (order == now)
        return false;
    std::sort(now.begin(), now.end());
    std::sort(order.begin(), order.end());
    return order == now;
}

// The first item a reorder puts elsewhere: what to show.
template <typename T>
T *firstMoved(const std::vector<std::unique_ptr<T>> &list, const std::vector<T *> &order)
{
    size_t k = 0;
    while (k < order.size() && order[k] == list[k].get())
        ++k;
    return k < order.size() ? order[k] : nullptr;
}

} // namespace

DocumentHistory::DocumentHistory(WizardDocument &doc, QObject *parent) : QObject(parent), m_doc(doc)
{
    connect(&m_stack, &QUndoStack::cleanChanged, this,
            [this](bool clean) { emit modifiedChanged(!clean); });
}

DocumentHistory::~DocumentHistory()
{
    // Commands keep steps and sequences taken out of the document; they go
    // before anything that might still look at them.
    m_stack.clear();
}

// ---- record edits ------------------------------------------------------------------

void DocumentHistory::recordChanged(TaskStep &step, TaskRecord before, Key key)
{
    pushMergeable(
        new RecordEditCommand(step, std::move(before), key, sequenceOf(step), m_openSerial), key);
}

void DocumentHistory::endEdit(Key key)
{
    if (m_openKey == key)
        closeOpenEdit();
}

void DocumentHistory::distanceUnitSwitched(int &unit, int before)
{
    // The record edit just pushed carries the unit with it.
    const int index = m_stack.index();
    const auto *top =
        index > 0 ? dynamic_cast<const RecordEditCommand *>(m_stack.command(index - 1)) : nullptr;
    if (top)
        const_cast<RecordEditCommand *>(top)->alsoSwitchesUnit(unit, before);
}

void DocumentHistory::closeOpenEdit()
{
    m_openSerial = 0;
    m_openKey = {};
}

TestingSequence *DocumentHistory::sequenceOf(const TaskStep &step) const
{
    for (const auto &sequence : m_doc.sequences)
        for (const auto &owned : sequence->steps)
            if (owned.get() == &step)
                return sequence.get();
    return nullptr;
}

void DocumentHistory::pushMergeable(MergeableCommand *command, Key key)
{
    if (!(m_openKey == key))
        closeOpenEdit();
    const quint64 serial = command->serial();
    m_stack.push(command); // joins the open edit, or stands as a new one
    const int index = m_stack.index();
    const auto *top =
        index > 0 ? dynamic_cast<const MergeableCommand *>(m_stack.command(index - 1)) : nullptr;
    if (top && (top->serial() == serial || top->lastMerged() == serial)) {
        m_openSerial = top->serial();
        m_openKey = key;
    } else {
        // The typing came back to where it started and the edit went away.
        closeOpenEdit();
    }
    emit changed();
}

void DocumentHistory::pushStructure(HistoryCommand *command)
{
    closeOpenEdit();
    m_stack.push(command);
    emit changed();
}

// ---- steps -------------------------------------------------------------------------

TaskStep *DocumentHistory::insertStep(TestingSequence &sequence, int index, TaskRecord record,
                                      const QString &text)
{
    if (sequence.stepCount() >= kMaxSteps)
        return nullptr;
    if (index < 0 || index > sequence.stepCount())
        index = sequence.stepCount();
    auto step = std::make_unique<TaskStep>(std::move(record));
    TaskStep *added = step.get();
    std::vector<TaskStep *> after = orderOf(sequence.steps);
    after.insert(after.begin() + index, added);
    std::vector<std::unique_ptr<TaskStep>> pool;
    pool.push_back(std::move(step));
    pushStructure(
        new StepListCommand(sequence, std::move(after), std::move(pool), text, added, nullptr));
    return added;
}

bool DocumentHistory::removeStep(TestingSequence &sequence, int index)
{
    TaskStep *removed = sequence.step(index);
    if (!removed)
        return false;
    std::vector<TaskStep *> after = orderOf(sequence.steps);
    after.erase(after.begin() + index);
    pushStructure(new StepListCommand(sequence, std::move(after), {}, QStringLiteral("Delete step"),
                                      nullptr, removed));
    return true;
}

bool DocumentHistory::moveStep(TestingSequence &sequence, int from, int to)
{
    TaskStep *moved = sequence.step(from);
    if (!moved || !sequence.step(to) || from == to)
        return false;
    std::vector<TaskStep *> after = orderOf(sequence.steps);
    after.erase(after.begin() + from);
    after.insert(after.begin() + to, moved);
    pushStructure(new StepListCommand(sequence, std::move(after), {}, QStringLiteral("Move step"),
                                      moved, moved));
    return true;
}

void DocumentHistory::clearSteps(TestingSequence &sequence)
{
    if (sequence.stepCount() == 0)
        return;
    pushStructure(
        new StepListCommand(sequence, {}, {}, QStringLiteral("Clear all steps"), nullptr, nullptr));
}

void DocumentHistory::changeSequenceTitle(TestingSequence &sequence, const QString &title, Key key)
{
    if (sequence.Title == title)
        return;
    pushMergeable(new SequenceTitleCommand(sequence, title, key, m_openSerial), key);
}

bool DocumentHistory::reorderSteps(TestingSequence &sequence, std::vector<TaskStep *> order,
                                   const QString &text)
{
    if (!isReorder(sequence.steps, order))
        return false;
    TaskStep *first = firstMoved(sequence.steps, order);
    pushStructure(new StepListCommand(sequence, std::move(order), {}, text, first, first));
    return true;
}

// ---- sequences -------------------------------------------------------------------------

bool DocumentHistory::reorderSequences(std::vector<TestingSequence *> order, const QString &text)
{
    if (!isReorder(m_doc.sequences, order))
        return false;
    TestingSequence *first = firstMoved(m_doc.sequences, order);
    pushStructure(new SequenceListCommand(m_doc, std::move(order), {}, text, first, first));
    return true;
}

TestingSequence *DocumentHistory::insertSequence(int index,
                                                 std::unique_ptr<TestingSequence> sequence,
                                                 const QString &text)
{
    if (!sequence || m_doc.sequenceCount() >= kMaxSequences)
        return nullptr;
    if (index < 0 || index > m_doc.sequenceCount())
        index = m_doc.sequenceCount();
    TestingSequence *added = sequence.get();
    std::vector<TestingSequence *> after = orderOf(m_doc.sequences);
    after.insert(after.begin() + index, added);
    std::vector<std::unique_ptr<TestingSequence>> pool;
    pool.push_back(std::move(sequence));
    pushStructure(
        new SequenceListCommand(m_doc, std::move(after), std::move(pool), text, added, nullptr));
    return added;
}

bool DocumentHistory::removeSequence(int index)
{
    TestingSequence *removed = m_doc.sequence(index);
    if (!removed)
        return false;
    std::vector<TestingSequence *> after = orderOf(m_doc.sequences);
    after.erase(after.begin() + index);
    pushStructure(new SequenceListCommand(m_doc, std::move(after), {},
                                          QStringLiteral("Delete sequence"), nullptr, removed));
    return true;
}

bool DocumentHistory::moveSequence(int from, int to)
{
    TestingSequence *moved = m_doc.sequence(from);
    if (!moved || !m_doc.sequence(to) || from == to)
        return false;
    std::vector<TestingSequence *> after = orderOf(m_doc.sequences);
    after.erase(after.begin() + from);
    after.insert(after.begin() + to, moved);
    pushStructure(new SequenceListCommand(m_doc, std::move(after), {},
                                          QStringLiteral("Move sequence"), moved, moved));
    return true;
}

void DocumentHistory::clearSequences()
{
    if (m_doc.sequenceCount() == 0)
        return;
    pushStructure(new SequenceListCommand(m_doc, {}, {}, QStringLiteral("Clear all sequences"),
                                          nullptr, nullptr));
}

void DocumentHistory::changeHeader(const WizardHeader &after, const QString &text,
                                   std::optional<Key> key)
{
    if (WizardHeader::of(m_doc) == after)
        return;
    if (key) {
        pushMergeable(new HeaderCommand(m_doc, after, text, *key, m_openSerial), *key);
        return;
    }
    closeOpenEdit();
    // A change that stands alone: nothing can join it, its serial is never open.
    pushStructure(new HeaderCommand(m_doc, after, text, {}, m_openSerial));
}

void DocumentHistory::changeModel(int before, int after, std::function<void(int)> switchTo,
                                  const QString &text)
{
    pushStructure(new ModelCommand(before, after, std::move(switchTo), text));
}

// ---- saved state, undo and redo ---------------------------------------------------------

void DocumentHistory::setSaved()
{
    closeOpenEdit();
    m_stack.setClean();
}

void DocumentHistory::markModified()
{
    closeOpenEdit();
    m_stack.resetClean();
}

void DocumentHistory::clear()
{
    closeOpenEdit();
    m_stack.clear();
    emit changed();
}

void DocumentHistory::undo()
{
    restore(true);
}

void DocumentHistory::redo()
{
    restore(false);
}

void DocumentHistory::restore(bool undoing)
{
    emit aboutToRestore();
    closeOpenEdit();
    if (undoing ? !m_stack.canUndo() : !m_stack.canRedo())
        return;
    const int index = undoing ? m_stack.index() - 1 : m_stack.index();
    const auto *command = dynamic_cast<const HistoryCommand *>(m_stack.command(index));
    const HistoryFocus focus = command ? command->focus(undoing) : HistoryFocus{};
    if (undoing)
        m_stack.undo();
    else
        m_stack.redo();
    emit restored(focus);
    emit changed();
}

} // namespace stepvane
