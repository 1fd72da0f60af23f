// The keyboard order and the names of a form's controls, worked out from its
// layouts rather than from the order the controls were made in: Tab visits
// the controls as the eye reads them (top to bottom, left to right, the way
// the layouts place them), and every control is named after the label a
// person reads beside it, so screen readers and desktop automation can find
// it. Pages and dialogs get both by calling arrangeControls once they are
// built.
#pragma once

#include <QString>

#include <vector>

class QWidget;

namespace stepvane {

struct LaidOutControl {
    QWidget *widget = nullptr;
    QString label; // the text a person reads for it (its row's label, its column's heading)
};

// The controls inside root that Tab can reach, in the order the layouts show
// them. Controls outside any layout are left out.
std::vector<LaidOutControl> laidOutControls(QWidget *root);

// Every button inside root is put on the Tab path and pressed by Enter while
// it has the focus; Tab follows laidOutControls, and a control without an
// accessible name takes its label (or a button without text its tooltip).
void arrangeControls(QWidget *root);

} // namespace stepvane
