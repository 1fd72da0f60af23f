// "Check wizard" in the main window's File menu: checks the open wizard for
// the model of this run and shows the findings window; a finding clicked there
// selects its sequence and opens the task editor on its step. While the
// findings are shown, every change to the wizard checks it again, so fixed
// findings go away.
#pragma once

#include <QObject>
#include <QTimer>

class QAction;

namespace stepvane {

struct AppState;
class CStepvaneDlg;
class CheckFindingsDlg;

class WizardCheckCommand : public QObject {
    Q_OBJECT
public:
    // Lives as a child of the main window.
    WizardCheckCommand(AppState &state, CStepvaneDlg &window);

    QAction *action() const { return m_action; }
    // Checks the wizard and shows (or refreshes and raises) the findings window.
    void run();
    CheckFindingsDlg *findingsWindow() const { return m_findings; }

private:
    void recheck();
    void showFinding(int sequence, int step);

    AppState &m_state;
    CStepvaneDlg &m_window;
    QAction *m_action = nullptr;
    CheckFindingsDlg *m_findings = nullptr;
    QTimer m_recheckTimer;
};

} // namespace stepvane
