// Shared looks of the editor's controls: the colours of the three task groups
// and the small icons of the row buttons, taken from the icon theme when it
// has them and drawn here otherwise.
#pragma once

#include "document/WizardDocument.h"

#include <QColor>
#include <QIcon>
#include <QString>

namespace stepvane {

struct GroupColors {
    QColor accent;     // strong colour: stripes, selected rows, palette headers
    QColor background; // pale colour behind normal rows and palette entries
    QColor text;       // text on the pale colour
    QColor accentText; // text on the strong colour
};

GroupColors groupColors(TaskGroup group);
// The palette heading of a group: "Procedure", "Settings", "Analysis".
QString groupTitle(TaskGroup group);

enum class ControlIcon { Delete, Summary, Save, ClearAll };
// The side of a row button (step and sequence rows alike).
constexpr int kRowButtonSize = 24;

QIcon controlIcon(ControlIcon which);
// The drawn picture, whatever the theme offers (for tests and screenshots).
QIcon drawnControlIcon(ControlIcon which);

} // namespace stepvane
