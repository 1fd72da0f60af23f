// The IPv4 address field.
#include "widgets/IPv4AddressEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace stepvane {

namespace {

constexpr int kMaxDigits = 3;

int boxValue(const QLineEdit *box)
{
    return qBound(0, box->text().toInt(), 255);
}

} // namespace

IPv4AddressEdit::IPv4AddressEdit(QWidget *parent) : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    auto *digits =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,3}")), this);
    for (int i = 0; i < 4; ++i) {
        auto *box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("ipv4Part%1").arg(i));
        box->setValidator(digits);
        box->setMaxLength(kMaxDigits);
        box->setAlignment(Qt::AlignCenter);
        box->setMinimumWidth(44);
        box->setText(QStringLiteral("0"));
        box->installEventFilter(this);
        connect(box, &QLineEdit::textEdited, this, [this, i] { boxEdited(i); });
        m_boxes[size_t(i)] = box;
        if (i > 0)
            row->addWidget(new QLabel(QStringLiteral("."), this));
        row->addWidget(box);
    }
    setFocusProxy(m_boxes[0]);
}

std::array<int, 4> IPv4AddressEdit::fields() const
{
    std::array<int, 4> out{};
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = boxValue(m_boxes[i]);
    return out;
}

void IPv4AddressEdit::setFields(const std::array<int, 4> &fields)
{
    for (size_t i = 0; i < fields.size(); ++i)
        m_boxes[i]->setText(QString::number(qBound(0, fields[i], 255)));
}

int IPv4AddressEdit::indexOf(const QObject *box) const
{
    for (int i = 0; i < 4; ++i)
        if (m_boxes[size_t(i)] == box)
            return i;
    return -1;
}

void IPv4AddressEdit::enter(int index, bool selectAll, bool atEnd)
{
    QLineEdit *box = m_boxes[size_t(index)];
    box->setFocus(Qt::OtherFocusReason);
    if (selectAll)
        box->selectAll();
    else
        box->setCursorPosition(atEnd ? int(box->text().size()) : 0);
}

bool IPv4AddressEdit::eventFilter(QObject *watched, QEvent *event)
{
    const int index = indexOf(watched);
    if (index < 0)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        return keyPressed(index, static_cast<QKeyEvent *>(event));
    case QEvent::FocusOut: {
        // A box shows its number plainly once left ("007" becomes 7).
        QLineEdit *box = m_boxes[size_t(index)];
        if (!box->text().isEmpty() && box->text() != QString::number(boxValue(box)))
            box->setText(QString::number(boxValue(box)));
        if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason &&
            m_advancedInto == index)
            m_advancedInto = -1;
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

bool IPv4AddressEdit::keyPressed(int index, QKeyEvent *event)
{
    QLineEdit *box = m_boxes[size_t(index)];
    const bool advanced = m_advancedInto == index;
    m_advancedInto = -1;
    if (event->matches(QKeySequence::Paste))
        return pasteAddress(QApplication::clipboard()->text());
    const QString typed = event->text();
    if (typed == QStringLiteral(".") || typed == QStringLiteral(",")) {
        // Just moved here by a third digit: the dot is the one already done.
        if (!advanced && index < 3 && !box->text().isEmpty() && !box->hasSelectedText())
            enter(index + 1, true);
        return true;
    }
    const bool atEnd = box->cursorPosition() == box->text().size() && !box->hasSelectedText();
    const bool atStart = box->cursorPosition() == 0 && !box->hasSelectedText();
    const bool digit = typed.size() == 1 && typed.at(0).isDigit();
    if (digit && box->text() == QStringLiteral("0") && !box->hasSelectedText()) {
        // A lone 0 is a placeholder: the digit takes its place ("01" is no number).
        box->setText(typed);
        boxEdited(index);
        return true;
    }
    if (digit && box->text().size() >= kMaxDigits && atEnd) {
        // A full box: the digit starts the next one.
        if (index < 3) {
            enter(index + 1, false);
            m_boxes[size_t(index) + 1]->setText(typed);
            boxEdited(index + 1);
        }
        return true;
    }
    switch (event->key()) {
    case Qt::Key_Backspace:
        if (box->text().isEmpty() || atStart) {
            if (index > 0)
                enter(index - 1, false, true);
            return true;
        }
        break;
    case Qt::Key_Left:
        if (atStart && index > 0) {
            enter(index - 1, false, true);
            return true;
        }
        break;
    case Qt::Key_Right:
        if (atEnd && index < 3) {
            enter(index + 1, false, false);
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

void IPv4AddressEdit::boxEdited(int index)
{
    QLineEdit *box = m_boxes[size_t(index)];
    if (box->text().toInt() > 255)
        box->setText(QStringLiteral("255"));
    emit edited();
    const bool full =
        box->text().size() >= kMaxDigits && box->cursorPosition() == box->text().size();
    if (full && index < 3) {
        enter(index + 1, true);
        m_advancedInto = index + 1;
    }
}

bool IPv4AddressEdit::pasteAddress(const QString &text)
{
    const QStringList parts = text.trimmed().split(u'.');
    if (parts.size() != 4)
        return false; // a single number goes into the box as usual
    std::array<int, 4> values{};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const QString &part = parts.at(i);
        values[size_t(i)] = part.toInt(&ok);
        if (!ok || part.isEmpty() || part.size() > kMaxDigits || !part.at(0).isDigit() ||
            values[size_t(i)] > 255)
            return true; // not an address: nothing is pasted
    }
    setFields(values);
    emit edited();
    enter(3, false, true);
    return true;
}

} // namespace stepvane
