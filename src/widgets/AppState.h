// Application-wide state of the editor: the instrument model chosen at start,
// the editor-wide distance unit and the two in-program clipboards. One object
// lives for the whole run (owned by CStepvaneApp); windows hold a reference.
#pragma once

#include "document/WizardDocument.h"

#include <memory>
#include <optional>

namespace stepvane {

struct AppState {
    int CurrentModelIndex = 0;
    int CurrentDistanceUnit = kDistanceMeter;
    // A copy of the sequence taken by Ctrl+C in the sequence pane, if any.
    std::unique_ptr<TestingSequence> SequenceClipboard;
    // A copy of the task step taken by Ctrl+C in the task editor, if any.
    std::optional<TaskStep> TaskClipboard;
};

} // namespace stepvane
