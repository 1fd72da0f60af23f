// Opens the communication dialog modally in one of its modes.
#pragma once

#include <QString>

class QWidget;

namespace stepvane {

class UserInterface;

enum class CommDialogMode : int {
    Send = 0,       // "Send to Spanlyx": pick a wizard file and send it
    FetchSetup = 1, // "Load Setup file From EQP": fetch at once, then close
    Settings = 2,   // "Communication": the connection method and addresses
};

// For FetchSetup, savePath is where the fetched setup file goes; the result
// says whether a setup was received and written there. Other modes give false.
// For Send, filePath is the file the dialog starts with (the open wizard's).
bool runCommDialog(UserInterface &ui, CommDialogMode mode, QWidget *parent,
                   const QString &savePath = QString(), const QString &filePath = QString());

} // namespace stepvane
