// The pointer shapes of the editor's drags: inserting a palette entry,
// moving a row (step or sequence) inside its list, and moving a row with the
// pointer outside the list. The cursor files beside the program are used when they can be
// read; otherwise the shapes are drawn here.
#pragma once

#include <QByteArray>
#include <QCursor>
#include <QPoint>

#include <optional>

namespace stepvane {

enum class DragCursor { Insert, Move, MoveOutside };

QCursor dragCursor(DragCursor which);
// The drawn shape, whatever files are present.
QCursor drawnDragCursor(DragCursor which);

// The hotspot stored in a .cur file's first directory entry, or nothing when
// the bytes are not a cursor file.
std::optional<QPoint> curFileHotspot(const QByteArray &bytes);

// Keeps an application-wide override cursor while a drag runs and always
// restores it, also when the owner goes away mid-drag.
class DragCursorOverride {
public:
    DragCursorOverride() = default;
    DragCursorOverride(const DragCursorOverride &) = delete;
    DragCursorOverride &operator=(const DragCursorOverride &) = delete;
    ~DragCursorOverride() { clear(); }

    void set(const QCursor &cursor);
    void clear();
    bool isActive() const { return m_active; }

private:
    bool m_active = false;
};

} // namespace stepvane
