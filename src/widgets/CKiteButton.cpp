// The editor's push and toggle buttons.
#include "widgets/CKiteButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace stepvane {

namespace {

// Qt's buttons already report a click only when the mouse is released over
// them (moving off cancels, moving back on re-arms) and ignore the mouse while
// disabled; what we add is that the owner hears of it after the release has
// been dealt with, not inside it.
template <typename Button> void postCommands(Button *button)
{
    QObject::connect(button, &QAbstractButton::clicked, button, [button] {
        QMetaObject::invokeMethod(
            button, [button] { emit button->command(button->commandId()); }, Qt::QueuedConnection);
    });
}

} // namespace

CKiteButton::CKiteButton(int commandId, QWidget *parent)
    : QToolButton(parent), m_commandId(commandId)
{
    setAutoRaise(true);
    // Row buttons must not pull the focus out of the list or page beside them.
    setFocusPolicy(Qt::NoFocus);
    setIconSize(QSize(16, 16));
    postCommands(this);
}

CKiteToggleButton::CKiteToggleButton(int commandId, Style style, const QString &text,
                                     QWidget *parent)
    : QAbstractButton(parent), m_commandId(commandId), m_style(style)
{
    setCheckable(true);
    setAutoExclusive(false); // a radio pair is kept by its page, not by Qt
    setText(text);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    postCommands(this);
}

void CKiteToggleButton::initOption(QStyleOptionButton *option) const
{
    option->initFrom(this);
    option->text = text();
    option->state |= isChecked() ? QStyle::State_On : QStyle::State_Off;
    if (isDown())
        option->state |= QStyle::State_Sunken;
}

QSize CKiteToggleButton::sizeHint() const
{
    QStyleOptionButton option;
    initOption(&option);
    const QSize textSize =
        style()->itemTextRect(fontMetrics(), QRect(), Qt::TextShowMnemonic, false, text()).size();
    const auto type = m_style == Style::Radio ? QStyle::CT_RadioButton : QStyle::CT_CheckBox;
    return style()->sizeFromContents(type, &option, textSize, this);
}

void CKiteToggleButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initOption(&option);
    painter.drawControl(m_style == Style::Radio ? QStyle::CE_RadioButton : QStyle::CE_CheckBox,
                        option);
}

CKiteToggleButton *newRadioButton(const QString &text, QWidget *parent, const char *name)
{
    auto *button = new CKiteToggleButton(0, CKiteToggleButton::Style::Radio, text, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

} // namespace stepvane
