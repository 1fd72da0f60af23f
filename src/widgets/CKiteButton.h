// The editor's own buttons: CKiteButton (a picture push button) and
// CKiteToggleButton (check style or radio style). Both tell their owner about
// a click with command(id), posted after the mouse button is released, so an
// owner may remove the button (or the row carrying it) while handling it.
#pragma once

#include <QAbstractButton>
#include <QToolButton>

class QStyleOptionButton;

namespace stepvane {

class CKiteButton : public QToolButton {
    Q_OBJECT
public:
    explicit CKiteButton(int commandId, QWidget *parent = nullptr);
    int commandId() const { return m_commandId; }

signals:
    void command(int commandId);

private:
    int m_commandId;
};

class CKiteToggleButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Style { Check, Radio };

    CKiteToggleButton(int commandId, Style style, const QString &text = QString(),
                      QWidget *parent = nullptr);
    int commandId() const { return m_commandId; }
    Style toggleStyle() const { return m_style; }

    // The on/off state; setting it reports nothing.
    void setState(bool on) { setChecked(on); }
    bool state() const { return isChecked(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void command(int commandId);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void initOption(QStyleOptionButton *option) const;

    int m_commandId;
    Style m_style;
};

// A radio-style toggle with the object name tests and automation find it by.
CKiteToggleButton *newRadioButton(const QString &text, QWidget *parent, const char *name);

} // namespace stepvane
