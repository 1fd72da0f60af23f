// Task list rows.
#include "widgets/CVXSeqStatic.h"

#include "widgets/CKiteButton.h"
#include "widgets/ControlLook.h"

#include <QPainter>

namespace stepvane {

namespace {
constexpr int kBadgeWidth = 34;
} // namespace

CVXSeqStatic::CVXSeqStatic(int row, QWidget *parent)
    : QWidget(parent), m_row(row), m_delete(new CKiteButton(kDeleteCommand, this))
{
    m_delete->setIcon(controlIcon(ControlIcon::Delete));
    m_delete->setToolTip(QStringLiteral("Delete"));
    m_delete->resize(kRowButtonSize, kRowButtonSize);
    // The command carries the row as it is when the command is handled.
    connect(m_delete, &CKiteButton::command, this, [this] { emit deleteRequested(m_row); });
    setFixedHeight(kRowHeight);
}

void CVXSeqStatic::setContent(int row, const QString &label, TaskGroup group)
{
    m_row = row;
    m_label = label;
    m_group = group;
    setToolTip(label);
    update();
}

void CVXSeqStatic::setLook(Look look)
{
    if (m_look == look)
        return;
    m_look = look;
    update();
}

void CVXSeqStatic::setMark(Mark mark)
{
    if (m_mark == mark)
        return;
    m_mark = mark;
    update();
}

void CVXSeqStatic::resizeEvent(QResizeEvent *)
{
    m_delete->move(width() - kRowButtonSize - 8, (height() - kRowButtonSize) / 2);
}

void CVXSeqStatic::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const GroupColors colors = groupColors(m_group);
    const bool selected = m_look == Look::Selected;
    const bool moving = m_look == Look::MovingUp || m_look == Look::MovingDown;
    const QRectF card = QRectF(rect()).adjusted(3.5, 2.5, -3.5, -2.5);

    QPen border(colors.accent.lighter(selected ? 100 : 140), 1);
    if (moving) {
        border = QPen(colors.accent, 2, Qt::DashLine);
    }
    p.setPen(border);
    p.setBrush(selected ? colors.accent
                        : (moving ? colors.background.lighter(104) : colors.background));
    p.drawRoundedRect(card, 5, 5);

    // Position badge on the group's strong colour.
    const QRectF badge(card.left() + 4, card.top() + 5, kBadgeWidth - 6, card.height() - 10);
    p.setPen(Qt::NoPen);
    p.setBrush(selected ? colors.accentText : colors.accent);
    p.drawRoundedRect(badge, 4, 4);
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(selected ? colors.accent : colors.accentText);
    p.drawText(badge, Qt::AlignCenter, positionText());

    p.setFont(font());
    p.setPen(selected ? colors.accentText : colors.text);
    const int textLeft = int(card.left()) + kBadgeWidth + 6;
    const int textRight = m_delete->x() - 6 - (moving ? 14 : 0);
    const QRect textRect(textLeft, 0, std::max(0, textRight - textLeft), height());
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
               fontMetrics().elidedText(m_label, Qt::ElideRight, textRect.width()));

    if (selected) {
        // The delete button keeps a light plate on the strong colour.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 220));
        p.drawRoundedRect(QRectF(m_delete->geometry()).adjusted(-1, -1, 1, 1), 4, 4);
    }

    if (moving) {
        // An arrow toward the pointer says which way the row is going.
        const qreal x = textRight + 7, cy = height() / 2.0;
        const qreal d = m_look == Look::MovingUp ? -1 : 1;
        QPolygonF arrow;
        arrow << QPointF(x - 5, cy - 3 * d) << QPointF(x + 5, cy - 3 * d) << QPointF(x, cy + 4 * d);
        p.setPen(Qt::NoPen);
        p.setBrush(colors.accent);
        p.drawPolygon(arrow);
    }

    if (m_mark == Mark::InsertAbove) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 3));
        p.drawLine(QPointF(2, 1.5), QPointF(width() - 2, 1.5));
    } else if (m_mark == Mark::MoveTarget) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 6, 6);
    }
}

} // namespace stepvane
