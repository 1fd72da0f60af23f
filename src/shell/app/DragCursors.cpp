// Drag pointers: loaded from data/res/Cursor-N_48px.(cur|png) or drawn.
#include "shell/app/DragCursors.h"

#include "common/DataFiles.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <map>

namespace stepvane {

namespace {

constexpr int kSize = 48;

// The ordinary arrow pointer, tip at (1, 1).
void drawArrow(QPainter &p)
{
    QPainterPath arrow;
    arrow.moveTo(1, 1);
    arrow.lineTo(1, 26);
    arrow.lineTo(7, 20);
    arrow.lineTo(11, 29);
    arrow.lineTo(15, 27);
    arrow.lineTo(11, 19);
    arrow.lineTo(19, 19);
    arrow.closeSubpath();
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(Qt::white);
    p.drawPath(arrow);
}

QPixmap drawnCursor(DragCursor which)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawArrow(p);
    const QRectF badge(20, 22, 24, 22);
    switch (which) {
    case DragCursor::PaletteItem: {
        // A small task card with a plus: "this will add a step".
        p.setPen(QPen(QColor(30, 60, 120), 1.5));
        p.setBrush(QColor(220, 232, 250));
        p.drawRoundedRect(badge, 3, 3);
        p.setPen(QPen(QColor(30, 60, 120), 3));
        p.drawLine(QPointF(badge.center().x() - 6, badge.center().y()),
                   QPointF(badge.center().x() + 6, badge.center().y()));
        p.drawLine(QPointF(badge.center().x(), badge.center().y() - 6),
                   QPointF(badge.center().x(), badge.center().y() + 6));
        break;
    }
    case DragCursor::RowInside: {
        // A row with arrows up and down: "this row moves".
        p.setPen(QPen(QColor(30, 60, 120), 1.5));
        p.setBrush(QColor(220, 232, 250));
        p.drawRoundedRect(QRectF(20, 29, 24, 9), 2, 2);
        p.setBrush(QColor(30, 60, 120));
        p.setPen(Qt::NoPen);
        QPolygonF up({QPointF(32, 20), QPointF(26, 27), QPointF(38, 27)});
        QPolygonF down({QPointF(32, 47), QPointF(26, 40), QPointF(38, 40)});
        p.drawPolygon(up);
        p.drawPolygon(down);
        break;
    }
    case DragCursor::RowOutside: {
        // The no-entry sign: releasing here moves nothing.
        p.setPen(QPen(QColor(190, 30, 30), 3));
        p.setBrush(Qt::white);
        const QRectF circle(21, 23, 20, 20);
        p.drawEllipse(circle);
        p.drawLine(QPointF(circle.left() + 4, circle.bottom() - 4),
                   QPointF(circle.right() - 4, circle.top() + 4));
        break;
    }
    }
    return pixmap;
}

QPixmap loadedCursor(DragCursor which)
{
    const QString base = QStringLiteral("res/Cursor-%1_48px").arg(int(which));
    for (const char *ext : {".cur", ".png"}) {
        const QString path = dataFilePath(base + QLatin1String(ext));
        if (path.isEmpty())
            continue;
        QPixmap pixmap(path);
        if (!pixmap.isNull())
            return pixmap;
    }
    return QPixmap();
}

} // namespace

QCursor dragCursor(DragCursor which)
{
    static std::map<DragCursor, QCursor> cache;
    auto it = cache.find(which);
    if (it == cache.end()) {
        QPixmap pixmap = loadedCursor(which);
        if (pixmap.isNull())
            pixmap = drawnCursor(which);
        it = cache.emplace(which, QCursor(pixmap, 1, 1)).first;
    }
    return it->second;
}

} // namespace stepvane
