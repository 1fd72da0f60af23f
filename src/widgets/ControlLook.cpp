// Group colours and row-button icons.
#include "widgets/ControlLook.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace stepvane {

GroupColors groupColors(TaskGroup group)
{
    switch (group) {
    case TaskGroup::Procedure:
        return {QColor(0x2f, 0x6f, 0xc4), QColor(0xe4, 0xee, 0xfb), QColor(0x15, 0x2f, 0x55),
                Qt::white};
    case TaskGroup::Setting:
        return {QColor(0x2b, 0x8a, 0x4e), QColor(0xe2, 0xf3, 0xe7), QColor(0x12, 0x3d, 0x22),
                Qt::white};
    case TaskGroup::Analysis:
        return {QColor(0xc9, 0x6a, 0x12), QColor(0xfc, 0xee, 0xdf), QColor(0x52, 0x2a, 0x05),
                Qt::white};
    case TaskGroup::None:
        break;
    }
    return {QColor(0x70, 0x70, 0x70), QColor(0xee, 0xee, 0xee), QColor(0x20, 0x20, 0x20),
            Qt::white};
}

QString groupTitle(TaskGroup group)
{
    switch (group) {
    case TaskGroup::Procedure:
        return QStringLiteral("Procedure");
    case TaskGroup::Setting:
        return QStringLiteral("Settings");
    case TaskGroup::Analysis:
        return QStringLiteral("Analysis");
    case TaskGroup::None:
        break;
    }
    return QString();
}

namespace {

const char *themeName(ControlIcon which)
{
    switch (which) {
    case ControlIcon::Delete:
        return "edit-delete";
    case ControlIcon::Summary:
        return "document-properties";
    case ControlIcon::Save:
        return "document-save-as";
    case ControlIcon::ClearAll:
        return "edit-clear-all";
    }
    return "";
}

void drawIcon(QPainter &p, ControlIcon which)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x44, 0x44, 0x44);
    switch (which) {
    case ControlIcon::Delete:
        p.setPen(QPen(QColor(0xb3, 0x26, 0x1e), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9, 9), QPointF(23, 23));
        p.drawLine(QPointF(23, 9), QPointF(9, 23));
        break;
    case ControlIcon::Summary:
        p.setPen(QPen(ink, 2));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(7, 4, 18, 24), 2, 2);
        for (int y = 10; y <= 22; y += 4)
            p.drawLine(QPointF(11, y), QPointF(21, y));
        break;
    case ControlIcon::Save: {
        p.setPen(QPen(ink, 2));
        p.setBrush(QColor(0x3c, 0x6e, 0xb4));
        p.drawRoundedRect(QRectF(5, 5, 22, 22), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(10, 5, 12, 8));
        p.drawRect(QRectF(9, 17, 14, 10));
        break;
    }
    case ControlIcon::ClearAll:
        p.setPen(QPen(ink, 2));
        p.setBrush(QColor(0xdd, 0xdd, 0xdd));
        p.drawRect(QRectF(9, 10, 14, 18));
        p.drawLine(QPointF(6, 8), QPointF(26, 8));
        p.drawLine(QPointF(13, 5), QPointF(19, 5));
        for (int x = 13; x <= 19; x += 3)
            p.drawLine(QPointF(x, 13), QPointF(x, 25));
        break;
    }
}

} // namespace

QIcon drawnControlIcon(ControlIcon which)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    drawIcon(painter, which);
    painter.end();
    return QIcon(pixmap);
}

QIcon controlIcon(ControlIcon which)
{
    const QString name = QString::fromLatin1(themeName(which));
    if (QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    return drawnControlIcon(which);
}

} // namespace stepvane
