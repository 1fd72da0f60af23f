// Icon lookup with fallbacks.
#include "shell/app/Icons.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>

#include <functional>

namespace stepvane {

namespace {

const QColor kInk(40, 70, 120);

QIcon drawn(const std::function<void(QPainter &)> &paint)
{
    QIcon icon;
    for (int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        paint(p);
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon plusIcon()
{
    return drawn([](QPainter &p) {
        p.setPen(QPen(QColor(30, 130, 60), 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 3), QPointF(8, 13));
        p.drawLine(QPointF(3, 8), QPointF(13, 8));
    });
}

QIcon importIcon()
{
    return drawn([](QPainter &p) {
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 1.5, 9, 12));
        p.setPen(QPen(QColor(30, 130, 60), 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7, 5), QPointF(14, 12));
        p.drawLine(QPointF(14, 12), QPointF(14, 7.5));
        p.drawLine(QPointF(14, 12), QPointF(9.5, 12));
    });
}

QIcon summaryIcon()
{
    return drawn([](QPainter &p) {
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 1.5, 11, 13));
        p.setPen(QPen(kInk, 1.2));
        for (int i = 0; i < 4; ++i)
            p.drawLine(QPointF(5, 4.5 + i * 2.6), QPointF(11, 4.5 + i * 2.6));
    });
}

QIcon clearIcon()
{
    return drawn([](QPainter &p) {
        p.setPen(QPen(QColor(180, 40, 40), 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
    });
}

// A curved arrow pointing left (undo) or, mirrored, right (redo).
QIcon turnIcon(bool mirrored)
{
    return drawn([mirrored](QPainter &p) {
        if (mirrored) {
            p.translate(16, 0);
            p.scale(-1, 1);
        }
        p.setPen(QPen(kInk, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath arc;
        arc.moveTo(4, 6);
        arc.lineTo(10, 6);
        arc.cubicTo(14.5, 6, 14.5, 13, 10, 13);
        arc.lineTo(6, 13);
        p.drawPath(arc);
        QPainterPath head;
        head.moveTo(7, 3);
        head.lineTo(4, 6);
        head.lineTo(7, 9);
        p.drawPath(head);
    });
}

QIcon programIcon()
{
    return drawn([](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawRoundedRect(QRectF(1, 1, 14, 14), 3, 3);
        p.setPen(QPen(QColor(120, 220, 140), 1.6, Qt::SolidLine, Qt::RoundCap));
        QPainterPath steps;
        steps.moveTo(3.5, 12);
        steps.lineTo(6.5, 12);
        steps.lineTo(6.5, 8.5);
        steps.lineTo(9.5, 8.5);
        steps.lineTo(9.5, 5);
        steps.lineTo(12.5, 5);
        p.drawPath(steps);
    });
}

QIcon themed(const char *name, QStyle::StandardPixmap fallback)
{
    const QIcon fromTheme = QIcon::fromTheme(QLatin1String(name));
    if (!fromTheme.isNull())
        return fromTheme;
    return QApplication::style()->standardIcon(fallback);
}

QIcon themed(const char *name, const QIcon &fallback)
{
    return QIcon::fromTheme(QLatin1String(name), fallback);
}

} // namespace

QIcon appIcon(AppIcon which)
{
    switch (which) {
    case AppIcon::Summary:
        return themed("document-properties", summaryIcon());
    case AppIcon::Delete:
        return themed("edit-delete", QStyle::SP_TrashIcon);
    case AppIcon::SaveUnit:
        return themed("document-save-as", QStyle::SP_DialogSaveButton);
    case AppIcon::Add:
        return themed("list-add", plusIcon());
    case AppIcon::Import:
        return themed("document-import", importIcon());
    case AppIcon::Open:
        return themed("document-open", QStyle::SP_DialogOpenButton);
    case AppIcon::Save:
        return themed("document-save", QStyle::SP_DialogSaveButton);
    case AppIcon::Print:
        return themed("document-print", summaryIcon());
    case AppIcon::Help:
        return themed("help-browser", QStyle::SP_DialogHelpButton); // a lifebuoy, not a page
    case AppIcon::About:
        return themed("help-about", QStyle::SP_MessageBoxInformation);
    case AppIcon::File:
        return themed("folder", QStyle::SP_DirIcon);
    case AppIcon::Settings:
        return themed("preferences-system", QStyle::SP_ComputerIcon);
    case AppIcon::ClearAll:
        return themed("edit-clear-all", clearIcon());
    case AppIcon::Undo:
        return themed("edit-undo", turnIcon(false));
    case AppIcon::Redo:
        return themed("edit-redo", turnIcon(true));
    case AppIcon::Program:
        return programIcon();
    }
    return QIcon();
}

} // namespace stepvane
