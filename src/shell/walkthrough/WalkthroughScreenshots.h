// The walk-through window with a sample wizard, for "make screenshots": a
// prompt with its pictures, and a limit step after "Fails". The sample wizard
// is also written to the folder (walkthrough-sample.wzd) so that its web page
// can be exported and photographed by a browser.
#pragma once

#include <QImage>
#include <QString>

#include <utility>
#include <vector>

namespace stepvane {

std::vector<std::pair<QString, QImage>> renderWalkthroughSamples(const QString &folder);

} // namespace stepvane
