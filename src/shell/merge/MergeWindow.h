// The merge window beside the main window: one row per conflict of a merge
// (where, base, ours, theirs; pictures shown small), "Take ours" and "Take
// theirs" for the selected row and for all rows. What a take does (a field, a
// step or sequence back or gone, an order, the model, the password) is the
// core's answer; each is one edit in the document's history (undo brings the
// row back unresolved). Selecting a row shows its step. Closing it, or the
// main window, with rows unresolved asks.
#pragma once

#include "document/WizardDocument.h"
#include "review/merge/TakeSide.h"
#include "review/merge/WizardMerge.h"
#include "shell/history/HistoryCommands.h"

#include <QWidget>

#include <memory>
#include <vector>

class QPushButton;
class QTreeWidget;

namespace stepvane {

class CStepvaneDlg;
class MergeSession;
class UserInterface;

class MergeWindow : public QWidget {
    Q_OBJECT
public:
    // The main window has opened the merged wizard; the session outlives this.
    MergeWindow(CStepvaneDlg &main, const MergeSession &session, UserInterface &ui);
    ~MergeWindow() override;

    QTreeWidget *list() const { return m_list; }
    int unresolvedCount() const;
    bool isResolved(int row) const;
    // Beside the main window, on its right.
    void placeBesideMain();

public slots:
    void takeOurs() { takeSelected(false); }
    void takeTheirs() { takeSelected(true); }
    void takeOursForAll() { takeAll(false); }
    void takeTheirsForAll() { takeAll(true); }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Row {
        MergeConflict conflict;
        MergeTake take;          // what taking theirs does
        TaskRecord ours;         // a step's record as merged (ours' value)
        QString oursText;        // a sequence title as merged
        WizardHeader oursHeader; // the header as merged
        // The merged items the row is about, by address: other takes and
        // edits move them. owner holds the steps (nullptr: the wizard's
        // sequences); present is the conflict's item while it stands; a
        // restored item goes in behind anchor (nullptr: first).
        TestingSequence *owner = nullptr;
        void *present = nullptr;
        void *anchor = nullptr;
        void *oursAnchor = nullptr; // moved on both sides: ours' place is behind it
        std::unique_ptr<TestingSequence> oursSequence; // a sequence theirs removed
        std::vector<void *> oursRun, theirsRun;        // two insertions at one place
        // History positions of this row's takes; the row is resolved while
        // the history stands at or after the latest of them.
        std::vector<int> takes;
    };

    void buildRows();
    void placeRow(Row &row);
    void takeSelected(bool theirs);
    void takeAll(bool theirs);
    // Applies the side's value as one edit; false when nothing changed.
    bool apply(Row &row, int index, bool theirs);
    bool takable(int index, bool theirs) const;
    bool applyStepField(Row &row, int index, bool theirs);
    bool applyHeaderOrTitle(Row &row, bool theirs);
    // Removed on one side, changed on the other: the item stands or not.
    bool applyItem(Row &row, bool theirs);
    // Two insertions at one place: which run comes first.
    bool applyOrder(Row &row, bool theirs);
    // Moved on both sides: behind which item it stands.
    bool applyMove(Row &row, bool theirs);
    // The owner's items in a new order, as one edit; shown is the item moved.
    bool reorder(const Row &row, const std::vector<void *> &order, void *shown, bool theirs);
    bool applyPassword(Row &row, bool theirs);
    // The steps of owner, or the wizard's sequences (nullptr), by address.
    std::vector<void *> itemsOf(const TestingSequence *owner) const;
    bool ownerStands(const Row &row) const;
    void recordTake(Row &row, int before);
    void refreshStates();
    // Room for the three sides, as far as the screen allows.
    void sizeColumns();
    void showSelectedStep();
    bool mayClose();

    CStepvaneDlg &m_main;
    const MergeSession &m_session;
    UserInterface &m_ui;
    std::vector<Row> m_rows;
    QTreeWidget *m_list = nullptr;
    QPushButton *m_oursButton = nullptr;
    QPushButton *m_theirsButton = nullptr;
};

} // namespace stepvane
