// CVXCommandItems_View: one of the three task palettes (procedure, settings,
// analysis). A double click on an entry asks for a new step of its kind; a
// drag from an entry follows the pointer with the insert cursor and asks the
// drop target what lies under the pointer while it moves and on release.
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

signals:
    void entryActivated(stepvane::TaskKind kind);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void showFeedback(DropFeedback feedback);

    int m_group;
    std::vector<PaletteEntry> m_entries;
    std::vector<CVXCMDItemStatic *> m_widgets;
    DropTarget m_dropTarget;
    int m_pressed = -1;
    QPoint m_pressPos;
    bool m_dragging = false;
    DragCursorOverride m_cursor;
    std::optional<QCursor> m_insertCursor;
};

} // namespace stepvane
