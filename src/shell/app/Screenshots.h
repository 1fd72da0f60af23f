// Renders the editor's windows with sample content to PNG files, so the look
// can be reviewed without a display (stepvane --screenshots DIR, run on the
// offscreen platform by "make screenshots").
#pragma once

#include <QString>

namespace stepvane {

// Writes main-window.png, task-editor.png, model-dialog.png,
// password-dialog-set.png, password-dialog-enter.png, comm-*.png and
// fleet-send.png into the folder (created when missing), and the editor pages
// and page dialogs into its "pages" folder. Returns the program's exit status.
int renderScreenshots(const QString &folder);

} // namespace stepvane
