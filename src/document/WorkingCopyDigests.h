// What the reader keeps of the attached files it restores. The editor and
// the commands that hand files on (dump, build) get working copies on disk,
// each hashed as it is written, so that the check and the review diff compare
// attachments without reading them back (dump, which hands its files on,
// skips that). Commands that only look at a wizard
// get no files: the check and the export hold the bytes in memory under the
// working copy's path, the diff keeps their digests, info and summary keep
// nothing. Whoever reads an attachment asks here (workingCopyBytes,
// workingCopySize, workingCopyDigest) and gets the held bytes or the file's.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace stepvane {

enum class RestoredCopies {
    Written,   // to disk and hashed, the default: the editor, build
    Extracted, // to disk for someone else, not hashed: dump
    Held,      // bytes kept in memory, no file: check, export
    Digested,  // only their digests kept: diff
    Named,     // only the path given out: info, summary
};
void setRestoredCopies(RestoredCopies how);
RestoredCopies restoredCopies();
// Whether restored copies go to disk (Written or Extracted).
bool workingCopiesWritten();

// Notes the digest of the bytes just written to path (thread-safe).
void rememberWorkingCopy(const QString &path, const QByteArray &bytes);
// Keeps what the mode asks of a copy that was named but not written.
void rememberUnwrittenCopy(const QString &path, const QByteArray &bytes);
// The same for a copy whose digest was taken as it was decoded (Digested).
void rememberUnwrittenDigest(const QString &path, const QByteArray &digest);

// The SHA-256 of the working copy at path: the remembered one while the file
// is as it was written (same size and time), else read from the file; for a
// copy not written, that of its held bytes or the remembered one; empty when
// it cannot be read.
QByteArray workingCopyDigest(const QString &path);
// The bytes of the working copy at path: the held ones, else the file's (a
// regular file of at most 1 GiB); nullopt (with why in error) when there are
// none.
std::optional<QByteArray> workingCopyBytes(const QString &path, QString *error = nullptr);
// The held bytes of a copy not written; nullopt for any other path.
std::optional<QByteArray> heldWorkingCopy(const QString &path);
// Its size in bytes (held or on disk); -1 when there is no such copy or no
// regular file.
qint64 workingCopySize(const QString &path);

} // namespace stepvane
