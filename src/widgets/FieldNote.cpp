// The notes shown by fields.
#include "widgets/FieldNote.h"

#include <QEvent>
#include <QPainter>
#include <QVariant>

#include <algorithm>

namespace stepvane {

namespace {

constexpr char kHostProperty[] = "stepvaneFieldNoteHost";
constexpr int kGap = 2;
constexpr int kPadding = 4;

QWidget *hostOf(QWidget *field)
{
    for (QWidget *w = field->parentWidget(); w; w = w->parentWidget())
        if (w->property(kHostProperty).toBool() || w->isWindow())
            return w;
    return field->window();
}

} // namespace

FieldNote::FieldNote(QWidget *host, QWidget *field) : QFrame(host), m_field(field)
{
    setObjectName(QStringLiteral("fieldNote"));
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette look = palette();
    look.setColor(QPalette::Window, look.color(QPalette::ToolTipBase));
    look.setColor(QPalette::WindowText, look.color(QPalette::ToolTipText));
    setPalette(look);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &QWidget::hide);
    // The note follows its field, and goes when the field does.
    field->installEventFilter(this);
    connect(field, &QObject::destroyed, this, &QObject::deleteLater);
}

FieldNote *FieldNote::of(const QWidget *field)
{
    if (!field)
        return nullptr;
    for (FieldNote *note : hostOf(const_cast<QWidget *>(field))->findChildren<FieldNote *>())
        if (note->m_field == field)
            return note;
    return nullptr;
}

FieldNote *FieldNote::showBy(QWidget *field, const QString &text, int ms)
{
    if (!field)
        return nullptr;
    FieldNote *note = of(field);
    if (!note)
        note = new FieldNote(hostOf(field), field);
    note->m_text = text;
    note->setAccessibleName(text);
    note->place();
    note->show();
    note->raise();
    note->m_timer.start(ms);
    return note;
}

void FieldNote::hideAll(QWidget *host)
{
    for (FieldNote *note : host->findChildren<FieldNote *>()) {
        note->m_timer.stop();
        note->hide();
    }
}

void FieldNote::markHost(QWidget *widget)
{
    widget->setProperty(kHostProperty, true);
}

void FieldNote::place()
{
    QWidget *host = parentWidget();
    if (!m_field || !host)
        return;
    const int room = std::max(120, host->width() - 2 * kGap) - 2 * (kPadding + frameWidth());
    const QRect text = fontMetrics().boundingRect(QRect(0, 0, room, 10000),
                                                  Qt::TextWordWrap | Qt::AlignLeft, m_text);
    resize(text.size() + 2 * QSize(kPadding + frameWidth(), kPadding + frameWidth()));
    const QPoint fieldTop = m_field->mapTo(host, QPoint(0, 0));
    QPoint at(fieldTop.x(), fieldTop.y() + m_field->height() + kGap);
    // Kept inside the host: moved left at the right edge, above the field at
    // the bottom.
    at.setX(std::clamp(at.x(), kGap, std::max(kGap, host->width() - width() - kGap)));
    if (at.y() + height() > host->height())
        at.setY(std::max(0, fieldTop.y() - height() - kGap));
    move(at);
}

bool FieldNote::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field) {
        switch (event->type()) {
        case QEvent::Hide:
            m_timer.stop();
            hide();
            break;
        case QEvent::Move:
        case QEvent::Resize:
            if (isVisible())
                place();
            break;
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void FieldNote::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(contentsRect().adjusted(kPadding, kPadding, -kPadding, -kPadding),
                     Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, m_text);
}

} // namespace stepvane
