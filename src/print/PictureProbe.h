// Decoding attached pictures for the wizard check. The core has no picture
// decoder; the programs, which link QtGui, pass this one.
#pragma once

#include "document/Attachments.h"

namespace stepvane {

// Fully decodes a JPEG or PNG file: a truncated or damaged picture fails here
// even when its header still states a size.
PictureInfo decodePicture(const QString &path);

} // namespace stepvane
