// Splitting one text line into pieces that fit a width, shared by the printer
// (single lines and the wizard title) and by anything else that measures text.
// Measuring is left to the caller so the rule can be used without a font.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

namespace stepvane {

// True when the text fits the available width.
using FitsWidth = std::function<bool(QStringView)>;

// A cut inside a word moves back to just after the last blank of the line when
// that blank lies at most this many characters before the cut.
constexpr int kWordBreakReach = 20;

// Splits text into lines that fit. Each line holds at least one character, so
// a character wider than the width still makes progress. Blanks that would
// begin a continuation line are dropped. An empty text gives one empty line.
QStringList splitToFit(const QString &text, const FitsWidth &fits);

} // namespace stepvane
