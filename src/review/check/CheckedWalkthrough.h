// The walk-through with the wizard check's findings on its cards: each lands
// on the card of its step (or its sequence's first card, or the wizard's, which
// the end card shows too).
#pragma once

#include "review/check/WizardCheck.h"
#include "summary/walkthrough/WalkCards.h"

#include <vector>

namespace stepvane {

Walkthrough buildWalkthrough(const WizardDocument &doc, int model,
                             const std::vector<Finding> &findings);

} // namespace stepvane
