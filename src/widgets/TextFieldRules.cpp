// The validator that keeps a field's text writable and the length count.
#include "widgets/TextFieldRules.h"

#include "common/XmlText.h"
#include "widgets/FieldNote.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QValidator>

namespace stepvane {

namespace {

constexpr char kCountName[] = "lengthCount";

// Drops every unit a wizard file cannot hold, keeps the rest and the cursor
// where the user put it. Running as the field's validator, it sees typing,
// pasting, dropping and input-method text alike.
class WizardTextValidator final : public QValidator {
public:
    explicit WizardTextValidator(QLineEdit *field) : QValidator(field), m_field(field) {}

    State validate(QString &input, int &pos) const override
    {
        bool dropped = false;
        qsizetype from = 0;
        for (;;) {
            const qsizetype at = firstXmlUnsafeIndex(QStringView(input).mid(from));
            if (at < 0)
                break;
            input.remove(from + at, 1);
            if (from + at < pos)
                --pos;
            from += at;
            dropped = true;
        }
        if (dropped && m_field)
            FieldNote::showBy(m_field, unsafeTextNote());
        return Acceptable;
    }

private:
    QPointer<QLineEdit> m_field;
};

// "72 / 90" at the right end inside the field, while it has the focus. Drawn,
// not a label, so nothing that reads a page's labels takes it for one.
class LengthCount final : public QWidget {
public:
    LengthCount(QLineEdit *field, int maxLength) : QWidget(field), m_field(field)
    {
        setObjectName(QLatin1String(kCountName));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        field->setMaxLength(maxLength);
        field->installEventFilter(this);
        QObject::connect(field, &QLineEdit::textChanged, this, [this] { refresh(); });
        refresh();
    }
    QString text() const
    {
        return QStringLiteral("%1 / %2").arg(m_field->text().size()).arg(m_field->maxLength());
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::Resize:
        case QEvent::Show:
            refresh();
            break;
        case QEvent::KeyPress:
            noteIfStopped(static_cast<QKeyEvent *>(event));
            break;
        default:
            break;
        }
        return false;
    }
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(rect(), Qt::AlignRight | Qt::AlignVCenter, text());
    }

private:
    void refresh()
    {
        const bool shown = m_field->hasFocus() && !m_field->isReadOnly();
        const int width = m_field->fontMetrics().horizontalAdvance(
                              QStringLiteral("%1 / %1").arg(m_field->maxLength())) +
                          6;
        // The typed text never runs under the count.
        m_field->setTextMargins(0, 0, shown ? width : 0, 0);
        setGeometry(m_field->width() - width - 4, 0, width, m_field->height());
        setVisible(shown);
        update();
    }
    // A key or a paste that the limit stops says so instead of vanishing.
    void noteIfStopped(const QKeyEvent *event)
    {
        const qsizetype kept = m_field->text().size() - m_field->selectedText().size();
        qsizetype adding = 0;
        if (event->matches(QKeySequence::Paste))
            adding = QGuiApplication::clipboard()->text().size();
        else if (!event->text().isEmpty() && event->text().at(0).isPrint())
            adding = event->text().size();
        if (adding > 0 && kept + adding > m_field->maxLength())
            FieldNote::showBy(m_field, lengthLimitNote(m_field->maxLength()));
    }

    QLineEdit *m_field;
};

} // namespace

QString unsafeTextNote()
{
    return QStringLiteral("control characters cannot be kept in a wizard");
}

QString lengthLimitNote(int maxLength)
{
    return QStringLiteral("At most %1 characters").arg(maxLength);
}

void keepWizardText(QLineEdit *field)
{
    if (field && !field->validator())
        field->setValidator(new WizardTextValidator(field));
}

void keepWizardTextIn(QWidget *root)
{
    if (!root)
        return;
    for (QLineEdit *field : root->findChildren<QLineEdit *>())
        keepWizardText(field);
}

void limitLength(QLineEdit *field, int maxLength)
{
    if (!field)
        return;
    if (auto *old =
            field->findChild<QWidget *>(QLatin1String(kCountName), Qt::FindDirectChildrenOnly))
        delete old;
    new LengthCount(field, maxLength);
}

QString shownLengthCount(const QLineEdit *field)
{
    auto *count = dynamic_cast<LengthCount *>(
        field ? field->findChild<QWidget *>(QLatin1String(kCountName), Qt::FindDirectChildrenOnly)
              : nullptr);
    return count && count->isVisible() ? count->text() : QString();
}

} // namespace stepvane
