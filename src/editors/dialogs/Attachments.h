// The one way a page or page dialog attaches a file: the user's file is
// checked and copied into its own working copy through the per-run
// working-copy service, so two attachments never share a file, and nothing
// an earlier record may still use is overwritten or deleted. Failures are
// reported to the user here; the caller then leaves its record as it was.
#pragma once

#include "document/TaskRecords.h"

#include <QString>

#include <optional>

class QWidget;

namespace stepvane {

class MessageSink;
class UserInterface;

// The file-dialog filter for pictures (JPEG and PNG).
extern const QString kPictureFilter;

// The working-copy name of a picture: the chosen name with everything after
// its last "." replaced by "png" (a.jpg becomes a.png).
QString pictureWorkingName(const QString &fileName);

// Says that the named file could not be attached, and why.
void reportAttachFailure(MessageSink &sink, const QString &fileName, const QString &why);

// Copies the file into a fresh working copy named workingName (the file's own
// name when empty). Empty, with a message to the sink, when that fails.
QString attachCopy(MessageSink &sink, const QString &sourcePath,
                   const QString &workingName = QString());

// Decodes the picture at path (JPEG or PNG only) and attaches a working copy
// of its bytes: ImageName is the chosen file's name, TransImageName the
// working copy, the size is the copy's, width and height the picture's.
// Comment is left empty. nullopt, with a message, when the file is no
// readable picture or cannot be copied.
std::optional<AttachedImage> attachPicture(MessageSink &sink, const QString &path);

// Asks for a picture with the open-file dialog ("Attach file") and attaches
// it; nullopt when the user cancels or the picture cannot be attached.
std::optional<AttachedImage> choosePicture(UserInterface &ui, QWidget *parent,
                                           const QString &defaultSuffix = QString());

} // namespace stepvane
