// The sequence pane of the main window: one row per testing sequence of the
// wizard ("%d. %s"), the selection, reordering by dragging a row, deleting
// (Delete key or a row's button, after a question), the testing summary and
// testing-unit save of one row, the end-option toggle and the clear-all button.
// Rows are positional: row i always shows sequence i of the document. The
// pane owns the task editor window: created hidden with the pane, shown
// beside the main window on a double click, switched or hidden when its
// sequence goes. Every change goes through the edit history.
#pragma once

#include "widgets/CVXTestingStatic.h"

#include <QFrame>

#include <vector>

class QLabel;
class QPushButton;
class QScrollArea;

namespace stepvane {

struct AppState;
struct HistoryFocus;
struct WizardDocument;
struct TestingSequence;
class CVXMeasurementEditDlg;
class DocumentHistory;
class UserInterface;
class VX_CAAXML_PARSER;
class CKiteToggleButton;

class SequenceRowArea;

class CVXTestList_View : public QFrame {
    Q_OBJECT
public:
    static constexpr int kRowPitch = 43;
    static constexpr int kRowHeight = 33;
    static constexpr int kRowTop = 6;
    static constexpr int kRowSide = 6;

    CVXTestList_View(AppState &state, UserInterface &ui, WizardDocument &document,
                     DocumentHistory &history, VX_CAAXML_PARSER &parser, QWidget *parent);
    ~CVXTestList_View() override;

    int selectedIndex() const { return m_selected; }
    void setSelectedIndex(int index);
    // Redraws every row from the document (after any change of the list or of
    // a title) and keeps the selection inside the list.
    void refreshRows();
    // The empty pane of a new wizard: no rows, no selection, no drag, the
    // task editor hidden.
    void resetPane();
    // After an undo or redo: rows, selection and the task editor follow the
    // document, showing where the change was.
    void followDocument(const HistoryFocus &focus);
    // Shows the document's end option: off for 1 (Automation), on otherwise.
    void showEndOption();

    // Row geometry in the coordinates of rowArea().
    QRect rowRect(int index) const;
    int rowAt(const QPoint &rowAreaPos) const;
    QWidget *rowArea() const;
    CVXTestingStatic *row(int index) const;
    int rowCount() const { return int(m_rows.size()); }
    CKiteToggleButton *endOptionToggle() const { return m_endOption; }
    QPushButton *clearAllButton() const { return m_clearAll; }
    bool isDragging() const { return m_dragging; }

    // Row commands and the Delete key. Each returns whether it changed the document.
    bool deleteSequence(int rowIndex); // -1: the selected sequence (Delete key)
    void showSummary(int rowIndex);
    bool saveTestingUnit(int rowIndex);
    // Double click: the task editor on the sequence at that row (stepIndex:
    // the step it opens on, -1 none).
    void openTaskEditor(int rowIndex, int stepIndex = -1);
    CVXMeasurementEditDlg *taskEditor() const { return m_editor; }

signals:
    void clearAllRequested();
    // A sequence title may have changed (the task editor edits it).
    void sequencesChanged();

private:
    friend class SequenceRowArea;
    void pressAt(const QPoint &pos);
    void dragTo(const QPoint &pos);
    void releaseAt(const QPoint &pos);
    void doubleClickAt(const QPoint &pos);
    void endDrag();
    void autoScroll(const QPoint &pos);
    void setEndOption(bool on);
    void moveKeySelection(int delta);
    // Alt+Up and Alt+Down: the selected sequence one place up or down.
    void moveSelected(int delta);
    // The task editor lets go of a sequence that left the document: it shows
    // the selected one instead, or hides when none is selected.
    void followEditor();
    void showTaskEditor(TestingSequence *sequence);
    void placeTaskEditor();

    AppState &m_state;
    UserInterface &m_ui;
    WizardDocument &m_doc;
    DocumentHistory &m_history;
    VX_CAAXML_PARSER &m_parser;
    CVXMeasurementEditDlg *m_editor = nullptr;
    bool m_editorPlaced = false;

    QLabel *m_header;
    QScrollArea *m_scroll;
    SequenceRowArea *m_area;
    CKiteToggleButton *m_endOption;
    QPushButton *m_clearAll;
    std::vector<CVXTestingStatic *> m_rows;

    int m_selected = -1;
    bool m_dragging = false;
    int m_dragSource = -1;
    int m_dragOver = -1;
    bool m_overrideCursor = false;
};

} // namespace stepvane
