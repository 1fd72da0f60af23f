// CVXEdit: filtering, live update and commit of the edit fields.
#include "widgets/CVXEdit.h"

#include "common/NumberText.h"
#include "widgets/FieldNote.h"
#include "widgets/TextFieldRules.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QScopedValueRollback>

#include <cmath>
#include <limits>

namespace stepvane {

namespace {

// A bound of a whole-number field, cut toward zero and kept inside int.
long long wholeBound(float bound)
{
    const double cut = std::trunc(double(bound));
    const double lo = std::numeric_limits<int>::min();
    const double hi = std::numeric_limits<int>::max();
    return static_cast<long long>(std::clamp(cut, lo, hi));
}

bool isEnter(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

} // namespace

CVXEdit::CVXEdit(QWidget *parent) : QLineEdit(parent)
{
    keepWizardText(this);
    // Free text reports every change, however it was made (typing, paste,
    // cut, undo); number fields report from their key handling only.
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (m_class == FreeText)
            report(false);
    });
}

void CVXEdit::configure(int fieldId, Handler handler, int inputClass, float lowerBound,
                        float upperBound)
{
    m_fieldId = fieldId;
    m_handler = std::move(handler);
    setBounds(lowerBound, upperBound);
    setInputClass(inputClass);
}

void CVXEdit::setBounds(float lower, float upper)
{
    m_lower = lower;
    m_upper = upper;
}

void CVXEdit::setInputClass(int inputClass)
{
    m_class = (inputClass >= FreeText && inputClass <= Whole) ? inputClass : FreeText;
    // Dropped text and input-method text would bypass the character filter.
    setAcceptDrops(!isNumeric());
    setAttribute(Qt::WA_InputMethodEnabled, !isNumeric());
}

bool CVXEdit::acceptsCharacter(int inputClass, QChar c)
{
    const bool digit = c >= u'0' && c <= u'9';
    switch (inputClass) {
    case FreeText:
        return true;
    case Decimal:
        return digit || c == u'.' || c == u'-';
    case MarkerSyntax:
        return digit || c == u'.' || c == u'-' || c == u'M' || c == u'm' || c == u'<' ||
               c == u'>' || c == u';';
    case Whole:
        return digit || c == u'-';
    default:
        return false;
    }
}

QString CVXEdit::acceptedText(int inputClass)
{
    switch (inputClass) {
    case Decimal:
        return QStringLiteral("Numbers only: digits, \".\" and \"-\"");
    case MarkerSyntax:
        return QStringLiteral("Numbers and marker terms only: digits, \".\", \"-\", M, <, > and ;");
    case Whole:
        return QStringLiteral("Whole numbers only: digits and \"-\"");
    default:
        return QString();
    }
}

void CVXEdit::report(bool commit)
{
    if (m_handler)
        m_handler(m_fieldId, text(), commit);
}

void CVXEdit::commit()
{
    if (!commits() || m_committing)
        return;
    // A handler that opens a message box takes the focus away; that focus loss
    // must not start a second commit inside this one.
    QScopedValueRollback guard(m_committing, true);
    QString shown;
    int clamped = 0; // -1 to the lower bound, 1 to the upper
    if (m_class == Decimal) {
        double value = parseDecimalText(text());
        if (value > double(m_upper)) {
            value = m_upper;
            clamped = 1;
        } else if (value < double(m_lower)) {
            value = m_lower;
            clamped = -1;
        }
        shown = formatDecimal(value, m_decimals);
    } else {
        long long value = parseWholeText(text());
        if (double(value) > double(m_upper)) {
            value = wholeBound(m_upper);
            clamped = 1;
        } else if (double(value) < double(m_lower)) {
            value = wholeBound(m_lower);
            clamped = -1;
        }
        shown = QString::number(value);
    }
    setText(shown);
    if (clamped != 0) {
        const QString limit =
            m_limitText.isEmpty() ? QStringLiteral("the %1 value allowed") : m_limitText;
        FieldNote::showBy(this, QStringLiteral("Clamped to %1, %2")
                                    .arg(shown, limit.arg(clamped > 0 ? QStringLiteral("highest")
                                                                      : QStringLiteral("lowest"))));
    }
    report(true);
}

void CVXEdit::keyPressEvent(QKeyEvent *event)
{
    if (isEnter(event)) {
        // Enter never reaches the window (no default button, no closing).
        commit();
        event->accept();
        return;
    }
    if (!isNumeric()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    numericKeyPress(event);
}

void CVXEdit::numericKeyPress(QKeyEvent *event)
{
    // Copy and paste work as usual but report nothing: a pasted number
    // reaches the handler with the next keystroke or the commit.
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Paste) ||
        event->matches(QKeySequence::SelectAll)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    // Cut changes the text like Delete does, and reports it the same way.
    if (event->matches(QKeySequence::Cut)) {
        QLineEdit::keyPressEvent(event);
        report(false);
        return;
    }
    // A number field keeps its own undo, like every text field; what it
    // brings back reaches the record like a typed change.
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        QLineEdit::keyPressEvent(event);
        setModified(true);
        report(false);
        return;
    }
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    if (event->key() == Qt::Key_Backspace || (event->key() == Qt::Key_Delete && !keypad)) {
        QLineEdit::keyPressEvent(event);
        report(false);
        return;
    }
    if (event->key() == Qt::Key_Delete) {
        // The keypad's Delete reports before it acts, like the other keys.
        report(false);
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        event->ignore(); // the window decides what Escape means
        return;
    }
    const QString typed = event->text();
    if (!typed.isEmpty()) {
        const QChar c = typed.at(0);
        if (c.isPrint() && typed.size() == 1 && acceptsCharacter(m_class, c)) {
            QLineEdit::keyPressEvent(event);
            report(false);
        } else {
            // A refused character says what the field takes (a "." in a
            // whole-number field would otherwise vanish unnoticed); control
            // keys are dropped quietly.
            if (c.isPrint())
                FieldNote::showBy(this, acceptedText(m_class));
            event->accept();
        }
        return;
    }
    // Keys without a character (arrows, Home, End...) report the text as it
    // stands before they act.
    report(false);
    QLineEdit::keyPressEvent(event);
}

void CVXEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // A context menu only borrows the focus. A field the user only passed
    // through (no keystroke, paste or cut since it was last set or committed)
    // commits nothing: leaving it must not clamp a stored value nor count as
    // the user's choice of it.
    if (event->reason() != Qt::PopupFocusReason && isModified())
        commit();
}

} // namespace stepvane
