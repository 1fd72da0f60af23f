// A wizard as stable, line-oriented text for version control (git's textconv,
// diff, log -p and blame): the header one line per field, a heading per
// sequence and per step, then one "Field = value" line per stored field of
// the step in the order the file and the page hold them, attached files by
// name, size and SHA-256, never their bytes. The same wizard always gives the
// same text, and a change of one field changes one line.
#pragma once

#include "document/WizardDocument.h"

#include <QStringList>

namespace stepvane {

QStringList wizardTextLines(const WizardDocument &doc, int model, bool testingUnit);

} // namespace stepvane
