// SHA-256 through OpenSSL's libcrypto: attachments and whole wizard files are
// hashed for the check, the review diff and the web pages, tens of megabytes
// at a time.
#pragma once

#include <QByteArray>
#include <QString>

namespace stepvane {

// The 32-byte digest of the bytes.
QByteArray sha256(const char *data, qsizetype size);
inline QByteArray sha256(const QByteArray &bytes)
{
    return sha256(bytes.constData(), bytes.size());
}
// The digest of a regular file's content; empty when it cannot be read.
QByteArray sha256OfFile(const QString &path);

} // namespace stepvane
