// DocumentHistory: the edit history of the one open wizard, shared by the
// main window and the task editor. Every change the user makes goes through
// it as one undoable step: the pages' record edits (it is their
// EditRecorder; the keystrokes of one field join into one step), the step and
// sequence operations, the sequence titles and the wizard header. The
// document counts as modified whenever the history is away from the point
// where it was last saved or opened.
#pragma once

#include "editors/framework/EditRecorder.h"
#include "shell/history/HistoryCommands.h"

#include <QObject>
#include <QUndoStack>

#include <optional>

namespace stepvane {

class DocumentHistory : public QObject, public EditRecorder {
    Q_OBJECT
public:
    explicit DocumentHistory(WizardDocument &doc, QObject *parent = nullptr);
    ~DocumentHistory() override;

    WizardDocument &document() const { return m_doc; }
    const QUndoStack &stack() const { return m_stack; }

    // EditRecorder: a page changed a step's record.
    void recordChanged(TaskStep &step, TaskRecord before, Key key) override;
    void endEdit(Key key) override;
    void distanceUnitSwitched(int &unit, int before) override;
    // Nothing typed from now on joins the edit that is open.
    void closeOpenEdit();

    // Step operations on one sequence of the document; each is applied now.
    // insertStep refuses (nullptr) a sequence that is full.
    TaskStep *insertStep(TestingSequence &sequence, int index, TaskRecord record,
                         const QString &text);
    bool removeStep(TestingSequence &sequence, int index);
    bool moveStep(TestingSequence &sequence, int from, int to);
    void clearSteps(TestingSequence &sequence);
    void changeSequenceTitle(TestingSequence &sequence, const QString &title, Key key);
    // The same steps (or sequences) in a new order, as one edit; false when
    // order is not a new order of exactly the items there are.
    bool reorderSteps(TestingSequence &sequence, std::vector<TaskStep *> order,
                      const QString &text);
    bool reorderSequences(std::vector<TestingSequence *> order, const QString &text);

    // Sequence operations; insertSequence refuses (nullptr) a full wizard.
    TestingSequence *insertSequence(int index, std::unique_ptr<TestingSequence> sequence,
                                    const QString &text);
    bool removeSequence(int index);
    bool moveSequence(int from, int to);
    void clearSequences();

    // The header as a whole. With a key, later changes with the same key join
    // this one (the title typed key by key); without, it stands alone.
    void changeHeader(const WizardHeader &after, const QString &text,
                      std::optional<Key> key = std::nullopt);

    // The editor works for another model: switchTo(after) now, and the
    // model (not part of the document) goes back and forth with the history.
    void changeModel(int before, int after, std::function<void(int)> switchTo, const QString &text);

    bool isModified() const { return !m_stack.isClean(); }
    // The document now matches its file.
    void setSaved();
    // The document differs from any file (a recovered wizard).
    void markModified();
    // A new or newly opened document: no history, not modified.
    void clear();

    void undo();
    void redo();
    bool canUndo() const { return m_stack.canUndo(); }
    bool canRedo() const { return m_stack.canRedo(); }
    QString undoText() const { return m_stack.undoText(); }
    QString redoText() const { return m_stack.redoText(); }
    int count() const { return m_stack.count(); }

signals:
    void modifiedChanged(bool modified);
    // The document or its history changed (a new edit, a keystroke joining
    // the open one, an undo or redo, a clear); undo and redo texts may differ.
    void changed();
    // An undo or redo is about to change the document: a field still being
    // edited commits now, so its edit is part of the history first.
    void aboutToRestore();
    // An undo or redo changed the document; the focus says where.
    void restored(const HistoryFocus &focus);

private:
    void pushStructure(HistoryCommand *command);
    void pushMergeable(MergeableCommand *command, Key key);
    void restore(bool undoing);
    TestingSequence *sequenceOf(const TaskStep &step) const;

    WizardDocument &m_doc;
    QUndoStack m_stack;
    quint64 m_openSerial = 0; // the edit still open for joining, 0 for none
    Key m_openKey;
};

} // namespace stepvane
