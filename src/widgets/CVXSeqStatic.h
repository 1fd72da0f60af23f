// CVXSeqStatic: one row of the task list: the 1-based position, the step's
// label, its group colour and a delete button. The delete button reports to
// the list with the row index; every other mouse action passes on to the list.
#pragma once

#include "document/WizardDocument.h"

#include <QWidget>

namespace stepvane {

class CKiteButton;

class CVXSeqStatic : public QWidget {
    Q_OBJECT
public:
    enum class Look { Normal, Selected, MovingUp, MovingDown };
    // Marks drawn while something is dragged over the list: a line above the
    // row where a palette entry would be inserted, or a frame around the row a
    // dragged step would move to.
    enum class Mark { None, InsertAbove, MoveTarget };

    static constexpr int kRowHeight = 40;
    static constexpr int kDeleteCommand = 1;

    explicit CVXSeqStatic(int row, QWidget *parent = nullptr);

    void setContent(int row, const QString &label, TaskGroup group);
    int row() const { return m_row; }
    QString positionText() const { return QString::number(m_row + 1); }
    QString label() const { return m_label; }
    TaskGroup group() const { return m_group; }

    void setLook(Look look);
    Look look() const { return m_look; }
    void setMark(Mark mark);
    Mark mark() const { return m_mark; }

    CKiteButton *deleteButton() const { return m_delete; }

signals:
    void deleteRequested(int row);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int m_row;
    QString m_label;
    TaskGroup m_group = TaskGroup::None;
    Look m_look = Look::Normal;
    Mark m_mark = Mark::None;
    CKiteButton *m_delete;
};

} // namespace stepvane
