// What the instrument cannot take although the file format can carry it:
// names its file system refuses, files it does not read as what they claim
// to be, pictures far beyond its screen, zones without a span and marker
// positions outside the sweep the wizard sets.
#pragma once

#include "review/check/WizardCheck.h"

namespace stepvane {

// The longest name (of a file or of one folder) the instrument's file system keeps.
constexpr int kMaxInstrumentNameLength = 255;
// Pictures beyond these are far larger than the instrument's screen shows.
constexpr int kShownPictureWidth = 1920;
constexpr int kShownPictureHeight = 1080;
constexpr qint64 kShownPictureBytes = 2 * 1024 * 1024;
// The extension the limit page asks of a mask file.
inline const QString kMaskFileExtension = QStringLiteral("fml");

// Why the instrument's file system cannot hold the name, or an empty text.
// what names it in the sentence ("file name"); a folder name may hold folder
// separators, and then each folder in it is held to the rules.
QString instrumentNameProblem(const QString &name, const QString &what, bool folder);

// Adds the findings of these limits for the whole wizard.
void checkInstrumentLimits(const WizardDocument &doc, const CheckOptions &options,
                           std::vector<Finding> &out);

} // namespace stepvane
