// What every editor page may reach outside itself: the editor-wide state
// (model, distance unit), the user interface for messages, and the task list
// it asks to redraw when a step's line changes.
#pragma once

#include "shell/AppState.h"
#include "shell/UserInterface.h"

#include <functional>

namespace stepvane {

struct PageContext {
    AppState &state;
    UserInterface &ui;
    // Redraws the task list (the row labels follow the description as typed).
    std::function<void()> redrawTaskList;
};

} // namespace stepvane
