// Reading a file the user attaches (a picture, a mask file, a setup file):
// only a regular file is read, it is opened without blocking (a fifo named
// in its place never hangs the program), and one above the format's cap is
// refused before a byte is read. Sizes are 64-bit throughout.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace stepvane {

// Largest file an attachment may have: it travels as base64 inside a wizard
// file, which the reader takes only below 2 GiB.
inline constexpr qint64 kMaxAttachmentBytes = qint64(1) << 30;

// Opens path for reading after checking it is a regular file of at most
// kMaxAttachmentBytes. The descriptor (close it), or -1 with why in error
// ("is a fifo", "is larger than 1 GiB (4294967296 bytes)", "no such file").
// size (when given) receives the file's size.
int openAttachment(const QString &path, QString *error, qint64 *size = nullptr);

// Empty when path can be attached; otherwise why not. Opens and closes it.
QString attachmentProblem(const QString &path, qint64 *size = nullptr);

// The whole file, or nullopt with why in error.
std::optional<QByteArray> readAttachment(const QString &path, QString *error);

} // namespace stepvane
