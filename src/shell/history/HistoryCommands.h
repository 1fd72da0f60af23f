// The undoable changes of a wizard: a step's record edited on its page, the
// steps of a sequence inserted, pasted, moved, deleted or cleared, the
// sequences of the wizard added, pasted, moved, deleted or cleared, a
// sequence title, and the wizard header (title, end option, password).
//
// Panes and pages hold pointers into the document, so no command ever
// recreates a step or a sequence: one taken out of the document is kept
// alive inside its command, and undo puts the same object back.
#pragma once

#include "document/WizardDocument.h"
#include "editors/framework/EditRecorder.h"

#include <QUndoCommand>

#include <functional>
#include <memory>
#include <vector>

namespace stepvane {

// Where a change happened, so the windows can show it after an undo or redo.
struct HistoryFocus {
    enum class Area { Header, Sequences, Steps, Record, SequenceTitle };
    Area area = Area::Header;
    TestingSequence *sequence = nullptr; // the sequence changed (or holding the step)
    TaskStep *step = nullptr;            // the step changed, inserted or brought back
};

class HistoryCommand : public QUndoCommand {
public:
    explicit HistoryCommand(const QString &text) : QUndoCommand(text) {}
    // What to show once the command has been undone (undone) or redone.
    virtual HistoryFocus focus(bool undone) const = 0;
};

// A change of the wizard header as a whole.
struct WizardHeader {
    QString Title;
    QString PW;
    QString PW_Confirm;
    Flag PasswordSet = 0;
    int SeqEndOption = 2;

    static WizardHeader of(const WizardDocument &doc);
    void applyTo(WizardDocument &doc) const;
    bool operator==(const WizardHeader &) const = default;
};

// An edit that later keystrokes of the same field may join: a record edit,
// a sequence title, the wizard header. It joins only while it is the edit the
// history keeps open (openSerial names that edit; 0 while none is).
class MergeableCommand : public HistoryCommand {
public:
    static constexpr int kMergeId = 0x5354;

    MergeableCommand(const QString &text, EditRecorder::Key key, const void *target,
                     const quint64 &openSerial);
    int id() const override { return kMergeId; }
    quint64 serial() const { return m_serial; }
    EditRecorder::Key key() const { return m_key; }
    // The serial of the last command this one took in.
    quint64 lastMerged() const { return m_lastMerged; }

    bool mergeWith(const QUndoCommand *other) override;

protected:
    // Takes the other command's change in; it has the same key and target.
    virtual void absorb(const MergeableCommand &other) = 0;
    // Whether the joined change came back to where it started.
    virtual bool isNoChange() const = 0;

private:
    quint64 m_serial;
    quint64 m_lastMerged = 0;
    EditRecorder::Key m_key;
    const void *m_target;
    const quint64 &m_openSerial;
};

// A record as small as the kind it holds: a TaskRecord is as large as its
// largest kind, and the history keeps many of them.
class StoredRecord {
public:
    explicit StoredRecord(TaskRecord record);
    ~StoredRecord();
    StoredRecord(StoredRecord &&) noexcept;
    StoredRecord &operator=(StoredRecord &&) noexcept;
    // Swaps the held record with the step's.
    void swapWith(TaskStep &step);
    bool equals(const TaskRecord &record) const;

