// The model selection dialog and its drawn model list.
#include "shell/dialogs/CVXSpanlyxSelectDlg.h"

#include "document/NameTables.h"
#include "instrument_files/LanguageInfo.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace stepvane {

namespace {

// The short line under each model name; the models differ in frequency range.
QString modelSubtitle(int index)
{
    switch (index) {
    case 0:
        return QStringLiteral("100 MHz to 2.7 GHz");
    case 1:
        return QStringLiteral("5 MHz to 4 GHz");
    case 2:
        return QStringLiteral("5 MHz to 4 GHz, bias tee");
    default:
        return QStringLiteral("5 MHz to 6 GHz, bias tee");
    }
}

// A small handheld instrument: body, screen and keypad.
void drawInstrument(QPainter &p, const QRect &r, bool selected, const QPalette &pal)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QColor body = selected ? pal.color(QPalette::HighlightedText) : QColor(70, 86, 110);
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawRoundedRect(r, 5, 5);
    const QRect screen(r.left() + 4, r.top() + 4, r.width() - 8, r.height() / 2);
    p.setBrush(selected ? pal.color(QPalette::Highlight).lighter(150) : QColor(150, 210, 160));
    p.drawRect(screen);
    // A trace on the screen.
    p.setPen(QPen(selected ? pal.color(QPalette::Highlight).darker(150) : QColor(30, 90, 40), 1.2));
    QPainterPath trace;
    trace.moveTo(screen.left() + 2, screen.center().y());
    for (int x = 0; x < screen.width() - 4; x += 3)
        trace.lineTo(screen.left() + 2 + x, screen.center().y() + ((x / 3) % 4 == 1   ? -4
                                                                   : (x / 3) % 4 == 3 ? 3
                                                                                      : 0));
    p.drawPath(trace);
    p.setPen(Qt::NoPen);
    p.setBrush(selected ? pal.color(QPalette::Highlight) : QColor(200, 205, 215));
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col)
            p.drawEllipse(QPoint(r.left() + 7 + col * 7, screen.bottom() + 7 + row * 7), 2, 2);
    p.restore();
}

} // namespace

CSpanlyx_ListView::CSpanlyx_ListView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CSpanlyx_ListView"));
    setAccessibleName(QStringLiteral("Instrument model"));
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(sizeHint());
}

void CSpanlyx_ListView::keyPressEvent(QKeyEvent *event)
{
    const bool none = m_selection < 0 || m_selection >= kModelCount;
    switch (event->key()) {
    case Qt::Key_Up:
        setSelection(none ? kModelCount - 1 : qMax(0, m_selection - 1));
        break;
    case Qt::Key_Down:
        setSelection(none ? 0 : qMin(kModelCount - 1, m_selection + 1));
        break;
    case Qt::Key_Home:
        setSelection(0);
        break;
    case Qt::Key_End:
        setSelection(kModelCount - 1);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool CSpanlyx_ListView::focusNextPrevChild(bool next)
{
    const bool none = m_selection < 0 || m_selection >= kModelCount;
    if (none)
        setSelection(next ? 0 : kModelCount - 1);
    else
        setSelection((m_selection + (next ? 1 : kModelCount - 1)) % kModelCount);
    return true;
}

QSize CSpanlyx_ListView::sizeHint() const
{
    return QSize(kRowLeft * 2 + kRowWidth,
                 kRowTop + kRowPitch * (kModelCount - 1) + kRowHeight + 20);
}

QRect CSpanlyx_ListView::rowRect(int index) const
{
    return QRect(kRowLeft, kRowTop + kRowPitch * index, kRowWidth, kRowHeight);
}

int CSpanlyx_ListView::rowAt(const QPoint &pos) const
{
    for (int i = 0; i < kModelCount; ++i)
        if (rowRect(i).contains(pos))
            return i;
    return -1;
}

void CSpanlyx_ListView::setSelection(int index)
{
    m_selection = (index >= 0 && index < kModelCount) ? index : kUnknownModel;
    update();
}

void CSpanlyx_ListView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int row = rowAt(event->position().toPoint());
    setSelection(row < 0 ? kUnknownModel : row);
}

void CSpanlyx_ListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int row = rowAt(event->position().toPoint());
    if (row < 0)
        return;
    setSelection(row);
    emit rowDoubleClicked(row);
}

void CSpanlyx_ListView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette pal = palette();
    for (int i = 0; i < kModelCount; ++i) {
        const QRect r = rowRect(i);
        const bool selected = i == m_selection;
        p.setPen(QPen(
            selected ? pal.color(QPalette::Highlight).darker(120) : pal.color(QPalette::Mid), 1));
        p.setBrush(selected ? pal.color(QPalette::Highlight) : pal.color(QPalette::Base));
        p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);

        drawInstrument(p, QRect(r.left() + 10, r.top() + 8, 30, r.height() - 16), selected, pal);

        const QColor text =
            selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text);
        QFont nameFont = font();
        nameFont.setBold(true);
        nameFont.setPointSizeF(nameFont.pointSizeF() * 1.35);
        p.setFont(nameFont);
        p.setPen(text);
        const QRect textRect = r.adjusted(52, 6, -8, -6);
        p.drawText(textRect, Qt::AlignLeft | Qt::AlignTop, modelName(i));
        QFont small = font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        p.setFont(small);
        const QString sub =
            QFontMetrics(small).elidedText(modelSubtitle(i), Qt::ElideRight, textRect.width());
        p.drawText(textRect, Qt::AlignLeft | Qt::AlignBottom, sub);
    }
}

CVXSpanlyxSelectDlg::CVXSpanlyxSelectDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CVXSpanlyxSelectDlg"));
    setWindowTitle(QStringLiteral("Stepvane"));
    auto *description =
        new QLabel(GetMessageText(QStringLiteral("IDS_SPANLYX_DESC")).trimmed(), this);
    description->setObjectName(QStringLiteral("description"));
    description->setWordWrap(true);
    description->setContentsMargins(17, 10, 17, 0);
    QFont f = description->font();
    f.setPointSizeF(f.pointSizeF() * 1.1);
    description->setFont(f);

    m_list = new CSpanlyx_ListView(this);
    connect(m_list, &CSpanlyx_ListView::rowDoubleClicked, this, [this] { accept(); });
    m_list->setFocus(Qt::OtherFocusReason);

    auto *hint =
        new QLabel(QStringLiteral("Double-click a model, or select it (arrow keys or Tab) and "
                                  "press Enter."),
                   this);
    hint->setWordWrap(true);
    hint->setContentsMargins(17, 0, 17, 0);
    hint->setForegroundRole(QPalette::PlaceholderText);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 10, 0, 10);
    layout->addWidget(description);
    layout->addWidget(m_list, 0, Qt::AlignHCenter);
    layout->addWidget(hint);
    layout->addStretch();
    setFixedSize(312, 570);
}

int CVXSpanlyxSelectDlg::selection() const
{
    return m_list->selection();
}

void CVXSpanlyxSelectDlg::setSelection(int index)
{
    m_list->setSelection(index);
}

void CVXSpanlyxSelectDlg::keyPressEvent(QKeyEvent *event)
{
    // Enter ends with the current selection, which may be none (4): the caller
    // treats that as cancel. Escape behaves as the close box.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace stepvane
