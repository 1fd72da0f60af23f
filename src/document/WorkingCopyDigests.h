// Digests of the working copies the reader wrote, taken from the bytes in
// memory as they were written, so that the check and the review diff compare
// attachments without reading them back from disk.
#pragma once

#include <QByteArray>
#include <QString>

namespace stepvane {

// Notes the digest of the bytes just written to path (thread-safe).
void rememberWorkingCopy(const QString &path, const QByteArray &bytes);

// Commands that only read a wizard (info, summary, diff) turn the writing of
// working copies off: the reader names them and keeps their digests, and
// nothing is written. Everything that needs the files (the editor, dump,
// export, check) leaves it on, the default.
void setWorkingCopiesWritten(bool written);
bool workingCopiesWritten();
// Notes the digest of a copy that was named but not written.
void rememberUnwrittenCopy(const QString &path, const QByteArray &bytes);
// The SHA-256 of the file at path: the remembered one while the file is as it
// was written (same size and time), else read from the file; for a copy not
// written, the remembered one; empty when it cannot be read.
QByteArray workingCopyDigest(const QString &path);

} // namespace stepvane