    struct Holder;

private:
    template <typename T> struct Typed;
    static std::unique_ptr<Holder> hold(TaskRecord record);
    std::unique_ptr<Holder> m_holder;
};

// A page changed a step's record; the change is already in the record when
// the command is made. It keeps the other state and swaps it in.
class RecordEditCommand : public MergeableCommand {
public:
    RecordEditCommand(TaskStep &step, TaskRecord before, EditRecorder::Key key,
                      TestingSequence *sequence, const quint64 &openSerial);
    void undo() override;
    void redo() override;
    HistoryFocus focus(bool undone) const override;
    // The change also switched the editor-wide distance unit from before.
    void alsoSwitchesUnit(int &unit, int before);

protected:
    void absorb(const MergeableCommand &) override {}
    bool isNoChange() const override { return m_stored.equals(m_step->record); }

private:
    TaskStep *m_step;
    TestingSequence *m_sequence;
    StoredRecord m_stored;
    bool m_applied = true; // the first redo finds the change made
    int *m_unit = nullptr;
    int m_unitBefore = 0;
    int m_unitAfter = 0;
};

class HeaderCommand : public MergeableCommand {
public:
    HeaderCommand(WizardDocument &doc, WizardHeader after, const QString &text,
                  EditRecorder::Key key, const quint64 &openSerial);
    void undo() override { m_before.applyTo(m_doc); }
    void redo() override { m_after.applyTo(m_doc); }
    HistoryFocus focus(bool) const override { return {}; }

protected:
    void absorb(const MergeableCommand &other) override;
    bool isNoChange() const override { return m_before == m_after; }

private:
    WizardDocument &m_doc;
    WizardHeader m_before;
    WizardHeader m_after;
};

class SequenceTitleCommand : public MergeableCommand {
public:
    SequenceTitleCommand(TestingSequence &sequence, QString after, EditRecorder::Key key,
                         const quint64 &openSerial);
    void undo() override { m_sequence.Title = m_before; }
    void redo() override { m_sequence.Title = m_after; }
    HistoryFocus focus(bool undone) const override;

protected:
    void absorb(const MergeableCommand &other) override;
    bool isNoChange() const override { return m_before == m_after; }

private:
    TestingSequence &m_sequence;
    QString m_before;
    QString m_after;
};

// A new order of an owned list (the steps of a sequence, the sequences of the
// wizard): elements that leave the list wait in the command's pool, new
// elements start there. Undo restores the order before.
template <typename T> class ListOrder {
public:
    using List = std::vector<std::unique_ptr<T>>;

    ListOrder(const List &list, std::vector<T *> after, std::vector<std::unique_ptr<T>> added)
        : m_after(std::move(after)), m_pool(std::move(added))
    {
        m_before.reserve(list.size());
        for (const auto &item : list)
            m_before.push_back(item.get());
    }
    void arrange(List &list, bool forward);
    const std::vector<T *> &before() const { return m_before; }
    const std::vector<T *> &after() const { return m_after; }

private:
    std::vector<T *> m_before;
    std::vector<T *> m_after;
    List m_pool;
};

class StepListCommand : public HistoryCommand {
public:
    // after: every step of the sequence in its new order; added: the new steps
    // among them; shownAfter and shownBefore: the step to show once the
    // change is made, and once it is undone (none: nullptr).
    StepListCommand(TestingSequence &sequence, std::vector<TaskStep *> after,
                    std::vector<std::unique_ptr<TaskStep>> added, const QString &text,
                    TaskStep *shownAfter, TaskStep *shownBefore);
    void undo() override { m_order.arrange(m_sequence.steps, false); }
    void redo() override { m_order.arrange(m_sequence.steps, true); }
    HistoryFocus focus(bool undone) const override;

private:
    TestingSequence &m_sequence;
    ListOrder<TaskStep> m_order;
    TaskStep *m_shownAfter;
    TaskStep *m_shownBefore;
};

class SequenceListCommand : public HistoryCommand {
public:
    SequenceListCommand(WizardDocument &doc, std::vector<TestingSequence *> after,
                        std::vector<std::unique_ptr<TestingSequence>> added, const QString &text,
                        TestingSequence *shownAfter, TestingSequence *shownBefore);
    void undo() override { m_order.arrange(m_doc.sequences, false); }
    void redo() override { m_order.arrange(m_doc.sequences, true); }
    HistoryFocus focus(bool undone) const override;

private:
    WizardDocument &m_doc;
    ListOrder<TestingSequence> m_order;
    TestingSequence *m_shownAfter;
    TestingSequence *m_shownBefore;
};

// The editor switched to another model (a merge taking theirs' model); the
// switch itself is the main window's, done on redo and undone on undo.
class ModelCommand : public HistoryCommand {
public:
    ModelCommand(int before, int after, std::function<void(int)> switchTo, const QString &text)
        : HistoryCommand(text), m_before(before), m_after(after), m_switchTo(std::move(switchTo))
    {
    }
    void undo() override { m_switchTo(m_before); }
    void redo() override { m_switchTo(m_after); }
    HistoryFocus focus(bool) const override { return {}; }

private:
    int m_before;
    int m_after;
    std::function<void(int)> m_switchTo;
};

} // namespace stepvane
