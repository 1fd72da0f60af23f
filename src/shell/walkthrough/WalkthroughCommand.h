// "Walk through" (F5) and "Export as web page..." in the main window's File
// menu. The walk-through window opens beside the task editor (or the main
// window) without covering it, and keeps out of its way, at the step
// selected in the task editor (else at the start) and follows the document:
// every edit, undo or newly opened wizard redraws it. "Edit this step" there
// selects the step in the task editor. The export writes the same walk-
// through as a static web page into a folder the user names.
#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class QWidget;

namespace stepvane {

struct AppState;
class CStepvaneDlg;
class UserInterface;
class WalkthroughWindow;

class WalkthroughCommand : public QObject {
    Q_OBJECT
public:
    // Lives as a child of the main window.
    WalkthroughCommand(AppState &state, UserInterface &ui, CStepvaneDlg &window);
    QAction *walkAction() const { return m_walk; }
    QAction *exportAction() const { return m_export; }

    // Opens (or raises) the walk-through window.
    void walkThrough();
    // Asks for the folder and writes the page; false when nothing was written.
    bool exportWebPage();
    WalkthroughWindow *walkthroughWindow() const;

private:
    void editStep(int sequence, int step);
    // The task editor while it is shown, else nullptr.
    QWidget *taskEditor() const;
    // The task editor's selected step as (sequence, step); (0, 0) when none.
    std::pair<int, int> selectedPlace() const;

    AppState &m_state;
    UserInterface &m_ui;
    CStepvaneDlg &m_window;
    QAction *m_walk = nullptr;
    QAction *m_export = nullptr;
    QPointer<WalkthroughWindow> m_walkWindow;
};

} // namespace stepvane
