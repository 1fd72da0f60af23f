// What a path names, for messages about files that cannot be read: a folder,
// a fifo or a device given where a file belongs is named as what it is, not
// reported as missing, and is never opened (a fifo would block the reader).
#pragma once

#include <QString>

namespace stepvane {

// Empty when path names a regular file (a symbolic link is followed);
// otherwise why it cannot be read as one: "no such file", "is a folder",
// "is a fifo", "is a device", "is a socket" or "is not a regular file".
QString notARegularFile(const QString &path);

} // namespace stepvane
