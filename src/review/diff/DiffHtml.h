// The review diff as a static web page, in the same folder form as the
// walk-through page (DIR/index.html, pictures in DIR/files): each changed
// step with its old and new values, changed pictures old and new side by
// side, added, removed and moved sequences and steps marked.
#pragma once

#include "review/diff/WizardDiff.h"
#include "summary/walkthrough/WalkHtml.h"

namespace stepvane {

struct DiffPageSide {
    const WizardDocument &doc;
    QString name;   // the file as the user named it
    QString sha256; // its digest
};

WebPageResult exportDiffPage(const WizardDiff &diff, const DiffPageSide &oldSide,
                             const DiffPageSide &newSide, const QString &dir);

} // namespace stepvane
