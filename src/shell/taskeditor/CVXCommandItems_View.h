// CVXCommandItems_View: one of the three task palettes (procedure, settings,
// analysis). A double click on an entry asks for a new step of its kind; a
// drag from an entry follows the pointer with the insert cursor and asks the
// drop target what lies under the pointer while it moves and on release. By
// keyboard the palette is a Tab stop: the arrows move between its entries
// (and on into the next palette), Enter or Insert asks for the entry's kind
// after the selected step.
#pragma once

#include "document/WizardDocument.h"
#include "widgets/DragCursors.h"

#include <QPoint>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

namespace stepvane {

class CVXCMDItemStatic;

struct PaletteEntry {
    QString label;
    TaskKind kind;
};

// The entries of palette group 0, 1 or 2 for a model; Bias Tee belongs to the
// settings palette of VX330A and VX340A only.
std::vector<PaletteEntry> paletteEntries(int group, int modelIndex);

class CVXCommandItems_View : public QWidget {
    Q_OBJECT
public:
    enum class DragPhase { Move, Release, Cancel };
    enum class DropFeedback { Insert, NoDrop, Outside };
    // Told where a dragged entry is (global position); answers what the
    // pointer should show. On Release the target inserts or does nothing; on
    // Cancel it only drops its marks.
    using DropTarget =
        std::function<DropFeedback(TaskKind kind, const QPoint &globalPos, DragPhase phase)>;

    CVXCommandItems_View(int group, int modelIndex, QWidget *parent = nullptr);

    int group() const { return m_group; }
    const std::vector<PaletteEntry> &entries() const { return m_entries; }
    CVXCMDItemStatic *entryWidget(int index) const;
    // The entry under a point of this widget, or -1.
    int entryAt(const QPoint &pos) const;

    void setDropTarget(DropTarget target) { m_dropTarget = std::move(target); }
    bool isDragging() const { return m_dragging; }
    // Ends a running drag without dropping (the window is going away).
    void cancelDrag();
    // Removes the entries (the window is being taken down).
    void clearEntries();
    // The entries of another model (Bias Tee comes and goes).
    void setModel(int modelIndex);
    // The entry the keys act on while the palette has the focus.
    int currentEntry() const { return m_current; }
    void setCurrentEntry(int index);
    // A step of the kind was just added from this palette (by key, double
    // click or drop): Tab into the palette comes back to that entry.
    void markUsed(stepvane::TaskKind kind);

signals:
    void entryActivated(stepvane::TaskKind kind);
    // Enter or Insert on the current entry.
    void entryChosenByKey(stepvane::TaskKind kind);
    // An arrow went past the first (-1) or last (1) entry.
    void leftByArrow(int direction);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void showFeedback(DropFeedback feedback);
    void fillEntries(int modelIndex);
    void showCurrent();

    int m_group;
    std::vector<PaletteEntry> m_entries;
    std::vector<CVXCMDItemStatic *> m_widgets;
    DropTarget m_dropTarget;
    int m_current = 0;
    int m_lastUsed = -1;
    int m_pressed = -1;
    QPoint m_pressPos;
    bool m_dragging = false;
    DragCursorOverride m_cursor;
    std::optional<QCursor> m_insertCursor;
};

} // namespace stepvane
