// FieldNote: a short note shown by a field for a few seconds, so the user
// sees what the field did with the input: a key it refused (and what it
// takes instead), or a value a commit changed (clamped to a bound, moved by
// another field's rule, converted to another unit). It floats over the page
// just under the field, like a tooltip, and never takes the focus. It draws
// its own text rather than being a label, so nothing that reads a page's
// labels mistakes it for part of the page.
#pragma once

#include <QFrame>
#include <QPointer>
#include <QTimer>

namespace stepvane {

class FieldNote : public QFrame {
    Q_OBJECT
public:
    static constexpr int kShownMs = 4000;

    // Shows text by the field for ms milliseconds; a note the field already
    // shows is replaced. The note lives in the nearest ancestor marked with
    // markHost (an editor page), else in the field's window.
    static FieldNote *showBy(QWidget *field, const QString &text, int ms = kShownMs);
    // The note shown by the field, or nullptr.
    static FieldNote *of(const QWidget *field);
    // Hides every note inside host (the page now shows another record).
    static void hideAll(QWidget *host);
    // Notes of fields inside widget live in widget (so a grab shows them).
    static void markHost(QWidget *widget);

    QWidget *field() const { return m_field; }
    QString text() const { return m_text; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    FieldNote(QWidget *host, QWidget *field);
    void place();

    QPointer<QWidget> m_field;
    QString m_text;
    QTimer m_timer;
};

} // namespace stepvane
