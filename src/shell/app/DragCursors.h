// The pointers shown while something is dragged: 1 while a palette entry is
// carried to the task list, 2 while a row is dragged inside its list, 3 while a
// dragged row is outside its list. Cursor files in data/res/ are used when they
// are there; otherwise the pointers are drawn.
#pragma once

#include <QCursor>

namespace stepvane {

enum class DragCursor { PaletteItem = 1, RowInside = 2, RowOutside = 3 };

QCursor dragCursor(DragCursor which);

} // namespace stepvane
