// stepvane-cli diff --html DIR: the review diff written as a web page.
#pragma once

#include "review/diff/WizardDiff.h"

#include <QString>

namespace stepvane::cli {

// Writes DIR/index.html (and the changed pictures into DIR/files); prints
// the page's path, or why it could not be written. False on failure.
bool writeDiffWebPage(const WizardDiff &diff, const WizardDocument &oldDoc, const QString &oldPath,
                      const WizardDocument &newDoc, const QString &newPath, const QString &dir);

} // namespace stepvane::cli
