// Where the editor's windows go. Each window keeps its place and size in the
// settings under a name of its own (group "WindowPlaces") when it hides, and
// gets it back the next time it is shown, kept on a screen that exists now.
// Windows that work together are placed beside each other rather than on
// top of each other, and nothing opens larger than the screen.
#pragma once

#include <QString>

class QWidget;

namespace stepvane {

// Keeps the window's place under name from now on. Returns whether a kept
// place was given back (the caller places a new window itself otherwise).
bool rememberPlace(QWidget *window, const QString &name);
// The window's size and place moved inside the available area of its screen.
void keepOnScreen(QWidget *window);
// Places window beside anchor, right of it or left of it, where the screen
// leaves room; otherwise the two share the screen, anchor on the left half.
void placeBeside(QWidget *window, QWidget *anchor);
// Whether the two windows' frames overlap.
bool windowsOverlap(const QWidget *a, const QWidget *b);

} // namespace stepvane
