// Sequence pane rows.
#include "widgets/CVXTestingStatic.h"

#include "widgets/CKiteButton.h"
#include "widgets/ControlLook.h"

#include <QPainter>

namespace stepvane {

CVXTestingStatic::CVXTestingStatic(int row, QWidget *parent) : QWidget(parent), m_row(row)
{
    const struct {
        Command command;
        ControlIcon icon;
        const char *tip;
    } buttons[3] = {{SummaryCommand, ControlIcon::Summary, "Testing summary"},
                    {DeleteCommand, ControlIcon::Delete, "Delete"},
                    {SaveCommand, ControlIcon::Save, "Save as testing unit file"}};
    for (int i = 0; i < 3; ++i) {
        auto *b = new CKiteButton(buttons[i].command, this);
        b->setIcon(controlIcon(buttons[i].icon));
        b->setToolTip(QString::fromLatin1(buttons[i].tip));
        b->resize(kRowButtonSize, kRowButtonSize);
        connect(b, &CKiteButton::command, this, [this](int id) {
            if (id == SummaryCommand)
                emit summaryRequested(m_row);
            else if (id == DeleteCommand)
                emit deleteRequested(m_row);
            else
                emit saveRequested(m_row);
        });
        m_buttons[i] = b;
    }
}

CKiteButton *CVXTestingStatic::button(Command which) const
{
    return m_buttons[int(which) - 1];
}

void CVXTestingStatic::setContent(int row, const QString &text)
{
    m_row = row;
    m_text = text;
    setToolTip(text);
    update();
}

void CVXTestingStatic::setLook(Look look)
{
    if (m_look == look)
        return;
    m_look = look;
    update();
}

void CVXTestingStatic::resizeEvent(QResizeEvent *)
{
    int x = width() - 6;
    for (int i = 2; i >= 0; --i) {
        x -= kRowButtonSize;
        m_buttons[i]->move(x, (height() - kRowButtonSize) / 2);
        x -= 2;
    }
}

void CVXTestingStatic::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette &pal = palette();
    const bool selected = m_look == Look::Selected;
    const bool moving = m_look == Look::MovingUp || m_look == Look::MovingDown;
    const QRectF card = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    const QColor highlight = pal.color(QPalette::Highlight);
    p.setPen(moving ? QPen(highlight, 2, Qt::DashLine) : QPen(pal.color(QPalette::Mid), 1));
    p.setBrush(selected ? highlight : pal.color(QPalette::Base));
    p.drawRoundedRect(card, 5, 5);

    const int textRight = m_buttons[0]->x() - 6 - (moving ? 14 : 0);
    const QRect textRect(10, 0, std::max(0, textRight - 10), height());
    p.setPen(selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text));
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
               fontMetrics().elidedText(m_text, Qt::ElideRight, textRect.width()));
    if (moving) {
        const qreal x = textRight + 7, cy = height() / 2.0;
        const qreal d = m_look == Look::MovingUp ? -1 : 1;
        QPolygonF arrow;
        arrow << QPointF(x - 5, cy - 3 * d) << QPointF(x + 5, cy - 3 * d) << QPointF(x, cy + 4 * d);
        p.setPen(Qt::NoPen);
        p.setBrush(highlight);
        p.drawPolygon(arrow);
    }
}

} // namespace stepvane
