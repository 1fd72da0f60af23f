// CVXCMDItemStatic: one entry of a task palette (and, in the model dialog, one
// model row): a label on a coloured plate that lights up under the pointer.
// Mouse presses, moves and releases pass on to the pane holding the entry,
// which does the hit-testing and the dragging.
#pragma once

#include <QColor>
#include <QWidget>

namespace stepvane {

class CVXCMDItemStatic : public QWidget {
    Q_OBJECT
public:
    CVXCMDItemStatic(const QString &label, int index, QWidget *parent = nullptr);

    QString label() const { return m_label; }
    void setLabel(const QString &label);
    int index() const { return m_index; }
    void setIndex(int index) { m_index = index; }
    // Text on the plate, the plate itself, and the strong colour used for
    // the stripe and for the highlighted look.
    void setColors(const QColor &text, const QColor &background, const QColor &accent,
                   const QColor &accentText = Qt::white);
    // A selected entry keeps the highlighted look without the pointer.
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }
    bool isHighlighted() const { return m_selected || underMouse(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_label;
    int m_index;
    QColor m_text{Qt::black};
    QColor m_background{0xee, 0xee, 0xee};
    QColor m_accent{0x70, 0x70, 0x70};
    QColor m_accentText{Qt::white};
    bool m_selected = false;
};

} // namespace stepvane
