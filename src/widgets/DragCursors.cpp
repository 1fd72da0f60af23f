// Drag cursors of the sequence pane and the task editor.
#include "widgets/DragCursors.h"

#include "common/DataFiles.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace stepvane {

namespace {

const char *fileName(DragCursor which)
{
    switch (which) {
    case DragCursor::Insert:
        return "res/Cursor-1_48px.cur";
    case DragCursor::Move:
        return "res/Cursor-2_48px.cur";
    case DragCursor::MoveOutside:
        return "res/Cursor-3_48px.cur";
    }
    return "";
}

quint16 le16(const QByteArray &b, int at)
{
    return quint16(quint8(b[at])) | quint16(quint8(b[at + 1])) << 8;
}

void drawArrow(QPainter &p)
{
    QPainterPath arrow;
    arrow.moveTo(1, 1);
    arrow.lineTo(1, 22);
    arrow.lineTo(6, 17);
    arrow.lineTo(10, 26);
    arrow.lineTo(13, 25);
    arrow.lineTo(9, 16);
    arrow.lineTo(16, 16);
    arrow.closeSubpath();
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(Qt::black);
    p.drawPath(arrow);
}

} // namespace

std::optional<QPoint> curFileHotspot(const QByteArray &bytes)
{
    // ICONDIR (reserved 0, type 2 = cursor, count) then the first entry,
    // whose planes and bit-count words hold the hotspot in a cursor file.
    if (bytes.size() < 22 || le16(bytes, 0) != 0 || le16(bytes, 2) != 2 || le16(bytes, 4) == 0)
        return std::nullopt;
    return QPoint(le16(bytes, 10), le16(bytes, 12));
}

QCursor drawnDragCursor(DragCursor which)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawArrow(p);
    const QRectF badge(15, 15, 16, 16);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(which == DragCursor::MoveOutside ? QColor(0xe0, 0xe0, 0xe0) : Qt::white);
    p.drawRoundedRect(badge.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    p.setPen(QPen(Qt::black, 2));
    const QPointF c = badge.center();
    switch (which) {
    case DragCursor::Insert: // a plus: something is added
        p.drawLine(c + QPointF(-4.5, 0), c + QPointF(4.5, 0));
        p.drawLine(c + QPointF(0, -4.5), c + QPointF(0, 4.5));
        break;
    case DragCursor::Move: // up and down: the row changes place
        p.drawLine(c + QPointF(0, -5), c + QPointF(0, 5));
        p.drawLine(c + QPointF(-3, -2), c + QPointF(0, -5));
        p.drawLine(c + QPointF(3, -2), c + QPointF(0, -5));
        p.drawLine(c + QPointF(-3, 2), c + QPointF(0, 5));
        p.drawLine(c + QPointF(3, 2), c + QPointF(0, 5));
        break;
    case DragCursor::MoveOutside: // crossed: nothing happens here
        p.drawLine(c + QPointF(-4, -4), c + QPointF(4, 4));
        p.drawLine(c + QPointF(4, -4), c + QPointF(-4, 4));
        break;
    }
    p.end();
    return QCursor(pixmap, 1, 1);
}

QCursor dragCursor(DragCursor which)
{
    const QString path = dataFilePath(QString::fromLatin1(fileName(which)));
    if (!path.isEmpty()) {
        QFile file(path);
        // A cursor file is a few kilobytes; anything far larger is not one.
        if (file.size() < (1 << 20) && file.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = file.readAll();
            const std::optional<QPoint> hotspot = curFileHotspot(bytes);
            QPixmap pixmap;
            if (hotspot && pixmap.loadFromData(bytes, "cur"))
                return QCursor(pixmap, hotspot->x(), hotspot->y());
        }
    }
    return drawnDragCursor(which);
}

void DragCursorOverride::set(const QCursor &cursor)
{
    if (m_active) {
        QGuiApplication::changeOverrideCursor(cursor);
        return;
    }
    QGuiApplication::setOverrideCursor(cursor);
    m_active = true;
}

void DragCursorOverride::clear()
{
    if (!m_active)
        return;
    QGuiApplication::restoreOverrideCursor();
    m_active = false;
}

} // namespace stepvane
