// CVXMeasureList_View: the task list of the task editor. One row per step of
// the current sequence, coloured by group; it selects, reorders by dragging,
// inserts palette entries, copies, pastes and deletes steps. Whenever the step
// the detail pane should show changes, the list calls its show-step hook; it
// always calls it with nullptr before a step is removed, so no page is left
// bound to a deleted step. Every change of the steps goes through the edit
// history, so each can be undone.
#pragma once

#include "document/WizardDocument.h"
#include "widgets/AppState.h"
#include "widgets/DragCursors.h"
#include "widgets/UserInterface.h"

#include <QScrollArea>

#include <functional>
#include <optional>
#include <vector>

namespace stepvane {

class CVXSeqStatic;
class DocumentHistory;
class TaskListCanvas;

// The row text: the list name, followed by the description in brackets
// when there is one.
QString taskRowLabel(const TaskStep &step);

class CVXMeasureList_View : public QScrollArea {
    Q_OBJECT
public:
    CVXMeasureList_View(AppState &state, UserInterface &ui, QWidget *parent = nullptr);
    ~CVXMeasureList_View() override;

    // The sequence whose steps are shown (nullptr: none). The selection
    // becomes -1; the show-step hook is not called.
    void setSequence(TestingSequence *sequence);
    TestingSequence *sequence() const { return m_sequence; }
    void setShowStep(std::function<void(TaskStep *)> showStep) { m_showStep = std::move(showStep); }
    void setHistory(DocumentHistory *history) { m_history = history; }

    int rowCount() const { return int(m_rows.size()); }
    CVXSeqStatic *rowWidget(int row) const;
    QWidget *canvas() const;
    int selectedIndex() const { return m_selected; }
    TaskStep *selectedStep() const;
    // Selects a row (-1 none) and redraws; with showPage the detail pane follows.
    void selectRow(int row, bool showPage);

    // The row under a point of the canvas, or -1 off the rows.
    int rowAt(const QPoint &canvasPos) const;
    bool containsGlobal(const QPoint &globalPos) const;
    // Where a palette entry released at this global point goes: the row
    // under the pointer, or the end below the last row.
    int insertionIndexAt(const QPoint &globalPos) const;
    // Shows where a palette entry would go (-1: no mark).
    void setInsertMark(int index);
    int insertMark() const { return m_insertMark; }

    // Operations on the current sequence.
    bool insertStep(TaskKind kind, int position, bool scrollToEnd);
    bool pasteStep();
    void copyStep();
    // Deletes the selected step, after the question when ask is set.
    void deleteSelected(bool ask);
    // A row's delete button: asks, then deletes that row.
    void deleteRowAsked(int row);
    void clearAll();
    // Alt+Up and Alt+Down: the selected step one place up or down.
    void moveSelected(int delta);

    // Rebuilds the rows from the sequence (count, labels, looks).
    void refreshRows();
    // Removes every row (the window is being taken down).
    void clearRows();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QPoint toCanvas(const QPoint &viewportPos) const;
    bool overViewport(const QPoint &viewportPos) const;
    void removeAt(int index);
    void showStep(TaskStep *step);
    void updateLooks();
    void layoutCanvas();
    void scrollToRow(int row);
    void endDrag();

    AppState &m_state;
    UserInterface &m_ui;
    DocumentHistory *m_history = nullptr;
    TestingSequence *m_sequence = nullptr;
    std::function<void(TaskStep *)> m_showStep;
    TaskListCanvas *m_canvas;
    std::vector<CVXSeqStatic *> m_rows;
    int m_selected = -1;
    int m_insertMark = -1;
    // Row drag: the row pressed, whether it moved far enough to be a drag,
    // the row under the pointer, and the pointer relative to the source row.
    int m_dragSource = -1;
    bool m_dragging = false;
    int m_dragTarget = -1;
    int m_dragSide = 0; // -1 above the source row, 1 below, 0 on it
    QPoint m_pressPos;
    DragCursorOverride m_cursor;
    std::optional<QCursor> m_moveCursors[2]; // inside and outside the list
};

} // namespace stepvane
