// CVXTestingStatic: one row of the sequence pane: its "%d. %s" text and three
// row buttons (summary, delete, save as testing unit file). The buttons report
// to the pane with the row index; every other mouse action passes on to the
// pane, which does the hit-testing and the dragging.
#pragma once

#include <QWidget>

namespace stepvane {

class CKiteButton;

class CVXTestingStatic : public QWidget {
    Q_OBJECT
public:
    enum class Look { Normal, Selected, MovingUp, MovingDown };
    enum Command { SummaryCommand = 1, DeleteCommand = 2, SaveCommand = 3 };

    explicit CVXTestingStatic(int row, QWidget *parent = nullptr);

    void setContent(int row, const QString &text);
    int row() const { return m_row; }
    QString text() const { return m_text; }
    void setLook(Look look);
    Look look() const { return m_look; }

    CKiteButton *button(Command which) const;

    QSize sizeHint() const override { return QSize(270, 33); }

signals:
    void summaryRequested(int row);
    void deleteRequested(int row);
    void saveRequested(int row);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int m_row;
    QString m_text;
    Look m_look = Look::Normal;
    CKiteButton *m_buttons[3];
};

} // namespace stepvane
