// The model selection dialog shown at start-up: one row per instrument model;
// a click selects, a double click selects and ends the dialog, Enter ends it
// with whatever is selected (4 = none), the close box cancels.
#pragma once

#include <QDialog>
#include <QWidget>

class QLabel;

namespace stepvane {

// The list of models: rows 66 pixels apart, each 270 x 56, drawn by the list.
class CSpanlyx_ListView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRowLeft = 17;
    static constexpr int kRowTop = 20;
    static constexpr int kRowPitch = 66;
    static constexpr int kRowWidth = 270;
    static constexpr int kRowHeight = 56;

    explicit CSpanlyx_ListView(QWidget *parent = nullptr);

    int selection() const { return m_selection; }
    void setSelection(int index);
    // The model row at a point of the list, or -1 beside the rows.
    int rowAt(const QPoint &pos) const;
    QRect rowRect(int index) const;
    QSize sizeHint() const override;

signals:
    void rowDoubleClicked(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    // Arrows, Home and End move the selection; Enter is the dialog's.
    void keyPressEvent(QKeyEvent *event) override;
    // Tab and Shift+Tab move the selection too, around the list.
    bool focusNextPrevChild(bool next) override;

private:
    int m_selection = 4;
};

class CVXSpanlyxSelectDlg : public QDialog {
    Q_OBJECT
public:
    explicit CVXSpanlyxSelectDlg(QWidget *parent = nullptr);

    // Chosen model index 0..3, or 4 for none.
    int selection() const;
    void setSelection(int index);
    CSpanlyx_ListView *list() const { return m_list; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    CSpanlyx_ListView *m_list;
};

} // namespace stepvane
