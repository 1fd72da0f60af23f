// Digests of the working copies the reader wrote, taken from the bytes in
// memory as they were written, so that the check and the review diff compare
// attachments without reading them back from disk.
#pragma once

#include <QByteArray>
#include <QString>

namespace stepvane {

// Notes the digest of the bytes just written to path (thread-safe).
void rememberWorkingCopy(const QString &path, const QByteArray &bytes);
// The SHA-256 of the file at path: the remembered one while the file is as it
// was written (same size and time), else read from the file; empty when it
// cannot be read.
QByteArray workingCopyDigest(const QString &path);

} // namespace stepvane
