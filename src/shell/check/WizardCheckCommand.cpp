// The "Check wizard" command.
#include "shell/check/WizardCheckCommand.h"

#include "print/PictureProbe.h"
#include "review/check/WizardCheck.h"
#include "shell/check/CheckFindingsDlg.h"
#include "shell/history/DocumentHistory.h"
#include "shell/main/CStepvaneDlg.h"
#include "shell/sequences/CVXTestList_View.h"
#include "widgets/AppState.h"

#include "widgets/WindowPlace.h"

#include <QAction>

namespace stepvane {

WizardCheckCommand::WizardCheckCommand(AppState &state, CStepvaneDlg &window)
    : QObject(&window), m_state(state), m_window(window)
{
    m_action = new QAction(QStringLiteral("Check wizard"), &window);
    m_action->setObjectName(QStringLiteral("actionCheck"));
    connect(m_action, &QAction::triggered, this, &WizardCheckCommand::run);
    // The findings follow the wizard as it is edited; a burst of keystrokes
    // makes one check (pictures are decoded on each).
    m_recheckTimer.setSingleShot(true);
    m_recheckTimer.setInterval(300);
    connect(&m_recheckTimer, &QTimer::timeout, this, &WizardCheckCommand::recheck);
    connect(&window.history(), &DocumentHistory::changed, this, [this] {
        if (m_findings && m_findings->isVisible())
            m_recheckTimer.start();
    });
}

void WizardCheckCommand::run()
{
    if (!m_findings) {
        m_findings = new CheckFindingsDlg(&m_window);
        m_window.shareDocumentKeys(m_findings);
        if (!rememberPlace(m_findings, QStringLiteral("CheckWindow")))
            keepOnScreen(m_findings);
        // Queued: the task editor opens after the click on the row is over.
        connect(m_findings, &CheckFindingsDlg::findingChosen, this,
                &WizardCheckCommand::showFinding, Qt::QueuedConnection);
        connect(m_findings, &CheckFindingsDlg::checkAgainRequested, this,
                &WizardCheckCommand::recheck);
    }
    recheck();
    m_findings->show();
    m_findings->raise();
    m_findings->activateWindow();
}

void WizardCheckCommand::recheck()
{
    if (!m_findings)
        return;
    CheckOptions options;
    options.model = m_state.CurrentModelIndex;
    options.pictures = decodePicture;
    m_findings->showFindings(checkWizard(m_window.document(), options), m_window.document(),
                             options.model);
    m_findings->showSendEstimate(sendEstimateOfWizard(m_window.document(), options.model, false));
}

void WizardCheckCommand::showFinding(int sequence, int step)
{
    CVXTestList_View *pane = m_window.pane();
    // The wizard may have changed since the check: a place that is gone is ignored.
    if (!pane || !m_window.document().sequence(sequence))
        return;
    pane->setSelectedIndex(sequence);
    // The task editor always shows the selected sequence: a finding of the
    // sequence itself opens it with no step selected.
    const bool stepThere = step >= 0 && m_window.document().sequence(sequence)->step(step);
    pane->openTaskEditor(sequence, stepThere ? step : -1);
}

} // namespace stepvane
