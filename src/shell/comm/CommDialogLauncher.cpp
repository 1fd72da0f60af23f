// Opening the communication dialog.
#include "shell/comm/CommDialogLauncher.h"

#include "shell/comm/CDlgComm.h"
#include "widgets/UserInterface.h"

namespace stepvane {

bool runCommDialog(UserInterface &ui, CommDialogMode mode, QWidget *parent, const QString &savePath,
                   const QString &filePath)
{
    CDlgComm dialog(ui, mode, parent, savePath);
    if (mode == CommDialogMode::Send)
        dialog.setFilePath(filePath);
    ui.runModal(dialog);
    return mode == CommDialogMode::FetchSetup && dialog.receivedOk();
}

} // namespace stepvane
