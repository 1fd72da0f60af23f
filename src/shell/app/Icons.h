// The editor's icons: taken from the desktop's icon theme when it has them,
// else from the widget style or drawn here, so they never go missing.
#pragma once

#include <QIcon>

namespace stepvane {

enum class AppIcon {
    Summary,  // a sequence's testing summary
    Delete,   // delete a row
    SaveUnit, // save a sequence as testing unit file
    Add,      // add a sequence
    Import,   // add a sequence from a testing unit file
    Open,
    Save,
    Print,
    Help,
    About,
    File,
    Settings,
    ClearAll,
    Undo,
    Redo,
    Program, // the window icon
};

QIcon appIcon(AppIcon which);

} // namespace stepvane
