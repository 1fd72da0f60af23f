// Finding the files that lie beside the program (language table, style sheet,
// cable list...): the data folder next to the executable in the build tree, or
// ../share/stepvane when installed, then stepvane/ in the desktop's data
// folders (XDG_DATA_DIRS). STEPVANE_DATA_DIR comes before all of them.
#pragma once

#include <QString>

namespace stepvane {

// Folder holding the running executable.
QString programDirectory();
// Full path of a data file, or an empty text when it is nowhere to be found.
QString dataFilePath(const QString &fileName);

} // namespace stepvane
