// Find (Ctrl+F) and Find next (F3) in the main window and the task editor:
// opens the Find window and shows each hit where it is edited: the wizard
// title in the main window, a sequence title or a step in the task editor
// (the step's page). The Find window keeps the keyboard meanwhile, so Enter
// goes on to the next hit.
#pragma once

#include <QObject>

class QAction;

namespace stepvane {

class CFindDlg;
class CStepvaneDlg;
struct SearchHit;

class WizardFindCommand : public QObject {
    Q_OBJECT
public:
    // Lives as a child of the main window.
    explicit WizardFindCommand(CStepvaneDlg &window);

    QAction *findAction() const { return m_find; }
    QAction *findNextAction() const { return m_findNext; }
    CFindDlg *findWindow() const { return m_dialog; }

private:
    void openFind();
    void findNext();
    void showHit(const SearchHit &hit);

    CStepvaneDlg &m_window;
    QAction *m_find = nullptr;
    QAction *m_findNext = nullptr;
    CFindDlg *m_dialog = nullptr;
};

} // namespace stepvane
