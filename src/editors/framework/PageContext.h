// What every editor page may reach outside itself: the editor-wide state
// (model, distance unit), the user interface for messages, the task list it
// asks to redraw when a step's line changes, and the edit history that hears
// of every change (none in tests that do not care).
#pragma once

#include "editors/framework/EditRecorder.h"
#include "widgets/AppState.h"
#include "widgets/UserInterface.h"

#include <functional>

namespace stepvane {

struct PageContext {
    AppState &state;
    UserInterface &ui;
    // Redraws the task list (the row labels follow the description as typed).
    std::function<void()> redrawTaskList;
    EditRecorder *edits = nullptr;
};

} // namespace stepvane
