// The findings window of "Check wizard": a line saying how many errors and
// warnings the check found for the model, then one row per finding (severity,
// where, field, what is wrong) and how long sending the wizard takes.
// Clicking a row asks to show its step; "Check again" asks for a fresh check.
// It stays open beside the editor.
#pragma once

#include "review/check/SendEstimate.h"
#include "review/check/WizardCheck.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace stepvane {

class CheckFindingsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CheckFindingsDlg(QWidget *parent = nullptr);

    // Shows the findings of a check of doc for the model.
    void showFindings(const std::vector<Finding> &findings, const WizardDocument &doc, int model);

    QTreeWidget *list() const { return m_list; }
    // Shows how long sending the wizard takes (nothing when unknown).
    void showSendEstimate(const SendEstimate &estimate);

    QLabel *tally() const { return m_tally; }
    QLabel *sendEstimate() const { return m_send; }
    QPushButton *checkAgainButton() const { return m_again; }
    // The finding a row shows.
    const Finding *findingAt(int row) const;

signals:
    void findingChosen(int sequence, int step);
    void checkAgainRequested();

private:
    void rowClicked(QTreeWidgetItem *item);

    std::vector<Finding> m_findings;
    QLabel *m_tally = nullptr;
    QLabel *m_send = nullptr;
    QTreeWidget *m_list = nullptr;
    QPushButton *m_again = nullptr;
};

} // namespace stepvane
