// The sequence summary dialog "Testing  summary": the title of one testing
// sequence and one line per step, opened modally by the summary button of a
// sequence row and placed beside the window it belongs to.
#pragma once

#include "document/WizardDocument.h"

#include <QDialog>

class QLineEdit;
class QListWidget;

namespace stepvane {

class SequenceSummaryDlg : public QDialog {
    Q_OBJECT
public:
    // The dialog's top lies this many pixels below the top of its parent window.
    static constexpr int kTopOffset = 163;

    explicit SequenceSummaryDlg(const TestingSequence &sequence, QWidget *parent = nullptr);

    QLineEdit *titleField() const { return m_title; }
    QListWidget *stepList() const { return m_steps; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void placeBesideParent();

    QLineEdit *m_title;
    QListWidget *m_steps;
    bool m_placed = false;
};

// Shows the summary of one sequence modally; returns when the user closes it.
void ShowSequenceSummary(QWidget *parent, const TestingSequence &sequence);

} // namespace stepvane
