// A task editor filled with a sample sequence and a selected step, rendered
// to an image for the screenshots of the editor's windows.
#pragma once

#include "widgets/AppState.h"
#include "widgets/UserInterface.h"

#include <QImage>

namespace stepvane {

QImage renderTaskEditorSample(AppState &state, UserInterface &ui);

} // namespace stepvane
