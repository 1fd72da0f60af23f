// Opening the task editor window.
#include "shell/sequences/TaskEditorLauncher.h"

#include "shell/taskeditor/CVXMeasureList_View.h"
#include "shell/taskeditor/CVXMeasurementEditDlg.h"

#include <QWidget>

namespace stepvane {

void runTaskEditor(AppState &state, UserInterface &ui, WizardDocument &document,
                   TestingSequence *sequence, QWidget *mainWindow,
                   const std::function<void()> &onTitleChanged, int initialStep)
{
    if (!sequence)
        return;
    CVXMeasurementEditDlg editor(state, ui, document, sequence, mainWindow);
    // The editor opens with its top-left corner 100 right of and 105 below the
    // main window's, so both stay in view.
    if (mainWindow)
        editor.move(mainWindow->frameGeometry().topLeft() + QPoint(100, 105));
    if (onTitleChanged)
        QObject::connect(&editor, &CVXMeasurementEditDlg::sequenceTitleChanged, &editor,
                         [&onTitleChanged] { onTitleChanged(); });
    if (initialStep >= 0 && initialStep < sequence->stepCount())
        editor.taskList()->selectRow(initialStep, true);
    ui.runModal(editor);
}

} // namespace stepvane
