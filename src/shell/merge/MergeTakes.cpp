// The merge window's takes: what the core's take says, made one undoable edit
// through the document's history. Items are found by address, since takes of
// other rows and the user's own edits move them.
#include "shell/merge/MergeSession.h"
#include "shell/merge/MergeWindow.h"

#include "shell/main/CStepvaneDlg.h"
#include "shell/sequences/CVXTestList_View.h"

#include <QLineEdit>

#include <algorithm>
#include <utility>

namespace stepvane {

namespace {

QString takeText(bool theirs)
{
    return theirs ? QStringLiteral("Take theirs") : QStringLiteral("Take ours");
}

int indexIn(const std::vector<void *> &items, const void *item)
{
    const auto at = std::find(items.begin(), items.end(), item);
    return item && at != items.end() ? int(at - items.begin()) : -1;
}

} // namespace

bool MergeWindow::takable(int index, bool theirs) const
{
    // Theirs' side of an item left out at the limits is made by hand: such a row is never marked as
    // taken from theirs.
    return !theirs || m_rows[size_t(index)].take.action != MergeTake::None;
}

bool MergeWindow::apply(Row &row, int index, bool theirs)
{
    switch (row.take.action) {
    case MergeTake::CopyField:
        return row.take.sequence >= 0 ? applyStepField(row, index, theirs)
                                      : applyHeaderOrTitle(row, theirs);
    case MergeTake::Restore:
    case MergeTake::Remove:
        return applyItem(row, theirs);
    case MergeTake::PutFirst:
        return applyOrder(row, theirs);
    case MergeTake::Move:
        return applyMove(row, theirs);
    case MergeTake::Model:
        // Ours' model is LOCAL's, the one the merged wizard was opened for.
        return m_main.switchModelAsEdit(theirs ? row.take.model : m_session.localModel(),
                                        takeText(theirs));
    case MergeTake::Password:
        return applyPassword(row, theirs);
    case MergeTake::None:
        break;
    }
    return false;
}

bool MergeWindow::applyStepField(Row &row, int index, bool theirs)
{
    const MergeConflict &c = row.conflict;
    TestingSequence *seq = row.owner;
    const int at = ownerStands(row) ? indexIn(itemsOf(seq), row.present) : -1;
    TaskStep *step = at >= 0 ? seq->step(at) : nullptr;
    if (!step)
        return false;
    const TestingSequence *theirsSeq = m_session.theirs().sequence(c.theirsSequence);
    const TaskStep *theirsStep = theirsSeq ? theirsSeq->step(c.theirsStep) : nullptr;
    if (theirs && !theirsStep)
        return false;
    TaskRecord next = step->record;
    if (!copyRecordField(next, theirs ? theirsStep->record : row.ours, c.field) ||
        next == step->record)
        return false;
    TaskRecord before = std::exchange(step->record, std::move(next));
    const EditRecorder::Key key{this, index + 1};
    m_main.history().recordChanged(*step, std::move(before), key);
    m_main.history().endEdit(key);
    m_main.pane()->followDocument({HistoryFocus::Area::Record, seq, step});
    return true;
}

bool MergeWindow::applyHeaderOrTitle(Row &row, bool theirs)
{
    const MergeConflict &c = row.conflict;
    const WizardDocument &other = m_session.theirs();
    if (TestingSequence *seq = row.owner) {
        const TestingSequence *theirsSeq = other.sequence(c.theirsSequence);
        if ((theirs && !theirsSeq) || !ownerStands(row))
            return false;
        const QString title = theirs ? theirsSeq->Title : row.oursText;
        if (title == seq->Title)
            return false;
        const EditRecorder::Key key{this, -1};
        m_main.history().changeSequenceTitle(*seq, title, key);
        m_main.history().closeOpenEdit();
        m_main.pane()->followDocument({HistoryFocus::Area::SequenceTitle, seq, nullptr});
        return true;
    }
    WizardHeader header = WizardHeader::of(m_main.document());
    if (c.field == QLatin1String("Title"))
        header.Title = theirs ? other.Title : row.oursHeader.Title;
    else if (c.field == QLatin1String("SeqEndOption"))
        header.SeqEndOption = theirs ? other.SeqEndOption : row.oursHeader.SeqEndOption;
    if (header == WizardHeader::of(m_main.document()))
        return false;
    m_main.history().changeHeader(header, QStringLiteral("Merge"));
    m_main.titleEdit()->setText(m_main.document().Title);
    m_main.pane()->followDocument({});
    return true;
}

bool MergeWindow::applyPassword(Row &row, bool theirs)
{
    const WizardHeader now = WizardHeader::of(m_main.document());
    const WizardHeader from = theirs ? WizardHeader::of(m_session.theirs()) : row.oursHeader;
    WizardHeader header = now;
    header.PW = from.PW;
    header.PW_Confirm = from.PW_Confirm;
    header.PasswordSet = from.PasswordSet;
    if (header == now)
        return false;
    m_main.history().changeHeader(header, takeText(theirs));
    return true;
}

bool MergeWindow::applyItem(Row &row, bool theirs)
{
    // Ours removed it and theirs' is restored, or theirs removed ours'.
    const bool wanted = (row.take.action == MergeTake::Restore) == theirs;
    if (!ownerStands(row))
        return false;
    const std::vector<void *> items = itemsOf(row.owner);
    const int at = indexIn(items, row.present);
    if (wanted == (at >= 0))
        return false;
    DocumentHistory &history = m_main.history();
    if (!wanted) {
        const bool removed =
            row.owner ? history.removeStep(*row.owner, at) : history.removeSequence(at);
        m_main.pane()->followDocument(
            {row.owner ? HistoryFocus::Area::Steps : HistoryFocus::Area::Sequences, row.owner,
             nullptr});
        return removed;
    }
    // Back behind the item it followed; first when that one is gone too.
    const int place = row.anchor ? indexIn(items, row.anchor) + 1 : 0;
    const MergeConflict &c = row.conflict;
    const TestingSequence *theirsSeq = m_session.theirs().sequence(c.theirsSequence);
    if (row.owner) {
        const TaskStep *from = theirsSeq ? theirsSeq->step(c.theirsStep) : nullptr;
        if (theirs && !from)
            return false;
        TaskStep *added = history.insertStep(*row.owner, place, theirs ? from->record : row.ours,
                                             takeText(theirs));
        row.present = added ? added : row.present;
        m_main.pane()->followDocument({HistoryFocus::Area::Steps, row.owner, added});
        return added != nullptr;
    }
    const TestingSequence *from = theirs ? theirsSeq : row.oursSequence.get();
    TestingSequence *added =
        from ? history.insertSequence(place, from->clone(), takeText(theirs)) : nullptr;
    row.present = added ? added : row.present;
    m_main.pane()->followDocument({HistoryFocus::Area::Sequences, added, nullptr});
    return added != nullptr;
}

bool MergeWindow::applyOrder(Row &row, bool theirs)
{
    const std::vector<void *> &front = theirs ? row.theirsRun : row.oursRun;
    const std::vector<void *> &back = theirs ? row.oursRun : row.theirsRun;
    if (!ownerStands(row))
        return false;
    const std::vector<void *> items = itemsOf(row.owner);
    std::vector<void *> order;
    for (void *item : items)
        if (std::find(front.begin(), front.end(), item) == front.end())
            order.push_back(item);
    auto first = std::find_first_of(order.begin(), order.end(), back.begin(), back.end());
    if (first == order.end())
        return false;
    std::vector<void *> moved;
    for (void *item : front)
        if (indexIn(items, item) >= 0)
            moved.push_back(item);
    order.insert(first, moved.begin(), moved.end());
    return reorder(row, order, moved.empty() ? nullptr : moved.front(), theirs);
}

bool MergeWindow::applyMove(Row &row, bool theirs)
{
    if (!ownerStands(row) || indexIn(itemsOf(row.owner), row.present) < 0)
        return false;
    std::vector<void *> order = itemsOf(row.owner);
    order.erase(std::find(order.begin(), order.end(), row.present));
    // Behind the item it followed on that side; first when that one is gone.
    const int behind = indexIn(order, theirs ? row.anchor : row.oursAnchor);
    order.insert(order.begin() + (behind + 1), row.present);
    return reorder(row, order, row.present, theirs);
}

bool MergeWindow::reorder(const Row &row, const std::vector<void *> &order, void *shown,
                          bool theirs)
{
    if (order == itemsOf(row.owner))
        return false;
    if (row.owner) {
        std::vector<TaskStep *> steps;
        steps.reserve(order.size());
        for (void *item : order)
            steps.push_back(static_cast<TaskStep *>(item));
        m_main.history().reorderSteps(*row.owner, std::move(steps), takeText(theirs));
        m_main.pane()->followDocument(
            {HistoryFocus::Area::Steps, row.owner, static_cast<TaskStep *>(shown)});
    } else {
        std::vector<TestingSequence *> sequences;
        sequences.reserve(order.size());
        for (void *item : order)
            sequences.push_back(static_cast<TestingSequence *>(item));
        m_main.history().reorderSequences(std::move(sequences), takeText(theirs));
        m_main.pane()->followDocument(
            {HistoryFocus::Area::Sequences, static_cast<TestingSequence *>(shown), nullptr});
    }
    return true;
}

} // namespace stepvane
