// Where the file dialogs start: in the folder last used for that kind of file
// (remembered in the settings), else in the open wizard's folder, else in the
// user's home; never in whatever folder the program happened to start from.
// Wizard files start in the open wizard's folder first.
#pragma once

#include <QString>

namespace stepvane {

// The open wizard's file; empty while it is bound to none. The main window
// tells it whenever the binding changes; its folder is remembered for wizards.
void setDialogWizardPath(const QString &path);
QString dialogWizardPath();

// The kind of file a dialog is about: the first extension its filter names
// ("jpg", "wzd", "csv"), else its default suffix, else a key made of its title.
QString dialogFileKind(const QString &filter, const QString &defaultSuffix, const QString &title);
// The folder a dialog for that kind starts in; it always exists.
QString dialogStartFolder(const QString &kind);
// Keeps the folder of a path the user chose for the next dialog of that kind.
void rememberDialogFolder(const QString &kind, const QString &chosenPath);

// A text made fit to be a file name on every system: no path separators,
// reserved or control characters (each becomes "_"), no leading or trailing
// blanks and dots, at most 120 characters. May be empty.
QString fileNameFromText(const QString &text);

// What Save As proposes: the wizard's title as a file name with ".wzd", in the
// bound file's folder when there is one; the bound file's own name when the
// title makes no name; empty when neither gives one.
QString proposedWizardPath(const QString &title, const QString &boundPath);

} // namespace stepvane
