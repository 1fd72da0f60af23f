// CVXMeasurementEditDlg: the task editor window ("Task Editor") in which one
// testing sequence is filled with steps: the title field on top, the three
// palettes on the left, the task list in the middle and the detail pane with
// the selected step's page on the right. The sequence belongs to the
// document; the window edits it in place, every change through the edit
// history (its own, when no shared one is given). Whoever deletes the
// sequence while the window shows it calls showSequence() with another one
// (or nullptr), and the document outlives the window. The window is not
// modal: it is shown and hidden, and keeps its place meanwhile.
#pragma once

#include "document/WizardDocument.h"
#include "editors/framework/PageContext.h"
#include "shell/taskeditor/CVXCommandItems_View.h"
#include "widgets/AppState.h"
#include "widgets/UserInterface.h"

#include <QDialog>

#include <memory>

class QPushButton;
class QToolButton;

namespace stepvane {

class CVXEdit;
class CVXMeasureList_View;
class DocumentHistory;
class CVXetailItemView;

class CVXMeasurementEditDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMinimumWidth = 916;
    static constexpr int kMinimumHeight = 638;
    // The least size it can be made (a screen of 1024 x 700 holds it beside
    // another window): the palettes and the page scroll instead.
    static constexpr int kLeastWidth = 500;
    static constexpr int kLeastHeight = 420;
    static constexpr int kLeastListWidth = 200;

    CVXMeasurementEditDlg(AppState &state, UserInterface &ui, WizardDocument &doc,
                          TestingSequence *sequence, QWidget *parent = nullptr,
                          DocumentHistory *history = nullptr);
    ~CVXMeasurementEditDlg() override;

    // Shows a sequence of the document: rows rebuilt, no step selected, an
    // empty detail pane, its title in the title field. nullptr (or a sequence
    // that is not the document's) shows nothing.
    void showSequence(TestingSequence *sequence);
    TestingSequence *sequence() const { return m_sequence; }
    // Shows the step's page in the detail pane (nullptr: none).
    void showStep(TaskStep *step);
    // Redraws the task list (pages call it when a description changes).
    void redrawTaskList();
    // After an undo or redo: title, rows and the shown page follow the
    // document; focusStep (when it is in the sequence) becomes the selection.
    void followDocument(TaskStep *focusStep);
    // Takes the palettes and rows down before the window goes away.
    void clearPalettesAndRows();
    // The editor's model changed: the palettes offer that model's kinds and
    // the shown page is bound again for it.
    void followModel();

    // Copy and paste of steps (Ctrl+C and Ctrl+V outside text fields).
    void copyStep();
    void pasteStep();

    CVXEdit *titleField() const { return m_title; }
    CVXMeasureList_View *taskList() const { return m_list; }
    CVXetailItemView *detailPane() const { return m_detail; }
    CVXCommandItems_View *palette(int group) const;
    QPushButton *clearButton() const { return m_clear; }
    QToolButton *undoButton() const { return m_undo; }
    QToolButton *redoButton() const { return m_redo; }
    DocumentHistory &history() const { return *m_history; }

signals:
    // The sequence title changed with a keystroke; the sequence rows follow.
    void sequenceTitleChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    using DropFeedback = CVXCommandItems_View::DropFeedback;
    using DragPhase = CVXCommandItems_View::DragPhase;

    void buildWindow();
    void buildHistoryControls(QLayout *row);
    void updateHistoryControls();
    // A field of a page still being edited commits before an undo or redo.
    void commitPendingEdit();
    DropFeedback paletteDrop(TaskKind kind, const QPoint &globalPos, DragPhase phase);
    // A palette entry becomes a step at position (-1: the end); the keys go
    // to its page next, never to a field the user was not looking at.
    void addFromPalette(TaskKind kind, int position, bool scrollToEnd);
    // Whether Ctrl+C, Ctrl+V and Delete keep their text meaning here.
    bool focusInTextField() const;
    bool belongsToDocument(const TestingSequence *sequence) const;

    AppState &m_state;
    UserInterface &m_ui;
    WizardDocument &m_doc;
    std::unique_ptr<DocumentHistory> m_ownHistory;
    DocumentHistory *m_history;
    PageContext m_context;
    TestingSequence *m_sequence = nullptr;

    CVXEdit *m_title = nullptr;
    CVXCommandItems_View *m_palettes[3] = {};
    CVXMeasureList_View *m_list = nullptr;
    CVXetailItemView *m_detail = nullptr;
    QPushButton *m_clear = nullptr;
    QToolButton *m_undo = nullptr;
    QToolButton *m_redo = nullptr;
};

} // namespace stepvane
