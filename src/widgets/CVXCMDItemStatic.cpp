// Palette entries and model rows.
#include "widgets/CVXCMDItemStatic.h"

#include <QPainter>

namespace stepvane {

CVXCMDItemStatic::CVXCMDItemStatic(const QString &label, int index, QWidget *parent)
    : QWidget(parent), m_label(label), m_index(index)
{
    setAttribute(Qt::WA_Hover); // repaint when the pointer comes and goes
    setToolTip(label);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CVXCMDItemStatic::setLabel(const QString &label)
{
    m_label = label;
    setToolTip(label);
    updateGeometry();
    update();
}

void CVXCMDItemStatic::setColors(const QColor &text, const QColor &background, const QColor &accent,
                                 const QColor &accentText)
{
    m_text = text;
    m_background = background;
    m_accent = accent;
    m_accentText = accentText;
    update();
}

void CVXCMDItemStatic::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    update();
}

QSize CVXCMDItemStatic::sizeHint() const
{
    const QFontMetrics fm = fontMetrics();
    return QSize(fm.horizontalAdvance(m_label) + 24, std::max(22, fm.height() + 8));
}

void CVXCMDItemStatic::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool lit = isHighlighted();
    const QRectF plate = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    p.setPen(QPen(m_accent.lighter(lit ? 100 : 150), 1));
    p.setBrush(lit ? m_accent : m_background);
    p.drawRoundedRect(plate, 4, 4);
    if (!lit) {
        p.setPen(Qt::NoPen);
        p.setBrush(m_accent);
        p.drawRoundedRect(QRectF(plate.left() + 3, plate.top() + 4, 4, plate.height() - 8), 2, 2);
    }
    p.setPen(lit ? m_accentText : m_text);
    const QRect textRect = rect().adjusted(13, 0, -4, 0);
    const QString shown = fontMetrics().elidedText(m_label, Qt::ElideRight, textRect.width());
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, shown);
}

} // namespace stepvane
