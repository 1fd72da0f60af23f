// The walk-through as one static web page: DIR/index.html with the pictures
// in DIR/files. A contents list by sequence, one section per step, the
// check's findings, and a header with title, model, end option and the
// wizard file's SHA-256. The page needs no script and links nothing outside
// its folder.
#pragma once

#include "summary/walkthrough/HtmlPage.h"
#include "summary/walkthrough/WalkCards.h"

#include <QString>
#include <QStringList>

namespace stepvane {

// sha256 is the wizard file's digest as shown in the header; empty shows
// that the wizard has not been saved.
WebPageResult exportWalkthroughPage(const Walkthrough &walk, const QString &dir,
                                    const QString &sha256);

} // namespace stepvane
